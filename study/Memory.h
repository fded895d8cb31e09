#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <array>
#include <cmath>

// How well a question is remembered, by the FSRS-6 model of spaced repetition. Its weights are a
// parameter: the published defaults, or weights fitted to the learner (study/MemoryFit.h). Times
// are local days since 1970-01-01 (fractional), so that "the same day" is the learner's own
// calendar day. Pure functions: the store only feeds them.

struct MemoryWeights {
    static constexpr int Count = 21;
    // FSRS-6's published default weights w0..w20; w20 is the forgetting curve's decay.
    std::array<double, Count> w = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                   0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                   1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};

    constexpr double Decay() const { return w[20]; }
    bool operator==(const MemoryWeights&) const = default;
};

inline constexpr double DefaultDecay = MemoryWeights{}.Decay();

// The share of questions the learner should still be able to answer when one falls due.
constexpr double TargetRetention = 0.9;

// A right answer is graded Good, a wrong one Again.
enum class Grade { Again = 1, Good = 3 };

// Number is double in the program; the fit replays with numbers that carry their derivatives.
template <class Number> struct MemoryStateOf {
    Number stability = 0;  // days until the chance of recall falls to 90 %
    Number difficulty = 0; // 1 (easy) to 10 (hard)
};
using MemoryState = MemoryStateOf<double>;

// The state after a question's first answer.
MemoryState FirstMemory(Grade grade, const MemoryWeights& weights = {});
// The state after another answer elapsedDays whole calendar days after the previous one; 0 is
// the same day, which follows the model's short-term rule.
MemoryState NextMemory(MemoryState memory, int elapsedDays, Grade grade,
                       const MemoryWeights& weights = {});
// The chance of recall elapsedDays (fractional) after the last answer.
double Retrievability(double elapsedDays, double stability, double decay = DefaultDecay);
// How many days after the last answer the chance of recall falls to retention.
double DaysUntilRecallFallsTo(double retention, double stability, double decay = DefaultDecay);

// One answer to a question, as the model reads it.
struct TimedAnswer {
    double day = 0; // local days since 1970-01-01
    bool right = false;
    bool look = false; // the answer was shown without a choice: wrong, and no guess was made

    bool operator==(const TimedAnswer&) const = default;
};

// FSRS puts recall back to certainty after any answer, a wrong one too. A wrong answer must not
// make the learner look surer of a question, so until it is answered right again the question is
// credited no more than it was just before: at most this forgetting curve (of the memory's
// decay), kept as its age in stabilities at the last answer and how fast that age grows.
template <class Number> struct RecallCeilingOf {
    Number age = 0;
    Number agePerDay = 0;
};

template <class Number> struct QuestionMemoryOf {
    MemoryStateOf<Number> state;
    int answers = 0; // 0: never answered, nothing else holds
    double firstDay = 0;
    bool firstRight = false;
    bool firstLooked = false;
    double lastDay = 0;
    bool answeredRight = false; // right at least once
    bool capped = false;        // wrong since the last right answer: the ceiling holds
    RecallCeilingOf<Number> ceiling;
    Number decay = DefaultDecay; // of the weights it was replayed with
};

// A question's memory after all its answers.
struct QuestionMemory : QuestionMemoryOf<double> {
    // FSRS's chance of recall.
    double RecallAt(double day) const;
    // What the memory is credited with knowing: nothing while the question was never answered
    // right, and after a wrong answer no more than just before it.
    double KnownAt(double day) const;
    double DueDay() const
    {
        return lastDay + DaysUntilRecallFallsTo(TargetRetention, state.stability, decay);
    }
};

// The memory after one more answer.
QuestionMemory Answered(QuestionMemory memory, const TimedAnswer& answer,
                        const MemoryWeights& weights = {});
// Replays a question's answers in the order given (the order they were given).
QuestionMemory Replay(const QList<TimedAnswer>& answers, const MemoryWeights& weights = {});

using Memories = QHash<QString, QuestionMemory>; // question id -> its memory
// The memory of a question answered at least once; none for one never answered.
inline const QuestionMemory* AnsweredMemory(const Memories& memories, const QString& id)
{
    const auto memory = memories.find(id);
    return memory == memories.end() || memory->answers == 0 ? nullptr : &*memory;
}
// Every question's memory from its answers.
Memories ReplayEach(const QHash<QString, QList<TimedAnswer>>& answers,
                    const MemoryWeights& weights = {});

// How many answers were given on a calendar day.
int AnswersOnDay(const QHash<QString, QList<TimedAnswer>>& answers, int day);

// A moment as local days since 1970-01-01, the clock the model counts in.
double LocalDays(const QDateTime& moment);
// A local day count as the moment it names.
QDateTime FromLocalDays(double day);
// The calendar day a local day count falls on.
inline int CalendarDay(double day)
{
    return static_cast<int>(std::floor(day));
}
