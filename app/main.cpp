#include "app/FormMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    auto* main = new FormMain();
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    return app.exec();
}
