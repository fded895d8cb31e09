#pragma once

// FSRS-6 and the memory side of the answer model, written once for any number type: double in
// the program, a number that carries its derivatives in the fit (study/MemoryFit.cpp). Included
// by the study library's sources only.

#include "study/Memory.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

template <class Number> struct ForgettingCurve {
    explicit ForgettingCurve(const Number& decay) : decay(decay), factor(Factor(decay)) {}

    // The chance of recall once `age` stabilities have passed since the last answer.
    Number AtAge(const Number& age) const
    {
        using std::pow;
        return pow(1 + factor * age, -decay);
    }
    Number After(double elapsedDays, const Number& stability) const
    {
        return AtAge(std::max(elapsedDays, 0.0) / stability);
    }

    Number decay;
    Number factor;

private:
    // Scales the curve so that recall is exactly 90 % after `stability` days.
    static Number Factor(const Number& decay)
    {
        using std::pow;
        if constexpr (std::is_same_v<Number, double>) {
            // Every memory of a learner has the same decay, and a curve is made for every
            // question read: its power is worked out once.
            thread_local double lastDecay = std::nan("");
            thread_local double lastFactor = 0;
            if (decay != lastDecay) {
                lastFactor = pow(0.9, -1 / decay) - 1;
                lastDecay = decay;
            }
            return lastFactor;
        } else {
            return pow(0.9, -1 / decay) - 1;
        }
    }
};

// What the memory is credited with at `day`: see QuestionMemory::KnownAt.
template <class Number>
Number KnownByMemory(const QuestionMemoryOf<Number>& memory, double day,
                     const ForgettingCurve<Number>& curve)
{
    if (!memory.answeredRight)
        return Number(0.0);
    const double elapsed = std::max(day - memory.lastDay, 0.0);
    const Number recall = curve.After(elapsed, memory.state.stability);
    if (!memory.capped)
        return recall;
    const RecallCeilingOf<Number>& ceiling = memory.ceiling;
    return std::min(recall, curve.AtAge(ceiling.age + ceiling.agePerDay * elapsed));
}

template <class Number> class MemoryRules
{
public:
    using Weights = std::array<Number, MemoryWeights::Count>;

    explicit MemoryRules(const Weights& weights)
        : w(weights), curve(weights[20]), easyDifficulty(InitialDifficulty(4))
    {
    }

    const ForgettingCurve<Number>& Curve() const { return curve; }

    MemoryStateOf<Number> First(Grade grade) const
    {
        return {w[static_cast<int>(grade) - 1],
                ClampDifficulty(InitialDifficulty(GradeValue(grade)))};
    }

    MemoryStateOf<Number> Next(const MemoryStateOf<Number>& memory, int elapsedDays,
                               Grade grade) const
    {
        const double g = GradeValue(grade);
        Number stability;
        if (elapsedDays <= 0) {
            stability = SameDayStability(memory.stability, g);
        } else {
            const Number recall = curve.After(elapsedDays, memory.stability);
            stability = grade == Grade::Again ? StabilityAfterLapse(memory, recall)
                                              : StabilityAfterRecall(memory, recall);
        }
        return {std::max(stability, Number(LeastStability)), NextDifficulty(memory.difficulty, g)};
    }

    void Answer(QuestionMemoryOf<Number>& memory, const TimedAnswer& answer) const
    {
        const Grade grade = answer.right ? Grade::Good : Grade::Again;
        if (!answer.right && memory.answeredRight)
            memory.ceiling = CeilingBefore(memory, answer.day);
        memory.capped = !answer.right && memory.answeredRight;
        if (memory.answers == 0) {
            memory.state = First(grade);
            memory.firstDay = answer.day;
            memory.firstRight = answer.right;
            memory.firstLooked = answer.look;
        } else {
            memory.state =
                Next(memory.state, CalendarDay(answer.day) - CalendarDay(memory.lastDay), grade);
        }
        memory.lastDay = answer.day;
        memory.answeredRight = memory.answeredRight || answer.right;
        memory.decay = curve.decay;
        ++memory.answers;
    }

private:
    static constexpr double LeastStability = 0.001;
    static constexpr double LeastDifficulty = 1;
    static constexpr double MostDifficulty = 10;

    static double GradeValue(Grade grade) { return static_cast<int>(grade); }

    // Not clamped: the mean reversion pulls towards it even where it lies below 1.
    Number InitialDifficulty(double grade) const
    {
        using std::exp;
        return w[4] - exp(w[5] * (grade - 1)) + 1;
    }

    static Number ClampDifficulty(const Number& difficulty)
    {
        return std::clamp(difficulty, Number(LeastDifficulty), Number(MostDifficulty));
    }

    // The change shrinks as difficulty nears 10, then reverts a little towards an Easy first
    // answer.
    Number NextDifficulty(const Number& difficulty, double grade) const
    {
        const Number change = -w[6] * (grade - 3);
        const Number damped = difficulty + change * (MostDifficulty - difficulty) / 9;
        return ClampDifficulty(w[7] * easyDifficulty + (1 - w[7]) * damped);
    }

    Number SameDayStability(const Number& stability, double grade) const
    {
        using std::exp;
        using std::pow;
        Number increase = exp(w[17] * (grade - 3 + w[18])) * pow(stability, -w[19]);
        // A right answer never lowers stability.
        if (grade >= 3)
            increase = std::max(increase, Number(1.0));
        return stability * increase;
    }

    Number StabilityAfterLapse(const MemoryStateOf<Number>& memory, const Number& recall) const
    {
        using std::exp;
        using std::pow;
        const Number stability = w[11] * pow(memory.difficulty, -w[12]) *
                                 (pow(memory.stability + 1, w[13]) - 1) * exp(w[14] * (1 - recall));
        // Never above what a wrong answer on the same day would leave.
        return std::min(stability, memory.stability / exp(w[17] * w[18]));
    }

    Number StabilityAfterRecall(const MemoryStateOf<Number>& memory, const Number& recall) const
    {
        using std::exp;
        using std::pow;
        return memory.stability *
               (1 + exp(w[8]) * (11 - memory.difficulty) * pow(memory.stability, -w[9]) *
                        (exp(w[10] * (1 - recall)) - 1));
    }

    // The least of the curves the question followed since its last right answer, bounded by one
    // curve: as old as the oldest of them now, and ageing as fast as the fastest. Exact while
    // there is one wrong answer since the right one, below the least of them after more.
    RecallCeilingOf<Number> CeilingBefore(const QuestionMemoryOf<Number>& memory, double day) const
    {
        const double elapsed = std::max(day - memory.lastDay, 0.0);
        RecallCeilingOf<Number> ceiling{elapsed / memory.state.stability,
                                        1 / memory.state.stability};
        if (memory.capped) {
            ceiling.age =
                std::max(ceiling.age, memory.ceiling.age + memory.ceiling.agePerDay * elapsed);
            ceiling.agePerDay = std::max(ceiling.agePerDay, memory.ceiling.agePerDay);
        }
        return ceiling;
    }

    const Weights& w;
    ForgettingCurve<Number> curve;
    Number easyDifficulty;
};
