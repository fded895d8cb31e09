#pragma once

#include "bank/BankLoader.h"

#include <QString>
#include <optional>

class Cipher;
class QWidget;

// What a window tells the learner when the chosen bank was not read whole; empty when it was.
QString BankNoticeText(const BankReading& reading);
// What the learner is told when the bank was read but is not the bank as written (lines
// skipped or never read, a trailer damaged or at odds with the records): how many questions
// could not be read, and that practice goes on with the rest. Empty for a bank as written.
QString DamagedBankText(const BankReading& reading);

// Loads the bank the main window chose. When it cannot be read whole (missing, not a file,
// not readable, reading failed part-way) the learner is told at once over window, and there
// is nothing to use: half a bank would pass for the whole one. A damaged bank is used as far
// as it was read, and the learner is told of it once a run, not by every window that loads it.
std::optional<LoadedBank> LoadChosenBank(QWidget* window, Cipher& cipher);
