#include "common/Platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

QString BankFile;

namespace
{
// Where `cmake --install` puts the bank, seen from the executable; relative, so that a package
// moved to another prefix or staged under DESTDIR still finds it.
const QString InstalledBankFolder = QStringLiteral("../share/jiaogui");
const QString BankFilePattern = QStringLiteral("*.dat");

QString& AppPathOverride()
{
    static QString dir;
    return dir;
}

QMessageBox::Icon ToQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QString AppPath()
{
    const QString& dir = AppPathOverride();
    if (!dir.isEmpty())
        return dir;
    // Decided once: the folder does not move while the program runs, and listing /usr/bin for
    // every picture would be wasted work.
    static const QString bankFolder = BankFolder(QCoreApplication::applicationDirPath());
    return bankFolder;
}

QString BankFolder(const QString& executableDir)
{
    const QDir beside(executableDir);
    if (!beside.entryList({BankFilePattern}, QDir::Files).isEmpty())
        return beside.path();
    return QDir::cleanPath(beside.filePath(InstalledBankFolder));
}

void SetAppPath(const QString& dir)
{
    AppPathOverride() = dir;
}

QString BankPath()
{
    return QDir(AppPath()).filePath(BankFile);
}

QString Tag(const QObject* control)
{
    return control->property("tag").toString();
}

void SetTag(QObject* control, const QString& text)
{
    control->setProperty("tag", text);
}

void MsgBox(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon)
{
    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::Ok, parent);
    // A learner may need to copy what a box says, such as an address.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

bool Confirm(QWidget* parent, const QString& text, const QString& action, const QString& refusal)
{
    QMessageBox box(QMessageBox::Question, NoticeCaption, text, QMessageBox::NoButton, parent);
    QPushButton* confirm = box.addButton(action, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(refusal, QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == confirm;
}

bool IsWebAddress(const QString& url)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    return address.isValid() && (scheme == u"http" || scheme == u"https");
}

bool ShellOpen(const QString& url)
{
    return IsWebAddress(url) && QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode));
}

void OpenLink(QWidget* parent, const QString& url)
{
    if (!IsWebAddress(url) || ShellOpen(url))
        return;
    Notice(parent,
           QStringLiteral("无法打开浏览器。请复制下面的网址，在浏览器中打开：\n%1").arg(url),
           MsgIcon::Information);
}

bool InstallQtTranslation()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QSettings AppSettings()
{
    const QString name = QCoreApplication::applicationName();
    return QSettings(name, name);
}

QRect PlaceWithin(const QSize& wanted, const QSize& minimum, const QRect& available)
{
    const QRect room = available - FrameAllowance;
    const QSize size = wanted.boundedTo(room.size()).expandedTo(minimum);
    QRect placed(QPoint(), size);
    placed.moveCenter(room.center());
    placed.moveLeft(std::max(placed.left(), room.left()));
    placed.moveTop(std::max(placed.top(), room.top()));
    return placed;
}

void PlaceOnScreen(QWidget* window)
{
    // The screen of the window the learner opened it from, else the primary one.
    const QWidget* from = QApplication::activeWindow();
    const QScreen* screen = from ? from->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->setGeometry(PlaceWithin(window->size(),
                                    window->minimumSizeHint().expandedTo(window->minimumSize()),
                                    screen->availableGeometry()));
}

void ShowIndependent(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    PlaceOnScreen(window);
    window->show();
}
