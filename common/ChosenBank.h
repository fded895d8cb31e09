#pragma once

#include "bank/BankLoader.h"

#include <QString>
#include <optional>

class Cipher;
class QWidget;

// What a window tells the learner when the chosen bank was not read whole; empty when it was.
QString BankNoticeText(const BankReading& reading);

// Loads the bank the main window chose. When it cannot be read whole (missing, not a file,
// not readable, reading failed part-way) the learner is told at once over window, and there
// is nothing to use: half a bank would pass for the whole one.
std::optional<LoadedBank> LoadChosenBank(QWidget* window, Cipher& cipher);
