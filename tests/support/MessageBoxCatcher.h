#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Closes every modal message box as soon as it opens and remembers what it said, so tests can
// press buttons that show one. A box with one OK button is closed with it; a box that asks a
// question is answered with the next of answers. A box that opens while no catcher lives fails
// the test.
class MessageBoxCatcher : public QObject {
    Q_OBJECT
public:
    struct Seen {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
        QStringList buttons; // their captions, in the order the box was given them
        QString defaultButton;
    };

    MessageBoxCatcher();
    ~MessageBoxCatcher() override;

    QList<Seen> seen;
    // The captions to press in the questions to come, one a question, in order.
    QStringList answers;

private:
    void CloseOpenBox();
    QTimer poll;
};
