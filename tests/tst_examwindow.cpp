#include "common/Platform.h"
#include "bank/Record.h"
#include "exam/ExamRules.h"
#include "exam/FormEx.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <QTimer>

namespace {
constexpr int PoolSize = 60;

// Every exam here draws in a known order unless a case asks for the clock.
struct Exam : ExamDriver {
    explicit Exam(FormEx::DrawSource source = InOrder(PoolSize)) : ExamDriver(std::move(source)) {}
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
    void resultRecordsTheChoiceOnDisplay();
    void clockCountsDownAndEndsTheExam();
    void clockStopsAtTheResult_data();
    void clockStopsAtTheResult();
    void reviewReplaysWrongAnswers();
    void reviewWithoutWrongAnswers();
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
    void verdict_data();
    void verdict();

private:
    std::unique_ptr<FixtureBank> fixture;
};

void TestExamWindow::init()
{
    fixture = std::make_unique<FixtureBank>();
    fixture->Write(FixtureBank::ExamLines(PoolSize, PoolSize));
    fixture->Use();
}

void TestExamWindow::opensWaitingForStart()
{
    Exam exam;
    QVERIFY(exam.Button("cmdStart")->isEnabled());
    for (const char* name : {"Command1", "Command2", "Command3", "Command4"})
        QVERIFY(!exam.Button(name)->isEnabled());
    QVERIFY(!exam.window.Timer1->isActive());
    QCOMPARE(exam.window.Timer1->interval(), 1000);
    QCOMPARE(exam.Text("txtzs"), QStringLiteral("共 100 题"));
    QCOMPARE(exam.Text("txtsy"), "100");
    QCOMPARE(exam.Text("txtsj"), QString());
    QCOMPARE(exam.Text("txtts"), QString());
    QCOMPARE(exam.Button("Command3")->text(), QStringLiteral("结    果"));
    QCOMPARE(exam.window.mts, 1);
}

void TestExamWindow::startDrawsAndShowsTheFirstQuestion()
{
    Exam exam;
    exam.Start();
    QCOMPARE(exam.Text("txtsj"), "45:00");
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 1 题"));
    QCOMPARE(exam.Text("txtsy"), "100");
    QVERIFY(exam.window.Timer1->isActive());
    for (const char* name : {"Command1", "Command2", "Command3"})
        QVERIFY(exam.Button(name)->isEnabled());
    QVERIFY(!exam.Button("Command4")->isEnabled());

    for (const QStringList* list : {&exam.window.maryxz, &exam.window.marypd}) {
        QCOMPARE(list->first(), QString());
        const QSet<int> numbers = FirstFifty(*list);
        QCOMPARE(numbers.size(), QuestionsPerKind);
        QVERIFY(!numbers.contains(0));
        QVERIFY(*std::max_element(numbers.begin(), numbers.end()) <= PoolSize);
    }
    QVERIFY(exam.window.mstrxz.startsWith(',') && exam.window.mstrxz.endsWith(','));
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
    exam.window.Timer1_Timer();
    const QString firstDraw = exam.window.mstrxz;
    exam.Start();
    QCOMPARE(exam.window.answers.mdictan().Count(), 0);
    QCOMPARE(exam.Text("txtsy"), "100");
    QCOMPARE(exam.Text("txtsj"), "45:00");
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 1 题"));
    QVERIFY(exam.window.mstrxz != firstDraw);
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
    // Nothing of the first exam was recorded on the way out.
    QCOMPARE(exam.window.answers.mdictan().Count(), 0);
}

void TestExamWindow::poolOfExactlyFifty()
{
    fixture->Write(FixtureBank::ExamLines(QuestionsPerKind, QuestionsPerKind));
    Exam exam(ClockSeededValue);
    exam.Start();
    QSet<int> all;
    for (int i = 1; i <= QuestionsPerKind; ++i)
        all.insert(i);
    QCOMPARE(FirstFifty(exam.window.maryxz), all);
    QCOMPARE(FirstFifty(exam.window.marypd), all);
}

void TestExamWindow::positionsAndLayouts()
{
    Exam exam;
    exam.Start();
    exam.GoTo(50);
    QCOMPARE(exam.Question(), exam.ExpectedText(50));
    QVERIFY(exam.OptionsShown({"A", "B", "C"}));
    exam.Next();
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 51 题"));
    QCOMPARE(exam.Question(), QStringLiteral("判断题 %1").arg(exam.window.marypd[1]));
    QVERIFY(exam.OptionsShown({QStringLiteral("对"), QStringLiteral("错")}));
    exam.Previous();
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 50 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(50));
}

void TestExamWindow::movesWrapAround()
{
    Exam exam;
    exam.Start();
    exam.Previous();
    QCOMPARE(exam.window.mts, 100);
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 100 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(100));
    exam.Next();
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 1 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
}

void TestExamWindow::recordsTheChoiceWhenLeaving()
{
    Exam exam;
    exam.Start();
    const QString id = "0_" + exam.window.maryxz[1];
    exam.Next(); // left without a choice: nothing recorded
    QCOMPARE(exam.window.answers.mdictan().Count(), 0);
    QCOMPARE(exam.Text("txtsy"), "100");

    exam.Previous();
    exam.Choose(exam.RightOption(1));
    exam.Next();
    QCOMPARE(exam.window.answers.mdictan().Item(id), QString(QChar(u'A' + exam.RightOption(1))));
    QVERIFY(exam.window.answers.mdictgd().Exists(id));
    QCOMPARE(exam.Text("txtsy"), "99");
    QVERIFY(!exam.Option(0)->isChecked() && !exam.Option(1)->isChecked() && !exam.Option(2)->isChecked());

    exam.Previous(); // the recorded choice comes back
    QVERIFY(exam.Option(exam.RightOption(1))->isChecked());
    exam.Choose(exam.WrongOption(1));
    exam.Next();
    QCOMPARE(exam.window.answers.mdictan().Count(), 1);
    QVERIFY(exam.window.answers.mdicterr().Exists(id));
    QVERIFY(!exam.window.answers.mdictgd().Exists(id));

    // A true/false question records 对 as A and 错 as B, never C.
    exam.GoTo(51);
    exam.Choose(1);
    exam.Next();
    QCOMPARE(exam.window.answers.mdictan().Item("1_" + exam.window.marypd[1]), "B");
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
    QCOMPARE(exam.Text("txtsy"), "99");
}

void TestExamWindow::result()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.WrongOption(2));
    exam.Next();
    MessageBoxCatcher boxes;
    exam.Result();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("您的得分为： 1分"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("测试结果"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Information);
    QVERIFY(!exam.Button("Command1")->isEnabled());
    QVERIFY(!exam.Button("Command2")->isEnabled());
    QVERIFY(exam.Button("Command3")->isEnabled());
    QVERIFY(exam.Button("Command4")->isEnabled());
    QVERIFY(!exam.window.Timer1->isActive());
    exam.Result();
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen[1].text, boxes.seen[0].text);

    // A later exam without wrong answers disables the review again.
    exam.Start();
    QVERIFY(exam.Button("Command4")->isEnabled());
    exam.Choose(exam.RightOption(1));
    exam.Result();
    QCOMPARE(boxes.seen[2].text, QStringLiteral("您的得分为： 1分"));
    QVERIFY(!exam.Button("Command4")->isEnabled());
}

void TestExamWindow::resultRecordsTheChoiceOnDisplay()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    MessageBoxCatcher boxes;
    exam.Result();
    QCOMPARE(boxes.seen[0].text, QStringLiteral("您的得分为： 1分"));
    QCOMPARE(exam.Text("txtsy"), "100"); // record only: nothing refreshed
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
    exam.Choose(exam.WrongOption(1)); // still enabled: a new choice, a new score
    exam.Result();
    QCOMPARE(boxes.seen[1].text, QStringLiteral("您的得分为： 0分"));
}

void TestExamWindow::clockCountsDownAndEndsTheExam()
{
    Exam exam;
    exam.Start();
    exam.window.Timer1_Timer();
    QCOMPARE(exam.Text("txtsj"), "44:59");
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.RightOption(2)); // on display at time-up: not scored

    exam.Get<QLineEdit>("txtsj")->setText("00:01");
    MessageBoxCatcher boxes;
    exam.window.Timer1_Timer();
    QCOMPARE(exam.Text("txtsj"), "00:00");
    QCOMPARE(boxes.seen.size(), 0);
    exam.window.Timer1_Timer();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("您的得分为： 1分"));
    QCOMPARE(exam.Text("txtsj"), "00:00");
    QVERIFY(!exam.window.Timer1->isActive());
    QVERIFY(!exam.Button("Command1")->isEnabled());
    QVERIFY(!exam.Button("Command2")->isEnabled());
    QVERIFY(exam.Button("Command3")->isEnabled());

    exam.Result(); // now the choice on display counts
    QCOMPARE(boxes.seen[1].text, QStringLiteral("您的得分为： 2分"));
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
    exam.Get<QLineEdit>("txtsj")->setText(timeUp ? "00:00" : "31:07");
    if (timeUp)
        exam.window.Timer1_Timer();
    exam.Result(); // after time-up, the button that opens the review
    const auto results = boxes.seen.size();
    exam.Review();
    // Ticks as fast as the event loop allows: none may come after the result.
    exam.window.Timer1->setInterval(1);
    QTest::qWait(50);
    QCOMPARE(boxes.seen.size(), results);
    QCOMPARE(exam.Text("txtsj"), timeUp ? "00:00" : "31:07");
    QVERIFY(exam.Button("Command1")->isEnabled());
    QVERIFY(exam.Button("Command2")->isEnabled());
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
    QCOMPARE(exam.window.mts, 5);
    MessageBoxCatcher boxes;
    exam.Result();
    QVERIFY(exam.Get<QLabel>("lblYours")->isHidden());

    exam.Review();
    QCOMPARE(exam.Text("txtzs"), QStringLiteral("共 3 题"));
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 1 题"));
    QCOMPARE(exam.Text("txtsy"), QString());
    QVERIFY(!exam.Button("Command3")->isEnabled());
    QVERIFY(exam.Button("Command1")->isEnabled());
    QVERIFY(exam.window.mblnreview);

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
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 1 题"));
    exam.Previous();
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 3 题"));
    QCOMPARE(exam.Question(), expected[2]);
    QCOMPARE(exam.window.answers.mdictan().Count(), 4); // the review records nothing

    exam.Review(); // again: back to position 1
    QCOMPARE(exam.window.mts, 1);
    QCOMPARE(exam.Question(), expected[0]);

    exam.Start(); // leaves review mode, options usable again
    QVERIFY(!exam.window.mblnreview);
    QVERIFY(exam.Get<QPlainTextEdit>("txtExplain")->isHidden());
    QVERIFY(exam.Get<QLabel>("lblYours")->isHidden());
    QVERIFY(exam.Option(0)->isEnabled());
    QCOMPARE(exam.Question(), exam.ExpectedText(1));
}

void TestExamWindow::reviewWithoutWrongAnswers()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.WrongOption(1));
    MessageBoxCatcher boxes;
    exam.Result();
    exam.Start(); // the review button stays enabled from the last exam
    exam.Review();
    QCOMPARE(exam.Text("txtzs"), QStringLiteral("共 0 题"));
    QVERIFY(exam.window.mblnreview);
    QVERIFY(!exam.Button("Command1")->isEnabled());
    QVERIFY(!exam.Button("Command2")->isEnabled());
    QVERIFY(!exam.Button("Command3")->isEnabled());
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
    QVERIFY(!exam.window.Timer1->isActive());
    for (const char* name : {"Command1", "Command2", "Command3"})
        QVERIFY(!exam.Button(name)->isEnabled());
    QCOMPARE(exam.Text("txtsj"), QString());
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
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 2 题"));
    QCOMPARE(exam.window.answers.mdictan().Item("0_" + exam.window.maryxz[1]), "C");
    exam.Get<QPlainTextEdit>("txt")->setFocus();
    QTest::keyClick(exam.Get<QPlainTextEdit>("txt"), Qt::Key_PageUp);
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 1 题"));
    QVERIFY(exam.Option(2)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_Left); // wraps as the button does
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 100 题"));
    QTest::keyClick(&exam.window, Qt::Key_Return);
    QTest::keyClick(&exam.window, Qt::Key_PageDown);
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 2 题"));

    exam.GoTo(51); // true/false: A/1 is 对, B/2 is 错, C/3 nothing
    QTest::keyClick(&exam.window, Qt::Key_3);
    QTest::keyClick(&exam.window, Qt::Key_C);
    QVERIFY(!exam.Option(0)->isChecked() && !exam.Option(1)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_B);
    QVERIFY(exam.Option(1)->isChecked());
    QTest::keyClick(&exam.window, Qt::Key_1);
    QVERIFY(exam.Option(0)->isChecked());
    QVERIFY(exam.Button("Command1")->toolTip().contains(QStringLiteral("→")));
    QVERIFY(exam.Button("Command2")->toolTip().contains(QStringLiteral("←")));
}

void TestExamWindow::keysOnlyWhereAClickWould()
{
    Exam exam;
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    QTest::keyClick(&exam.window, Qt::Key_Right); // before a start: nothing to step
    QCOMPARE(exam.window.mts, 1);
    QCOMPARE(exam.Text("txtts"), QString());
    exam.Start();
    exam.Choose(exam.WrongOption(1));
    MessageBoxCatcher boxes;
    exam.Result();
    QTest::keyClick(&exam.window, Qt::Key_Right); // stepping ended with the result
    QCOMPARE(exam.window.mts, 1);
    exam.Review();
    const int right = exam.RightOption(1);
    QTest::keyClick(&exam.window, right == 0 ? Qt::Key_B : Qt::Key_A); // review options are shut
    QVERIFY(exam.Option(right)->isChecked());
    QCOMPARE(boxes.seen.size(), 1);
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
    QCOMPARE(exam.window.answers.mdictan().Count(), ExamQuestions);
    QCOMPARE(exam.Text("txtsy"), "0");
}

void TestExamWindow::answerCardFollowsTheExam()
{
    Exam exam;
    const auto cell = [&](int p) { return exam.Get<QToolButton>(qPrintable(QStringLiteral("card_%1").arg(p))); };
    const auto mark = [&](int p) { return cell(p)->property("mark").toString(); };
    QVERIFY(exam.Get<QWidget>("answerCard"));
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
    exam.Result();
    QVERIFY(!cell(3)->isEnabled());
    exam.Review();
    QVERIFY(!cell(1)->isEnabled());
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
    QCOMPARE(exam.window.mts, 87);
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 87 题"));
    QCOMPARE(exam.Question(), exam.ExpectedText(87));
    QCOMPARE(exam.Text("txtsy"), "99");
    QVERIFY(exam.window.answers.mdictgd().Exists("0_" + exam.window.maryxz[1]));
    exam.Next();
    QCOMPARE(exam.Text("txtts"), QStringLiteral("第 88 题"));
}

void TestExamWindow::verdict_data()
{
    QTest::addColumn<int>("rightAnswers");
    QTest::addColumn<bool>("timeUp");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("89") << 89 << false << QStringLiteral("不合格");
    QTest::newRow("90") << 90 << false << QStringLiteral("合格");
    QTest::newRow("100") << 100 << false << QStringLiteral("合格");
    QTest::newRow("90 at time-up") << 90 << true << QStringLiteral("合格");
}

void TestExamWindow::verdict()
{
    QFETCH(int, rightAnswers);
    QFETCH(bool, timeUp);
    QFETCH(QString, verdict);
    Exam exam;
    const auto* label = exam.Get<QLabel>("lblVerdict");
    exam.Start();
    QCOMPARE(label->text(), QString());
    for (int p = 1; p <= ExamQuestions; ++p) {
        exam.Choose(p <= rightAnswers ? exam.RightOption(p) : exam.WrongOption(p));
        exam.Next();
    }
    MessageBoxCatcher boxes;
    if (timeUp) {
        exam.Get<QLineEdit>("txtsj")->setText("00:00");
        exam.window.Timer1_Timer();
    } else {
        exam.Result();
    }
    QCOMPARE(boxes.seen[0].text, QStringLiteral("您的得分为： %1分").arg(rightAnswers));
    QCOMPARE(label->text(), verdict);
    exam.Start();
    QCOMPARE(label->text(), QString());
}

QTEST_MAIN(TestExamWindow)
#include "tst_examwindow.moc"
