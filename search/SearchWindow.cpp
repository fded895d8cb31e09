#include "search/SearchWindow.h"

#include "bank/BankLoader.h"
#include "bank/Numbering.h"
#include "bank/Record.h"
#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "practice/PracticeWindow.h"
#include "search/SearchResults.h"
#include "ui_SearchWindow.h"

#include <QKeyEvent>

SearchWindow::SearchWindow(QWidget* parent)
    : QWidget(parent), ui(SetUpUi<Ui::SearchWindow>(this)), results(new SearchResults(index, this))
{
    ui->lstResults->setModel(results);
    ui->lstResults->setItemDelegate(new MatchDelegate(ui->lstResults));
    connect(ui->txtSearch, &QLineEdit::textChanged, this, &SearchWindow::QueryChanged);
    connect(ui->txtSearch, &QLineEdit::returnPressed, this, &SearchWindow::OpenCurrentResult);
    connect(ui->lstResults, &QListView::activated, this, &SearchWindow::OpenResult);
    ui->txtSearch->installEventFilter(this);
    LoadIndex();
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::LoadIndex()
{
    ReadData();
    ShowCount(0);
    ui->txtSearch->setFocus();
}

void SearchWindow::ReadData()
{
    const auto bank = LoadChosenBank(this, cipher);
    if (!bank)
        return;
    for (NumberedQuestion& question : NumberQuestions(bank->records)) {
        const QStringList fields = Record::Split(question.record);
        const QString text =
            Record::ProtectedText(fields[Record::QuestionText], cipher).value_or(QString());
        const QString explanation = Record::ExplanationText(fields, cipher).value_or(QString());
        index.Add({question.id, question.chapter, question.position,
                   explanation.isEmpty() ? text : text + Record::LineBreak + explanation});
    }
}

void SearchWindow::QueryChanged()
{
    results->Show(search.Update(ui->txtSearch->text()), search.Key());
    ShowCount(search.Matches().size());
    if (!search.Matches().isEmpty())
        ui->lstResults->setCurrentIndex(results->index(0));
}

// Enter in the field opens the result chosen in the list, the first unless another was chosen.
void SearchWindow::OpenCurrentResult()
{
    OpenResult(ui->lstResults->currentIndex());
}

void SearchWindow::OpenResult(const QModelIndex& row)
{
    if (!row.isValid())
        return;
    auto* practice = new PracticeWindow();
    practice->PracticeQuestions(results->Ids(),
                                QStringLiteral("搜题：%1").arg(ui->txtSearch->text()),
                                row.data(SearchResults::IdRole).toString());
    ShowIndependent(practice);
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->txtSearch && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(ui->lstResults, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchWindow::ShowCount(qsizetype count)
{
    if (search.Key().isEmpty())
        ui->lblCount->setText(QStringLiteral("在 %1 题的题目、选项和解释中查找").arg(index.Size()));
    else if (count == 0)
        ui->lblCount->setText(QStringLiteral("没有找到含“%1”的题目").arg(ui->txtSearch->text()));
    else
        ui->lblCount->setText(QStringLiteral("找到 %1 题").arg(count));
}
