#pragma once

#include <QColor>
#include <QString>
#include <functional>

// The mock exam's fixed shape.
constexpr int ExamQuestions = 100;
constexpr int QuestionsPerKind = 50; // positions 1..50 choice, 51..100 true/false
inline const QString ExamTime = QStringLiteral("45:00");
constexpr int PassScore = 90; // one point a question: 90 of 100 passes
constexpr int TickMilliseconds = 1000;
constexpr int FinalSeconds = 5 * 60; // the clock turns red with this much time left

// Draws pool numbers 1..poolSize, each value of nextValue (in [0, 1)) rounded to the nearest
// number, ties to even, 0 ignored, until QuestionsPerKind different numbers are accepted and
// at least 999 attempts counted. Returns them as ",17,5,233,". poolSize must be at least
// QuestionsPerKind, or no draw could end.
QString DrawList(int poolSize, const std::function<float()>& nextValue);

// One value for an exam draw: the shared generator, freshly reseeded from the clock.
float ClockSeededValue();

struct ClockTick {
    QString text;         // the clock after the tick, "mm:ss"
    bool expired = false; // the clock already stood at 00:00: the time is up
};

// One second off the exam clock.
ClockTick NextClockTick(const QString& clock);

// The exam time gone, in seconds, when the clock shows clock ("mm:ss").
int SecondsUsed(const QString& clock);

// True when the clock ("mm:ss") shows FinalSeconds or less: the last minutes of the exam.
bool InFinalMinutes(const QString& clock);

// "12分05秒": an exam's time used.
QString TimeUsedText(int seconds);

// "第 n 题" position n of the exam: which draw list and index shows it.
struct ExamSlot {
    int n;    // index into the draw list, 1..50
    int kind; // 0: choice pool, 1: true/false pool
};
inline ExamSlot SlotOf(int position)
{
    return position <= QuestionsPerKind ? ExamSlot{position, 0}
                                        : ExamSlot{position - QuestionsPerKind, 1};
}

// "合格" for a score of PassScore or more, "不合格" below.
inline QString VerdictText(int score)
{
    return score >= PassScore ? QStringLiteral("合格") : QStringLiteral("不合格");
}

// Right and passed in green, wrong and failed in red, wherever a result is shown.
inline const QColor RightColour(0, 128, 0);
inline const QColor WrongColour(192, 0, 0);
inline QColor VerdictColour(int score)
{
    return score >= PassScore ? RightColour : WrongColour;
}
