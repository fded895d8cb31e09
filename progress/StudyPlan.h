#pragma once

#include "bank/BankLoader.h"
#include "study/Forecast.h"
#include "study/Plan.h"
#include "study/Review.h"

#include <QDate>
#include <QString>
#include <optional>

// The plan to the test date as the windows show it, and today's review that follows it.

// The learner's test date for a bank (考试日期); none when unset, or once it has passed.
std::optional<QDate> TestDate(const QString& bank);
void SetTestDate(const QString& bank, std::optional<QDate> date);

// The bank's questions in the order chapter practice takes them: chapter by chapter, each in the
// bank's order; records without a chapter are not practised.
QStringList ChapterOrder(const LoadedBank& bank);

// What the guidance reads of one learner at one moment, from one reading of the record.
struct Guidance {
    LearnerState learner;
    std::optional<ForecastRange> forecast; // now
    int answeredToday = 0;
};

Guidance GuidanceFor(const QString& bank, const ExamShape& exam, const QStringList& chapterOrder,
                     const QHash<QString, QList<TimedAnswer>>& answers, double now);

// The plan to the bank's test date (TestDate). mostNew: the learner's cap on new questions a day
// (每日新题); none: 自动.
StudyPlan PlanOf(const Guidance& guidance, const QString& bank, double now,
                 std::optional<int> mostNew);

// Today's review of the bank's record as the plan has it, now; from no answers when the record
// is not kept.
ReviewList TodaysReviewFor(const QString& bank, const ExamShape& exam,
                           const QStringList& chapterOrder, std::optional<int> mostNew);

// "距考试 N 天 · 每天约 M 题", "今天考试" on the day, "未定考试日期 · 每天约 M 题" without a date.
QString PlanText(const StudyPlan& plan);

// "按计划，考试当天约 NN%（LL–HH%）", with the forecast's threshold for "数据不足"; empty without a
// test date or a forecast.
QString PlanForecastText(const StudyPlan& plan, const ExamShape& exam);
