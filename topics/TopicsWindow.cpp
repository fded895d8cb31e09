#include "topics/TopicsWindow.h"

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Topics.h"
#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "common/Study.h"
#include "practice/PracticeWindow.h"
#include "study/StudyStore.h"
#include "topics/TopicIndex.h"
#include "ui_TopicsWindow.h"

#include <QEvent>
#include <QHeaderView>

namespace
{
enum Column { Name, Questions, Attempted, Share };
constexpr int NumberColumnWidth = 72;

const QString ChooseText = QStringLiteral("选择一个专项，双击或按 Enter 开始练习。");
const QString NoTopicsText = QStringLiteral("本题库的题目没有标注专项，无法专项练习。");
} // namespace

TopicsWindow::TopicsWindow(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::TopicsWindow>(this))
{
    connect(ui->cmdStart, &QPushButton::clicked, this, &TopicsWindow::PractiseTopic);
    connect(ui->lstTopics, &QTreeWidget::itemActivated, this, &TopicsWindow::TopicActivated);
    connect(ui->lstTopics, &QTreeWidget::currentItemChanged, this, &TopicsWindow::ShowChoice);
    SetUpList();
}

TopicsWindow::~TopicsWindow() = default;

void TopicsWindow::SetUpList()
{
    QHeaderView* header = ui->lstTopics->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(Name, QHeaderView::Stretch);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(NumberColumnWidth);
    for (const Column number : {Questions, Attempted, Share})
        ui->lstTopics->headerItem()->setTextAlignment(number, Qt::AlignRight | Qt::AlignVCenter);
    // Rows a finger's width apart: the list is the whole window.
    ui->lstTopics->setStyleSheet(QStringLiteral("QTreeView::item { padding: 3px 4px; }"));
    ui->lstTopics->headerItem()->setToolTip(Share,
                                            QStringLiteral("练过的题中，最近一次答对的比例"));
    ReadData();
    ShowTopics();
    ui->lstTopics->setFocus(); // arrows choose a topic, Enter starts it
}

void TopicsWindow::ReadData()
{
    ::Cipher cipher;
    const auto bank = LoadChosenBank(this, cipher);
    if (!bank) {
        topicQuestions = QList<QStringList>(Topics::Names.size());
        return;
    }
    topicQuestions = QuestionsByTopic(NumberQuestions(bank->records));
}

void TopicsWindow::ShowTopics()
{
    const StudyStore& store = Study();
    const QHash<QString, bool> latest =
        store.IsRecording() ? LatestAnswers(store.Database(), BankFile) : QHash<QString, bool>();
    const int chosen = ui->lstTopics->indexOfTopLevelItem(ui->lstTopics->currentItem());
    ui->lstTopics->clear();
    bool anyQuestions = false;
    for (int i = 0; i < Topics::Names.size(); ++i) {
        const ChapterProgress progress = ProgressOf(topicQuestions[i], latest);
        auto* item = new QTreeWidgetItem(ui->lstTopics);
        item->setText(Name, Topics::Names[i]);
        item->setText(Questions, QStringLiteral("%1 题").arg(progress.questions));
        item->setText(Attempted, QStringLiteral("%1 题").arg(progress.attempted));
        item->setText(Share, ShareText(progress));
        for (const Column number : {Questions, Attempted, Share})
            item->setTextAlignment(number, Qt::AlignRight | Qt::AlignVCenter);
        // A topic without questions has nothing to practise.
        item->setDisabled(progress.questions == 0);
        anyQuestions = anyQuestions || progress.questions > 0;
    }
    ui->lblHint->setText(anyQuestions ? ChooseText : NoTopicsText);
    if (chosen >= 0)
        ui->lstTopics->setCurrentItem(ui->lstTopics->topLevelItem(chosen));
    ShowChoice();
}

int TopicsWindow::ChosenTopic() const
{
    QTreeWidgetItem* item = ui->lstTopics->currentItem();
    if (!item || item->isDisabled())
        return -1;
    return ui->lstTopics->indexOfTopLevelItem(item);
}

void TopicsWindow::ShowChoice()
{
    ui->cmdStart->setEnabled(ChosenTopic() >= 0);
}

void TopicsWindow::PractiseTopic()
{
    const int topic = ChosenTopic();
    if (topic < 0)
        return;
    auto* practice = new PracticeWindow();
    practice->PracticeQuestions(topicQuestions[topic], Topics::Names[topic]);
    ShowIndependent(practice);
}

void TopicsWindow::TopicActivated()
{
    PractiseTopic();
}

void TopicsWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ShowTopics();
}
