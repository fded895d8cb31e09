#pragma once

#include <QMargins>
#include <QRect>
#include <QSettings>
#include <QString>

class QObject;
class QRect;
class QWidget;

// The chosen bank's file name, without folder; empty until the main window sets it.
extern QString BankFile;

// Where the bank files and their pict folder lie: BankFolder of the executable's folder.
QString AppPath();
// Points AppPath() elsewhere; only tests use it, to run the windows on fixture banks.
void SetAppPath(const QString& dir);
// The executable's folder when a bank file (*.dat) lies there, as in the build folder or a
// Windows folder; otherwise the installed data folder, ../share/jiaogui relative to it.
QString BankFolder(const QString& executableDir);
// The file the main window chose: BankFile in the program's folder.
QString BankPath();

// A control's Tag: a spare text every control carries, its dynamic property "tag".
QString Tag(const QObject* control);
void SetTag(QObject* control, const QString& text);

enum class MsgIcon { None = 0, Exclamation = 48, Information = 64 };

// A modal message box with one OK button; returns when the learner closes it.
void MsgBox(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon);
// A modal question with the buttons action and refusal, refusal the default (Enter and Esc
// choose it); true when the learner chose action.
bool Confirm(QWidget* parent, const QString& text, const QString& action,
             const QString& refusal = QStringLiteral("取消"));

// The notices the windows show all carry this caption.
inline const QString NoticeCaption = QStringLiteral("提示信息");
inline void Notice(QWidget* parent, const QString& text, MsgIcon icon = MsgIcon::Exclamation)
{
    MsgBox(parent, text, NoticeCaption, icon);
}

// Opens a web address in the default browser. False when it is not an http or https address
// (those are never opened) or when nothing could open it.
bool ShellOpen(const QString& url);
bool IsWebAddress(const QString& url);
// Opens a web address; when no browser takes it, tells the learner the address to copy.
void OpenLink(QWidget* parent, const QString& url);

// Installs Qt's own Chinese translation, so that its standard buttons read "确定" and not "OK".
// False when the translation is not installed.
bool InstallQtTranslation();

// The program's settings for this user: the text size, the bank and the chapter used last.
QSettings AppSettings();

// Room the desktop's frame and title bar take around a window, as far as we can know before it
// is shown.
inline constexpr QMargins FrameAllowance(8, 32, 8, 8);
// Where a window of size wanted (its minimum at least) goes within the available area of a
// screen: as large as wanted where it fits, centred, its frame within the area. Only a
// minimum larger than the area overflows it, at its right and bottom.
QRect PlaceWithin(const QSize& wanted, const QSize& minimum, const QRect& available);
// Sizes and places a window that is about to be shown on the screen the learner works on.
void PlaceOnScreen(QWidget* window);

// Shows a window that stands on its own, as every window but the main one: no owner, freed
// when closed, within the screen it opens on.
void ShowIndependent(QWidget* window);
