#pragma once

#include <QApplication>
#include <QWidget>

// The shown top-level window of type W, as a window opens it on its own; nullptr when none is.
template <typename W> W* ShownWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<W*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

// Closes every top-level window and deletes those that go when closed, so that the next case
// starts with none and with the record no longer in use by any.
inline void CloseAllWindows()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
