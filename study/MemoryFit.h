#pragma once

#include "study/Forecast.h"
#include "study/Memory.h"

#include <limits>
#include <optional>

// The memory model fitted to one learner: the FSRS weights that best predict their own right and
// wrong answers, pulled toward the published defaults.
//
// Each answer after a question's first is predicted from the answers before it by the answer
// model (AnswerModel.h): the guess, the memory's credit with its ceiling after a wrong answer, and
// the share known before study as a floor. The fit minimises the log loss of those predictions
// plus a normal prior around the defaults, whose spread for each weight is the spread of that
// weight over many learners' fitted weights as published with the defaults. First answers are
// left out: they depend on the share known before study alone, which is estimated apart.
//
// Only the weights right and wrong (Good and Again) answers inform are fitted: w0 and w2 (first
// stability after a wrong, a right answer), w4 to w7 (difficulty), w8 to w10 (stability after a
// right answer), w11 to w14 (after a wrong one), w17 to w19 (answers on the same day) and w20 (the
// forgetting curve's decay). w1, w3, w15 and w16 belong to the Hard and Easy grades, never given.
//
// Minimised by Fisher scoring within each weight's bounds (those FSRS's own optimiser keeps):
// Newton's method on the expected curvature of the log loss, with the derivatives carried through
// the replay. It settles in about 5 steps (10 replays) where an L-BFGS crawled for over 100 on the
// same records, the loss being flat along some weights and steep along others; with 17 weights
// it is a few dozen lines and needs no optimisation library.

// The fitted weights beat the defaults on the learner's next answers, on average and for most
// learners, once a record holds this many answers (bench_model --threshold); below it the
// defaults are kept.
constexpr int AnswersToFit = 2000;
// A larger record is fitted on the questions of a fixed sample holding about this many answers:
// it costs a little on the next answers and keeps a fit within a second (bench_model).
constexpr int MostAnswersFitted = 30000;

struct FitSettings {
    int leastAnswers = AnswersToFit;
    int mostAnswers = MostAnswersFitted;
};

struct MemoryFit {
    MemoryWeights weights;
    bool fitted = false; // false: too few answers, the defaults
    int answers = 0;     // the answers (after a question's first) the fit was scored on
    int evaluations = 0; // of the loss and its derivatives
};

// Fits the weights to the answers of the exam's questions (each in the order given).
MemoryFit FitMemory(const QHash<QString, QList<TimedAnswer>>& answers, const ExamShape& exam,
                    const FitSettings& settings = {});

// The weights fitted at most once a calendar day: a day's answers are what can move them, and one
// fit a day keeps following each answer as cheap as with the defaults.
class DailyFit
{
public:
    const MemoryWeights& WeightsFor(const QHash<QString, QList<TimedAnswer>>& answers,
                                    const ExamShape& exam, double now);

private:
    std::optional<int> fittedDay;
    MemoryWeights weights;
};

// How the model predicted the answers given from fromDay on (each from all answers before it).
struct Predictions {
    int answers = 0;
    double logLoss = 0; // summed
    // What the answers tell of a common shift, on the logit scale, of every memory's credit.
    double information = 0;
    double score = 0; // and its gradient at no shift: what they say of its direction

    double MeanLogLoss() const { return answers ? logLoss / answers : 0; }
};
Predictions PredictAnswers(const QHash<QString, QList<TimedAnswer>>& answers, const ExamShape& exam,
                           const MemoryWeights& weights, double knownBeforeStudy,
                           double fromDay = -std::numeric_limits<double>::infinity());

// That shift as the answers show it, from a prior of none with a standard deviation of half a
// logit (the default weights' recall being off by about 10 points near 80 % for a learner they do
// not fit): one Newton step of the posterior, and its standard deviation, narrowed by the answers.
// Weights fitted to a learner still leave one: they shape how memories grow and fade, and the
// learner's answers can still run above or below every one of them.
MemoryOffset MemoryOffsetOf(const Predictions& predictions);
