#include "study/Plan.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace
{
constexpr double MinutesPerAnswer = 1.0 / 1440;

// A number in [0, 1) fixed by the question and how many answers it has had: the projected
// learner's luck on that answer, the same whatever pace is tried.
double Luck(const QString& id, int answers)
{
    constexpr std::size_t Buckets = 1000003;
    return double(qHash(id, std::size_t(answers) * 7919 + 17) % Buckets) / Buckets;
}

int Unseen(const LearnerState& learner)
{
    return int(std::count_if(learner.bank.begin(), learner.bank.end(), [&](const QString& id) {
        return !AnsweredMemory(learner.memories, id);
    }));
}

bool Reaches(const LearnerState& learner, const Memories& memories, double testMorning)
{
    const auto chance = ForecastAt(learner.exam, memories, testMorning, learner.memoryOffset.shift);
    return chance && *chance >= PlanTarget;
}
} // namespace

Memories Projected(const LearnerState& learner, double now, double until, const DayPlan& day,
                   int answeredToday)
{
    LearnerState projected = learner;
    for (int calendarDay = CalendarDay(now); calendarDay < CalendarDay(until); ++calendarDay) {
        const bool today = calendarDay == CalendarDay(now);
        double moment = today ? now : calendarDay + PractiseAtHour / 24;
        const ReviewList list = TodaysReview(projected, moment, day, today ? answeredToday : 0);
        for (const QStringList* part : {&list.again, &list.due, &list.fresh}) {
            for (const QString& id : *part) {
                QuestionMemory& memory = projected.memories[id];
                const QuestionMemory* answered = memory.answers ? &memory : nullptr;
                const double chance = AnswerChance(
                    learner.GuessOf(id), KnownOf(answered, moment, learner.knownBeforeStudy,
                                                 learner.memoryOffset.shift));
                memory =
                    Answered(memory, {moment, Luck(id, memory.answers) < chance}, learner.weights);
                moment += MinutesPerAnswer;
            }
        }
    }
    return projected.memories;
}

namespace
{
// The calendar day of the test: the learner's, or DaysWithoutATestDate away without one; never
// before today.
int TestDayOf(double now, const PlanRequest& request)
{
    return CalendarDay(now) +
           std::max(0, request.testDay.value_or(CalendarDay(now) + DaysWithoutATestDate) -
                           CalendarDay(now));
}

double MorningOf(int day)
{
    return day + TestAtHour / 24;
}
} // namespace

DayPlan PlanOfTheDay(const LearnerState& learner, double now, const PlanRequest& request)
{
    const int daysLeft = TestDayOf(now, request) - CalendarDay(now);
    const int mostNew = request.mostNew.value_or(MostAnswersPerDay);
    const int coverDays = std::max(1, int(std::floor(daysLeft * ShareOfDaysToCoverTheBank)));
    const int leastNew = std::min(mostNew, (Unseen(learner) + coverDays - 1) / coverDays);
    return {0, leastNew, mostNew, request.testDay ? MorningOf(TestDayOf(now, request)) : now};
}

StudyPlan PlanFor(const LearnerState& learner, double now, const PlanRequest& request)
{
    StudyPlan plan;
    const int testDay = TestDayOf(now, request);
    if (request.testDay)
        plan.daysLeft = testDay - CalendarDay(now);
    // On the test day itself, what is left of it.
    const double testMorning = std::max(MorningOf(testDay), now);
    DayPlan day = PlanOfTheDay(learner, now, request);
    const auto projectedWith = [&](int answers) {
        day.answers = answers;
        return Projected(learner, now, testMorning, day, request.answeredToday);
    };
    // The first pace of the ladder whose projection reaches the target, by bisection: the
    // projection's chance grows with the pace.
    QList<int> paces;
    for (const int pace : PaceLadder) {
        if (pace >= day.leastNew || pace == PaceLadder.back())
            paces.append(pace);
    }
    qsizetype first = 0;
    qsizetype last = paces.size(); // the paces from last on reach it
    Memories reached;
    Memories fastest; // at the last pace, kept when even that falls short
    const auto tryPace = [&](qsizetype i) {
        Memories projected = projectedWith(paces[i]);
        if (Reaches(learner, projected, testMorning)) {
            last = i;
            reached = std::move(projected);
            return true;
        }
        first = i + 1;
        if (i == paces.size() - 1)
            fastest = std::move(projected);
        return false;
    };
    // A plan worked out again after a few more answers mostly keeps its pace: that pace and the
    // one beside it settle it in two projections.
    if (request.lastPace) {
        const auto rung = std::lower_bound(paces.begin(), paces.end(), *request.lastPace);
        const qsizetype i = std::min(rung - paces.begin(), paces.size() - 1);
        if (tryPace(i)) {
            if (i > first)
                tryPace(i - 1);
        } else if (i + 1 < last) {
            tryPace(i + 1);
        }
    }
    while (first < last)
        tryPace((first + last) / 2);
    plan.reachesTarget = last < paces.size();
    const Memories atPace = plan.reachesTarget ? std::move(reached) : std::move(fastest);
    day.answers = plan.reachesTarget ? paces[last] : paces.back();
    plan.onTestDay = RangeAt(learner.exam, atPace, learner.memoryOffset, testMorning);
    if (plan.onTestDay)
        plan.onTestDay->questions = FirstAnswersOf(learner.exam, learner.memories).count;
    plan.today = day;
    return plan;
}
