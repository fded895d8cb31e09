#pragma once

#include <QObject>
#include <array>

class QAbstractButton;
class QWidget;

// Answering from the keyboard in a question window, wherever the focus is inside it: A/B/C or
// 1/2/3 choose an option (on a true/false question A is 对 and B is 错), → PageDown and Enter do
// what the next button does, ← and PageUp what the previous button does. A key acts only when
// its control could be clicked: enabled and on display.
class QuestionKeys : public QObject {
    Q_OBJECT
public:
    using Options = std::array<QAbstractButton*, 3>;

    QuestionKeys(QWidget* window, const Options& options, QAbstractButton* next,
                 QAbstractButton* previous);
};
