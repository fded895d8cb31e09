#include "SimGuidance.h"

#include "study/AnswerModel.h"
#include "study/MemoryFit.h"
#include "study/Plan.h"
#include "study/Review.h"

#include <QSet>
#include <algorithm>

namespace {
// What the program credits every question not yet listed with: its memory's credit for an
// answered one, the prior share known before study for one never answered. The least known
// first; equal credits keep the bank's order.
QStringList LeastRemembered(const QStringList& bank, const Memories& memories, double now,
                            const QSet<QString>& listed)
{
    QList<std::pair<double, QString>> chances;
    for (const QString& id : bank) {
        if (listed.contains(id))
            continue;
        const auto memory = memories.find(id);
        const bool answered = memory != memories.end() && memory->answers > 0;
        chances.append({answered ? memory->KnownAt(now) : PriorKnownShare, id});
    }
    std::stable_sort(chances.begin(), chances.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList least;
    for (const auto& chance : chances)
        least.append(chance.second);
    return least;
}
} // namespace

namespace
{
// The learner as the windows read them, with the weights fitted once a day. Each thread meets one
// learner at a time, day after day, and a new learner's first day differs from the last one's last.
struct Reading {
    LearnerState learner;
    ForecastBasis basis;
};

Reading Read(const AnswerRecord& answers, const ExamShape& exam, const QStringList& bank,
             double now)
{
    thread_local DailyFit fit;
    const MemoryWeights& weights = fit.WeightsFor(answers, exam, now);
    ForecastBasis basis = BasisOf(exam, answers, weights);
    return {{bank, exam, basis, weights}, basis};
}

PlanRequest RequestOf(const AnswerRecord& answers, double now, std::optional<double> testDay)
{
    return {testDay ? std::optional<int>(CalendarDay(*testDay)) : std::nullopt, std::nullopt,
            AnswersOnDay(answers, CalendarDay(now))};
}
} // namespace

namespace Guidance
{
std::optional<double> Forecast(const AnswerRecord& answers, const ExamShape& exam, double now)
{
    const Reading reading = Read(answers, exam, {}, now);
    const auto forecast = RangeAt(exam, reading.basis.memories, reading.basis.memoryOffset, now);
    return forecast ? std::optional<double>(forecast->chance) : std::nullopt;
}

// Today's review with the plan's new questions and target; the learner answers at their own pace,
// so the day's answers are theirs, and time left over goes to the least remembered of the rest.
QStringList TodaysList(const AnswerRecord& answers, const ExamShape& exam, const QStringList& bank,
                       double now, int budget, std::optional<double> testDay)
{
    const Reading reading = Read(answers, exam, bank, now);
    const PlanRequest request = RequestOf(answers, now, testDay);
    DayPlan day = PlanOfTheDay(reading.learner, now, request);
    day.answers = request.answeredToday + budget;
    const ReviewList review = TodaysReview(reading.learner, now, day, request.answeredToday);
    QStringList list = review.again + review.due + review.fresh;
    if (list.size() < budget)
        list += LeastRemembered(bank, reading.learner.memories, now,
                                QSet<QString>(list.begin(), list.end()));
    return list.mid(0, budget);
}

PlanSaid Plan(const AnswerRecord& answers, const ExamShape& exam, const QStringList& bank,
              double now, double testDay)
{
    const Reading reading = Read(answers, exam, bank, now);
    const StudyPlan plan = PlanFor(reading.learner, now, RequestOf(answers, now, testDay));
    return {plan.today.answers,
            plan.onTestDay ? std::optional<double>(plan.onTestDay->chance) : std::nullopt};
}
} // namespace Guidance
