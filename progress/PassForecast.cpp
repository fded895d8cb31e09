#include "progress/PassForecast.h"

#include "bank/Record.h"
#include "exam/ExamRules.h"
#include "study/MemoryFit.h"

namespace
{
constexpr int RecentExams = 5;
} // namespace

int Percent(double chance)
{
    return qRound(chance * 100);
}

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

bool TooFewForAFigure(const ForecastRange& forecast, const ExamShape& exam)
{
    const qsizetype bankSize = exam.choice.size() + exam.trueFalse.size();
    return forecast.questions < std::min<qsizetype>(QuestionsForAFigure, bankSize);
}

QString RangeText(const ForecastRange& forecast)
{
    return QStringLiteral("%1–%2%").arg(Percent(forecast.low)).arg(Percent(forecast.high));
}

QString ForecastText(const std::optional<ForecastRange>& forecast, const ExamShape& exam)
{
    if (!forecast)
        return {};
    if (TooFewForAFigure(*forecast, exam))
        return QStringLiteral("通过把握：数据不足（依据 %1 题）").arg(forecast->questions);
    return QStringLiteral("通过把握：约 %1%（%2，依据 %3 题）")
        .arg(Percent(forecast->chance))
        .arg(RangeText(*forecast))
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
                          const QList<FinishedExam>& exams, const QString& planLine)
{
    QStringList lines = {ForecastText(forecast, exam), planLine, RecentExamsText(exams)};
    lines.removeAll(QString());
    return lines.join(u'\n');
}
