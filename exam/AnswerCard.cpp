#include "exam/AnswerCard.h"

#include "exam/ExamRules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int CellsPerRow = 10;
constexpr QSize CellSize(30, 24);

// Answered cells are filled, the one on display outlined, wrong ones red.
const QString CellStyle = QStringLiteral(
    "QToolButton { border: 1px solid #a0a0a0; background: white; }"
    "QToolButton:disabled { color: #404040; }"
    "QToolButton[mark=\"answered\"] { background: #7fb2e5; }"
    "QToolButton[mark=\"wrong\"] { background: #ee8b8b; }"
    "QToolButton[current=\"true\"] { border: 2px solid #1a3f7a; }");

QString MarkName(AnswerCard::Mark mark)
{
    switch (mark) {
    case AnswerCard::Mark::Answered:
        return QStringLiteral("answered");
    case AnswerCard::Mark::Wrong:
        return QStringLiteral("wrong");
    case AnswerCard::Mark::Open:
        break;
    }
    return QStringLiteral("open");
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
            connect(cell, &QToolButton::clicked, this, [this, position] { emit positionClicked(position); });
            grid->addWidget(cell, (position - first) / CellsPerRow, (position - first) % CellsPerRow);
            cells.append(cell);
        }
        layout->addWidget(group);
    }
    layout->addStretch();
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
}
