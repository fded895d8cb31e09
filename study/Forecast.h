#pragma once

#include "study/AnswerModel.h"
#include "study/Memory.h"

#include <QList>
#include <QStringList>
#include <optional>

// The pass forecast (通过把握): the chance that a mock exam drawn today scores the pass mark.

// What a mock exam is drawn from and what it takes to pass it.
struct ExamShape {
    QStringList choice;    // the choice questions' ids
    QStringList trueFalse; // the true/false questions' ids
    int perKind = 0;       // drawn at random from each
    int passScore = 0;     // right answers needed, one point each
    // The chance of a right guess in each pool: A/B/C and 对/错 unless a bank says otherwise.
    double choiceGuess = GuessChance(3);
    double trueFalseGuess = GuessChance(2);
};

// The chance of passing when each question of a pool is answered right with the chance given,
// independently, and perKind questions are drawn from each pool without replacement. Exact: the
// distribution of wrong answers over every possible draw, up to as many as still pass.
double PassChance(const QList<double>& choice, const QList<double>& trueFalse, int perKind,
                  int passScore);

// The first answers to the exam's questions (questions the bank no longer has are left out: how
// they were guessed is not known).
FirstAnswers FirstAnswersOf(const ExamShape& exam, const Memories& memories);

// The forecast at moment now (local days), each question answered right with the answer model's
// chance; none when a pool is too small to draw an exam from. No more than a newcomer's while
// the answers rest on a few.
// memoryShift: the learner's (MemoryOffset::shift).
std::optional<double> ForecastAt(const ExamShape& exam, const Memories& memories, double now,
                                 double memoryShift = 0);

// The forecast with the range the learner's chance is likely to lie in, and how many of the exam's
// questions it rests on. The model is unsure of two things that move every question together:
// the share known before study (a beta distribution around the estimate) and a shift of every
// memory's credit (on the logit scale, MemoryOffsetOf in MemoryFit.h): the forecast takes the
// shift the answers show, the low end takes both at their 10 % quantile, the high end at their
// 90 %: about an 80 % range, wider when both count.
struct ForecastRange {
    double chance = 0;
    double low = 0;
    double high = 0;
    int questions = 0; // the exam's questions answered at least once
};
// From every question's answers (in the order given), replayed with the weights given.
std::optional<ForecastRange> ForecastWithRange(const ExamShape& exam,
                                               const QHash<QString, QList<TimedAnswer>>& answers,
                                               double now, const MemoryWeights& weights = {});

// What the forecast and its range read from a record, worked out once.
struct ForecastBasis {
    Memories memories;
    FirstAnswers first;
    MemoryOffset memoryOffset; // the common shift of every memory's credit the answers show
};
ForecastBasis BasisOf(const ExamShape& exam, const QHash<QString, QList<TimedAnswer>>& answers,
                      const MemoryWeights& weights = {});
// The forecast with its range at moment day from memories (the record's, or a projection of
// them) and the offset of a basis; questions counts the first answers to the memories.
std::optional<ForecastRange> RangeAt(const ExamShape& exam, const Memories& memories,
                                     const MemoryOffset& memoryOffset, double day);

struct ForecastPoint {
    double day = 0; // local days
    double chance = 0;
};
// The forecast as it stood after the last answer of each day with answers, from the answers of
// each question (in the order given) replayed with the weights and the shift given.
QList<ForecastPoint> ForecastHistory(const ExamShape& exam,
                                     const QHash<QString, QList<TimedAnswer>>& answers,
                                     const MemoryWeights& weights = {}, double memoryShift = 0);
// The answers given before calendar day `day` began: the history up to then does not change
// with the answers of that day, so it need not be worked out again for each of them.
QHash<QString, QList<TimedAnswer>> AnswersBefore(const QHash<QString, QList<TimedAnswer>>& answers,
                                                 int day);
