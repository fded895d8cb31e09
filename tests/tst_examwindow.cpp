#include "bank/Record.h"
#include "common/Platform.h"
#include "exam/ExamRules.h"
#include "exam/ExamWindow.h"
#include "support/FixtureBank.h"
#include "support/Looks.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int PoolSize = 60;

// Every exam here draws in a known order unless a case asks for the clock.
struct Exam : ExamDriver {
    explicit Exam(ExamWindow::DrawSource source = InOrder(PoolSize)) : ExamDriver(std::move(source))
    {
    }
};

QSet<int> FirstFifty(const QStringList& list)
{
    QSet<int> numbers;
    for (int i = 1; i <= QuestionsPerKind; ++i)
        numbers.insert(list[i].toInt());
    return numbers;
}
} // namespace

class TestExamWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void opensWaitingForStart();
    void startDrawsAndShowsTheFirstQuestion();
    void aSecondStartBeginsAfresh();
    void poolOfExactlyFifty();
    void positionsAndLayouts();
    void movesWrapAround();
    void recordsTheChoiceWhenLeaving();
    void remainingCountsEveryAnswer_data();
    void remainingCountsEveryAnswer();
    void result();
    void handInAsksWhileQuestionsAreOpen_data();
    void handInAsksWhileQuestionsAreOpen();
    void leavingARunningExamAsks_data();
    void leavingARunningExamAsks();
    void timeUpWhileAskedToHandIn();
    void resultRecordsTheChoiceOnDisplay();
    void resultInTheWindow_data();
    void resultInTheWindow();
    void clockCountsDownAndEndsTheExam();
    void clockStopsAtTheResult_data();
    void clockStopsAtTheResult();
    void clockTurnsRedInTheLastMinutes_data();
    void clockTurnsRedInTheLastMinutes();
    void reviewReplaysWrongAnswers();
    void noReviewDuringAnExam();
    void cardShowsAnyQuestionOfAHandedInExam();
    void reviewShowsTheRightAnswerInGreen_data();
    void reviewShowsTheRightAnswerInGreen();
    void shortPoolEndsTheStartInOrder_data();
    void shortPoolEndsTheStartInOrder();
    void pictures_data();
    void pictures();
    void drawIsEvenlySpread();
    void keysAnswerAndStep();
    void keysOnlyWhereAClickWould();
    void holdingTheNextKeyRecordsEveryAnswer();
    void answerCardFollowsTheExam();
    void answerCardClickRecordsFirst();
    void answerCardByKeys();
    void buttonKeys();
    void answerCardLooks();
    void fitsTheScreen();
    void verdict_data();
    void verdict();

private:
    std::unique_ptr<FixtureBank> fixture;
};

void TestExamWindow::initTestCase()
{
    // The text size is kept in the settings: a test's own, emptied before each case.
    QStandardPaths::setTestModeEnabled(true);
}

void TestExamWindow::init()
{
    AppSettings().clear();
    fixture = std::make_unique<FixtureBank>();
    fixture->Write(FixtureBank::ExamLines(PoolSize, PoolSize));
    fixture->Use();
}

void TestExamWindow::opensWaitingForStart()
{
    Exam exam;
    QVERIFY(exam.Button("cmdStart")->isEnabled());
    for (const char* name : {"cmdNext", "cmdPrevious", "cmdResult", "cmdReview"})
        QVERIFY(!exam.Button(name)->isEnabled());
    QVERIFY(!exam.window.clockTimer->isActive());
    QCOMPARE(exam.window.clockTimer->interval(), 1000);
    QCOMPARE(exam.Text("txtTotal"), QStringLiteral("共 100 题"));
    QCOMPARE(exam.Text("txtRemaining"), "100");
    QCOMPARE(exam.Text("txtClock"), QString());
    QCOMPARE(exam.Text("txtPosition"), QString());
    QCOMPARE(exam.Button("cmdResult")->text(), QStringLiteral("结    果"));
    QCOMPARE(exam.window.position, 1);
}

void TestExamWindow::startDrawsAndShowsTheFirstQuestion()
{
    Exam exam;
    exam.Start();
    QCOMPARE(exam.Text("txtClock"), "45:00");
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(exam.Text("txtRemaining"), "100");
    QVERIFY(exam.window.clockTimer->isActive());
    for (const char* name : {"cmdNext", "cmdPrevious", "cmdResult"})
        QVERIFY(exam.Button(name)->isEnabled());
    QVERIFY(!exam.Button("cmdReview")->isEnabled());

    for (const QStringList* list : {&exam.window.choiceDraw, &exam.window.trueFalseDraw}) {
        QCOMPARE(list->first(), QString());
        const QSet<int> numbers = FirstFifty(*list);
        QCOMPARE(numbers.size(), QuestionsPerKind);
        QVERIFY(!numbers.contains(0));
        QVERIFY(*std::max_element(numbers.begin(), numbers.end()) <= PoolSize);
    }
    QVERIFY(exam.window.choiceDrawText.startsWith(',') && exam.window.choiceDrawText.endsWith(','));
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
    QVERIFY(exam.OptionsShown({"A", "B", "C"}));
    QVERIFY(exam.Get<QPlainTextEdit>("txtExplain")->isHidden()); // never during the exam
}

void TestExamWindow::aSecondStartBeginsAfresh()
{
    Exam exam(ClockSeededValue);
    exam.Start();
    exam.Choose(0);
    exam.Next();
    exam.window.Tick();
    const QString firstDraw = exam.window.choiceDrawText;
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("重新开始")};
    exam.Start();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(exam.window.answers.Letters().Count(), 0);
    QCOMPARE(exam.Text("txtRemaining"), "100");
    QCOMPARE(exam.Text("txtClock"), "45:00");
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 1 题"));
    QVERIFY(exam.window.choiceDrawText != firstDraw);
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
    // Nothing of the first exam was recorded on the way out.
    QCOMPARE(exam.window.answers.Letters().Count(), 0);
}

void TestExamWindow::poolOfExactlyFifty()
{
    fixture->Write(FixtureBank::ExamLines(QuestionsPerKind, QuestionsPerKind));
    Exam exam(ClockSeededValue);
    exam.Start();
    QSet<int> all;
    for (int i = 1; i <= QuestionsPerKind; ++i)
        all.insert(i);
    QCOMPARE(FirstFifty(exam.window.choiceDraw), all);
    QCOMPARE(FirstFifty(exam.window.trueFalseDraw), all);
}

void TestExamWindow::positionsAndLayouts()
{
    Exam exam;
    exam.Start();
    exam.GoTo(50);
    QCOMPARE(exam.Question(), exam.ExpectedText(50));
    QVERIFY(exam.OptionsShown({"A", "B", "C"}));
    exam.Next();
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 51 题"));
    QCOMPARE(exam.Question(), QStringLiteral("判断题 %1").arg(exam.window.trueFalseDraw[1]));
    QVERIFY(exam.OptionsShown({QStringLiteral("对"), QStringLiteral("错")}));
    exam.Previous();
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 50 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(50));
}

void TestExamWindow::movesWrapAround()
{
    Exam exam;
    exam.Start();
    exam.Previous();
    QCOMPARE(exam.window.position, 100);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 100 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(100));
    exam.Next();
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
}

void TestExamWindow::recordsTheChoiceWhenLeaving()
{
    Exam exam;
    exam.Start();
    const QString id = "0_" + exam.window.choiceDraw[1];
    exam.Next(); // left without a choice: nothing recorded
    QCOMPARE(exam.window.answers.Letters().Count(), 0);
    QCOMPARE(exam.Text("txtRemaining"), "100");

    exam.Previous();
    exam.Choose(exam.RightOption(1));
    exam.Next();
    QCOMPARE(exam.window.answers.Letters().Item(id), QString(QChar(u'A' + exam.RightOption(1))));
    QVERIFY(exam.window.answers.Right().Exists(id));
    QCOMPARE(exam.Text("txtRemaining"), "99");
    QVERIFY(!exam.Option(0)->isChecked() && !exam.Option(1)->isChecked() && !exam.Option(2)->isChecked());

    exam.Previous(); // the recorded choice comes back
    QVERIFY(exam.Option(exam.RightOption(1))->isChecked());
    exam.Choose(exam.WrongOption(1));
    exam.Next();
    QCOMPARE(exam.window.answers.Letters().Count(), 1);
    QVERIFY(exam.window.answers.Wrong().Exists(id));
    QVERIFY(!exam.window.answers.Right().Exists(id));

    // A true/false question records 对 as A and 错 as B, never C.
    exam.GoTo(51);
    exam.Choose(1);
    exam.Next();
    QCOMPARE(exam.window.answers.Letters().Item("1_" + exam.window.trueFalseDraw[1]), "B");
}

void TestExamWindow::remainingCountsEveryAnswer_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("right");
    QTest::newRow("choice, right") << 1 << true;
    QTest::newRow("choice, wrong") << 2 << false;
    QTest::newRow("true/false, right") << 51 << true;
    QTest::newRow("true/false, wrong") << 52 << false;
}

void TestExamWindow::remainingCountsEveryAnswer()
{
    QFETCH(int, position);
    QFETCH(bool, right);
    Exam exam;
    exam.Start();
    exam.GoTo(position);
    exam.Choose(right ? exam.RightOption(position) : exam.WrongOption(position));
    exam.Next();
    QCOMPARE(exam.Text("txtRemaining"), "99");
}

void TestExamWindow::result()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    exam.Start();
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.WrongOption(2));
    exam.Next();
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen[1].text, QStringLiteral("您的得分为： 1分"));
    QCOMPARE(boxes.seen[1].caption, QStringLiteral("测试结果"));
    QCOMPARE(boxes.seen[1].icon, QMessageBox::Information);
    for (const char* name : {"cmdNext", "cmdPrevious", "cmdResult"})
        QVERIFY(!exam.Button(name)->isEnabled());
    QVERIFY(exam.Button("cmdReview")->isEnabled());
    QVERIFY(!exam.window.clockTimer->isActive());
    // The score of a handed-in exam never changes: its key does nothing either.
    QTest::keyClick(&exam.window, Qt::Key_J, Qt::ControlModifier);
    QTest::qWait(300);
    QCOMPARE(boxes.seen.size(), 2);

    // A new exam has nothing to review until it is handed in; one without wrong answers never.
    exam.Start();
    QVERIFY(!exam.Button("cmdReview")->isEnabled());
    for (int p = 1; p <= ExamQuestions; ++p) {
        exam.Choose(exam.RightOption(p));
        exam.Next();
    }
    exam.Result(); // all answered: no question
    QCOMPARE(boxes.seen.size(), 3);
    QCOMPARE(boxes.seen[2].text, QStringLiteral("您的得分为： 100分"));
    QVERIFY(!exam.Button("cmdReview")->isEnabled());
}

void TestExamWindow::handInAsksWhileQuestionsAreOpen_data()
{
    QTest::addColumn<int>("answered");   // the first positions, the last one left on display
    QTest::addColumn<QString>("answer"); // to the question, empty when none may come
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("handedIn");
    QTest::newRow("none answered, hand in")
        << 0 << QStringLiteral("确定交卷") << QStringLiteral("还有 100 题未答，确定交卷吗？")
        << true;
    QTest::newRow("97 open, keep going") << 3 << QStringLiteral("继续考试")
                                         << QStringLiteral("还有 97 题未答，确定交卷吗？") << false;
    QTest::newRow("97 open, hand in") << 3 << QStringLiteral("确定交卷")
                                      << QStringLiteral("还有 97 题未答，确定交卷吗？") << true;
    QTest::newRow("the last answer still on display") << 100 << QString() << QString() << true;
}

void TestExamWindow::handInAsksWhileQuestionsAreOpen()
{
    QFETCH(int, answered);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(bool, handedIn);
    Exam exam;
    exam.Start();
    for (int p = 1; p <= answered; ++p) {
        exam.Choose(exam.RightOption(p));
        if (p < answered)
            exam.Next();
    }
    MessageBoxCatcher boxes;
    if (!answer.isEmpty())
        boxes.answers = {answer};
    exam.Result();
    if (!question.isEmpty()) {
        QCOMPARE(boxes.seen[0].text, question);
        QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
        QCOMPARE(boxes.seen[0].buttons,
                 (QStringList{QStringLiteral("确定交卷"), QStringLiteral("继续考试")}));
        QCOMPARE(boxes.seen[0].defaultButton, QStringLiteral("继续考试"));
    }
    QCOMPARE(boxes.seen.size(), (question.isEmpty() ? 0 : 1) + (handedIn ? 1 : 0));
    QCOMPARE(exam.window.clockTimer->isActive(), !handedIn);
    QCOMPARE(exam.Button("cmdResult")->isEnabled(), !handedIn);
    if (handedIn) {
        QCOMPARE(boxes.seen.last().text, QStringLiteral("您的得分为： %1分").arg(answered));
        QCOMPARE(exam.Text("txtRemaining"), QString::number(ExamQuestions - answered));
    } else { // the exam goes on where it was, the choice on display kept
        QCOMPARE(exam.window.position, answered);
        QVERIFY(exam.Option(exam.RightOption(answered))->isChecked());
        QVERIFY(exam.Option(0)->isEnabled());
    }
}

void TestExamWindow::leavingARunningExamAsks_data()
{
    QTest::addColumn<bool>("close"); // the window is closed, not started again
    QTest::addColumn<int>("state");  // 0 started, 1 a choice on display, 2 handed in
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("left");
    const QString keep = QStringLiteral("继续考试");
    QTest::newRow("start, nothing answered") << false << 0 << QString() << true;
    QTest::newRow("start, a choice, keep going") << false << 1 << keep << false;
    QTest::newRow("start, a choice, start again")
        << false << 1 << QStringLiteral("重新开始") << true;
    QTest::newRow("start, handed in") << false << 2 << QString() << true;
    QTest::newRow("close, nothing answered") << true << 0 << QString() << true;
    QTest::newRow("close, a choice, keep going") << true << 1 << keep << false;
    QTest::newRow("close, a choice, close") << true << 1 << QStringLiteral("放弃并关闭") << true;
    QTest::newRow("close, handed in") << true << 2 << QString() << true;
}

void TestExamWindow::leavingARunningExamAsks()
{
    QFETCH(bool, close);
    QFETCH(int, state);
    QFETCH(QString, answer);
    QFETCH(bool, left);
    Exam exam;
    exam.Start();
    MessageBoxCatcher boxes;
    if (state >= 1)
        exam.Choose(exam.RightOption(1)); // on display only: not yet recorded
    if (state == 2) {
        boxes.answers = {QStringLiteral("确定交卷")};
        exam.Result();
        boxes.seen.clear();
    }
    if (!answer.isEmpty())
        boxes.answers = {answer};
    if (close)
        exam.window.close();
    else
        exam.Start();
    if (answer.isEmpty()) {
        QCOMPARE(boxes.seen.size(), 0);
    } else {
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, close ? QStringLiteral("放弃本次考试并关闭吗？")
                                           : QStringLiteral("放弃本次考试，重新开始吗？"));
        QCOMPARE(boxes.seen[0].buttons,
                 (QStringList{close ? QStringLiteral("放弃并关闭") : QStringLiteral("重新开始"),
                              QStringLiteral("继续考试")}));
        QCOMPARE(boxes.seen[0].defaultButton, QStringLiteral("继续考试"));
    }
    if (close) {
        QCOMPARE(exam.window.isVisible(), !left);
    } else if (left) {
        QVERIFY(exam.window.clockTimer->isActive());
        QVERIFY(!exam.Option(0)->isChecked() && !exam.Option(1)->isChecked());
    }
    if (!left) {
        QVERIFY(exam.window.clockTimer->isActive());
        QVERIFY(exam.Option(exam.RightOption(1))->isChecked());
        QCOMPARE(exam.Text("txtRemaining"), "99");
    }
}

// The clock runs on while the learner is asked; when it runs out first, its hand-in stands
// and the answer to the question hands in nothing more.
void TestExamWindow::timeUpWhileAskedToHandIn()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    exam.Get<QLineEdit>("txtClock")->setText("00:00");
    std::unique_ptr<MessageBoxCatcher> boxes;
    // Runs inside the question: the tick hands in, then the learner answers.
    QTimer::singleShot(0, this, [&] {
        boxes = std::make_unique<MessageBoxCatcher>();
        boxes->answers = {QStringLiteral("确定交卷")};
        exam.window.Tick();
    });
    exam.Result();
    QVERIFY(boxes);
    QCOMPARE(boxes->seen.size(), 2);
    QCOMPARE(boxes->seen[0].text, QStringLiteral("考试时间到\n您的得分为： 1分"));
    QCOMPARE(boxes->seen[1].text, QStringLiteral("还有 99 题未答，确定交卷吗？"));
    QVERIFY(boxes->answers.isEmpty());
    QVERIFY(!exam.Button("cmdResult")->isEnabled());
}

void TestExamWindow::resultRecordsTheChoiceOnDisplay()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    QCOMPARE(exam.Text("txtRemaining"), "99"); // counted as soon as it is chosen
    QCOMPARE(exam.Mark(1), "answered");
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(boxes.seen[1].text, QStringLiteral("您的得分为： 1分"));
    QVERIFY(exam.window.answers.Right().Exists("0_" + exam.window.choiceDraw[1]));
    QCOMPARE(exam.Text("txtRemaining"), "99");
    // The question stays, now with its answer; its options are shut.
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
    QVERIFY(!exam.Option(0)->isEnabled());
    QVERIFY(exam.Option(exam.RightOption(1))->isChecked());
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：%1").arg(QChar(u'A' + exam.RightOption(1))));
}

void TestExamWindow::clockCountsDownAndEndsTheExam()
{
    Exam exam;
    exam.Start();
    exam.window.Tick();
    QCOMPARE(exam.Text("txtClock"), "44:59");
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.WrongOption(2));
    exam.Next();
    exam.Choose(exam.RightOption(3)); // on display at time-up: counted as a hand-in counts it

    exam.Get<QLineEdit>("txtClock")->setText("00:01");
    MessageBoxCatcher boxes;
    exam.window.Tick();
    QCOMPARE(exam.Text("txtClock"), "00:00");
    QCOMPARE(boxes.seen.size(), 0);
    exam.window.Tick(); // time-up hands in without asking
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("考试时间到\n您的得分为： 2分"));
    QCOMPARE(exam.Text("txtClock"), "00:00");
    QCOMPARE(exam.Text("txtRemaining"), "97");
    QCOMPARE(exam.Get<QLabel>("lblScore")->text(), QStringLiteral("2分"));
    QVERIFY(!exam.window.clockTimer->isActive());
    for (const char* name : {"cmdNext", "cmdPrevious", "cmdResult"})
        QVERIFY(!exam.Button(name)->isEnabled());
    QVERIFY(exam.Button("cmdReview")->isEnabled());
    exam.Result(); // shut for good
    QCOMPARE(boxes.seen.size(), 1);
    exam.Review();
    QCOMPARE(exam.Text("txtTotal"), QStringLiteral("共 1 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(2));
}

void TestExamWindow::clockStopsAtTheResult_data()
{
    QTest::addColumn<bool>("timeUp"); // the result came from the clock, not the button
    QTest::newRow("result button") << false;
    QTest::newRow("time up") << true;
}

void TestExamWindow::clockStopsAtTheResult()
{
    QFETCH(bool, timeUp);
    Exam exam;
    exam.Start();
    exam.Choose(exam.WrongOption(1));
    exam.Next();
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Get<QLineEdit>("txtClock")->setText(timeUp ? "00:00" : "31:07");
    if (timeUp)
        exam.window.Tick();
    else
        exam.Result();
    const auto results = boxes.seen.size();
    exam.Review();
    // Ticks as fast as the event loop allows: none may come after the result.
    exam.window.clockTimer->setInterval(1);
    QTest::qWait(50);
    QCOMPARE(boxes.seen.size(), results);
    QCOMPARE(exam.Text("txtClock"), timeUp ? "00:00" : "31:07");
    QVERIFY(exam.Button("cmdNext")->isEnabled());
    QVERIFY(exam.Button("cmdPrevious")->isEnabled());
    QCOMPARE(exam.Question(), exam.ExpectedText(1)); // the reviewed question stays
}

void TestExamWindow::reviewReplaysWrongAnswers()
{
    Exam exam;
    exam.Start();
    // Wrong at 51, then 2, then 3; 4 answered wrongly and then corrected.
    exam.GoTo(4);
    exam.Choose(exam.WrongOption(4));
    exam.GoTo(51);
    exam.Choose(exam.WrongOption(51));
    exam.GoTo(2);
    exam.Choose(exam.WrongOption(2));
    exam.Next();
    exam.Choose(exam.WrongOption(3));
    exam.Next();
    exam.Choose(exam.RightOption(4));
    exam.Next();
    QCOMPARE(exam.window.position, 5);
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：未作答")); // position 5, left open

    exam.Review();
    QCOMPARE(exam.Text("txtTotal"), QStringLiteral("共 3 题"));
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(exam.Text("txtRemaining"), QString());
    QVERIFY(!exam.Button("cmdResult")->isEnabled());
    QVERIFY(exam.Button("cmdNext")->isEnabled());
    QVERIFY(exam.window.reviewing);

    const QStringList expected = {exam.ExpectedText(51), exam.ExpectedText(2), exam.ExpectedText(3)};
    const QList<int> rightOptions = {exam.RightOption(51), exam.RightOption(2), exam.RightOption(3)};
    QCOMPARE(exam.Question(), expected[0]);
    QVERIFY(exam.Get<QPlainTextEdit>("txtExplain")->isHidden()); // six fields: no explanation
    QVERIFY(exam.OptionsShown({QStringLiteral("对"), QStringLiteral("错")}));
    QVERIFY(exam.Option(rightOptions[0])->isChecked());
    QVERIFY(!exam.Option(0)->isEnabled() && !exam.Option(1)->isEnabled());
    const QStringList judgeCaptions = {QStringLiteral("对"), QStringLiteral("错")};
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：") + judgeCaptions[exam.WrongOption(51)]);

    exam.Next();
    QCOMPARE(exam.Question(), expected[1]);
    QVERIFY(exam.OptionsShown({"A", "B", "C"}));
    QVERIFY(exam.Option(rightOptions[1])->isChecked());
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：%1").arg(QChar(u'A' + exam.WrongOption(2))));
    QVERIFY(!exam.Get<QPlainTextEdit>("txtExplain")->isHidden());
    QCOMPARE(exam.Get<QPlainTextEdit>("txtExplain")->toPlainText(),
             FixtureBank::ChoiceExplanation(exam.NumberAt(2)));
    exam.Next();
    exam.Next();
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 1 题"));
    exam.Previous();
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 3 题"));
    QCOMPARE(exam.Question(), expected[2]);
    QCOMPARE(exam.window.answers.Letters().Count(), 4); // the review records nothing

    exam.Review(); // again: back to position 1
    QCOMPARE(exam.window.position, 1);
    QCOMPARE(exam.Question(), expected[0]);

    exam.Start(); // leaves review mode, options usable again
    QVERIFY(!exam.window.reviewing);
    QVERIFY(exam.Get<QPlainTextEdit>("txtExplain")->isHidden());
    QVERIFY(exam.Get<QLabel>("lblYours")->isHidden());
    QVERIFY(exam.Option(0)->isEnabled());
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
}

// Right answers in a running exam stay hidden: the review of the last one is gone with a start.
void TestExamWindow::noReviewDuringAnExam()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.WrongOption(1));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    exam.Start();
    exam.GoTo(2);
    exam.Choose(exam.WrongOption(2));
    exam.Review();
    QVERIFY(!exam.window.reviewing);
    QVERIFY(exam.window.clockTimer->isActive());
    QCOMPARE(exam.Question(), exam.ExpectedText(2));
    QVERIFY(exam.Option(exam.WrongOption(2))->isChecked());
    QVERIFY(exam.Get<QPlainTextEdit>("txtExplain")->isHidden());
}

// Once handed in, any question can be looked at from the card: its right answer, the learner's
// or none, its explanation. During the review a wrong one is stepped to.
void TestExamWindow::cardShowsAnyQuestionOfAHandedInExam()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.WrongOption(1));
    exam.Next();
    exam.Choose(exam.RightOption(2));
    exam.GoTo(4);
    exam.Choose(exam.WrongOption(4));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    const auto letter = [&](int option) { return QString(QChar(u'A' + option)); };
    QCOMPARE(exam.Mark(1), "wrong");
    QCOMPARE(exam.Mark(2), "answered");
    QCOMPARE(exam.Mark(3), "unanswered");
    QVERIFY(exam.Cell(3)->isEnabled());

    QTest::mouseClick(exam.Cell(3), Qt::LeftButton);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 3 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(3));
    QVERIFY(exam.Option(exam.RightOption(3))->isChecked());
    QCOMPARE(exam.Right(), QStringLiteral("正确答案：") + letter(exam.RightOption(3)));
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：未作答"));
    QCOMPARE(exam.Get<QPlainTextEdit>("txtExplain")->toPlainText(),
             FixtureBank::ChoiceExplanation(exam.NumberAt(3)));
    QVERIFY(exam.Cell(3)->property("current").toBool());
    QTest::mouseClick(exam.Cell(2), Qt::LeftButton);
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：") + letter(exam.RightOption(2)));
    QTest::mouseClick(exam.Cell(51), Qt::LeftButton);
    QCOMPARE(exam.Right(),
             QStringLiteral("正确答案：") +
                 (exam.RightOption(51) == 0 ? QStringLiteral("对") : QStringLiteral("错")));
    QCOMPARE(exam.window.answers.Letters().Count(), 3); // looking records nothing

    exam.Review(); // wrong at 1, then 4
    QTest::mouseClick(exam.Cell(4), Qt::LeftButton);
    QCOMPARE(exam.Text("txtTotal"), QStringLiteral("共 2 题"));
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 2 题"));
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：") + letter(exam.WrongOption(4)));
    exam.Next();
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
    QTest::mouseClick(exam.Cell(60), Qt::LeftButton); // not wrong: out of the review's order
    QCOMPARE(exam.Text("txtTotal"), QStringLiteral("共 100 题"));
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 60 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(60));
    QVERIFY(!exam.Button("cmdNext")->isEnabled());
    exam.Review(); // the wrong answers from the first again
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
}

void TestExamWindow::shortPoolEndsTheStartInOrder_data()
{
    QTest::addColumn<int>("choices");
    QTest::addColumn<int>("judges");
    QTest::newRow("49 choice questions") << 49 << 60;
    QTest::newRow("49 true/false questions") << 60 << 49;
    QTest::newRow("empty file") << 0 << 0;
}

void TestExamWindow::shortPoolEndsTheStartInOrder()
{
    QFETCH(int, choices);
    QFETCH(int, judges);
    Exam exam;
    exam.Start(); // a full exam first, then the bank shrinks
    fixture->Write(FixtureBank::ExamLines(choices, judges));
    MessageBoxCatcher boxes;
    exam.Start();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("题库题目不足，无法开始考试"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    QVERIFY(!exam.window.clockTimer->isActive());
    for (const char* name : {"cmdNext", "cmdPrevious", "cmdResult"})
        QVERIFY(!exam.Button(name)->isEnabled());
    QCOMPARE(exam.Text("txtClock"), QString());
    QCOMPARE(exam.Question(), QString());
}

void TestExamWindow::pictures_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("file"); // what lies in pict/, empty for nothing
    QTest::addColumn<bool>("shown");
    QTest::newRow("bare name") << "x.png" << "x.png" << true;
    QTest::newRow("full Windows path") << R"(d:\bank\pict\x.png)" << "x.png" << true;
    QTest::newRow("one backslash keeps the subfolder") << R"(pict\x.png)" << "pict/x.png" << true;
    QTest::newRow("missing file") << "none.png" << "x.png" << false;
    QTest::newRow("leading outside pict") << R"(..\x.png)" << "x.png" << false;
    QTest::newRow("no picture") << "" << "x.png" << false;
}

void TestExamWindow::pictures()
{
    QFETCH(QString, reference);
    QFETCH(QString, file);
    QFETCH(bool, shown);
    fixture->AddPicture(file);
    fixture->AddPicture("other.png");
    // Every choice question shows the picture under test; true/false ones show other.png.
    QList<QByteArray> lines;
    for (int n = 1; n <= QuestionsPerKind; ++n) {
        lines.append(QuestionLine(Question("x", "1", "1", "A", "choice", reference)));
        lines.append(QuestionLine(Question("p", "1", "0", "A", "judge", "other.png")));
    }
    fixture->Write(lines);
    Exam exam(InOrder(QuestionsPerKind));
    exam.Start();
    exam.Previous(); // position 100 shows other.png first, so a failed load cannot keep it
    QVERIFY(!exam.Picture()->isHidden());
    exam.Next();
    QCOMPARE(!exam.Picture()->isHidden(), shown);
    QCOMPARE(!exam.Picture()->pixmap().isNull(), shown);
}

void TestExamWindow::drawIsEvenlySpread()
{
    // Every value the exam draws, over a fixed number of draws: each pool number turns up about
    // equally often, the last one half as often (nearest integer, values below 1).
    constexpr int Pool = 60;
    constexpr int Draws = 20;
    QList<int> counts(Pool + 1, 0);
    int total = 0;
    for (int d = 0; d < Draws; ++d) {
        DrawList(Pool, [&] {
            const float u = ClockSeededValue();
            const int r = int(std::nearbyint(u * float(Pool)));
            ++counts[r];
            ++total;
            return u;
        });
    }
    const double perNumber = total / (Pool - 0.5 + 0.5); // 0 and Pool each count half
    for (int r = 1; r < Pool; ++r)
        QVERIFY2(qAbs(counts[r] - perNumber) < 0.3 * perNumber,
                 qPrintable(QStringLiteral("number %1 drawn %2 times, expected about %3")
                                .arg(r).arg(counts[r]).arg(perNumber)));
    const double lastShare = counts[Pool] / perNumber;
    QVERIFY2(lastShare > 0.3 && lastShare < 0.7, qPrintable(QString::number(lastShare)));
}

void TestExamWindow::keysAnswerAndStep()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    exam.Start();
    QTest::keyClick(&exam.window, Qt::Key_2);
    QVERIFY(exam.Option(1)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_C);
    QVERIFY(exam.Option(2)->isChecked());
    exam.Option(2)->setFocus(); // an option's own arrow keys would move within the options
    QTest::keyClick(exam.Option(2), Qt::Key_Right);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 2 题"));
    QCOMPARE(exam.window.answers.Letters().Item("0_" + exam.window.choiceDraw[1]), "C");
    exam.Get<QPlainTextEdit>("txtQuestion")->setFocus();
    QTest::keyClick(exam.Get<QPlainTextEdit>("txtQuestion"), Qt::Key_PageUp);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 1 题"));
    QVERIFY(exam.Option(2)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_Left); // wraps as the button does
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 100 题"));
    QTest::keyClick(&exam.window, Qt::Key_Return);
    QTest::keyClick(&exam.window, Qt::Key_PageDown);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 2 题"));

    exam.GoTo(51); // true/false: A/1 is 对, B/2 is 错, C/3 nothing
    QTest::keyClick(&exam.window, Qt::Key_3);
    QTest::keyClick(&exam.window, Qt::Key_C);
    QVERIFY(!exam.Option(0)->isChecked() && !exam.Option(1)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_B);
    QVERIFY(exam.Option(1)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_1);
    QVERIFY(exam.Option(0)->isChecked());
    QVERIFY(exam.Button("cmdNext")->toolTip().contains(QStringLiteral("→")));
    QVERIFY(exam.Button("cmdPrevious")->toolTip().contains(QStringLiteral("←")));
}

void TestExamWindow::keysOnlyWhereAClickWould()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    QTest::keyClick(&exam.window, Qt::Key_Right); // before a start: nothing to step
    QCOMPARE(exam.window.position, 1);
    QCOMPARE(exam.Text("txtPosition"), QString());
    exam.Start();
    exam.Choose(exam.WrongOption(1));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QTest::keyClick(&exam.window, Qt::Key_Right); // stepping ended with the result
    QCOMPARE(exam.window.position, 1);
    exam.Review();
    const int right = exam.RightOption(1);
    QTest::keyClick(&exam.window, right == 0 ? Qt::Key_B : Qt::Key_A); // review options are shut
    QVERIFY(exam.Option(right)->isChecked());
    QCOMPARE(boxes.seen.size(), 2);
}

void TestExamWindow::holdingTheNextKeyRecordsEveryAnswer()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    exam.Start();
    for (int p = 1; p <= ExamQuestions; ++p) {
        QTest::keyClick(&exam.window, p % 2 ? Qt::Key_1 : Qt::Key_2);
        QTest::keyPress(&exam.window, Qt::Key_Right);
    }
    QCOMPARE(exam.window.answers.Letters().Count(), ExamQuestions);
    QCOMPARE(exam.Text("txtRemaining"), "0");
}

void TestExamWindow::answerCardFollowsTheExam()
{
    Exam exam;
    const auto cell = [&](int p) { return exam.Get<QToolButton>(qPrintable(QStringLiteral("card_%1").arg(p))); };
    const auto mark = [&](int p) { return cell(p)->property("mark").toString(); };
    QVERIFY(exam.Get<QWidget>("cardAnswers"));
    QVERIFY(!cell(1)->isEnabled() && !cell(100)->isEnabled());
    exam.Start();
    QVERIFY(cell(1)->isEnabled() && cell(100)->isEnabled());
    QVERIFY(cell(1)->property("current").toBool());
    exam.Choose(exam.WrongOption(1));
    exam.Next();
    exam.Choose(exam.RightOption(2));
    exam.Next();
    QCOMPARE(mark(1), "answered");
    QCOMPARE(mark(2), "answered");
    QCOMPARE(mark(3), "open");
    QVERIFY(cell(3)->property("current").toBool() && !cell(1)->property("current").toBool());
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(mark(1), "wrong");
    QCOMPARE(mark(3), "unanswered");
    exam.Review();
    QCOMPARE(mark(1), "wrong");
    QCOMPARE(mark(2), "answered");
    QVERIFY(cell(1)->property("current").toBool()); // the question under review
    exam.Start();
    QCOMPARE(mark(1), "open");
}

void TestExamWindow::answerCardClickRecordsFirst()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    QTest::mouseClick(exam.Get<QToolButton>("card_87"), Qt::LeftButton);
    QCOMPARE(exam.window.position, 87);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 87 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(87));
    QCOMPARE(exam.Text("txtRemaining"), "99");
    QVERIFY(exam.window.answers.Right().Exists("0_" + exam.window.choiceDraw[1]));
    exam.Next();
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 88 题"));
}

void TestExamWindow::verdict_data()
{
    QTest::addColumn<int>("rightAnswers");
    QTest::addColumn<bool>("timeUp");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("89") << 89 << false << QStringLiteral("不合格") << WrongColour;
    QTest::newRow("90") << 90 << false << QStringLiteral("合格") << RightColour;
    QTest::newRow("100") << 100 << false << QStringLiteral("合格") << RightColour;
    QTest::newRow("90 at time-up") << 90 << true << QStringLiteral("合格") << RightColour;
}

void TestExamWindow::verdict()
{
    QFETCH(int, rightAnswers);
    QFETCH(bool, timeUp);
    QFETCH(QString, verdict);
    QFETCH(QColor, colour);
    Exam exam;
    auto* label = exam.Get<QLabel>("lblVerdict");
    exam.Start();
    QCOMPARE(label->text(), QString());
    for (int p = 1; p <= ExamQuestions; ++p) {
        exam.Choose(p <= rightAnswers ? exam.RightOption(p) : exam.WrongOption(p));
        exam.Next();
    }
    MessageBoxCatcher boxes;
    if (timeUp) {
        exam.Get<QLineEdit>("txtClock")->setText("00:00");
        exam.window.Tick();
    } else {
        exam.Result();
    }
    QCOMPARE(boxes.seen[0].text, (timeUp ? QStringLiteral("考试时间到\n") : QString()) +
                                     QStringLiteral("您的得分为： %1分").arg(rightAnswers));
    QCOMPARE(label->text(), verdict);
    QVERIFY(label->isVisible());
    const QColor other = colour == RightColour ? WrongColour : RightColour;
    QVERIFY(PixelsOf(label, colour) > 0);
    QCOMPARE(PixelsOf(label, other), 0);
    exam.Start();
    QVERIFY(!label->isVisible());
}

void TestExamWindow::resultInTheWindow_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("wrong");
    QTest::addColumn<QString>("clock"); // at the hand-in
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("timeUsed");
    QTest::newRow("passed, all answered")
        << 92 << 8 << "10:30" << QStringLiteral("合格") << QStringLiteral("用时：34分30秒");
    QTest::newRow("failed, some open")
        << 85 << 3 << "44:58" << QStringLiteral("不合格") << QStringLiteral("用时：0分02秒");
}

void TestExamWindow::resultInTheWindow()
{
    QFETCH(int, right);
    QFETCH(int, wrong);
    QFETCH(QString, clock);
    QFETCH(QString, verdict);
    QFETCH(QString, timeUsed);
    Exam exam;
    exam.Start();
    QVERIFY(exam.Get<QWidget>("frameResult")->isHidden());
    for (int p = 1; p <= right + wrong; ++p) {
        exam.Choose(p <= right ? exam.RightOption(p) : exam.WrongOption(p));
        exam.Next();
    }
    exam.Get<QLineEdit>("txtClock")->setText(clock);
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(boxes.seen.last().text, QStringLiteral("您的得分为： %1分").arg(right));
    QVERIFY(!exam.Get<QWidget>("frameResult")->isHidden());
    QCOMPARE(exam.Get<QLabel>("lblScore")->text(), QStringLiteral("%1分").arg(right));
    QCOMPARE(exam.Get<QLabel>("lblVerdict")->text(), verdict);
    QCOMPARE(exam.Get<QLabel>("lblWrongCount")->text(), QStringLiteral("答错：%1 题").arg(wrong));
    QCOMPARE(exam.Get<QLabel>("lblUnanswered")->text(),
             QStringLiteral("未答：%1 题").arg(ExamQuestions - right - wrong));
    QCOMPARE(exam.Get<QLabel>("lblTimeUsed")->text(), timeUsed);
    // Drawn in its colour, never in the other.
    auto* label = exam.Get<QLabel>("lblVerdict");
    const bool passed = right >= PassScore;
    QVERIFY(PixelsOf(label, passed ? RightColour : WrongColour) > 0);
    QCOMPARE(PixelsOf(label, passed ? WrongColour : RightColour), 0);
    // The score is the largest text in the window.
    QVERIFY(exam.Get<QLabel>("lblScore")->font().pointSize() >= 2 * exam.window.font().pointSize());
    exam.Start();
    QVERIFY(exam.Get<QWidget>("frameResult")->isHidden());
}

void TestExamWindow::clockTurnsRedInTheLastMinutes_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("red"); // after one tick
    QTest::newRow("45:00") << "45:00" << false;
    QTest::newRow("05:02") << "05:02" << false;
    QTest::newRow("05:01, five minutes left") << "05:01" << true;
    QTest::newRow("00:59") << "00:59" << true;
}

void TestExamWindow::clockTurnsRedInTheLastMinutes()
{
    QFETCH(QString, before);
    QFETCH(bool, red);
    Exam exam;
    exam.Start();
    auto* clock = exam.Get<QLineEdit>("txtClock");
    clock->setText(before);
    exam.window.Tick();
    QCOMPARE(PixelsOf(clock, WrongColour) > 0, red);
    QCOMPARE(PixelsOf(clock, Qt::black, 60) > 0, !red);
    exam.Start(); // a new exam starts black
    QCOMPARE(PixelsOf(clock, WrongColour), 0);
}

void TestExamWindow::reviewShowsTheRightAnswerInGreen_data()
{
    QTest::addColumn<int>("choice");   // 0 right, 1 wrong, 2 none
    QTest::addColumn<QColor>("yours"); // invalid: the usual text colour
    QTest::newRow("right") << 0 << RightColour;
    QTest::newRow("wrong") << 1 << WrongColour;
    QTest::newRow("unanswered") << 2 << QColor();
}

void TestExamWindow::reviewShowsTheRightAnswerInGreen()
{
    QFETCH(int, choice);
    QFETCH(QColor, yours);
    Exam exam;
    exam.window.resize(1020, 560);
    exam.Start();
    if (choice < 2)
        exam.Choose(choice == 0 ? exam.RightOption(1) : exam.WrongOption(1));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    auto* right = exam.Get<QLabel>("lblRight");
    auto* mine = exam.Get<QLabel>("lblYours");
    QVERIFY(PixelsOf(right, RightColour) > 0);
    QCOMPARE(PixelsOf(right, WrongColour), 0);
    for (const QColor& colour : {RightColour, WrongColour})
        QCOMPARE(PixelsOf(mine, colour) > 0, colour == yours);
    // The explanation has room: at least as tall as the question box.
    auto* explanation = exam.Get<QPlainTextEdit>("txtExplain");
    QVERIFY(!explanation->isHidden());
    QVERIFY(explanation->height() >= exam.Get<QPlainTextEdit>("txtQuestion")->height() * 2 / 3);
}

void TestExamWindow::answerCardByKeys()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    exam.Start();
    exam.Choose(exam.RightOption(1));
    QWidget* focused = nullptr;
    for (int tab = 0; tab < 20 && !qobject_cast<QToolButton*>(focused); ++tab) {
        QTest::keyClick(&exam.window, Qt::Key_Tab);
        focused = exam.window.focusWidget();
    }
    QCOMPARE(focused, exam.Cell(1)); // Tab reaches the cell on display
    const auto press = [&](Qt::Key key) { QTest::keyClick(exam.window.focusWidget(), key); };
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    QCOMPARE(exam.window.focusWidget(), exam.Cell(12));
    QCOMPARE(exam.Text("txtPosition"),
             QStringLiteral("第 1 题")); // the arrows moved on the card only
    press(Qt::Key_Return);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 12 题"));
    QCOMPARE(exam.Text("txtRemaining"), "99");
    QCOMPARE(exam.window.focusWidget(), exam.Cell(12));
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    QCOMPARE(exam.window.focusWidget(), exam.Cell(1)); // no wrap past the first
    press(Qt::Key_End);
    QCOMPARE(exam.window.focusWidget(), exam.Cell(100));
    press(Qt::Key_Space);
    QCOMPARE(exam.Text("txtPosition"), QStringLiteral("第 100 题"));

    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    exam.Cell(5)->setFocus();
    press(Qt::Key_Enter); // after the hand-in, Enter shows the question
    QCOMPARE(exam.Question(), exam.ExpectedText(5));
    QCOMPARE(exam.Yours(), QStringLiteral("你的答案：未作答"));
}

void TestExamWindow::buttonKeys()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    // A button's key presses it visibly: the click comes a moment later.
    const auto ctrl = [&](Qt::Key key) { QTest::keyClick(&exam.window, key, Qt::ControlModifier); };
    ctrl(Qt::Key_N);
    QTRY_VERIFY(exam.window.clockTimer->isActive());
    exam.Choose(exam.WrongOption(1));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    ctrl(Qt::Key_J);
    QTRY_VERIFY(!exam.window.clockTimer->isActive());
    exam.window.activateWindow(); // the offscreen platform leaves that to the learner
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    ctrl(Qt::Key_R);
    QTRY_VERIFY(exam.window.reviewing);
    for (const auto& [name, key] :
         {std::pair{"cmdStart", "Ctrl+N"}, {"cmdResult", "Ctrl+J"}, {"cmdReview", "Ctrl+R"}})
        QVERIFY2(exam.Button(name)->toolTip().contains(QLatin1String(key)), name);
}

// What the card's marks look like: a fill for each state, an outline only where a question is
// on display.
void TestExamWindow::answerCardLooks()
{
    Exam exam;
    const auto fill = [&](int p) {
        return ColourAt(exam.Cell(p), exam.Cell(p)->rect().center() + QPoint(0, 8));
    };
    const auto outlined = [&](int p) {
        return PixelsOf(exam.Cell(p), QColor(0x1a, 0x3f, 0x7a), 20) > 0;
    };
    for (const int p : {1, 50, 100})
        QVERIFY2(!outlined(p), "no question on display before a start");
    exam.Start();
    QVERIFY(outlined(1));
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.WrongOption(2));
    QCOMPARE(fill(1), QColor(0x7f, 0xb2, 0xe5));
    QCOMPARE(fill(2), QColor(0x7f, 0xb2, 0xe5)); // chosen on display: answered already
    QCOMPARE(fill(3), QColor(Qt::white));
    QVERIFY(outlined(2) && !outlined(1));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(fill(1), QColor(0x7f, 0xb2, 0xe5));
    QCOMPARE(fill(2), QColor(0xee, 0x8b, 0x8b));
    QCOMPARE(fill(3), QColor(0xf2, 0xd1, 0x6b));
    for (const int p : {1, 2, 3})
        QVERIFY(fill(p) != fill(p % 3 + 1)); // three states, three fills

    // A start that cannot draw leaves no question and no outline.
    fixture->Write(FixtureBank::ExamLines(49, 60));
    exam.Start();
    QCOMPARE(exam.Question(), QString());
    for (const int p : {1, 2})
        QVERIFY(!outlined(p));
}

// The window opens within the screen, and stays usable on a 1280x720 one even with its text
// enlarged: its smallest size fits.
void TestExamWindow::fitsTheScreen()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    if (available.width() < 1280 || available.height() < 720)
        QSKIP("needs a screen of at least 1280x720 (tests/CMakeLists.txt gives one)");
    Exam exam;
    PlaceOnScreen(&exam.window); // as the main window shows it
    QVERIFY(QTest::qWaitForWindowExposed(&exam.window));
    QVERIFY(available.contains(exam.window.geometry()));
    const QSize small(1280, 720);
    QVERIFY(exam.window.minimumSizeHint().boundedTo(small) == exam.window.minimumSizeHint());
    QVERIFY(exam.window.minimumSize().boundedTo(small) == exam.window.minimumSize());
    exam.Start();
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(&exam.window, Qt::Key_Equal, Qt::ControlModifier);
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    const QSize needed = exam.window.minimumSizeHint().expandedTo(exam.window.minimumSize());
    QVERIFY2(needed.boundedTo(small) == needed,
             qPrintable(QStringLiteral("%1x%2").arg(needed.width()).arg(needed.height())));
}

QTEST_MAIN(TestExamWindow)
#include "tst_examwindow.moc"
