#pragma once

#include "study/Forecast.h"
#include "study/Memory.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// Today's review (今日复习): what to practise now, from every question's memory and the day's
// share of the plan (study/Plan.h).

// A learner as the review and the plan read them.
struct LearnerState {
    LearnerState(QStringList bank, ExamShape exam, Memories memories, MemoryWeights weights,
                 double knownBeforeStudy);
    // As the forecast read them: its memories, and the share known before study its first
    // answers give.
    LearnerState(QStringList bank, ExamShape exam, const ForecastBasis& basis,
                 const MemoryWeights& weights);
    // The chance of guessing the question right, by the exam pool it is in.
    double GuessOf(const QString& id) const { return guesses.value(id, exam.choiceGuess); }

    QStringList bank; // every question id in the order chapter practice takes them
    ExamShape exam;
    Memories memories;
    MemoryWeights weights;   // the memories were replayed with
    double knownBeforeStudy; // the answer model's floor (EstimateKnownBeforeStudy)
    MemoryOffset memoryOffset; // the basis's; none for a learner made from parts

private:
    QHash<QString, double> guesses;
};

// What a day of the plan asks.
struct DayPlan {
    int answers = 0;  // the day's answers in all, those given already included
    int leastNew = 0; // new questions kept room for whatever else is due, to cover the bank in time
    int mostNew = 0;  // new questions at most (the learner's 每日新题, or the day's answers)
    double target = 0; // the moment the answers prepare for: the test, or now without one
};

struct ReviewList {
    QStringList again; // latest answer wrong or looked up: back first, the most recent first
    QStringList due;   // recall below the target retention: the longest due first, or, when the
                       // day has no room for them all, what an answer adds first
    QStringList fresh; // never answered, in the bank's order
    int later = 0;     // due questions the day has no room for: left for the next days
};

// The review at moment now. answeredToday: answers given since the day began. The day's answers
// go to the day's least new questions, then to the questions answered wrong, then to the due
// ones, and what is left to more new ones; new questions first answered today count against the
// day's new questions. The list is in that order but for the new questions, which come last.
ReviewList TodaysReview(const LearnerState& learner, double now, const DayPlan& day,
                        int answeredToday);

// What one answer now adds to the question's chance of a right answer at target, by the model:
// the chance it is right now times what a right answer leaves at target, and so for a wrong one,
// less what is left without it. Without the guessing share, which no answer changes. The memory
// is the question's (none if never answered), the guess its chance of guessing right.
double GainOfAnswer(const LearnerState& learner, const QuestionMemory* memory, double guess,
                    double now, double target);

// The first moment after now at which one of the bank's answered questions falls due; none
// while none has been answered.
std::optional<double> NextDue(const QStringList& bank, const Memories& memories, double now);

// "今天 18:30", "明天 08:05" or "12月24日 09:00": when a moment (local days) falls, seen from now.
QString DueText(double day, double now);

// What is left of a review list as the learner answers its questions.
class ReviewProgress
{
public:
    explicit ReviewProgress(const ReviewList& list);
    // A question of the list answered for the first time leaves the count it was in.
    void Answered(const QString& id);
    int Again() const { return static_cast<int>(again.size()); }
    int Due() const { return static_cast<int>(due.size()); }
    int Fresh() const { return static_cast<int>(fresh.size()); }

private:
    QSet<QString> again;
    QSet<QString> due;
    QSet<QString> fresh;
};
