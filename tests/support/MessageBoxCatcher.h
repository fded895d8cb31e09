#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Closes every modal message box as soon as it opens and remembers what it said, so tests can
// press buttons that show one. A box that opens while no catcher lives fails the test.
class MessageBoxCatcher : public QObject {
    Q_OBJECT
public:
    struct Seen {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
    };

    MessageBoxCatcher();
    ~MessageBoxCatcher() override;

    QList<Seen> seen;

private:
    void CloseOpenBox();
    QTimer poll;
};
