#pragma once

#include "study/Forecast.h"
#include "study/Review.h"

#include <array>
#include <optional>

// A plan to the test date (考试日期): how many answers a day bring the forecast for the test day
// to PlanTarget, and what today's review asks of today. Without a test date it plans the same way
// for a test DaysWithoutATestDate away: a steady pace that covers the bank. Pure functions.
//
// The plan projects the learner forward with the model itself: each day until the test, today's
// review of that day is answered, each answer right with the model's chance of it (drawn the same
// for every pace tried, so that paces compare fairly), and the forecast is read on the test
// morning. The answers a day are the fewest of PaceLadder whose projection reaches PlanTarget;
// the most when none does.

constexpr double PlanTarget = 0.9;
constexpr int DaysWithoutATestDate = 30;
// Every question is met for the first time within this share of the days left, so that the rest
// of them can bring back what was missed.
constexpr double ShareOfDaysToCoverTheBank = 0.5;
// The paces a plan chooses from: finer where learners practise, coarser beyond ("每天约 M 题").
constexpr std::array PaceLadder = {10,  20,  30,  40,  50,  60,  70, 80,
                                   100, 120, 150, 200, 250, 300, 400};
constexpr int MostAnswersPerDay = PaceLadder.back();
// When in their day the projected learner practises, and when the test begins (local hours).
constexpr double PractiseAtHour = 18;
constexpr double TestAtHour = 9;

struct PlanRequest {
    std::optional<int> testDay; // the calendar day of the test; none without one
    std::optional<int> mostNew; // the learner's cap on new questions a day; none: 自动
    int answeredToday = 0;      // answers given since today began
    std::optional<int> lastPace; // the pace last planned, if any: tried first
};

struct StudyPlan {
    std::optional<int> daysLeft; // whole days before the test day; none without a test date
    bool reachesTarget = false; // within MostAnswersPerDay
    // The forecast for the test day (or DaysWithoutATestDate away) if the plan is kept; its
    // questions are the record's, not the projection's.
    std::optional<ForecastRange> onTestDay;
    DayPlan today; // its answers are the plan's answers a day
};

StudyPlan PlanFor(const LearnerState& learner, double now, const PlanRequest& request);

// Today's day of the plan but for its pace (answers 0): the least and most new questions and the
// target. Cheap: no projection.
DayPlan PlanOfTheDay(const LearnerState& learner, double now, const PlanRequest& request);

// The learner's memories at the moment `until`, after every day from now on goes as `day` says.
Memories Projected(const LearnerState& learner, double now, double until, const DayPlan& day,
                   int answeredToday);
