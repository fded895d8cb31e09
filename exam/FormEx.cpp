#include "exam/FormEx.h"

#include "common/Platform.h"
#include "common/FavouriteMark.h"
#include "common/QuestionKeys.h"
#include "common/SetUpUi.h"
#include "common/Stepping.h"
#include "common/TextZoom.h"
#include "common/Study.h"
#include "bank/BankLoader.h"
#include "bank/Record.h"
#include "exam/ExamRules.h"
#include "study/StudyStore.h"
#include "ui_FormEx.h"

#include <QTimer>
#include <utility>

namespace {
const QString ChoicePrefix = QStringLiteral("0_");
const QString JudgePrefix = QStringLiteral("1_");
} // namespace

FormEx::FormEx(QWidget* parent, DrawSource drawSource)
    : QWidget(parent), ui(SetUpUi<Ui::FormEx>(this)),
      panel(ui->txt, ui->t, {ui->op_0, ui->op_1, ui->op_2}, ui->img, ui->txtExplain),
      drawSource(std::move(drawSource))
{
    ui->t->hide();
    ui->img->hide();
    ui->lblYours->hide();
    new TextZoom(this, {ui->txt, ui->txtExplain, ui->op_0, ui->op_1, ui->op_2});
    new QuestionKeys(this, {ui->op_0, ui->op_1, ui->op_2}, ui->Command1, ui->Command2);
    new FavouriteMark(this, ui->chkFavourite, panel);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TickMilliseconds);

    connect(ui->cmdStart, &QPushButton::clicked, this, &FormEx::cmdStart_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &FormEx::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FormEx::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &FormEx::Command3_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &FormEx::Command4_Click);
    connect(Timer1, &QTimer::timeout, this, &FormEx::Timer1_Timer);
    connect(ui->answerCard, &AnswerCard::positionClicked, this, &FormEx::CardClicked);
    ui->cmdStart->setFocus(); // Space starts the exam
    Form_Load();
}

FormEx::~FormEx()
{
    LeaveExam();
}

void FormEx::Form_Load()
{
    mts = 1;
    RefreshCard();
}

void FormEx::cmdStart_Click()
{
    LeaveExam();
    mblnreview = false;
    mts = 1;
    ui->txtzs->setText(CountText(ExamQuestions));
    ui->txtsy->setText(QString::number(ExamQuestions));
    ui->Command1->setEnabled(true);
    ui->Command2->setEnabled(true);
    ui->Command3->setEnabled(true);
    panel.SetOptionsEnabled(true);
    panel.Clear();
    panel.HideExplanation();
    ui->lblYours->hide();
    ui->chkFavourite->hide(); // marking waits for the review: an exam is taken as in the hall
    ui->lblVerdict->clear();
    Timer1->start();
    ui->txtsj->setText(ExamTime);
    ui->txtts->setText(PositionText(1));
    mdictpd = OrderedDict();
    mdictxz = OrderedDict();
    answers.Clear();
    if (!ReadData()) {
        AbandonStart();
        RefreshCard();
        return;
    }
    studyExam = Study().ExamStarted(BankFile);
    GotoQuestion(1, 0);
    RefreshCard();
    // Off the start button, so that Space can no longer restart the exam by accident.
    ui->txt->setFocus();
}

bool FormEx::ReadData()
{
    const LoadedBank bank = LoadBank(BankPath(), Cipher);
    if (!bank.found) {
        Notice(this, MissingBankText);
        return false;
    }
    int judgeCount = 1;
    int choiceCount = 1;
    for (const BankRecord& record : bank.records) {
        if (Record::FieldAt(record.text, Record::Kind) == Record::ChoiceKind)
            mdictxz.Add(Record::PoolKey(choiceCount++), record.text);
        else
            mdictpd.Add(Record::PoolKey(judgeCount++), record.text);
    }
    if (mdictpd.Count() < QuestionsPerKind || mdictxz.Count() < QuestionsPerKind) {
        Notice(this, QStringLiteral("题库题目不足，无法开始考试"));
        return false;
    }
    mstrpd = DrawList(static_cast<int>(mdictpd.Count()), drawSource);
    mstrxz = DrawList(static_cast<int>(mdictxz.Count()), drawSource);
    marypd = mstrpd.split(u',');
    maryxz = mstrxz.split(u',');
    return true;
}

// Without an exam to run, the window stays quiet: no clock, no question, nothing to step.
void FormEx::AbandonStart()
{
    Timer1->stop();
    SetSteppingEnabled(false);
    ui->Command3->setEnabled(false);
    ui->txtsj->clear();
    ui->txtts->clear();
    panel.ClearSelection();
    panel.SetOptionsEnabled(false);
    ui->img->clear();
    ui->img->hide();
}

void FormEx::GotoQuestion(int n, int kind)
{
    if (panel.IsOnDisplay()) {
        const QString chosen = panel.ChosenLetter();
        if (chosen != QuestionPanel::NoChoice)
            answers.Record(DisplayedId(), chosen, panel.RightAnswer());
    }
    if (n == 0 && kind == 0)
        return;

    const QString id = IdOf(n, kind);
    SetTag(ui->txtts, id);
    panel.Show(Record::Split(RecordOf(id)), Cipher, kind == 0);
    panel.ClearSelection();
    panel.Select(answers.mdictan().Item(id));
    ui->txtsy->setText(QString::number(ExamQuestions - answers.mdictan().Count()));
}

void FormEx::GotoWrongQuestion(int pos)
{
    const QString id = mdicterrxg.Item(Record::PoolKey(pos));
    const QStringList fields = Record::Split(RecordOf(id));
    panel.Show(fields, Cipher, Record::FieldOf(fields, Record::Kind) == Record::ChoiceKind);
    panel.SetOptionsEnabled(false);
    panel.Select(Record::FieldOf(fields, Record::Answer));
    panel.RevealExplanation();
    ui->lblYours->setText(QStringLiteral("你的答案：%1").arg(panel.CaptionOf(answers.mdictan().Item(id))));
    ui->lblYours->show();
}

void FormEx::Command1_Click()
{
    MoveTo(NextPosition(mts, LastPosition()));
}

void FormEx::Command2_Click()
{
    MoveTo(PreviousPosition(mts, LastPosition()));
}

void FormEx::Command3_Click()
{
    GotoQuestion(0, 0);
    SetSteppingEnabled(false);
    ShowScore();
    ui->Command4->setEnabled(answers.mdicterr().Count() >= 1);
    RefreshCard();
}

void FormEx::Command4_Click()
{
    mdicterrxg = OrderedDict();
    ui->Command3->setEnabled(false);
    ui->txtsy->clear();
    mblnreview = true;
    mts = 1;
    const QStringList wrong = answers.mdicterr().Keys();
    for (int p = 1; p <= wrong.size(); ++p)
        mdicterrxg.Add(Record::PoolKey(p), wrong[p - 1]);
    ui->txtzs->setText(CountText(static_cast<int>(wrong.size())));
    if (wrong.isEmpty()) {
        // Nothing to step through: an earlier exam left this button enabled.
        SetSteppingEnabled(false);
        RefreshCard();
        return;
    }
    SetSteppingEnabled(true);
    ui->chkFavourite->show();
    GotoWrongQuestion(1);
    ui->txtts->setText(PositionText(1));
    RefreshCard();
}

void FormEx::Timer1_Timer()
{
    const ClockTick tick = NextClockTick(ui->txtsj->text());
    if (tick.expired) {
        ShowScore();
        SetSteppingEnabled(false);
        RefreshCard();
    }
    ui->txtsj->setText(tick.text);
}

// Next and previous walk the exam's 100 positions, or the wrong answers during a review.
int FormEx::LastPosition() const
{
    return mblnreview ? static_cast<int>(answers.mdicterr().Count()) : ExamQuestions;
}

void FormEx::MoveTo(int position)
{
    mts = position;
    if (mblnreview) {
        GotoWrongQuestion(mts);
    } else {
        const ExamSlot slot = SlotOf(mts);
        GotoQuestion(slot.n, slot.kind);
    }
    ui->txtts->setText(PositionText(mts));
    RefreshCard();
}

// The exam ends with its result: the clock stops for good, showing the time that was left.
void FormEx::ShowScore()
{
    Timer1->stop();
    ShowVerdict(answers.Score());
    Study().ExamFinished(studyExam, Sheet());
    MsgBox(this, QStringLiteral("您的得分为： %1分").arg(answers.Score()),
           QStringLiteral("测试结果"), MsgIcon::Information);
}

void FormEx::ShowVerdict(int score)
{
    ui->lblVerdict->setText(VerdictText(score));
    ui->lblVerdict->setStyleSheet(score >= PassScore ? QStringLiteral("color: rgb(0, 128, 0);")
                                                     : QStringLiteral("color: rgb(192, 0, 0);"));
}

void FormEx::SetSteppingEnabled(bool enabled)
{
    ui->Command1->setEnabled(enabled);
    ui->Command2->setEnabled(enabled);
}

QString FormEx::DisplayedId() const
{
    return Tag(ui->txtts);
}

QString FormEx::IdOf(int n, int kind) const
{
    return kind == 0 ? ChoicePrefix + maryxz.value(n) : JudgePrefix + marypd.value(n);
}

QString FormEx::IdAtPosition(int position) const
{
    const ExamSlot slot = SlotOf(position);
    return IdOf(slot.n, slot.kind);
}

// The record an identity names: its prefix picks the pool, the rest is the pool number.
QString FormEx::RecordOf(const QString& id) const
{
    const OrderedDict& pool = id.startsWith(ChoicePrefix) ? mdictxz : mdictpd;
    return pool.Item(Record::PoolKey(id.mid(ChoicePrefix.size())));
}

// A cell is a shortcut for stepping: the choice on display is recorded first.
void FormEx::CardClicked(int position)
{
    if (ui->Command1->isEnabled() && !mblnreview)
        MoveTo(position);
}

// Clickable only while the exam runs; the review marks the wrong answers and outlines the
// question under review.
void FormEx::RefreshCard()
{
    QList<AnswerCard::Mark> marks;
    int current = mblnreview ? 0 : mts;
    const QString reviewed = mblnreview ? mdicterrxg.Item(Record::PoolKey(mts)) : QString();
    for (int position = 1; position <= ExamQuestions; ++position) {
        const QString id = IdAtPosition(position);
        if (mblnreview && answers.mdicterr().Exists(id))
            marks.append(AnswerCard::Mark::Wrong);
        else if (answers.mdictan().Exists(id))
            marks.append(AnswerCard::Mark::Answered);
        else
            marks.append(AnswerCard::Mark::Open);
        if (!reviewed.isEmpty() && id == reviewed)
            current = position;
    }
    if (!panel.IsOnDisplay())
        current = 0;
    ui->answerCard->Show(marks, current, ui->Command1->isEnabled() && !mblnreview);
}

// Every question of the exam with its final choice, and the score as the learner is shown it.
ExamResult FormEx::Sheet() const
{
    ExamResult sheet;
    sheet.score = answers.Score();
    sheet.answered = static_cast<int>(answers.mdictan().Count());
    sheet.secondsUsed = SecondsUsed(ui->txtsj->text());
    for (int position = 1; position <= ExamQuestions; ++position) {
        const QString id = IdAtPosition(position);
        sheet.answers.append(AnswerTo(Record::Split(RecordOf(id)), answers.mdictan().Item(id),
                                      answers.mdictgd().Exists(id)));
    }
    return sheet;
}

// An exam closed or started again before its result is abandoned in the study record.
void FormEx::LeaveExam()
{
    if (studyExam != 0)
        Study().ExamAbandoned(std::exchange(studyExam, 0));
}
