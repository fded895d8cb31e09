#include "app/FormMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Names the folder of the study record: ~/.local/share/jiaogui on Linux.
    QApplication::setApplicationName(QStringLiteral("jiaogui"));
    auto* main = new FormMain();
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    return app.exec();
}
