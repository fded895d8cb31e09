#include "practice/FormLen.h"

#include "app/Platform.h"
#include "app/SetUpUi.h"
#include "app/Stepping.h"
#include "app/Study.h"
#include "bank/BankLoader.h"
#include "study/StudyStore.h"
#include "ui_FormLen.h"

#include <QHash>

namespace {
bool IsChapterIndex(int index)
{
    return index >= 0 && index < Record::ChapterCount;
}
} // namespace

QString ChapterTitle(const QString& number)
{
    static const QStringList titles = {
        QStringLiteral("北京道路交通状况"), QStringLiteral("道路交通安全法规概述"),
        QStringLiteral("驾驶证和机动车管理"), QStringLiteral("交通信号"),
        QStringLiteral("道路通行规定"),     QStringLiteral("道路交通事故处理"),
        QStringLiteral("法律责任"),         QStringLiteral("交通道德"),
        QStringLiteral("安全驾驶常识及相关知识"), QStringLiteral("05年补充题"),
    };
    for (int k = Record::FirstChapter; k < Record::FirstChapter + Record::ChapterCount; ++k) {
        if (number == QString::number(k))
            return titles[k - Record::FirstChapter];
    }
    return {};
}

FormLen::FormLen(QWidget* parent)
    : QWidget(parent), ui(SetUpUi<Ui::FormLen>(this)),
      panel(ui->txt, ui->t, {ui->op_0, ui->op_1, ui->op_2}, ui->img)
{
    ui->t->hide();
    ui->img->hide();
    connect(ui->cbl, &QComboBox::activated, this, &FormLen::cbl_Click);
    connect(ui->cmdStart, &QPushButton::clicked, this, &FormLen::cmdStart_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &FormLen::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FormLen::Command2_Click);
    Form_Load();
}

FormLen::~FormLen() = default;

void FormLen::Form_Load()
{
    mts = 1;
    for (int k = Record::FirstChapter; k < Record::FirstChapter + Record::ChapterCount; ++k) {
        ui->cbl->addItem(ChapterTitle(QString::number(k)));
        maryzs[k - Record::FirstChapter] = 0;
    }
    ui->cbl->setCurrentIndex(-1);
    ReadData();
}

void FormLen::ReadData()
{
    Cipher = ::Cipher();
    const LoadedBank bank = LoadBank(BankPath(), Cipher);
    if (!bank.found) {
        Notice(this, MissingBankText);
        return;
    }
    for (const BankRecord& record : bank.records) {
        const auto chapter = Record::ChapterNumber(Record::FieldAt(record.text, Record::Chapter));
        if (!chapter)
            continue;
        const int index = *chapter - Record::FirstChapter;
        ++maryzs[index];
        mdictzj[index].Add(Record::PoolKey(maryzs[index]), record.text);
    }
}

void FormLen::cbl_Click()
{
    const int chapter = ui->cbl->currentIndex();
    if (!IsChapterIndex(chapter))
        return;
    ui->txtzs->setText(CountText(maryzs[chapter]));
    panel.Clear();
    SetSteppingEnabled(false);
}

void FormLen::cmdStart_Click()
{
    const int chapter = ui->cbl->currentIndex();
    if (!IsChapterIndex(chapter)) {
        Notice(this, QStringLiteral("请您先选择要练习的章节"), MsgIcon::None);
        return;
    }
    ui->txtts->setText(PositionText(1));
    // A chapter without questions has nothing to step through.
    SetSteppingEnabled(maryzs[chapter] > 0);
    mts = 1;
    GotoQuestion(1, chapter);
}

bool FormLen::GotoQuestion(int n, int chapter)
{
    if (panel.IsOnDisplay())
        RecordFirstTry();
    if (panel.IsOnDisplay() && panel.ChosenLetter() != panel.RightAnswer()) {
        ui->lbl->setText(RevealedAnswer());
        return false;
    }
    const OrderedDict* pool = PoolAt(chapter);
    const QString record = pool ? pool->Item(Record::PoolKey(n)) : QString();
    if (record.isEmpty()) {
        panel.ShowNothing();
        return true;
    }
    const QStringList fields = Record::Split(record);
    panel.Show(fields, Cipher, fields[Record::Kind] == Record::ChoiceKind);
    untried = fields;
    return true;
}

void FormLen::Command1_Click()
{
    MoveTo(NextPosition(mts, ChapterSize()));
}

void FormLen::Command2_Click()
{
    MoveTo(PreviousPosition(mts, ChapterSize()));
}

// A move happens only when the choice on display is right; otherwise mts stays.
void FormLen::MoveTo(int position)
{
    const int remembered = mts;
    mts = position;
    if (!GotoQuestion(mts, PoolIndex())) {
        mts = remembered;
        return;
    }
    ui->txtts->setText(PositionText(mts));
}

int FormLen::ChapterSize() const
{
    const OrderedDict* pool = PoolAt(PoolIndex());
    return pool ? static_cast<int>(pool->Count()) : 0;
}

void FormLen::SetSteppingEnabled(bool enabled)
{
    ui->Command1->setEnabled(enabled);
    ui->Command2->setEnabled(enabled);
}

// The right answer as the learner knows it: the letter, or 对/错 for a true/false question.
QString FormLen::RevealedAnswer() const
{
    const QString right = panel.RightAnswer();
    if (panel.IsChoiceLayout())
        return right;
    return right == u"A" ? QStringLiteral("对") : QStringLiteral("错");
}

void FormLen::PracticeQuestions(const QStringList& ids, const QString& caption)
{
    listPractice = true;
    setWindowTitle(caption);
    ui->Label1->hide();
    ui->cbl->hide();
    ui->cmdStart->hide();
    FileList(ids);
    const int count = static_cast<int>(mdictlist.Count());
    ui->txtzs->setText(CountText(count));
    ui->txtts->setText(PositionText(1));
    SetSteppingEnabled(count > 0);
    mts = 1;
    GotoQuestion(1, ListPool);
}

// The records of ids in their order, found in the chapter pools; ids the bank lacks are left out.
void FormLen::FileList(const QStringList& ids)
{
    QHash<QString, QString> byId;
    for (const OrderedDict& pool : mdictzj) {
        for (const QString& key : pool.Keys()) {
            const QString record = pool.Item(key);
            byId.insert(Record::FieldAt(record, Record::Id).toString(), record);
        }
    }
    int n = 0;
    for (const QString& id : ids) {
        if (byId.contains(id))
            mdictlist.Add(Record::PoolKey(++n), byId.value(id));
    }
}

const OrderedDict* FormLen::PoolAt(int index) const
{
    if (index == ListPool)
        return &mdictlist;
    return IsChapterIndex(index) ? &mdictzj[index] : nullptr;
}

int FormLen::PoolIndex() const
{
    return listPractice ? ListPool : ui->cbl->currentIndex();
}

// The first judgement of a question on display is the learner's attempt; tries after the right
// answer was revealed are not.
void FormLen::RecordFirstTry()
{
    if (untried.isEmpty())
        return;
    const QString chosen = panel.ChosenLetter();
    const QString letter = chosen == QuestionPanel::NoChoice ? QString() : chosen;
    Study().PracticeAnswered(BankFile, AnswerTo(untried, letter, chosen == panel.RightAnswer()));
    untried.clear();
}
