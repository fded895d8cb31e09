#include "common/Platform.h"
#include "common/QuestionPanel.h"
#include "practice/PracticeWindow.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
using Practice = PracticeDriver;

// Chapter 1: c1 (choice, C, with an explanation), j1 (对), j2 (错); chapter 3: two questions;
// chapter 5 has pictures; chapter 2 none.
QList<QByteArray> PracticeBank()
{
    return {QuestionLine(Question("c1", "1", "1", "C", QStringLiteral("一章 选择"), {},
                                  QStringLiteral("选 C：这是一章选择题的解释。"))),
            QuestionLine(Question("j1", "1", "0", "A", QStringLiteral("一章 判断对"))),
            QuestionLine(Question("t1", "3", "1", "A", QStringLiteral("三章 第一"))),
            QuestionLine(Question("j2", "1", "", "B", QStringLiteral("一章 判断错"))),
            QuestionLine(Question("t2", "3", "0", "A", QStringLiteral("三章 第二"))),
            QuestionLine(Question("p1", "5", "0", "A", "bare", "x.png")),
            QuestionLine(Question("p2", "5", "0", "A", "two", R"(d:\bank\x.png)")),
            QuestionLine(Question("p3", "5", "0", "A", "one", R"(sub\x.png)")),
            QuestionLine(Question("p4", "5", "0", "A", "none", "")),
            QuestionLine(Question("p5", "5", "0", "A", "missing", "gone.png"))};
}
// While it lives, opens the pipe at path for writing now and then after a few seconds: a reader
// stuck waiting for a writer then reads an end of file, and the test fails instead of hanging.
class PipeUnblocker
{
public:
    explicit PipeUnblocker(const QByteArray& path)
        : thread([this, path] {
              const auto start = std::chrono::steady_clock::now();
              while (!done) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
                  if (std::chrono::steady_clock::now() - start < std::chrono::seconds(3))
                      continue;
                  const int fd = open(path.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      unblocked = true;
                      close(fd);
                  }
              }
          })
    {
    }
    ~PipeUnblocker()
    {
        done = true;
        thread.join();
    }
    std::atomic<bool> unblocked = false;

private:
    std::atomic<bool> done = false;
    std::thread thread;
};
} // namespace

class TestPracticeWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void opensWithTenChapters();
    void startNeedsAChapter();
    void startShowsQuestionOne();
    void rightChoiceMoves();
    void wrongOrNoChoiceReveals_data();
    void wrongOrNoChoiceReveals();
    void wrapsBothWays();
    void wrongChoiceAtTheLastQuestion();
    void eachQuestionStartsClear();
    void chapterChangeMidPractice();
    void chapterChangeLeavesNothingBehind();
    void verdictInTheOptions_data();
    void verdictInTheOptions();
    void rightNoteMovesNoOption();
    void goesOnWhereItStopped();
    void pictureGrowsWithItsRoom();
    void fittedPictureSize_data();
    void fittedPictureSize();
    void startAlwaysShowsQuestionOne_data();
    void startAlwaysShowsQuestionOne();
    void chapterDoneLine();
    void labelsSayWhatTheyShow();
    void questionAreaGrowsWithTheWindow();
    void textSizeKeysAndMemory();
    void keysFollowTheMoveOnRule();
    void explanationAfterAWrongChoice();
    void sharpPicturesOnDenseScreens_data();
    void sharpPicturesOnDenseScreens();
    void opensOnlyPictureFiles_data();
    void opensOnlyPictureFiles();
    void emptyChapter();
    void pictures();
    void chapterTitles_data();
    void chapterTitles();

private:
    std::unique_ptr<FixtureBank> fixture;
};

void TestPracticeWindow::initTestCase()
{
    // The text size is kept in the settings: a test's own, emptied before each case.
    QStandardPaths::setTestModeEnabled(true);
}

void TestPracticeWindow::init()
{
    AppSettings().clear();
    fixture = std::make_unique<FixtureBank>();
    fixture->Write(PracticeBank());
    fixture->AddPicture("x.png");
    fixture->AddPicture("sub/x.png");
    fixture->Use();
}

void TestPracticeWindow::opensWithTenChapters()
{
    Practice p;
    auto* list = p.Get<QComboBox>("cboChapter");
    QCOMPARE(list->count(), 10);
    QCOMPARE(list->itemText(0), QStringLiteral("北京道路交通状况"));
    QCOMPARE(list->itemText(9), QStringLiteral("05年补充题"));
    QCOMPARE(list->currentIndex(), -1);
    QVERIFY(!list->isEditable());
    QVERIFY(!p.Enabled("cmdNext") && !p.Enabled("cmdPrevious"));
    QCOMPARE(p.window.chapterSizes, (std::array<int, 10>{3, 0, 2, 0, 5, 0, 0, 0, 0, 0}));
    QCOMPARE(p.window.windowTitle(), QStringLiteral("章节练习"));
    p.Chapter(1);
    QCOMPARE(p.Text("txtTotal"), QStringLiteral("共 3 题"));
}

void TestPracticeWindow::startNeedsAChapter()
{
    Practice p;
    MessageBoxCatcher boxes;
    p.Start();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("请您先选择要练习的章节"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
    QVERIFY(!p.Enabled("cmdNext"));
    QCOMPARE(p.Question(), QString());
}

void TestPracticeWindow::startShowsQuestionOne()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    QCOMPARE(p.Question(), QStringLiteral("一章 选择"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
    QVERIFY(p.Enabled("cmdNext") && p.Enabled("cmdPrevious"));
    QVERIFY(!p.Option(2)->isHidden());
    QCOMPARE(p.Option(0)->text(), "A");
}

void TestPracticeWindow::rightChoiceMoves()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(2);
    p.Next();
    QCOMPARE(p.Question(), QStringLiteral("一章 判断对"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    QCOMPARE(p.Option(0)->text(), QStringLiteral("对"));
    QCOMPARE(p.Option(1)->text(), QStringLiteral("错"));
    QVERIFY(p.Option(2)->isHidden());
    QCOMPARE(p.Revealed(), QString());
}

void TestPracticeWindow::wrongOrNoChoiceReveals_data()
{
    QTest::addColumn<int>("position"); // of chapter 1
    QTest::addColumn<int>("choice");   // -1: none
    QTest::addColumn<QString>("revealed");
    QTest::addColumn<QString>("positionText");
    QTest::newRow("choice, wrong") << 1 << 0 << "C" << QStringLiteral("第 1 题");
    QTest::newRow("choice, none selected") << 1 << -1 << "C" << QStringLiteral("第 1 题");
    QTest::newRow("true, wrong") << 2 << 1 << QStringLiteral("对") << QStringLiteral("第 2 题");
    QTest::newRow("false, wrong") << 3 << 0 << QStringLiteral("错") << QStringLiteral("第 3 题");
}

void TestPracticeWindow::wrongOrNoChoiceReveals()
{
    QFETCH(int, position);
    QFETCH(int, choice);
    QFETCH(QString, revealed);
    QFETCH(QString, positionText);
    Practice p;
    p.Chapter(1);
    p.Start();
    const QList<int> right = {2, 0, 1};
    for (int i = 1; i < position; ++i) {
        p.Choose(right[i - 1]);
        p.Next();
    }
    const QString shown = p.Question();
    if (choice >= 0) // nothing is selected yet in a new window
        p.Choose(choice);
    p.Next();
    QCOMPARE(p.Revealed(), revealed);
    QCOMPARE(p.Question(), shown);
    QCOMPARE(p.Text("txtPosition"), positionText);
    QCOMPARE(p.window.position, position);
    p.Previous(); // the other direction is refused the same way
    QCOMPARE(p.Question(), shown);
}

void TestPracticeWindow::wrapsBothWays()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(2);
    p.Previous();
    QCOMPARE(p.Question(), QStringLiteral("一章 判断错"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 3 题"));
    p.Choose(1);
    p.Next();
    QCOMPARE(p.Question(), QStringLiteral("一章 选择"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
}

void TestPracticeWindow::wrongChoiceAtTheLastQuestion()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(2);
    p.Previous(); // question 3, 错
    p.Choose(0);
    p.Next();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 3 题"));
    p.Choose(1);
    p.Previous();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    p.Choose(0);
    p.Next();
    p.Choose(1);
    p.Next();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
}

void TestPracticeWindow::eachQuestionStartsClear()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(0);
    p.Next(); // wrong: C revealed
    p.Choose(2);
    p.Next(); // a true/false question: nothing carried over from the choice question
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    for (int i = 0; i < 3; ++i)
        QVERIFY(!p.Option(i)->isChecked());
    QCOMPARE(p.Revealed(), QString());
    p.Next(); // no choice of its own: its own answer is revealed
    QCOMPARE(p.Revealed(), QStringLiteral("对"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
}

void TestPracticeWindow::chapterChangeMidPractice()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(0);
    p.Next(); // wrong: C revealed
    p.Chapter(3);
    QCOMPARE(p.Question(), QString());
    QVERIFY(!p.Enabled("cmdNext") && !p.Enabled("cmdPrevious"));
    QCOMPARE(p.Revealed(), QString());
    QVERIFY(!p.Option(0)->isChecked());
    QCOMPARE(p.Text("txtTotal"), QStringLiteral("共 2 题"));
    p.Start();
    QCOMPARE(p.Question(), QStringLiteral("三章 第一"));
    p.Next(); // nothing chosen in this chapter yet
    QCOMPARE(p.Revealed(), "A");
    QCOMPARE(p.Question(), QStringLiteral("三章 第一"));
}

void TestPracticeWindow::chapterChangeLeavesNothingBehind()
{
    Practice p;
    p.Chapter(5);
    p.Start();
    p.Choose(0);
    p.Next();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    QVERIFY(!p.Get<QLabel>("lblPicture")->isHidden());
    p.Chapter(1);
    QCOMPARE(p.Text("txtPosition"), QString());
    QCOMPARE(p.Question(), QString());
    QVERIFY(p.Get<QLabel>("lblPicture")->isHidden());
    p.Start();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
    QVERIFY(!p.Option(0)->isHidden());
}

void TestPracticeWindow::verdictInTheOptions_data()
{
    QTest::addColumn<int>("choice");       // on question 1 of chapter 1 (C right); -1: none
    QTest::addColumn<QList<int>>("marks"); // per option: 0 none, 1 right (green), -1 wrong (red)
    QTest::addColumn<bool>("moved");
    QTest::newRow("wrong") << 0 << QList<int>{-1, 0, 1} << false;
    QTest::newRow("other wrong") << 1 << QList<int>{0, -1, 1} << false;
    QTest::newRow("none") << -1 << QList<int>{0, 0, 1} << false;
    QTest::newRow("right") << 2 << QList<int>{0, 0, 0} << true;
}

void TestPracticeWindow::verdictInTheOptions()
{
    QFETCH(int, choice);
    QFETCH(QList<int>, marks);
    QFETCH(bool, moved);
    Practice p;
    p.Chapter(1);
    p.Start();
    const QColor plain = p.Option(0)->palette().color(QPalette::WindowText);
    if (choice >= 0)
        p.Choose(choice);
    p.Next();
    for (int i = 0; i < 3; ++i) {
        const QColor shown = p.Option(i)->palette().color(QPalette::WindowText);
        const QColor expected = marks[i] == 0  ? plain
                                : marks[i] > 0 ? QColor(0, 128, 0)
                                               : QColor(192, 0, 0);
        QCOMPARE(shown, expected);
    }
    const auto* note = p.Get<QLabel>("lblRightNote");
    QCOMPARE(p.window.position, moved ? 2 : 1);
    QCOMPARE(!note->isHidden(), moved);
    if (!moved) {
        QCOMPARE(p.Revealed(), "C"); // the side panel still says it too
        return;
    }
    QCOMPARE(note->text(), QStringLiteral("回答正确"));
    QTRY_VERIFY(note->isHidden()); // brief
}

// The note keeps its room while hidden: the options of a true/false question do not move when it
// comes and goes.
void TestPracticeWindow::rightNoteMovesNoOption()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(2); // right; question 2 is a true/false one
    p.Next();
    const auto* note = p.Get<QLabel>("lblRightNote");
    QTest::qWait(100); // laid out
    QVERIFY(!note->isHidden());
    const QRect withNote = p.Option(1)->geometry();
    QTRY_VERIFY(note->isHidden());
    QTest::qWait(100);
    QCOMPARE(p.Option(1)->geometry(), withNote);
}

void TestPracticeWindow::goesOnWhereItStopped()
{
    {
        Practice p;
        QVERIFY(p.Get<QPushButton>("cmdResume")->isHidden()); // a first run: nothing to go on with
        p.Chapter(3);
        p.Start();
        p.Choose(0);
        p.Next();
        QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    }
    Practice p;
    auto* resume = p.Get<QPushButton>("cmdResume");
    QCOMPARE(p.Get<QComboBox>("cboChapter")->currentIndex(), 2);
    QCOMPARE(p.Text("txtTotal"), QStringLiteral("共 2 题"));
    QVERIFY(!resume->isHidden());
    QCOMPARE(resume->text(), QStringLiteral("继续上次：第 2 题"));
    p.Chapter(1); // only for the chapter it was
    QVERIFY(resume->isHidden());
    p.Chapter(3);
    QVERIFY(!resume->isHidden());
    p.Click("cmdResume");
    QCOMPARE(p.Question(), QStringLiteral("三章 第二"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    QVERIFY(resume->isHidden());
    QVERIFY(p.Enabled("cmdNext"));
    p.Choose(0);
    p.Next(); // on from the last question: the round done as from a start
    QCOMPARE(p.Question(), QStringLiteral("三章 第一"));
    Practice again; // stopped at question 1: nothing to go on with
    QCOMPARE(again.Get<QComboBox>("cboChapter")->currentIndex(), 2);
    QVERIFY(again.Get<QPushButton>("cmdResume")->isHidden());
}

void TestPracticeWindow::pictureGrowsWithItsRoom()
{
    Practice p;
    p.Chapter(5);
    p.Start();
    const auto* img = p.Get<QLabel>("lblPicture");
    p.window.resize(1200, 900);
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    // The fixture's picture is 40x20: twice that, and no more, in a large room.
    QTRY_COMPARE(img->pixmap().deviceIndependentSize().toSize(), QSize(80, 40));
    QCOMPARE(p.Get<QPlainTextEdit>("txtQuestion")->font().pointSize(),
             9); // the text keeps its chosen size
}

void TestPracticeWindow::fittedPictureSize_data()
{
    QTest::addColumn<QSizeF>("natural");
    QTest::addColumn<QSize>("room");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("ample room: twice") << QSizeF(40, 20) << QSize(500, 500) << QSize(80, 40);
    QTest::newRow("width decides") << QSizeF(40, 20) << QSize(60, 500) << QSize(60, 30);
    QTest::newRow("height decides") << QSizeF(40, 20) << QSize(500, 25) << QSize(50, 25);
    QTest::newRow("exactly its size") << QSizeF(40, 20) << QSize(40, 20) << QSize(40, 20);
    QTest::newRow("smaller room shrinks it")
        << QSizeF(200, 100) << QSize(100, 100) << QSize(100, 50);
    QTest::newRow("no room") << QSizeF(40, 20) << QSize(0, 0) << QSize();
    QTest::newRow("no picture") << QSizeF() << QSize(100, 100) << QSize();
}

void TestPracticeWindow::fittedPictureSize()
{
    QFETCH(QSizeF, natural);
    QFETCH(QSize, room);
    QFETCH(QSize, shown);
    QCOMPARE(FittedPictureSize(natural, room), shown);
}

void TestPracticeWindow::startAlwaysShowsQuestionOne_data()
{
    QTest::addColumn<int>("choice"); // at question 2 when start is pressed; -1: none
    QTest::newRow("right choice on display") << 0;
    QTest::newRow("wrong choice on display") << 1;
    QTest::newRow("no choice on display") << -1;
}

void TestPracticeWindow::startAlwaysShowsQuestionOne()
{
    QFETCH(int, choice);
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(2);
    p.Next();
    if (choice >= 0)
        p.Choose(choice);
    p.Start();
    QCOMPARE(p.Question(), QStringLiteral("一章 选择"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(p.window.position, 1);
    QCOMPARE(p.Revealed(), QString());
    p.Choose(2);
    p.Next();
    QCOMPARE(p.Question(), QStringLiteral("一章 判断对"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
}

void TestPracticeWindow::chapterDoneLine()
{
    Practice p;
    const auto* line = p.Get<QLabel>("lblDone");
    const auto done = [line] { return line->isHidden() ? QString() : line->text(); };
    p.Chapter(1);
    p.Start();
    p.Choose(0);
    p.Next(); // wrong first: not right at the first try
    p.Choose(2);
    p.Next();
    p.Choose(0);
    p.Next();
    QCOMPARE(done(), QString());
    p.Choose(1);
    p.Next(); // on from the last question
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(done(), QStringLiteral("本章 3 题已全部练完，本轮第一次就答对 2 题。"));
    p.Choose(2);
    p.Next();
    QCOMPARE(done(), QString());
    p.Choose(0);
    p.Previous(); // backwards over the end is no round
    p.Choose(2);
    p.Previous();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 3 题"));
    QCOMPARE(done(), QString());
    p.Choose(1);
    p.Next(); // the second round: every question right at its first try in this round
    QCOMPARE(done(), QStringLiteral("本章 3 题已全部练完，本轮第一次就答对 3 题。"));
    p.Start(); // a new run counts afresh
    p.Choose(2);
    p.Next();
    p.Choose(0);
    p.Next();
    p.Choose(1);
    p.Next();
    QCOMPARE(done(), QStringLiteral("本章 3 题已全部练完，本轮第一次就答对 3 题。"));
}

void TestPracticeWindow::labelsSayWhatTheyShow()
{
    Practice p;
    QCOMPARE(p.Get<QLabel>("lblChapter")->text(), QStringLiteral("选择章节"));
    QCOMPARE(p.Get<QGroupBox>("frameInfo")->title(), QStringLiteral("练习信息"));
    QCOMPARE(p.Get<QLabel>("lblTotal")->text(), QStringLiteral("题目总数"));
    QCOMPARE(p.Get<QLabel>("lblTotal")->buddy(), p.Get<QLineEdit>("txtTotal"));
    QCOMPARE(p.Get<QLabel>("lblPosition")->text(), QStringLiteral("当前题号"));
    QCOMPARE(p.Get<QLabel>("lblPosition")->buddy(), p.Get<QLineEdit>("txtPosition"));
}

void TestPracticeWindow::questionAreaGrowsWithTheWindow()
{
    Practice p;
    p.Chapter(5);
    p.Start(); // a picture question
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    const QSize text = p.Get<QPlainTextEdit>("txtQuestion")->size();
    const QSize info = p.Get<QGroupBox>("frameInfo")->size();
    p.window.resize(p.window.size() + QSize(400, 300));
    QTRY_VERIFY(p.Get<QPlainTextEdit>("txtQuestion")->width() >= text.width() + 350);
    QVERIFY(p.Get<QPlainTextEdit>("txtQuestion")->height() > text.height() + 100);
    QCOMPARE(p.Get<QGroupBox>("frameInfo")->width(), info.width());
    QVERIFY(!p.Get<QLabel>("lblPicture")->isHidden());
}

void TestPracticeWindow::emptyChapter()
{
    Practice p;
    p.Chapter(2);
    QCOMPARE(p.Text("txtTotal"), QStringLiteral("共 0 题"));
    p.Start();
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(p.Question(), QString());
    for (int i = 0; i < 3; ++i)
        QVERIFY(p.Option(i)->isHidden());
    QVERIFY(p.Get<QLabel>("lblPicture")->isHidden());
    QVERIFY(!p.Enabled("cmdNext") && !p.Enabled("cmdPrevious"));
}

void TestPracticeWindow::pictures()
{
    Practice p;
    p.Chapter(5);
    p.Start();
    const QList<bool> shown = {true, true, true, false, false};
    for (int i = 0; i < shown.size(); ++i) {
        QVERIFY2(p.Get<QLabel>("lblPicture")->isHidden() != shown[i], qPrintable(p.Question()));
        QCOMPARE(p.Get<QLabel>("lblPicture")->pixmap().isNull(), !shown[i]);
        p.Choose(0);
        p.Next();
    }
}

void TestPracticeWindow::textSizeKeysAndMemory()
{
    const auto sizes = [](const Practice& p) {
        QList<int> points;
        for (const char* name : {"txtQuestion", "txtExplain", "optA", "optB", "optC"})
            points.append(p.Get<QWidget>(name)->font().pointSize());
        return points;
    };
    const auto all = [](int points) { return QList<int>(5, points); };
    {
        Practice p;
        QVERIFY(QTest::qWaitForWindowActive(&p.window));
        QCOMPARE(sizes(p), all(9));
        p.Chapter(1);
        p.Start();
        p.Choose(0); // keys work wherever the focus is
        QTest::keyClick(&p.window, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(p.Option(0), Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(sizes(p), all(11));
        QCOMPARE(p.Get<QWidget>("lblChapter")->font().pointSize(), 9); // only the question grows
    }
    {
        Practice p; // remembered
        QVERIFY(QTest::qWaitForWindowActive(&p.window));
        QCOMPARE(sizes(p), all(11));
        QTest::keyClick(&p.window, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(sizes(p), all(10));
        QTest::keyClick(&p.window, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(sizes(p), all(9));
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&p.window, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(sizes(p), all(7)); // the smallest that stays readable
    }
}

void TestPracticeWindow::keysFollowTheMoveOnRule()
{
    Practice p;
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    p.Chapter(1);
    QTest::keyClick(&p.window, Qt::Key_Right); // not started: the buttons are disabled
    QCOMPARE(p.Text("txtPosition"), QString());
    p.Start();
    QTest::keyClick(&p.window, Qt::Key_3);
    p.Option(2)->setFocus();
    QTest::keyClick(p.Option(2), Qt::Key_Right);
    QCOMPARE(p.Question(), QStringLiteral("一章 判断对"));
    QTest::keyClick(&p.window, Qt::Key_C); // no third option on a true/false question
    QTest::keyClick(&p.window, Qt::Key_Return);
    QCOMPARE(p.Revealed(), QStringLiteral("对"));
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
    QTest::keyClick(&p.window, Qt::Key_A);
    QTest::keyClick(&p.window, Qt::Key_PageDown);
    QCOMPARE(p.Question(), QStringLiteral("一章 判断错"));
    QTest::keyClick(&p.window, Qt::Key_1);
    QTest::keyClick(&p.window, Qt::Key_Left); // wrong: refused either way
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 3 题"));
    QTest::keyClick(&p.window, Qt::Key_B);
    QTest::keyClick(&p.window, Qt::Key_PageUp);
    QCOMPARE(p.Text("txtPosition"), QStringLiteral("第 2 题"));
}

void TestPracticeWindow::explanationAfterAWrongChoice()
{
    Practice p;
    const auto* box = p.Get<QPlainTextEdit>("txtExplain");
    const auto explained = [box] { return box->isHidden() ? QString() : box->toPlainText(); };
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    p.Chapter(1);
    p.Start();
    QCOMPARE(explained(), QString());
    p.Choose(2);
    p.Next(); // right at once: nothing to explain
    QCOMPARE(explained(), QString());
    p.Choose(0);
    p.Previous();
    QTest::keyClick(&p.window, Qt::Key_Right); // nothing chosen: revealed
    QCOMPARE(p.Revealed(), "C");
    QCOMPARE(explained(), QStringLiteral("选 C：这是一章选择题的解释。"));
    p.Choose(2);
    p.Next(); // moved on: cleared
    QCOMPARE(explained(), QString());
    QCOMPARE(box->toPlainText(), QString());
    p.Choose(1);
    p.Next(); // a question without an explanation shows no box
    QCOMPARE(p.Revealed(), QStringLiteral("对"));
    QVERIFY(box->isHidden());
    p.Chapter(1); // the chapter picked again clears it all
    p.Start();
    p.Next();
    QCOMPARE(explained(), QStringLiteral("选 C：这是一章选择题的解释。"));
    p.Chapter(3);
    QVERIFY(box->isHidden());
}

void TestPracticeWindow::sharpPicturesOnDenseScreens_data()
{
    QTest::addColumn<bool>("twin");        // x@2x.png lies beside x.png
    QTest::addColumn<qreal>("ratio");      // the screen's device pixel ratio
    QTest::addColumn<qreal>("shownRatio"); // of the picture loaded
    QTest::newRow("ordinary screen") << true << 1.0 << 1.0;
    QTest::newRow("dense screen") << true << 2.0 << 2.0;
    QTest::newRow("dense screen, no twin") << false << 2.0 << 1.0;
}

void TestPracticeWindow::sharpPicturesOnDenseScreens()
{
    QFETCH(bool, twin);
    QFETCH(qreal, ratio);
    QFETCH(qreal, shownRatio);
    if (twin)
        fixture->AddPicture("x@2x.png");
    const QPixmap picture = SharpestPicture(fixture->Dir() + "/pict/x.png", ratio);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.devicePixelRatio(), shownRatio);
    QCOMPARE(picture.deviceIndependentSize(), QSizeF(40, 20) / shownRatio);
}

void TestPracticeWindow::opensOnlyPictureFiles_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<bool>("loads");
    QTest::newRow("pipe") << "pipe" << false;
    QTest::newRow("link to a picture") << "link" << true;
}

// Anyone can put anything in pict/: a pipe must not keep the question window waiting.
void TestPracticeWindow::opensOnlyPictureFiles()
{
    QFETCH(QString, make);
    QFETCH(bool, loads);
    const QString path = fixture->Dir() + "/pict/y.png";
    if (make == u"pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(fixture->Dir() + "/pict/x.png", path));
    PipeUnblocker unblocker(QFile::encodeName(path));
    QCOMPARE(!SharpestPicture(path, 1).isNull(), loads);
    QVERIFY(!unblocker.unblocked);
}

void TestPracticeWindow::chapterTitles_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("title");
    QTest::newRow("1") << "1" << QStringLiteral("北京道路交通状况");
    QTest::newRow("4") << "4" << QStringLiteral("交通信号");
    QTest::newRow("9") << "9" << QStringLiteral("安全驾驶常识及相关知识");
    QTest::newRow("10") << "10" << QStringLiteral("05年补充题");
    QTest::newRow("01") << "01" << QString();
    QTest::newRow("11") << "11" << QString();
    QTest::newRow("empty") << "" << QString();
}

void TestPracticeWindow::chapterTitles()
{
    QFETCH(QString, number);
    QFETCH(QString, title);
    QCOMPARE(ChapterTitle(number), title);
}

QTEST_MAIN(TestPracticeWindow)
#include "tst_practicewindow.moc"
