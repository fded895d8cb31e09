#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <cmath>

// How well a question is remembered, by the FSRS-6 model of spaced repetition with its
// published default weights. Times are local days since 1970-01-01 (fractional), so that "the
// same day" is the learner's own calendar day. Pure functions: the store only feeds them.

// The share of questions the learner should still be able to answer when one falls due.
constexpr double TargetRetention = 0.9;

// A right answer is graded Good, a wrong one Again.
enum class Grade { Again = 1, Good = 3 };

struct MemoryState {
    double stability = 0;  // days until the chance of recall falls to 90 %
    double difficulty = 0; // 1 (easy) to 10 (hard)
};

// The state after a question's first answer.
MemoryState FirstMemory(Grade grade);
// The state after another answer elapsedDays whole calendar days after the previous one; 0 is
// the same day, which follows the model's short-term rule.
MemoryState NextMemory(MemoryState memory, int elapsedDays, Grade grade);
// The chance of recall elapsedDays (fractional) after the last answer.
double Retrievability(double elapsedDays, double stability);
// How many days after the last answer the chance of recall falls to retention.
double DaysUntilRecallFallsTo(double retention, double stability);

// One answer to a question, as the model reads it.
struct TimedAnswer {
    double day = 0; // local days since 1970-01-01
    bool right = false;

    bool operator==(const TimedAnswer&) const = default;
};

// A question's memory after all its answers.
struct QuestionMemory {
    MemoryState state;
    int answers = 0; // 0: never answered, nothing else holds
    double firstDay = 0;
    bool firstRight = false;
    double lastDay = 0;

    double RecallAt(double day) const { return Retrievability(day - lastDay, state.stability); }
    double DueDay() const
    {
        return lastDay + DaysUntilRecallFallsTo(TargetRetention, state.stability);
    }
};

// The memory after one more answer.
QuestionMemory Answered(QuestionMemory memory, const TimedAnswer& answer);
// Replays a question's answers in the order given (the order they were given).
QuestionMemory Replay(const QList<TimedAnswer>& answers);

using Memories = QHash<QString, QuestionMemory>; // question id -> its memory
// Every question's memory from its answers.
Memories ReplayEach(const QHash<QString, QList<TimedAnswer>>& answers);

// A moment as local days since 1970-01-01, the clock the model counts in.
double LocalDays(const QDateTime& moment);
// A local day count as the moment it names.
QDateTime FromLocalDays(double day);
// The calendar day a local day count falls on.
inline int CalendarDay(double day)
{
    return static_cast<int>(std::floor(day));
}
