#include "exam/ExamRules.h"

#include "bank/Generator.h"

#include <QSet>
#include <QStringList>
#include <cmath>

namespace {
constexpr int MinimumAttempts = 1000;
constexpr int SecondsPerMinute = 60;

struct ClockParts {
    int minutes;
    int seconds;
};

// "mm:ss" as read off the clock box.
ClockParts ReadClock(const QString& clock)
{
    const QStringList parts = clock.split(u':');
    return {parts.value(0).toInt(), parts.value(1).toInt()};
}

int ClockSeconds(const QString& clock)
{
    const ClockParts parts = ReadClock(clock);
    return parts.minutes * SecondsPerMinute + parts.seconds;
}

QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}
} // namespace

QString DrawList(int poolSize, const std::function<float()>& nextValue)
{
    Q_ASSERT(poolSize >= QuestionsPerKind);
    QString list = QStringLiteral(",");
    QSet<int> drawn;
    int accepted = 1;
    int attempts = 1;
    while (accepted <= QuestionsPerKind || attempts < MinimumAttempts) {
        // std::nearbyint rounds an exact half to the even neighbour.
        const float scaled = nextValue() * static_cast<float>(poolSize);
        const int r = static_cast<int>(std::nearbyint(scaled));
        if (r == 0)
            continue;
        if (!drawn.contains(r)) {
            drawn.insert(r);
            list += QString::number(r) + u',';
            ++accepted;
        }
        ++attempts;
    }
    return list;
}

float ClockSeededValue()
{
    Generator& generator = Generator::Shared();
    generator.ReseedFromClock();
    return generator.Next();
}

ClockTick NextClockTick(const QString& clock)
{
    auto [m, s] = ReadClock(clock);
    bool expired = false;
    if (s >= 1) {
        --s;
    } else if (m >= 1) {
        --m;
        s = SecondsPerMinute - 1;
    } else {
        expired = true;
    }
    return {TwoDigits(m) + u':' + TwoDigits(s), expired};
}

int SecondsUsed(const QString& clock)
{
    return ClockSeconds(ExamTime) - ClockSeconds(clock);
}

bool InFinalMinutes(const QString& clock)
{
    return ClockSeconds(clock) <= FinalSeconds;
}

QString TimeUsedText(int seconds)
{
    return QStringLiteral("%1分%2秒")
        .arg(seconds / SecondsPerMinute)
        .arg(TwoDigits(seconds % SecondsPerMinute));
}
