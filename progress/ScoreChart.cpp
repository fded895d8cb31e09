#include "progress/ScoreChart.h"

#include <QHash>

QList<double> ExamPositions(const QList<QDate>& days)
{
    QHash<QDate, int> perDay;
    for (const QDate& day : days)
        ++perDay[day];
    QList<double> positions;
    QHash<QDate, int> placed;
    for (const QDate& day : days) {
        const int n = perDay.value(day);
        const int k = placed[day]++;
        const double centre = static_cast<double>(days.first().daysTo(day));
        positions.append(centre - SameDaySpread / 2 + SameDaySpread * (k + 0.5) / n);
    }
    return positions;
}

int DayLabelStep(int lastDay, int most)
{
    const int spans = qMax(1, most - 1);
    for (const int step : {1, 2, 7, 14}) {
        if (lastDay <= spans * step)
            return step;
    }
    constexpr int Month = 30;
    const int months = (lastDay + spans * Month - 1) / (spans * Month);
    return months * Month;
}

QString DayLabel(const QDate& day, bool withYear)
{
    return day.toString(withYear ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("MM-dd"));
}
