#pragma once

#include "study/Memory.h"

#include <algorithm>
#include <type_traits>

// The chance that the learner answers a question right: either they know it, or they guess.
//
//     chance = guess + (1 - guess) x known
//
// For a question answered before, `known` is what its memory is credited with
// (QuestionMemory::KnownAt), never less than the share of questions the learner knew before any
// study: a learner who has forgotten what they learnt still knows what they knew without it. For
// a question never answered, `known` is that share alone, estimated from the learner's first
// answers. Pure functions.

// Guessing among `options` equally likely answers: 1/2 for true/false, 1/3 for A/B/C.
constexpr double GuessChance(int options)
{
    return 1.0 / options;
}

// Guessing the right set of options among `options`, any non-empty set being possible: near 0.
constexpr double SetGuessChance(int options)
{
    return 1.0 / ((1 << options) - 1);
}

// The guessing chance behind one answer to a question whose options give `guess`: none for a look,
// where the learner chose nothing and showed only that they did not know.
inline double GuessBehind(const TimedAnswer& answer, double guess)
{
    return answer.look ? 0 : guess;
}

// Number is double but in the fit, which carries derivatives.
template <class Number>
    requires(!std::is_integral_v<Number>)
Number AnswerChance(double guess, const Number& known)
{
    return guess + (1 - guess) * known;
}

// What a question answered before is taken to know: its memory's credit, and never less than the
// share known before study.
template <class Number> Number KnownAbove(const Number& credit, double knownBeforeStudy)
{
    return std::max(credit, Number(knownBeforeStudy));
}

// The prior for the share of the bank's questions a learner knows before study: 30 %, as if 20
// informative first answers had shown it. With it a newcomer's expected mock-exam score is about
// 59 of 100 (the guesses of the rest included) and their pass chance nil: a driving-theory bank
// asks for fines, points, distances and speeds that everyday sense does not give, and a newcomer
// must not be told a chance they do not have. The learner's first answers move the estimate: 20
// right or wrong beyond what guessing explains (about 35 first answers) weigh as much as the prior.
constexpr double PriorKnownShare = 0.3;
constexpr double PriorWeight = 20;
// Until this many questions have been answered right at least once, neither the estimate nor the
// forecast exceeds a newcomer's: a handful of lucky or easy answers shows little. Counted on right
// answers only, so that a wrong answer can never lift the bound.
constexpr int QuestionsRightToExceedPrior = 20;

// What the learner's answers say about what they knew before study.
struct FirstAnswers {
    int count = 0;
    int right = 0;
    double guessed = 0;     // right first answers guessing alone would give: the sum of guesses
    int questionsRight = 0; // questions answered right at least once, on any answer

    void Add(const QuestionMemory& memory, double guess);
    bool RestOnAFew() const { return questionsRight < QuestionsRightToExceedPrior; }
};

// The share of questions known before study, and how many informative answers it rests on (the
// prior's weight included).
struct KnownBeforeStudy {
    double share = PriorKnownShare;
    double weight = PriorWeight;
};

// The first answers' right ones beyond what guessing gives, over the answers guessing could not
// have given (sum of 1 - guess), shrunk toward the prior; no more than the prior while the
// answers rest on a few.
KnownBeforeStudy EstimateKnownBeforeStudy(const FirstAnswers& answers);

// The estimate moved by z standard deviations of its uncertainty (a beta distribution of the
// estimate's weight), within 0 and 1 and, while the answers rest on a few, the prior.
double KnownBeforeStudyAt(const FirstAnswers& answers, double z);

// A common shift, on the logit scale, of what every memory is credited with: how far the
// learner's own answers show the model reading their memories too high (below 0) or too low, and
// how unsure that is (a standard deviation).
struct MemoryOffset {
    double shift = 0;
    double spread = 0;
};

// What a question is credited with knowing at `day`: the memory's credit moved by memoryOffset
// on the logit scale (the learner's shift for the forecast; the range moves it further), never
// below the share known before study; that share for a question never answered (no memory).
double KnownOf(const QuestionMemory* memory, double day, double knownBeforeStudy,
               double memoryOffset = 0);
