#pragma once

#include <QList>
#include <QWidget>

class QToolButton;

// The answer card (答题卡): one cell per exam position, 1 to 50 under "选择题" and 51 to 100 under
// "判断题". It shows which positions are answered, which is on display and, once the exam is
// handed in, which were answered wrongly and which not at all; a click on a cell asks to go
// there. Tab reaches one cell; the arrow keys move among them, Home and End go to the first
// and the last, Enter and Space act as a click.
class AnswerCard : public QWidget {
    Q_OBJECT
public:
    enum class Mark { Open, Answered, Wrong, Unanswered };

    explicit AnswerCard(QWidget* parent = nullptr);

    // marks[p - 1] for position p; current 0 for none.
    void Show(const QList<Mark>& marks, int current, bool clickable);

signals:
    void positionClicked(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FocusCell(int position);
    // The one cell Tab reaches: the one last focused, or the one on display.
    void SetTabCell(int position);

    QList<QToolButton*> cells;
    int tabCell = 1;
};
