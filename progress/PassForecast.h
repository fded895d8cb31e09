#pragma once

#include "bank/BankLoader.h"
#include "study/Forecast.h"

#include <QString>
#include <optional>

// The pass forecast as the windows show it, for the bank the exam window would draw from.

// What the forecast means, beside it.
inline const QString ForecastToolTip =
    QStringLiteral("今天参加一次模拟考试，得分达到 90 分（合格）的可能性。");

// The bank's mock exam as the exam window draws it: its two pools, the number drawn from each
// and the pass mark.
ExamShape ExamOf(const LoadedBank& bank);

// "通过把握：NN%"; empty when there is no forecast.
QString ForecastText(std::optional<double> chance);
