#include "study/AnswerModel.h"

#include <algorithm>
#include <cmath>

namespace {
double Logit(double p)
{
    return std::log(p / (1 - p));
}

double Logistic(double x)
{
    return 1 / (1 + std::exp(-x));
}

// Certainty and its absence stay put: the offset moves what the model is unsure of.
double ShiftedOnLogitScale(double p, double offset)
{
    if (offset == 0 || p <= 0 || p >= 1)
        return p;
    return Logistic(Logit(p) + offset);
}

double WithinPrior(const FirstAnswers& answers, double share)
{
    share = std::clamp(share, 0.0, 1.0);
    return answers.RestOnAFew() ? std::min(share, PriorKnownShare) : share;
}
} // namespace

void FirstAnswers::Add(const QuestionMemory& memory, double guess)
{
    if (memory.answers == 0)
        return;
    ++count;
    right += memory.firstRight;
    guessed += memory.firstLooked ? 0 : guess;
    questionsRight += memory.answeredRight;
}

KnownBeforeStudy EstimateKnownBeforeStudy(const FirstAnswers& answers)
{
    const double informative = answers.count - answers.guessed;
    const double weight = informative + PriorWeight;
    const double beyondGuessing = answers.right - answers.guessed;
    return {WithinPrior(answers, (beyondGuessing + PriorKnownShare * PriorWeight) / weight),
            weight};
}

double KnownBeforeStudyAt(const FirstAnswers& answers, double z)
{
    const KnownBeforeStudy estimate = EstimateKnownBeforeStudy(answers);
    const double spread = std::sqrt(estimate.share * (1 - estimate.share) / (estimate.weight + 1));
    return WithinPrior(answers, estimate.share + z * spread);
}

double KnownOf(const QuestionMemory* memory, double day, double knownBeforeStudy,
               double memoryOffset)
{
    if (!memory || memory->answers == 0)
        return knownBeforeStudy;
    return KnownAbove(ShiftedOnLogitScale(memory->KnownAt(day), memoryOffset), knownBeforeStudy);
}
