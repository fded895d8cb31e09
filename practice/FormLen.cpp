#include "practice/FormLen.h"

#include "app/Platform.h"
#include "app/SetUpUi.h"
#include "app/Stepping.h"
#include "bank/BankLoader.h"
#include "ui_FormLen.h"

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
    if (panel.IsOnDisplay() && panel.ChosenLetter() != panel.RightAnswer()) {
        ui->lbl->setText(RevealedAnswer());
        return false;
    }
    const QString record = IsChapterIndex(chapter)
                               ? mdictzj[chapter].Item(Record::PoolKey(n))
                               : QString();
    if (record.isEmpty()) {
        panel.ShowNothing();
        return true;
    }
    const QStringList fields = Record::Split(record);
    panel.Show(fields, Cipher, fields[Record::Kind] == Record::ChoiceKind);
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
    if (!GotoQuestion(mts, ui->cbl->currentIndex())) {
        mts = remembered;
        return;
    }
    ui->txtts->setText(PositionText(mts));
}

int FormLen::ChapterSize() const
{
    const int chapter = ui->cbl->currentIndex();
    return IsChapterIndex(chapter) ? maryzs[chapter] : 0;
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
