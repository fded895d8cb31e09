#include "exam/ExamWindow.h"

#include "bank/Record.h"
#include "common/ChosenBank.h"
#include "common/FavouriteMark.h"
#include "common/Platform.h"
#include "common/QuestionKeys.h"
#include "common/SetUpUi.h"
#include "common/Stepping.h"
#include "common/Study.h"
#include "common/TextZoom.h"
#include "exam/ExamRules.h"
#include "study/StudyStore.h"
#include "ui_ExamWindow.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QTimer>
#include <utility>

namespace
{
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

ExamWindow::ExamWindow(QWidget* parent, DrawSource drawSource)
    : QWidget(parent), ui(SetUpUi<Ui::ExamWindow>(this)),
      panel(ui->txtQuestion, ui->txtEncoded, {ui->optA, ui->optB, ui->optC}, ui->lblPicture,
            ui->txtExplain),
      drawSource(std::move(drawSource))
{
    ui->txtEncoded->hide();
    ui->lblPicture->hide();
    ui->lblYours->hide();
    ui->lblRight->hide();
    ui->frameResult->hide();
    SetKey(ui->cmdStart, QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("开始考试"));
    SetKey(ui->cmdResult, QKeySequence(Qt::CTRL | Qt::Key_J), QStringLiteral("交卷"));
    SetKey(ui->cmdReview, QKeySequence(Qt::CTRL | Qt::Key_R), QStringLiteral("错题复习"));
    new TextZoom(this, {ui->txtQuestion, ui->txtExplain, ui->optA, ui->optB, ui->optC});
    new QuestionKeys(this, {ui->optA, ui->optB, ui->optC}, ui->cmdNext, ui->cmdPrevious);
    new FavouriteMark(this, ui->chkFavourite, panel);
    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("clockTimer"));
    clockTimer->setInterval(TickMilliseconds);

    connect(ui->cmdStart, &QPushButton::clicked, this, &ExamWindow::StartExam);
    connect(ui->cmdNext, &QPushButton::clicked, this, &ExamWindow::NextQuestion);
    connect(ui->cmdPrevious, &QPushButton::clicked, this, &ExamWindow::PreviousQuestion);
    connect(ui->cmdResult, &QPushButton::clicked, this, &ExamWindow::AskForResult);
    connect(ui->cmdReview, &QPushButton::clicked, this, &ExamWindow::StartReview);
    connect(clockTimer, &QTimer::timeout, this, &ExamWindow::Tick);
    connect(ui->cardAnswers, &AnswerCard::positionClicked, this, &ExamWindow::CardClicked);
    for (QRadioButton* option : {ui->optA, ui->optB, ui->optC})
        connect(option, &QRadioButton::clicked, this, &ExamWindow::ChoiceMade);
    ui->cmdStart->setFocus(); // Space starts the exam
    ShowNoExam();
}

ExamWindow::~ExamWindow()
{
    LeaveExam();
    Study().Checkpoint();
}

void ExamWindow::ShowNoExam()
{
    position = 1;
    RefreshCard();
}

void ExamWindow::StartExam()
{
    if (Running() && AnsweredCount() > 0 &&
        !Confirm(this, QStringLiteral("放弃本次考试，重新开始吗？"), QStringLiteral("重新开始"),
                 KeepGoing))
        return;
    LeaveExam();
    reviewing = false;
    handedIn = false;
    position = 1;
    ui->txtTotal->setText(CountText(ExamQuestions));
    ui->txtRemaining->setText(QString::number(ExamQuestions));
    ui->cmdNext->setEnabled(true);
    ui->cmdPrevious->setEnabled(true);
    ui->cmdResult->setEnabled(true);
    // The review belongs to a handed-in exam: during a run it would show right answers.
    ui->cmdReview->setEnabled(false);
    panel.SetOptionsEnabled(true);
    panel.Clear();
    panel.HideExplanation();
    ui->lblYours->hide();
    ui->lblRight->hide();
    ui->frameResult->hide();
    ui->chkFavourite->hide(); // marking waits for the review: an exam is taken as in the hall
    ui->lblVerdict->clear();
    clockTimer->start();
    ShowClock(ExamTime);
    ui->txtPosition->setText(PositionText(1));
    trueFalsePool = OrderedDict();
    choicePool = OrderedDict();
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
    ui->txtQuestion->setFocus();
}

bool ExamWindow::ReadData()
{
    const auto bank = LoadChosenBank(this, cipher);
    if (!bank)
        return false;
    int judgeCount = 1;
    int choiceCount = 1;
    for (const BankRecord& record : bank->records) {
        if (Record::FieldAt(record.text, Record::Kind) == Record::ChoiceKind)
            choicePool.Add(Record::PoolKey(choiceCount++), record.text);
        else
            trueFalsePool.Add(Record::PoolKey(judgeCount++), record.text);
    }
    if (trueFalsePool.Count() < QuestionsPerKind || choicePool.Count() < QuestionsPerKind) {
        Notice(this, QStringLiteral("题库题目不足，无法开始考试"));
        return false;
    }
    trueFalseDrawText = DrawList(static_cast<int>(trueFalsePool.Count()), drawSource);
    choiceDrawText = DrawList(static_cast<int>(choicePool.Count()), drawSource);
    trueFalseDraw = trueFalseDrawText.split(u',');
    choiceDraw = choiceDrawText.split(u',');
    return true;
}

// Without an exam to run, the window stays quiet: no clock, no question, nothing to step.
void ExamWindow::AbandonStart()
{
    clockTimer->stop();
    SetSteppingEnabled(false);
    ui->cmdResult->setEnabled(false);
    ui->txtClock->clear();
    ui->txtPosition->clear();
    panel.ClearSelection();
    panel.SetOptionsEnabled(false);
    ui->lblPicture->clear();
    ui->lblPicture->hide();
}

void ExamWindow::GotoQuestion(int n, int kind)
{
    if (panel.IsOnDisplay()) {
        const QString chosen = panel.ChosenLetter();
        if (chosen != QuestionPanel::NoChoice)
            answers.Record(DisplayedId(), chosen, panel.RightAnswer());
    }
    if (n == 0 && kind == 0)
        return;

    const QString id = IdOf(n, kind);
    SetTag(ui->txtPosition, id);
    panel.Show(Record::Split(RecordOf(id)), cipher, kind == 0);
    panel.ClearSelection();
    panel.Select(answers.Letters().Item(id));
    ShowRemaining();
}

void ExamWindow::GotoWrongQuestion(int pos)
{
    ShowReviewed(reviewOrder.Item(Record::PoolKey(pos)));
}

// A question of the handed-in exam: its right answer selected and named, the learner's answer
// beside it, its explanation below.
void ExamWindow::ShowReviewed(const QString& id)
{
    const QStringList fields = Record::Split(RecordOf(id));
    panel.Show(fields, cipher, Record::FieldOf(fields, Record::Kind) == Record::ChoiceKind);
    panel.SetOptionsEnabled(false);
    const QString right = Record::FieldOf(fields, Record::Answer);
    panel.Select(right);
    panel.RevealExplanation();
    ui->lblRight->setText(QStringLiteral("正确答案：%1").arg(panel.CaptionOf(right)));
    SetInk(ui->lblRight, RightColour);
    ui->lblRight->show();
    const bool answered = answers.Letters().Exists(id);
    ui->lblYours->setText(QStringLiteral("你的答案：%1")
                              .arg(answered ? panel.CaptionOf(answers.Letters().Item(id))
                                            : QStringLiteral("未作答")));
    QColor ink; // 未作答 in the usual colour
    if (answered)
        ink = answers.Right().Exists(id) ? RightColour : WrongColour;
    SetInk(ui->lblYours, ink);
    ui->lblYours->show();
}

int ExamWindow::AnsweredCount() const
{
    const bool onlyOnDisplay = HasChoiceOnDisplay() && !answers.Letters().Exists(DisplayedId());
    return static_cast<int>(answers.Letters().Count()) + (onlyOnDisplay ? 1 : 0);
}

// The exam runs from its start until it is handed in.
bool ExamWindow::Running() const
{
    return clockTimer->isActive();
}

// A choice made on the question on display, recorded only when the learner leaves it.
bool ExamWindow::HasChoiceOnDisplay() const
{
    return Running() && panel.IsOnDisplay() && panel.ChosenLetter() != QuestionPanel::NoChoice;
}

bool ExamWindow::IsAnswered(const QString& id) const
{
    return answers.Letters().Exists(id) || (HasChoiceOnDisplay() && id == DisplayedId());
}

void ExamWindow::ChoiceMade()
{
    if (!Running())
        return;
    ShowRemaining();
    RefreshCard();
}

void ExamWindow::ShowRemaining()
{
    ui->txtRemaining->setText(QString::number(ExamQuestions - AnsweredCount()));
}

void ExamWindow::NextQuestion()
{
    MoveTo(NextPosition(position, LastPosition()));
}

void ExamWindow::PreviousQuestion()
{
    MoveTo(PreviousPosition(position, LastPosition()));
}

void ExamWindow::AskForResult()
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
void ExamWindow::StartReview()
{
    reviewOrder = OrderedDict();
    ui->txtRemaining->clear();
    reviewing = true;
    position = 1;
    const QStringList wrong = answers.Wrong().Keys();
    for (int p = 1; p <= wrong.size(); ++p)
        reviewOrder.Add(Record::PoolKey(p), wrong[p - 1]);
    ui->txtTotal->setText(CountText(static_cast<int>(wrong.size())));
    SetSteppingEnabled(true);
    ui->chkFavourite->show();
    GotoWrongQuestion(1);
    ui->txtPosition->setText(PositionText(1));
    RefreshCard();
}

void ExamWindow::Tick()
{
    const ClockTick tick = NextClockTick(ui->txtClock->text());
    ShowClock(tick.text);
    if (tick.expired)
        HandIn(QStringLiteral("考试时间到\n"));
}

void ExamWindow::ShowClock(const QString& clock)
{
    ui->txtClock->setText(clock);
    SetInk(ui->txtClock, InFinalMinutes(clock) ? WrongColour : QColor());
}

// Next and previous walk the exam's 100 positions, or the wrong answers during a review.
int ExamWindow::LastPosition() const
{
    return reviewing ? static_cast<int>(answers.Wrong().Count()) : ExamQuestions;
}

void ExamWindow::MoveTo(int target)
{
    position = target;
    if (reviewing) {
        GotoWrongQuestion(target);
    } else {
        const ExamSlot slot = SlotOf(target);
        GotoQuestion(slot.n, slot.kind);
    }
    ui->txtPosition->setText(PositionText(target));
    RefreshCard();
}

// The exam ends with its result, the choice on display counted: the clock stops for good,
// showing the time that was left, and the score never changes again. The question on display
// turns to its review.
void ExamWindow::HandIn(const QString& reason)
{
    GotoQuestion(0, 0);
    clockTimer->stop();
    handedIn = true;
    SetSteppingEnabled(false);
    ui->cmdResult->setEnabled(false);
    ui->cmdReview->setEnabled(answers.Wrong().Count() >= 1);
    ShowRemaining();
    ShowResult();
    ShowFinishedQuestion(position);
    Study().ExamFinished(studyExam, Sheet());
    Study().Checkpoint();
    MsgBox(this, reason + ScoreText(answers.Score()), QStringLiteral("测试结果"),
           MsgIcon::Information);
}

void ExamWindow::ShowResult()
{
    const int score = answers.Score();
    ui->lblScore->setText(QStringLiteral("%1分").arg(score));
    ui->lblVerdict->setText(VerdictText(score));
    SetInk(ui->lblVerdict, VerdictColour(score));
    ui->lblWrongCount->setText(QStringLiteral("答错：%1 题").arg(answers.Wrong().Count()));
    ui->lblUnanswered->setText(
        QStringLiteral("未答：%1 题").arg(ExamQuestions - answers.Letters().Count()));
    ui->lblTimeUsed->setText(
        QStringLiteral("用时：%1").arg(TimeUsedText(SecondsUsed(ui->txtClock->text()))));
    ui->frameResult->show();
}

void ExamWindow::SetSteppingEnabled(bool enabled)
{
    ui->cmdNext->setEnabled(enabled);
    ui->cmdPrevious->setEnabled(enabled);
}

QString ExamWindow::DisplayedId() const
{
    return Tag(ui->txtPosition);
}

QString ExamWindow::IdOf(int n, int kind) const
{
    return kind == 0 ? ChoicePrefix + choiceDraw.value(n) : JudgePrefix + trueFalseDraw.value(n);
}

QString ExamWindow::IdAtPosition(int at) const
{
    const ExamSlot slot = SlotOf(at);
    return IdOf(slot.n, slot.kind);
}

// The record an identity names: its prefix picks the pool, the rest is the pool number.
QString ExamWindow::RecordOf(const QString& id) const
{
    const OrderedDict& pool = id.startsWith(ChoicePrefix) ? choicePool : trueFalsePool;
    return pool.Item(Record::PoolKey(id.mid(ChoicePrefix.size())));
}

// While the exam runs a cell is a shortcut for stepping: the choice on display is recorded
// first. Once it is handed in, a cell shows its question as the review does; during the
// review of the wrong answers, a wrong one is stepped to.
void ExamWindow::CardClicked(int clicked)
{
    if (Running()) {
        MoveTo(clicked);
        return;
    }
    if (!handedIn)
        return;
    const int reviewPosition = reviewing ? ReviewPositionOf(IdAtPosition(clicked)) : 0;
    if (reviewPosition > 0)
        MoveTo(reviewPosition);
    else
        ShowFinishedQuestion(clicked);
}

// Exam position `target` of a handed-in exam, outside the walk through the wrong answers.
void ExamWindow::ShowFinishedQuestion(int target)
{
    reviewing = false;
    position = target;
    SetSteppingEnabled(false);
    ShowReviewed(IdAtPosition(target));
    ui->txtTotal->setText(CountText(ExamQuestions));
    ui->txtPosition->setText(PositionText(target));
    RefreshCard();
}

// Where the walk through the wrong answers shows id, 0 when it does not.
int ExamWindow::ReviewPositionOf(const QString& id) const
{
    const QStringList order = reviewOrder.Keys();
    for (const QString& key : order) {
        if (reviewOrder.Item(key) == id)
            return static_cast<int>(order.indexOf(key)) + 1;
    }
    return 0;
}

// Clickable while the exam runs and once it is handed in, then marking wrong and unanswered
// questions; the question on display or under review is outlined.
void ExamWindow::RefreshCard()
{
    QList<AnswerCard::Mark> marks;
    int current = reviewing ? 0 : position;
    const QString reviewed = reviewing ? reviewOrder.Item(Record::PoolKey(position)) : QString();
    for (int at = 1; at <= ExamQuestions; ++at) {
        const QString id = IdAtPosition(at);
        if (handedIn && answers.Wrong().Exists(id))
            marks.append(AnswerCard::Mark::Wrong);
        else if (IsAnswered(id))
            marks.append(AnswerCard::Mark::Answered);
        else
            marks.append(handedIn ? AnswerCard::Mark::Unanswered : AnswerCard::Mark::Open);
        if (!reviewed.isEmpty() && id == reviewed)
            current = at;
    }
    if (!panel.IsOnDisplay())
        current = 0;
    ui->cardAnswers->Show(marks, current, Running() || handedIn);
}

// Every question of the exam with its final choice, and the score as the learner is shown it.
ExamResult ExamWindow::Sheet() const
{
    ExamResult sheet;
    sheet.score = answers.Score();
    sheet.answered = static_cast<int>(answers.Letters().Count());
    sheet.secondsUsed = SecondsUsed(ui->txtClock->text());
    for (int at = 1; at <= ExamQuestions; ++at) {
        const QString id = IdAtPosition(at);
        sheet.answers.append(AnswerTo(Record::Split(RecordOf(id)), answers.Letters().Item(id),
                                      answers.Right().Exists(id)));
    }
    return sheet;
}

// Closing a running exam with answers throws them away: the learner is asked first.
void ExamWindow::closeEvent(QCloseEvent* event)
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
void ExamWindow::LeaveExam()
{
    if (studyExam != 0)
        Study().ExamAbandoned(std::exchange(studyExam, 0));
}
