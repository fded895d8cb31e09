#include "support/MessageBoxCatcher.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace {
int catchersAlive = 0;

QMessageBox* OpenBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box && box->isVisible() ? box : nullptr;
}

// A box no catcher expects would wait for a click that never comes: fail the test at once
// and close the box, so the run goes on.
void FailOnUnexpectedBox()
{
    QMessageBox* box = catchersAlive == 0 ? OpenBox() : nullptr;
    if (!box)
        return;
    const QByteArray text = box->text().toUtf8();
    box->done(0);
    QTest::qFail("a message box no test expected: " + text, __FILE__, __LINE__);
}

// Every test process watches, from the start, without a test asking for it.
void WatchForUnexpectedBoxes()
{
    auto* watch = new QTimer(QCoreApplication::instance());
    QObject::connect(watch, &QTimer::timeout, &FailOnUnexpectedBox);
    watch->start(20);
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForUnexpectedBoxes)

MessageBoxCatcher::MessageBoxCatcher()
{
    ++catchersAlive;
    connect(&poll, &QTimer::timeout, this, &MessageBoxCatcher::CloseOpenBox);
    poll.start(0);
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    --catchersAlive;
}

void MessageBoxCatcher::CloseOpenBox()
{
    QMessageBox* box = OpenBox();
    if (!box)
        return;
    QStringList captions;
    for (QAbstractButton* button : box->buttons())
        captions.append(button->text());
    const QPushButton* preset = box->defaultButton();
    seen.append({box->text(), box->windowTitle(), box->icon(), captions,
                 preset ? preset->text() : QString()});
    // One OK button and nothing else: what the learner would press.
    const QList<QAbstractButton*> buttons = box->buttons();
    if (buttons.size() == 1 && box->standardButton(buttons.first()) == QMessageBox::Ok) {
        buttons.first()->click();
        return;
    }
    if (answers.isEmpty())
        qFatal("a question no test answers: %s", qPrintable(box->text()));
    const QString answer = answers.takeFirst();
    if (!captions.contains(answer))
        qFatal("a question without the button %s", qPrintable(answer));
    buttons[captions.indexOf(answer)]->click();
}
