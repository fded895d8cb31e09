#include "exam/FormEx.h"

#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/FavouriteMark.h"
#include "common/QuestionKeys.h"
#include "common/SetUpUi.h"
#include "common/Stepping.h"
#include "common/TextZoom.h"
#include "common/Study.h"
#include "bank/Record.h"
#include "exam/ExamRules.h"
#include "study/StudyStore.h"
#include "ui_FormEx.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QTimer>
#include <utility>

namespace {
const QString ChoicePrefix = QStringLiteral("0_");
const QString JudgePrefix = QStringLiteral("1_");
// The safe answer to every question the exam asks, and the one Enter and Esc choose.
const QString KeepGoing = QStringLiteral("继续考试");

QString ScoreText(int score)
{
    return QStringLiteral("您的得分为： %1分").arg(score);
}

// Shows the text of control in colour; an invalid colour gives it back its usual one.
void SetInk(QWidget* control, const QColor& colour)
{
    const QString sheet =
        colour.isValid() ? QStringLiteral("color: %1;").arg(colour.name()) : QString();
    if (control->styleSheet() != sheet)
        control->setStyleSheet(sheet);
}

// A button's key, set and named in its tooltip.
void SetKey(QAbstractButton* button, const QKeySequence& key, const QString& what)
{
    button->setShortcut(key);
    button->setToolTip(QStringLiteral("%1：%2").arg(what, key.toString(QKeySequence::NativeText)));
}
} // namespace

FormEx::FormEx(QWidget* parent, DrawSource drawSource)
    : QWidget(parent), ui(SetUpUi<Ui::FormEx>(this)),
      panel(ui->txt, ui->t, {ui->op_0, ui->op_1, ui->op_2}, ui->img, ui->txtExplain),
      drawSource(std::move(drawSource))
{
    ui->t->hide();
    ui->img->hide();
    ui->lblYours->hide();
    ui->lblRight->hide();
    ui->frameResult->hide();
    SetKey(ui->cmdStart, QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("开始考试"));
    SetKey(ui->Command3, QKeySequence(Qt::CTRL | Qt::Key_J), QStringLiteral("交卷"));
    SetKey(ui->Command4, QKeySequence(Qt::CTRL | Qt::Key_R), QStringLiteral("错题复习"));
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
    for (QRadioButton* option : {ui->op_0, ui->op_1, ui->op_2})
        connect(option, &QRadioButton::clicked, this, &FormEx::ChoiceMade);
    ui->cmdStart->setFocus(); // Space starts the exam
    Form_Load();
}

FormEx::~FormEx()
{
    LeaveExam();
    Study().Checkpoint();
}

void FormEx::Form_Load()
{
    mts = 1;
    RefreshCard();
}

void FormEx::cmdStart_Click()
{
    if (Running() && AnsweredCount() > 0 &&
        !Confirm(this, QStringLiteral("放弃本次考试，重新开始吗？"), QStringLiteral("重新开始"),
                 KeepGoing))
        return;
    LeaveExam();
    mblnreview = false;
    mblnended = false;
    mts = 1;
    ui->txtzs->setText(CountText(ExamQuestions));
    ui->txtsy->setText(QString::number(ExamQuestions));
    ui->Command1->setEnabled(true);
    ui->Command2->setEnabled(true);
    ui->Command3->setEnabled(true);
    // The review belongs to a handed-in exam: during a run it would show right answers.
    ui->Command4->setEnabled(false);
    panel.SetOptionsEnabled(true);
    panel.Clear();
    panel.HideExplanation();
    ui->lblYours->hide();
    ui->lblRight->hide();
    ui->frameResult->hide();
    ui->chkFavourite->hide(); // marking waits for the review: an exam is taken as in the hall
    ui->lblVerdict->clear();
    Timer1->start();
    ShowClock(ExamTime);
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
    const auto bank = LoadChosenBank(this, Cipher);
    if (!bank)
        return false;
    int judgeCount = 1;
    int choiceCount = 1;
    for (const BankRecord& record : bank->records) {
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
    ShowRemaining();
}

void FormEx::GotoWrongQuestion(int pos)
{
    ShowReviewed(mdicterrxg.Item(Record::PoolKey(pos)));
}

// A question of the handed-in exam: its right answer selected and named, the learner's answer
// beside it, its explanation below.
void FormEx::ShowReviewed(const QString& id)
{
    const QStringList fields = Record::Split(RecordOf(id));
    panel.Show(fields, Cipher, Record::FieldOf(fields, Record::Kind) == Record::ChoiceKind);
    panel.SetOptionsEnabled(false);
    const QString right = Record::FieldOf(fields, Record::Answer);
    panel.Select(right);
    panel.RevealExplanation();
    ui->lblRight->setText(QStringLiteral("正确答案：%1").arg(panel.CaptionOf(right)));
    SetInk(ui->lblRight, RightColour);
    ui->lblRight->show();
    const bool answered = answers.mdictan().Exists(id);
    ui->lblYours->setText(QStringLiteral("你的答案：%1")
                              .arg(answered ? panel.CaptionOf(answers.mdictan().Item(id))
                                            : QStringLiteral("未作答")));
    QColor ink; // 未作答 in the usual colour
    if (answered)
        ink = answers.mdictgd().Exists(id) ? RightColour : WrongColour;
    SetInk(ui->lblYours, ink);
    ui->lblYours->show();
}

int FormEx::AnsweredCount() const
{
    const bool onlyOnDisplay = HasChoiceOnDisplay() && !answers.mdictan().Exists(DisplayedId());
    return static_cast<int>(answers.mdictan().Count()) + (onlyOnDisplay ? 1 : 0);
}

// The exam runs from its start until it is handed in.
bool FormEx::Running() const
{
    return Timer1->isActive();
}

// A choice made on the question on display, recorded only when the learner leaves it.
bool FormEx::HasChoiceOnDisplay() const
{
    return Running() && panel.IsOnDisplay() && panel.ChosenLetter() != QuestionPanel::NoChoice;
}

bool FormEx::IsAnswered(const QString& id) const
{
    return answers.mdictan().Exists(id) || (HasChoiceOnDisplay() && id == DisplayedId());
}

void FormEx::ChoiceMade()
{
    if (!Running())
        return;
    ShowRemaining();
    RefreshCard();
}

void FormEx::ShowRemaining()
{
    ui->txtsy->setText(QString::number(ExamQuestions - AnsweredCount()));
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
    const int open = ExamQuestions - AnsweredCount();
    if (open > 0 && !Confirm(this, QStringLiteral("还有 %1 题未答，确定交卷吗？").arg(open),
                             QStringLiteral("确定交卷"), KeepGoing))
        return;
    // The time may have run out while the learner was asked: that hand-in stands.
    if (Running())
        HandIn(QString());
}

// Enabled only after a hand-in with wrong answers.
void FormEx::Command4_Click()
{
    mdicterrxg = OrderedDict();
    ui->txtsy->clear();
    mblnreview = true;
    mts = 1;
    const QStringList wrong = answers.mdicterr().Keys();
    for (int p = 1; p <= wrong.size(); ++p)
        mdicterrxg.Add(Record::PoolKey(p), wrong[p - 1]);
    ui->txtzs->setText(CountText(static_cast<int>(wrong.size())));
    SetSteppingEnabled(true);
    ui->chkFavourite->show();
    GotoWrongQuestion(1);
    ui->txtts->setText(PositionText(1));
    RefreshCard();
}

void FormEx::Timer1_Timer()
{
    const ClockTick tick = NextClockTick(ui->txtsj->text());
    ShowClock(tick.text);
    if (tick.expired)
        HandIn(QStringLiteral("考试时间到\n"));
}

void FormEx::ShowClock(const QString& clock)
{
    ui->txtsj->setText(clock);
    SetInk(ui->txtsj, InFinalMinutes(clock) ? WrongColour : QColor());
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

// The exam ends with its result, the choice on display counted: the clock stops for good,
// showing the time that was left, and the score never changes again. The question on display
// turns to its review.
void FormEx::HandIn(const QString& reason)
{
    GotoQuestion(0, 0);
    Timer1->stop();
    mblnended = true;
    SetSteppingEnabled(false);
    ui->Command3->setEnabled(false);
    ui->Command4->setEnabled(answers.mdicterr().Count() >= 1);
    ShowRemaining();
    ShowResult();
    ShowFinishedQuestion(mts);
    Study().ExamFinished(studyExam, Sheet());
    Study().Checkpoint();
    MsgBox(this, reason + ScoreText(answers.Score()), QStringLiteral("测试结果"),
           MsgIcon::Information);
}

void FormEx::ShowResult()
{
    const int score = answers.Score();
    ui->lblScore->setText(QStringLiteral("%1分").arg(score));
    ui->lblVerdict->setText(VerdictText(score));
    SetInk(ui->lblVerdict, VerdictColour(score));
    ui->lblWrongCount->setText(QStringLiteral("答错：%1 题").arg(answers.mdicterr().Count()));
    ui->lblUnanswered->setText(
        QStringLiteral("未答：%1 题").arg(ExamQuestions - answers.mdictan().Count()));
    ui->lblTimeUsed->setText(
        QStringLiteral("用时：%1").arg(TimeUsedText(SecondsUsed(ui->txtsj->text()))));
    ui->frameResult->show();
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

// While the exam runs a cell is a shortcut for stepping: the choice on display is recorded
// first. Once it is handed in, a cell shows its question as the review does; during the
// review of the wrong answers, a wrong one is stepped to.
void FormEx::CardClicked(int position)
{
    if (Running()) {
        MoveTo(position);
        return;
    }
    if (!mblnended)
        return;
    const int reviewPosition = mblnreview ? ReviewPositionOf(IdAtPosition(position)) : 0;
    if (reviewPosition > 0)
        MoveTo(reviewPosition);
    else
        ShowFinishedQuestion(position);
}

// Exam position `position` of a handed-in exam, outside the walk through the wrong answers.
void FormEx::ShowFinishedQuestion(int position)
{
    mblnreview = false;
    mts = position;
    SetSteppingEnabled(false);
    ShowReviewed(IdAtPosition(position));
    ui->txtzs->setText(CountText(ExamQuestions));
    ui->txtts->setText(PositionText(position));
    RefreshCard();
}

// Where the walk through the wrong answers shows id, 0 when it does not.
int FormEx::ReviewPositionOf(const QString& id) const
{
    const QStringList order = mdicterrxg.Keys();
    for (const QString& key : order) {
        if (mdicterrxg.Item(key) == id)
            return static_cast<int>(order.indexOf(key)) + 1;
    }
    return 0;
}

// Clickable while the exam runs and once it is handed in, then marking wrong and unanswered
// questions; the question on display or under review is outlined.
void FormEx::RefreshCard()
{
    QList<AnswerCard::Mark> marks;
    int current = mblnreview ? 0 : mts;
    const QString reviewed = mblnreview ? mdicterrxg.Item(Record::PoolKey(mts)) : QString();
    for (int position = 1; position <= ExamQuestions; ++position) {
        const QString id = IdAtPosition(position);
        if (mblnended && answers.mdicterr().Exists(id))
            marks.append(AnswerCard::Mark::Wrong);
        else if (IsAnswered(id))
            marks.append(AnswerCard::Mark::Answered);
        else
            marks.append(mblnended ? AnswerCard::Mark::Unanswered : AnswerCard::Mark::Open);
        if (!reviewed.isEmpty() && id == reviewed)
            current = position;
    }
    if (!panel.IsOnDisplay())
        current = 0;
    ui->answerCard->Show(marks, current, Running() || mblnended);
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

// Closing a running exam with answers throws them away: the learner is asked first.
void FormEx::closeEvent(QCloseEvent* event)
{
    if (Running() && AnsweredCount() > 0 &&
        !Confirm(this, QStringLiteral("放弃本次考试并关闭吗？"), QStringLiteral("放弃并关闭"),
                 KeepGoing)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// An exam closed or started again before its result is abandoned in the study record.
void FormEx::LeaveExam()
{
    if (studyExam != 0)
        Study().ExamAbandoned(std::exchange(studyExam, 0));
}
