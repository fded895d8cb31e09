#include "study/Memory.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
// FSRS-6's published default weights w0..w20; w20 is the forgetting curve's decay.
constexpr std::array<double, 21> W = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                      0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                      1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
constexpr double Decay = W[20];
constexpr double LeastStability = 0.001;
constexpr double LeastDifficulty = 1;
constexpr double MostDifficulty = 10;
constexpr double MillisecondsPerDay = 86400000.0;

// Scales the curve so that recall is exactly 90 % after `stability` days.
double Factor()
{
    static const double factor = std::pow(0.9, -1 / Decay) - 1;
    return factor;
}

double GradeValue(Grade grade)
{
    return static_cast<int>(grade);
}

// Not clamped: the mean reversion pulls towards it even where it lies below 1.
double InitialDifficulty(double grade)
{
    return W[4] - std::exp(W[5] * (grade - 1)) + 1;
}

double ClampDifficulty(double difficulty)
{
    return std::clamp(difficulty, LeastDifficulty, MostDifficulty);
}

// The change shrinks as difficulty nears 10, then reverts a little towards an Easy first answer.
double NextDifficulty(double difficulty, double grade)
{
    const double change = -W[6] * (grade - 3);
    const double damped = difficulty + change * (MostDifficulty - difficulty) / 9;
    return ClampDifficulty(W[7] * InitialDifficulty(4) + (1 - W[7]) * damped);
}

double SameDayStability(double stability, double grade)
{
    double increase = std::exp(W[17] * (grade - 3 + W[18])) * std::pow(stability, -W[19]);
    // A right answer never lowers stability.
    if (grade >= 3)
        increase = std::max(increase, 1.0);
    return stability * increase;
}

double StabilityAfterLapse(const MemoryState& memory, double recall)
{
    const double stability = W[11] * std::pow(memory.difficulty, -W[12]) *
                             (std::pow(memory.stability + 1, W[13]) - 1) *
                             std::exp(W[14] * (1 - recall));
    // Never above what a wrong answer on the same day would leave.
    return std::min(stability, memory.stability / std::exp(W[17] * W[18]));
}

double StabilityAfterRecall(const MemoryState& memory, double recall)
{
    return memory.stability *
           (1 + std::exp(W[8]) * (11 - memory.difficulty) * std::pow(memory.stability, -W[9]) *
                    (std::exp(W[10] * (1 - recall)) - 1));
}
} // namespace

MemoryState FirstMemory(Grade grade)
{
    const double g = GradeValue(grade);
    return {W[static_cast<int>(grade) - 1], ClampDifficulty(InitialDifficulty(g))};
}

MemoryState NextMemory(MemoryState memory, int elapsedDays, Grade grade)
{
    const double g = GradeValue(grade);
    double stability;
    if (elapsedDays <= 0) {
        stability = SameDayStability(memory.stability, g);
    } else {
        const double recall = Retrievability(elapsedDays, memory.stability);
        stability = grade == Grade::Again ? StabilityAfterLapse(memory, recall)
                                          : StabilityAfterRecall(memory, recall);
    }
    return {std::max(stability, LeastStability), NextDifficulty(memory.difficulty, g)};
}

double Retrievability(double elapsedDays, double stability)
{
    return std::pow(1 + Factor() * std::max(elapsedDays, 0.0) / stability, -Decay);
}

double DaysUntilRecallFallsTo(double retention, double stability)
{
    return stability / Factor() * (std::pow(retention, -1 / Decay) - 1);
}

QuestionMemory Answered(QuestionMemory memory, const TimedAnswer& answer)
{
    const Grade grade = answer.right ? Grade::Good : Grade::Again;
    if (memory.answers == 0) {
        memory.state = FirstMemory(grade);
        memory.firstDay = answer.day;
        memory.firstRight = answer.right;
    } else {
        memory.state =
            NextMemory(memory.state, CalendarDay(answer.day) - CalendarDay(memory.lastDay), grade);
    }
    memory.lastDay = answer.day;
    ++memory.answers;
    return memory;
}

QuestionMemory Replay(const QList<TimedAnswer>& answers)
{
    QuestionMemory memory;
    for (const TimedAnswer& answer : answers)
        memory = Answered(memory, answer);
    return memory;
}

Memories ReplayEach(const QHash<QString, QList<TimedAnswer>>& answers)
{
    Memories memories;
    memories.reserve(answers.size());
    for (auto question = answers.begin(); question != answers.end(); ++question)
        memories.insert(question.key(), Replay(question.value()));
    return memories;
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
