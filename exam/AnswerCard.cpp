#include "exam/AnswerCard.h"

#include "exam/ExamRules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int CellsPerRow = 10;
constexpr QSize CellSize(30, 24);

// Answered cells are filled, the one on display outlined, wrong ones red, unanswered ones
// amber once the exam is handed in; the focused one carries a dotted frame.
const QString CellStyle =
    QStringLiteral("QToolButton { border: 1px solid #a0a0a0; background: white; }"
                   "QToolButton:disabled { color: #404040; }"
                   "QToolButton[mark=\"answered\"] { background: #7fb2e5; }"
                   "QToolButton[mark=\"wrong\"] { background: #ee8b8b; }"
                   "QToolButton[mark=\"unanswered\"] { background: #f2d16b; }"
                   "QToolButton[current=\"true\"] { border: 2px solid #1a3f7a; }"
                   "QToolButton:focus { border: 2px dotted #000000; }");

QString MarkName(AnswerCard::Mark mark)
{
    switch (mark) {
    case AnswerCard::Mark::Answered:
        return QStringLiteral("answered");
    case AnswerCard::Mark::Wrong:
        return QStringLiteral("wrong");
    case AnswerCard::Mark::Unanswered:
        return QStringLiteral("unanswered");
    case AnswerCard::Mark::Open:
        break;
    }
    return QStringLiteral("open");
}

// How far a key moves the focus along the card; 0 for a key the card leaves alone.
int Step(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return -1;
    case Qt::Key_Right:
        return 1;
    case Qt::Key_Up:
        return -CellsPerRow;
    case Qt::Key_Down:
        return CellsPerRow;
    case Qt::Key_Home:
        return -ExamQuestions;
    case Qt::Key_End:
        return ExamQuestions;
    default:
        return 0;
    }
}

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

AnswerCard::AnswerCard(QWidget* parent) : QWidget(parent)
{
    setStyleSheet(CellStyle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const QString& title : {QStringLiteral("选择题"), QStringLiteral("判断题")}) {
        auto* group = new QGroupBox(title, this);
        auto* grid = new QGridLayout(group);
        grid->setSpacing(2);
        const int first = static_cast<int>(cells.size()) + 1;
        for (int position = first; position < first + QuestionsPerKind; ++position) {
            auto* cell = new QToolButton(group);
            cell->setObjectName(QStringLiteral("card_%1").arg(position));
            cell->setText(QString::number(position));
            cell->setFixedSize(CellSize);
            cell->setFocusPolicy(Qt::NoFocus);
            cell->installEventFilter(this);
            connect(cell, &QToolButton::clicked, this, [this, position] { emit positionClicked(position); });
            grid->addWidget(cell, (position - first) / CellsPerRow, (position - first) % CellsPerRow);
            cells.append(cell);
        }
        layout->addWidget(group);
    }
    layout->addStretch();
    SetTabCell(1);
}

void AnswerCard::Show(const QList<Mark>& marks, int current, bool clickable)
{
    for (int i = 0; i < cells.size(); ++i) {
        QToolButton* cell = cells[i];
        cell->setEnabled(clickable);
        const QString mark = MarkName(marks.value(i, Mark::Open));
        const bool isCurrent = i + 1 == current;
        if (cell->property("mark").toString() == mark && cell->property("current").toBool() == isCurrent)
            continue;
        cell->setProperty("mark", mark);
        cell->setProperty("current", isCurrent);
        // A changed property takes effect in the style sheet only when the cell is polished again.
        cell->style()->unpolish(cell);
        cell->style()->polish(cell);
    }
    // Tab comes back to the question on display, unless the learner is moving on the card.
    if (current != 0 && !cells[tabCell - 1]->hasFocus())
        SetTabCell(current);
}

// The window's own keys (arrows step, Enter goes on) give way while a cell has the focus.
bool AnswerCard::eventFilter(QObject* watched, QEvent* event)
{
    const auto* cell = qobject_cast<QToolButton*>(watched);
    const bool isKey =
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (!cell || !isKey)
        return QWidget::eventFilter(watched, event);
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    if (keyEvent->modifiers() & ~Qt::KeypadModifier || (Step(key) == 0 && !IsEnter(key)))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return false;
    }
    const int position = static_cast<int>(cells.indexOf(cell)) + 1;
    if (IsEnter(key))
        emit positionClicked(position);
    else
        FocusCell(qBound(1, position + Step(key), ExamQuestions));
    return true;
}

void AnswerCard::FocusCell(int position)
{
    SetTabCell(position);
    cells[position - 1]->setFocus(Qt::OtherFocusReason);
}

void AnswerCard::SetTabCell(int position)
{
    cells[tabCell - 1]->setFocusPolicy(Qt::NoFocus);
    tabCell = position;
    cells[tabCell - 1]->setFocusPolicy(Qt::TabFocus);
}
