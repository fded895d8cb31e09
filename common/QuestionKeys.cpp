#include "common/QuestionKeys.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>
#include <initializer_list>

namespace {
void ClickIfUsable(QAbstractButton* button)
{
    if (button->isEnabled() && button->isVisible())
        button->click();
}

// Window-wide shortcuts come before the focused control's own keys, so an option button's
// arrow keys or the question text's page keys never swallow a step.
void Bind(QWidget* window, std::initializer_list<int> keys, QAbstractButton* button)
{
    for (const int key : keys) {
        auto* shortcut = new QShortcut(QKeySequence(key), window);
        QObject::connect(shortcut, &QShortcut::activated, button, [button] { ClickIfUsable(button); });
    }
}
} // namespace

QuestionKeys::QuestionKeys(QWidget* window, const Options& options, QAbstractButton* next,
                           QAbstractButton* previous)
    : QObject(window)
{
    constexpr int Keypad = Qt::KeypadModifier;
    Bind(window, {Qt::Key_A, Qt::Key_1, Keypad | Qt::Key_1}, options[0]);
    Bind(window, {Qt::Key_B, Qt::Key_2, Keypad | Qt::Key_2}, options[1]);
    Bind(window, {Qt::Key_C, Qt::Key_3, Keypad | Qt::Key_3}, options[2]);
    Bind(window, {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Return, Keypad | Qt::Key_Enter}, next);
    Bind(window, {Qt::Key_Left, Qt::Key_PageUp}, previous);

    options[0]->setToolTip(QStringLiteral("按 A 或 1 选择"));
    options[1]->setToolTip(QStringLiteral("按 B 或 2 选择"));
    options[2]->setToolTip(QStringLiteral("按 C 或 3 选择"));
    next->setToolTip(QStringLiteral("下一题：→、PageDown 或 Enter"));
    previous->setToolTip(QStringLiteral("上一题：← 或 PageUp"));
}
