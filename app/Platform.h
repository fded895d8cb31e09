#pragma once

#include <QString>

class QWidget;

// The chosen bank's file name, without folder; empty until the main window sets it.
extern QString BankFile;

// The program's folder: where the executable lies.
QString AppPath();
// Points AppPath() elsewhere; only tests use it, to run the windows on fixture banks.
void SetAppPath(const QString& dir);

enum class MsgIcon { None = 0, Exclamation = 48, Information = 64 };

// A modal message box with one OK button; returns when the learner closes it.
void MsgBox(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon);

// Opens a web address in the default browser; anything but http and https is ignored.
void ShellOpen(const QString& url);
