#include "app/Platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
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

bool Confirm(QWidget* parent, const QString& text, const QString& action)
{
    QMessageBox box(QMessageBox::Question, NoticeCaption, text, QMessageBox::NoButton, parent);
    QPushButton* confirm = box.addButton(action, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == confirm;
}

void ShellOpen(const QString& url)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != u"http" && scheme != u"https"))
        return;
    QDesktopServices::openUrl(address);
}

void ShowIndependent(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}
