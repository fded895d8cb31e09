#include "support/MessageBoxCatcher.h"

#include <QApplication>
#include <QPushButton>

MessageBoxCatcher::MessageBoxCatcher()
{
    connect(&poll, &QTimer::timeout, this, &MessageBoxCatcher::CloseOpenBox);
    poll.start(0);
}

void MessageBoxCatcher::CloseOpenBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    seen.append({box->text(), box->windowTitle(), box->icon()});
    // One OK button and nothing else: what the learner would press.
    if (box->buttons().size() != 1 || box->standardButton(box->buttons().first()) != QMessageBox::Ok)
        qFatal("a message box without exactly one OK button");
    box->buttons().first()->click();
}
