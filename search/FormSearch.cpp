#include "search/FormSearch.h"

#include "bank/BankLoader.h"
#include "bank/Numbering.h"
#include "bank/Record.h"
#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "practice/FormLen.h"
#include "search/SearchResults.h"
#include "ui_FormSearch.h"

#include <QKeyEvent>

FormSearch::FormSearch(QWidget* parent)
    : QWidget(parent), ui(SetUpUi<Ui::FormSearch>(this)), results(new SearchResults(index, this))
{
    ui->lstResults->setModel(results);
    ui->lstResults->setItemDelegate(new MatchDelegate(ui->lstResults));
    connect(ui->txtSearch, &QLineEdit::textChanged, this, &FormSearch::txtSearch_Change);
    connect(ui->txtSearch, &QLineEdit::returnPressed, this, &FormSearch::txtSearch_Enter);
    connect(ui->lstResults, &QListView::activated, this, &FormSearch::lstResults_Activated);
    ui->txtSearch->installEventFilter(this);
    Form_Load();
}

FormSearch::~FormSearch() = default;

void FormSearch::Form_Load()
{
    ReadData();
    ShowCount(0);
    ui->txtSearch->setFocus();
}

void FormSearch::ReadData()
{
    const auto bank = LoadChosenBank(this, Cipher);
    if (!bank)
        return;
    for (NumberedQuestion& question : NumberQuestions(bank->records)) {
        const QStringList fields = Record::Split(question.record);
        const QString text =
            Record::ProtectedText(fields[Record::QuestionText], Cipher).value_or(QString());
        const QString explanation = Record::ExplanationText(fields, Cipher).value_or(QString());
        index.Add({question.id, question.chapter, question.position,
                   explanation.isEmpty() ? text : text + Record::LineBreak + explanation});
    }
}

void FormSearch::txtSearch_Change()
{
    results->Show(search.Update(ui->txtSearch->text()), search.Key());
    ShowCount(search.Matches().size());
    if (!search.Matches().isEmpty())
        ui->lstResults->setCurrentIndex(results->index(0));
}

// Enter in the field opens the result chosen in the list, the first unless another was chosen.
void FormSearch::txtSearch_Enter()
{
    lstResults_Activated(ui->lstResults->currentIndex());
}

void FormSearch::lstResults_Activated(const QModelIndex& row)
{
    if (!row.isValid())
        return;
    auto* practice = new FormLen();
    practice->PracticeQuestions(results->Ids(),
                                QStringLiteral("搜题：%1").arg(ui->txtSearch->text()),
                                row.data(SearchResults::IdRole).toString());
    ShowIndependent(practice);
}

bool FormSearch::eventFilter(QObject* watched, QEvent* event)
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

void FormSearch::ShowCount(qsizetype count)
{
    if (search.Key().isEmpty())
        ui->lblCount->setText(QStringLiteral("在 %1 题的题目、选项和解释中查找").arg(index.Size()));
    else if (count == 0)
        ui->lblCount->setText(QStringLiteral("没有找到含“%1”的题目").arg(ui->txtSearch->text()));
    else
        ui->lblCount->setText(QStringLiteral("找到 %1 题").arg(count));
}
