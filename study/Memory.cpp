#include "study/Memory.h"

#include "study/MemoryRules.h"

#include <optional>

namespace {
constexpr double MillisecondsPerDay = 86400000.0;
} // namespace

MemoryState FirstMemory(Grade grade, const MemoryWeights& weights)
{
    return MemoryRules<double>(weights.w).First(grade);
}

MemoryState NextMemory(MemoryState memory, int elapsedDays, Grade grade,
                       const MemoryWeights& weights)
{
    return MemoryRules<double>(weights.w).Next(memory, elapsedDays, grade);
}

double Retrievability(double elapsedDays, double stability, double decay)
{
    return ForgettingCurve<double>(decay).After(elapsedDays, stability);
}

double DaysUntilRecallFallsTo(double retention, double stability, double decay)
{
    // In proportion to stability: the power is worked out again only for another retention or
    // decay, so that asking every question of a bank when it falls due costs no power each.
    thread_local double lastRetention = std::nan("");
    thread_local double lastDecay = std::nan("");
    thread_local double daysPerStability = 0;
    if (retention != lastRetention || decay != lastDecay) {
        const ForgettingCurve<double> curve(decay);
        daysPerStability = (std::pow(retention, -1 / decay) - 1) / curve.factor;
        lastRetention = retention;
        lastDecay = decay;
    }
    return stability * daysPerStability;
}

double QuestionMemory::RecallAt(double day) const
{
    return Retrievability(day - lastDay, state.stability, decay);
}

double QuestionMemory::KnownAt(double day) const
{
    return KnownByMemory<double>(*this, day, ForgettingCurve<double>(decay));
}

QuestionMemory Answered(QuestionMemory memory, const TimedAnswer& answer,
                        const MemoryWeights& weights)
{
    // Answers come one at a time with the same weights, by the thousand when a plan projects a
    // learner: the rules are made again only when the weights change.
    thread_local MemoryWeights lastWeights;
    thread_local std::optional<MemoryRules<double>> rules;
    if (!rules || weights != lastWeights) {
        lastWeights = weights;
        rules.emplace(lastWeights.w);
    }
    rules->Answer(memory, answer);
    return memory;
}

QuestionMemory Replay(const QList<TimedAnswer>& answers, const MemoryWeights& weights)
{
    const MemoryRules<double> rules(weights.w);
    QuestionMemory memory;
    for (const TimedAnswer& answer : answers)
        rules.Answer(memory, answer);
    return memory;
}

Memories ReplayEach(const QHash<QString, QList<TimedAnswer>>& answers, const MemoryWeights& weights)
{
    Memories memories;
    memories.reserve(answers.size());
    for (auto question = answers.begin(); question != answers.end(); ++question)
        memories.insert(question.key(), Replay(question.value(), weights));
    return memories;
}

int AnswersOnDay(const QHash<QString, QList<TimedAnswer>>& answers, int day)
{
    int count = 0;
    for (const QList<TimedAnswer>& question : answers) {
        for (const TimedAnswer& answer : question)
            count += CalendarDay(answer.day) == day;
    }
    return count;
}

double LocalDays(const QDateTime& moment)
{
    return (moment.toMSecsSinceEpoch() + moment.offsetFromUtc() * 1000.0) / MillisecondsPerDay;
}

QDateTime FromLocalDays(double day)
{
    const QDateTime wallClock =
        QDateTime::fromMSecsSinceEpoch(std::llround(day * MillisecondsPerDay), Qt::UTC);
    return QDateTime(wallClock.date(), wallClock.time());
}
