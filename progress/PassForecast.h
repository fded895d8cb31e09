#pragma once

#include "bank/BankLoader.h"
#include "study/Forecast.h"
#include "study/Memory.h"
#include "study/StudyQueries.h"

#include <QString>
#include <optional>

// The pass forecast as the windows show it, for the bank the exam window would draw from.

// What the forecast means, beside it.
inline const QString ForecastToolTip =
    QStringLiteral("今天参加一次模拟考试，得分达到 90 分（合格）的可能性，按你答过的题估计；"
                   "括号里是它多半所在的范围和所依据的题数。");

// Below this many of the exam's questions answered (or the whole bank, if smaller) the range is
// too wide to say anything a learner could act on: about one question in twelve of a full bank.
constexpr int QuestionsForAFigure = 100;

// The bank's mock exam as the exam window draws it: its two pools, the number drawn from each
// and the pass mark.
ExamShape ExamOf(const LoadedBank& bank);

// The memory weights fitted to the learner's record of bank, once a calendar day per bank.
MemoryWeights LearnerWeights(const QString& bank, const ExamShape& exam,
                             const QHash<QString, QList<TimedAnswer>>& answers, double now);

// Whether the forecast rests on too few questions for a figure (QuestionsForAFigure).
bool TooFewForAFigure(const ForecastRange& forecast, const ExamShape& exam);
// A chance as the learner reads it: a whole percentage.
int Percent(double chance);
// "LL–HH%": the range a forecast is likely to lie in.
QString RangeText(const ForecastRange& forecast);

// "通过把握：约 NN%（LL–HH%，依据 N 题）", "通过把握：数据不足（依据 N 题）" while it rests on too
// few questions; empty when there is no forecast.
QString ForecastText(const std::optional<ForecastRange>& forecast, const ExamShape& exam);

// "最近 5 次模拟考试：3 次合格" over the latest five exams at most; empty before the first.
QString RecentExamsText(const QList<FinishedExam>& exams);

// The forecast's label: the forecast, what the plan promises for the test day (planLine, may be
// empty), and the exams taken beneath them to compare.
QString ForecastLabelText(const std::optional<ForecastRange>& forecast, const ExamShape& exam,
                          const QList<FinishedExam>& exams, const QString& planLine = {});
