#include "progress/PassForecast.h"

#include "bank/Record.h"
#include "exam/ExamRules.h"
#include "study/MemoryFit.h"

namespace
{
constexpr int RecentExams = 5;

int Percent(double chance)
{
    return qRound(chance * 100);
}
} // namespace

ExamShape ExamOf(const LoadedBank& bank)
{
    ExamShape exam;
    exam.perKind = QuestionsPerKind;
    exam.passScore = PassScore;
    for (const BankRecord& record : bank.records) {
        const QString id = Record::FieldAt(record.text, Record::Id).toString();
        if (Record::FieldAt(record.text, Record::Kind) == Record::ChoiceKind)
            exam.choice.append(id);
        else
            exam.trueFalse.append(id);
    }
    return exam;
}

MemoryWeights LearnerWeights(const QString& bank, const ExamShape& exam,
                             const QHash<QString, QList<TimedAnswer>>& answers, double now)
{
    static QHash<QString, DailyFit> fits;
    return fits[bank].WeightsFor(answers, exam, now);
}

QString ForecastText(const std::optional<ForecastRange>& forecast, const ExamShape& exam)
{
    if (!forecast)
        return {};
    const qsizetype bankSize = exam.choice.size() + exam.trueFalse.size();
    if (forecast->questions < std::min<qsizetype>(QuestionsForAFigure, bankSize))
        return QStringLiteral("通过把握：数据不足（依据 %1 题）").arg(forecast->questions);
    return QStringLiteral("通过把握：约 %1%（%2–%3%，依据 %4 题）")
        .arg(Percent(forecast->chance))
        .arg(Percent(forecast->low))
        .arg(Percent(forecast->high))
        .arg(forecast->questions);
}

QString RecentExamsText(const QList<FinishedExam>& exams)
{
    if (exams.isEmpty())
        return {};
    const QList<FinishedExam> recent =
        exams.mid(std::max<qsizetype>(0, exams.size() - RecentExams));
    const auto passed = std::count_if(recent.begin(), recent.end(), [](const FinishedExam& exam) {
        return exam.score >= PassScore;
    });
    return QStringLiteral("最近 %1 次模拟考试：%2 次合格").arg(recent.size()).arg(passed);
}

QString ForecastLabelText(const std::optional<ForecastRange>& forecast, const ExamShape& exam,
                          const QList<FinishedExam>& exams)
{
    QStringList lines = {ForecastText(forecast, exam), RecentExamsText(exams)};
    lines.removeAll(QString());
    return lines.join(u'\n');
}
