#pragma once

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
};

// The chance of passing when each question of a pool is answered right with the chance given,
// independently, and perKind questions are drawn from each pool without replacement. Exact: the
// distribution of wrong answers over every possible draw, up to as many as still pass.
double PassChance(const QList<double>& choice, const QList<double>& trueFalse, int perKind,
                  int passScore);

// How often the learner answers a question right the first time: the chance given to questions
// never answered. One half before any has been.
double NewQuestionRate(const Memories& memories);

// The forecast at moment now (local days); none when a pool is too small to draw an exam from.
std::optional<double> ForecastAt(const ExamShape& exam, const Memories& memories, double now);

struct ForecastPoint {
    double day = 0; // local days
    double chance = 0;
};
// The forecast as it stood after the last answer of each day with answers, from the answers of
// each question (in the order given).
QList<ForecastPoint> ForecastHistory(const ExamShape& exam,
                                     const QHash<QString, QList<TimedAnswer>>& answers);
// The answers given before calendar day `day` began: the history up to then does not change
// with the answers of that day, so it need not be worked out again for each of them.
QHash<QString, QList<TimedAnswer>> AnswersBefore(const QHash<QString, QList<TimedAnswer>>& answers,
                                                 int day);
