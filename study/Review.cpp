#include "study/Review.h"

#include <QDateTime>
#include <algorithm>

ReviewList TodaysReview(const QStringList& bank, const Memories& memories, double now,
                        int newPerDay)
{
    struct Due {
        QString id;
        double recall;
    };
    QList<Due> due;
    QStringList fresh;
    int newToday = 0;
    for (const QString& id : bank) {
        const auto memory = memories.find(id);
        if (memory == memories.end() || memory->answers == 0) {
            fresh.append(id);
            continue;
        }
        if (CalendarDay(memory->firstDay) == CalendarDay(now))
            ++newToday;
        const double recall = memory->RecallAt(now);
        if (recall < TargetRetention)
            due.append({id, recall});
    }
    // Stable: equally remembered questions keep the bank's order.
    std::stable_sort(due.begin(), due.end(),
                     [](const Due& a, const Due& b) { return a.recall < b.recall; });
    ReviewList list;
    for (const Due& question : due)
        list.due.append(question.id);
    list.fresh = fresh.mid(0, std::max(0, newPerDay - newToday));
    return list;
}

std::optional<double> NextDue(const QStringList& bank, const Memories& memories, double now)
{
    std::optional<double> next;
    for (const QString& id : bank) {
        const auto memory = memories.find(id);
        if (memory == memories.end() || memory->answers == 0)
            continue;
        const double due = memory->DueDay();
        if (due > now && (!next || due < *next))
            next = due;
    }
    return next;
}

QString DueText(double day, double now)
{
    const QDateTime due = FromLocalDays(day);
    const QString time = due.toString(QStringLiteral("HH:mm"));
    switch (CalendarDay(day) - CalendarDay(now)) {
    case 0:
        return QStringLiteral("今天 %1").arg(time);
    case 1:
        return QStringLiteral("明天 %1").arg(time);
    default:
        return QStringLiteral("%1月%2日 %3")
            .arg(due.date().month())
            .arg(due.date().day())
            .arg(time);
    }
}

ReviewProgress::ReviewProgress(const ReviewList& list)
    : due(list.due.begin(), list.due.end()), fresh(list.fresh.begin(), list.fresh.end())
{
}

void ReviewProgress::Answered(const QString& id)
{
    if (!due.remove(id))
        fresh.remove(id);
}
