#include "topics/TopicIndex.h"

#include "bank/Topics.h"

#include <cmath>

QList<QStringList> QuestionsByTopic(const QList<NumberedQuestion>& questions)
{
    QList<QStringList> byTopic(Topics::Names.size());
    for (const NumberedQuestion& question : questions) {
        for (const QString& topic : Topics::Of(Record::Split(question.record)))
            byTopic[Topics::Names.indexOf(topic)].append(question.id);
    }
    return byTopic;
}

QString ShareText(const ChapterProgress& progress)
{
    if (progress.attempted == 0)
        return QStringLiteral("—");
    const double percent = 100.0 * progress.latestRight / progress.attempted;
    return QStringLiteral("%1%").arg(std::lround(percent));
}
