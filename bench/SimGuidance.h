#pragma once

// The program's study guidance as the simulated learners meet it: the one place that calls the
// program's memory model, forecast and review. Another model or plan is tried by changing this
// file's .cpp alone; the harness only feeds it the record and reads what it says.

#include "study/Forecast.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Every question's answers in the order given, as the program reads them from the record
// (AnswersByQuestion): practice answers when given, a mock exam's hundred when its result shows.
using AnswerRecord = QHash<QString, QList<TimedAnswer>>;

namespace Guidance {
// The pass forecast the program shows at moment now (local days); none when it shows none.
std::optional<double> Forecast(const AnswerRecord& answers, const ExamShape& exam, double now);

// The questions the program would have the learner answer from now on, in order: at most
// `budget`, what is left of the learner's answers today. bank: every question id in the bank's
// order. testDay: the moment of the test (local days) when the learner has one.
QStringList TodaysList(const AnswerRecord& answers, const ExamShape& exam, const QStringList& bank,
                       double now, int budget, std::optional<double> testDay);

// What the plan says at moment now for a test on testDay: the answers a day, and its forecast for
// that day if they are given.
struct PlanSaid {
    int answersPerDay = 0;
    std::optional<double> chance;
};
PlanSaid Plan(const AnswerRecord& answers, const ExamShape& exam, const QStringList& bank,
              double now, double testDay);
} // namespace Guidance
