#pragma once

#include <QString>

class QObject;
class QWidget;

// The chosen bank's file name, without folder; empty until the main window sets it.
extern QString BankFile;

// The program's folder: where the executable lies.
QString AppPath();
// Points AppPath() elsewhere; only tests use it, to run the windows on fixture banks.
void SetAppPath(const QString& dir);

// A control's Tag: a spare text every control carries, its dynamic property "tag".
QString Tag(const QObject* control);
void SetTag(QObject* control, const QString& text);

enum class MsgIcon { None = 0, Exclamation = 48, Information = 64 };

// A modal message box with one OK button; returns when the learner closes it.
void MsgBox(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon);
// A modal question with the buttons action and 取消; true when the learner chose action.
bool Confirm(QWidget* parent, const QString& text, const QString& action);

// The notices the windows show all carry this caption.
inline const QString NoticeCaption = QStringLiteral("提示信息");
inline void Notice(QWidget* parent, const QString& text, MsgIcon icon = MsgIcon::Exclamation)
{
    MsgBox(parent, text, NoticeCaption, icon);
}

// Opens a web address in the default browser; anything but http and https is ignored.
void ShellOpen(const QString& url);

// Shows a window that stands on its own, as every window but the main one: no owner, freed
// when closed.
void ShowIndependent(QWidget* window);
