#pragma once

#include <QList>
#include <QWidget>

class QToolButton;

// The answer card (答题卡): one cell per exam position, 1 to 50 under "选择题" and 51 to 100 under
// "判断题". It shows which positions are answered, which is on display and, in the review,
// which were answered wrongly; a click on a cell asks to go there.
class AnswerCard : public QWidget {
    Q_OBJECT
public:
    enum class Mark { Open, Answered, Wrong };

    explicit AnswerCard(QWidget* parent = nullptr);

    // marks[p - 1] for position p; current 0 for none.
    void Show(const QList<Mark>& marks, int current, bool clickable);

signals:
    void positionClicked(int position);

private:
    QList<QToolButton*> cells;
};
