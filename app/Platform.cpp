#include "app/Platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

QString BankFile;

namespace {
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
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
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
    box.exec();
}

void ShellOpen(const QString& url)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != u"http" && scheme != u"https"))
        return;
    QDesktopServices::openUrl(address);
}
