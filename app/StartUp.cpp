#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "common/Platform.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QSvgRenderer>

namespace
{
// The desktop finds the installed icon by the application id; the window's own icon is what a
// window system without it shows. Drawn once at one size with the SVG library the program
// links anyway: a scalable icon would load Qt's icon plugin and be drawn at five sizes, which
// cost more than the rest of the main window's start.
constexpr int WindowIconSize = 64;

QIcon WindowIcon()
{
    QSvgRenderer drawing(QStringLiteral(":/icons/" JIAOGUI_APP_ID ".svg"));
    const qreal ratio = qApp->devicePixelRatio();
    QImage icon(QSize(WindowIconSize, WindowIconSize) * ratio, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    drawing.render(&painter);
    painter.end();
    icon.setDevicePixelRatio(ratio);
    return QIcon(QPixmap::fromImage(icon));
}
} // namespace

MainWindow* ShowMainWindow()
{
    // Names the folder of the study record (~/.local/share/jiaogui on Linux) and the settings.
    QApplication::setApplicationName(QStringLiteral("jiaogui"));
    // The application id names the installed desktop entry and icon; the desktop matches our
    // windows to them by it. The icon set here is every window's.
    QGuiApplication::setDesktopFileName(QStringLiteral(JIAOGUI_APP_ID));
    QApplication::setWindowIcon(WindowIcon());
    InstallQtTranslation();
    auto* main = new MainWindow();
    main->setAttribute(Qt::WA_DeleteOnClose);
    PlaceOnScreen(main);
    main->show();
    return main;
}
