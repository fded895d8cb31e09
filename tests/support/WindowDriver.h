#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// Drives a question window as a learner does: its controls found by name, clicked with the mouse.
template <typename Window> struct WindowDriver {
    template <typename... Args> explicit WindowDriver(Args&&... args) : window(std::forward<Args>(args)...)
    {
        window.show();
    }
    Window window;

    template <typename W> W* Get(const char* name) const
    {
        auto* widget = window.template findChild<W*>(name);
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QRadioButton* Option(int i) const
    {
        return Get<QRadioButton>(qPrintable(QStringLiteral("opt%1").arg(QChar(u'A' + i))));
    }
    QString Text(const char* name) const { return Get<QLineEdit>(name)->text(); }
    QString Question() const { return Get<QPlainTextEdit>("txtQuestion")->toPlainText(); }
    bool Enabled(const char* name) const { return Get<QPushButton>(name)->isEnabled(); }

    void Click(const char* name) { QTest::mouseClick(Get<QPushButton>(name), Qt::LeftButton); }
    // On the round indicator: the button's centre may lie past its short caption.
    void Choose(int i)
    {
        QTest::mouseClick(Option(i), Qt::LeftButton, {}, QPoint(6, Option(i)->height() / 2));
    }
    void Next() { Click("cmdNext"); }
    void Previous() { Click("cmdPrevious"); }
    void Start() { Click("cmdStart"); }
};
