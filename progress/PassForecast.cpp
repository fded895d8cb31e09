#include "progress/PassForecast.h"

#include "bank/Record.h"
#include "exam/ExamRules.h"

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

QString ForecastText(std::optional<double> chance)
{
    if (!chance)
        return {};
    return QStringLiteral("通过把握：%1%").arg(qRound(*chance * 100));
}
