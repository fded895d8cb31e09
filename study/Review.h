#pragma once

#include "study/Memory.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// Today's review (今日复习): what to practise now, from every question's memory.

constexpr int DefaultNewPerDay = 20;

struct ReviewList {
    QStringList due;   // recall now below the target retention, the least remembered first
    QStringList fresh; // never answered, in the bank's order, within today's allowance
};

// The review of the bank's questions (ids in the bank's order) at moment now (local days).
// Questions first answered today use up the day's allowance of newPerDay new questions.
ReviewList TodaysReview(const QStringList& bank, const Memories& memories, double now,
                        int newPerDay);

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
    int Due() const { return static_cast<int>(due.size()); }
    int Fresh() const { return static_cast<int>(fresh.size()); }

private:
    QSet<QString> due;
    QSet<QString> fresh;
};
