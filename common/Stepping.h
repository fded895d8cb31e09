#pragma once

#include <QString>

// Moving through numbered questions, in both question windows: each direction wraps around.
inline int NextPosition(int current, int last)
{
    return current + 1 > last ? 1 : current + 1;
}

inline int PreviousPosition(int current, int last)
{
    return current - 1 < 1 ? last : current - 1;
}

// "第 7 题": the question on display.
inline QString PositionText(int n)
{
    return QStringLiteral("第 %1 题").arg(n);
}

// "共 37 题": how many questions there are.
inline QString CountText(int n)
{
    return QStringLiteral("共 %1 题").arg(n);
}
