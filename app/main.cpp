#include "app/FormMain.h"
#include "app/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    InstallQtTranslation();
    auto* main = new FormMain();
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    return app.exec();
}
