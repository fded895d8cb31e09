#include "progress/StudyPlan.h"

#include "bank/Record.h"
#include "common/Platform.h"
#include "common/Study.h"
#include "progress/PassForecast.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"

#include <QDateTime>
#include <QSettings>
#include <algorithm>

namespace
{
QString TestDateKey(const QString& bank)
{
    return QStringLiteral("plan/%1/testDate").arg(bank);
}

// The pace last planned, which the next plan tries first: kept between starts, so that the
// first plan of a session is as quick as the rest.
QString LastPaceKey(const QString& bank)
{
    return QStringLiteral("plan/%1/lastPace").arg(bank);
}

std::optional<int> LastPace(const QString& bank)
{
    bool ok = false;
    const int pace = AppSettings().value(LastPaceKey(bank)).toInt(&ok);
    return ok ? std::optional(pace) : std::nullopt;
}

} // namespace

std::optional<QDate> TestDate(const QString& bank)
{
    const QDate date =
        QDate::fromString(AppSettings().value(TestDateKey(bank)).toString(), Qt::ISODate);
    if (!date.isValid() || date < QDate::currentDate())
        return std::nullopt;
    return date;
}

void SetTestDate(const QString& bank, std::optional<QDate> date)
{
    QSettings settings = AppSettings();
    if (date)
        settings.setValue(TestDateKey(bank), date->toString(Qt::ISODate));
    else
        settings.remove(TestDateKey(bank));
}

QStringList ChapterOrder(const LoadedBank& bank)
{
    QList<std::pair<int, QString>> chaptered;
    for (const BankRecord& record : bank.records) {
        const auto chapter = Record::ChapterNumber(Record::FieldAt(record.text, Record::Chapter));
        if (chapter)
            chaptered.append({*chapter, Record::FieldAt(record.text, Record::Id).toString()});
    }
    std::stable_sort(chaptered.begin(), chaptered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList ids;
    for (const auto& question : chaptered)
        ids.append(question.second);
    return ids;
}

Guidance GuidanceFor(const QString& bank, const ExamShape& exam, const QStringList& chapterOrder,
                     const QHash<QString, QList<TimedAnswer>>& answers, double now)
{
    const MemoryWeights weights = LearnerWeights(bank, exam, answers, now);
    const ForecastBasis basis = BasisOf(exam, answers, weights);
    return {{chapterOrder, exam, basis, weights},
            RangeAt(exam, basis.memories, basis.memoryOffset, now),
            AnswersOnDay(answers, CalendarDay(now))};
}

StudyPlan PlanOf(const Guidance& guidance, const QString& bank, double now,
                 std::optional<int> mostNew)
{
    std::optional<int> testDay;
    if (const auto date = TestDate(bank))
        testDay = CalendarDay(now) + int(QDate::currentDate().daysTo(*date));
    const std::optional<int> lastPace = LastPace(bank);
    const StudyPlan plan =
        PlanFor(guidance.learner, now, {testDay, mostNew, guidance.answeredToday, lastPace});
    if (plan.today.answers != lastPace)
        AppSettings().setValue(LastPaceKey(bank), plan.today.answers);
    return plan;
}

ReviewList TodaysReviewFor(const QString& bank, const ExamShape& exam,
                           const QStringList& chapterOrder, std::optional<int> mostNew)
{
    const StudyStore& store = Study();
    const auto answers = store.IsRecording() ? AnswersByQuestion(store.Database(), bank)
                                             : QHash<QString, QList<TimedAnswer>>();
    const double now = LocalDays(QDateTime::currentDateTime());
    const Guidance guidance = GuidanceFor(bank, exam, chapterOrder, answers, now);
    return TodaysReview(guidance.learner, now, PlanOf(guidance, bank, now, mostNew).today,
                        guidance.answeredToday);
}

QString PlanText(const StudyPlan& plan)
{
    if (!plan.daysLeft)
        return QStringLiteral("未定考试日期 · 每天约 %1 题").arg(plan.today.answers);
    if (*plan.daysLeft == 0)
        return QStringLiteral("今天考试");
    return QStringLiteral("距考试 %1 天 · 每天约 %2 题")
        .arg(*plan.daysLeft)
        .arg(plan.today.answers);
}

QString PlanForecastText(const StudyPlan& plan, const ExamShape& exam)
{
    if (!plan.daysLeft || *plan.daysLeft == 0 || !plan.onTestDay)
        return {};
    if (TooFewForAFigure(*plan.onTestDay, exam))
        return QStringLiteral("按计划，考试当天：数据不足");
    return QStringLiteral("按计划，考试当天约 %1%（%2）")
        .arg(Percent(plan.onTestDay->chance))
        .arg(RangeText(*plan.onTestDay));
}
