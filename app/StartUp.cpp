#include "app/StartUp.h"

#include "app/FormMain.h"
#include "common/Platform.h"

#include <QApplication>
#include <QIcon>

FormMain* ShowMainWindow()
{
    // Names the folder of the study record (~/.local/share/jiaogui on Linux) and the settings.
    QApplication::setApplicationName(QStringLiteral("jiaogui"));
    // The application id names the installed desktop entry and icon; the desktop matches our
    // windows to them by it. The icon set here is every window's.
    QGuiApplication::setDesktopFileName(QStringLiteral(JIAOGUI_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" JIAOGUI_APP_ID ".svg")));
    InstallQtTranslation();
    auto* main = new FormMain();
    main->setAttribute(Qt::WA_DeleteOnClose);
    PlaceOnScreen(main);
    main->show();
    return main;
}
