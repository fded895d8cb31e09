#include "common/Platform.h"
#include "common/Study.h"
#include "exam/ExamRules.h"
#include "practice/PracticeWindow.h"
#include "progress/StudyWindow.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "support/FixtureBank.h"
#include "support/Looks.h"
#include "support/StudyFixture.h"
#include "support/TopLevelWindows.h"
#include "support/WindowDriver.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace
{
const QString Bank = QStringLiteral("beijing.dat");

struct StudyDriver : WindowDriver<StudyWindow> {
    QTableWidget* Table(const char* name) const { return Get<QTableWidget>(name); }
    QString Cell(const char* table, int row, int column) const
    {
        return Table(table)->item(row, column)->text();
    }
    QProgressBar* Bar(int row) const
    {
        return Table("tblChapters")->cellWidget(row, 5)->findChild<QProgressBar*>();
    }
    // The figure beside the bar.
    QString Percent(int row) const
    {
        return Table("tblChapters")->cellWidget(row, 5)->findChild<QLabel*>()->text();
    }
    QLabel* Label(const char* name) const { return Get<QLabel>(name); }
    bool Shown(const char* name) const { return !Get<QWidget>(name)->isHidden(); }
    // The counts the window shows: questions answered and latest right in all, the book, the
    // exams, the marks.
    QString Counts() const
    {
        return QStringLiteral("%1/%2, %3, %4 exams, %5")
            .arg(Cell("tblChapters", 10, 2), Cell("tblChapters", 10, 3), Label("lblWrong")->text(),
                 QString::number(Table("tblExams")->rowCount()), Label("lblFavourites")->text());
    }
};

// What the learner does in another window, each written to a table of its own.
enum class RecordWrite { RightAnswer, WrongAnswer, Exam, Mark };

// Presses the button captioned answer in the next question box that opens.
void AnswerNextQuestion(const QString& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            qFatal("no question box");
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == answer)
                button->click();
        }
    });
}

// An exam result with the given score: the first `score` questions right, the rest wrong.
void RecordExam(int score, int seconds)
{
    ExamResult result;
    result.score = score;
    result.answered = score;
    result.secondsUsed = seconds;
    for (int i = 1; i <= 3; ++i)
        result.answers.append({QStringLiteral("p%1").arg(i), 2, "A", i <= score});
    Study().ExamFinished(Study().ExamStarted(Bank), result);
}

void Practise(const QString& id, int chapter, bool right)
{
    Study().PracticeAnswered(Bank, {id, chapter, "A", right});
}

// The learner comes back to the window from another.
void Activate(QWidget& window)
{
    QApplication::setActiveWindow(&window);
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&window, &activation);
}
} // namespace

Q_DECLARE_METATYPE(RecordWrite)

class TestStudyWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void withoutRecordSaysSo();
    void progressPerChapter();
    void examHistoryAndChart();
    void historyColoursTheVerdict();
    void wrongQuestionPractice();
    void clearAsksFirst_data();
    void clearAsksFirst();
    void followsEachWriteWhileOpen_data();
    void followsEachWriteWhileOpen();
    void refreshedWhenComingBack();
    void comingBackReadsOnlyAChangedRecord();
    void mostMissedQuestions();
    void mostMissedShowsTwenty();
    void favourites();
    void refreshedWhenShown();
    void chartDays();

private:
    std::unique_ptr<FixtureBank> fixture;
    std::unique_ptr<StudyFixture> study;
};

void TestStudyWindow::init()
{
    study = std::make_unique<StudyFixture>();
    fixture = std::make_unique<FixtureBank>();
    // Chapter 1: x1 (A), x2 (B), x3 (C), x4 (A); chapter 2: p1 (对), p2 (错), ...
    fixture->Write(FixtureBank::ExamLines(4, 6));
    fixture->Use();
}

void TestStudyWindow::cleanup()
{
    CloseAllWindows();
    fixture.reset();
    study.reset();
}

void TestStudyWindow::withoutRecordSaysSo()
{
    const qint64 abandoned = Study().ExamStarted(Bank); // no result: nothing to show
    Study().ExamAbandoned(abandoned);
    StudyDriver s;
    QCOMPARE(s.window.windowTitle(), QStringLiteral("学习记录"));
    QVERIFY(s.Shown("lblEmpty"));
    QVERIFY(s.Label("lblEmpty")->text().startsWith(QStringLiteral("还没有学习记录")));
    QVERIFY(!s.Shown("areaRecord"));
    QVERIFY(!s.Enabled("cmdWrong"));
    QVERIFY(!s.Enabled("cmdClear"));
}

void TestStudyWindow::progressPerChapter()
{
    Practise("x1", 1, false);
    Practise("x1", 1, true); // latest right, still in the book
    Practise("x2", 1, true);
    Practise("x3", 1, false);
    Practise("p1", 2, true);
    Practise("gone", 1, false); // no longer in the bank: not counted anywhere
    StudyDriver s;
    QVERIFY(!s.Shown("lblEmpty"));
    QVERIFY(s.Shown("areaRecord"));
    QCOMPARE(s.Table("tblChapters")->rowCount(), 11);
    const QStringList chapter1 = {QStringLiteral("北京道路交通状况"), "4", "3", "2", "2"};
    const QStringList chapter2 = {QStringLiteral("道路交通安全法规概述"), "6", "1", "1", "0"};
    const QStringList chapter3 = {QStringLiteral("驾驶证和机动车管理"), "0", "0", "0", "0"};
    const QStringList total = {QStringLiteral("合计"), "10", "4", "3", "2"};
    const QList<std::pair<int, QStringList>> rows = {
        {0, chapter1}, {1, chapter2}, {2, chapter3}, {10, total}};
    for (const auto& [row, cells] : rows) {
        for (int column = 0; column < cells.size(); ++column)
            QCOMPARE(s.Cell("tblChapters", row, column), cells[column]);
        QCOMPARE(s.Bar(row)->value(), cells[2].toInt());
    }
    QCOMPARE(s.Bar(0)->maximum(), 4);
    // One colour for the figure: beside the bar, not across the edge of its fill.
    QVERIFY(!s.Bar(0)->isTextVisible());
    QCOMPARE(s.Percent(0), "75%");
    QCOMPARE(s.Percent(1), "16%");
    QCOMPARE(s.Percent(2), "0%");
    QCOMPARE(s.Percent(10), "40%");
    QCOMPARE(s.Label("lblWrong")->text(), QStringLiteral("错题本：共 2 题"));
    QVERIFY(s.Enabled("cmdWrong"));
    QVERIFY(s.Shown("lblNoExams"));
    QVERIFY(!s.Shown("chartScores"));
}

void TestStudyWindow::examHistoryAndChart()
{
    RecordExam(3, 754);
    RecordExam(1, 2700);
    StudyDriver s;
    QVERIFY(!s.Shown("lblNoExams"));
    QVERIFY(s.Shown("chartScores"));
    QCOMPARE(s.Table("tblExams")->rowCount(), 2);
    // The latest on top. The fixture's scores stand for 100-question ones: 3 and 1 both fail.
    QCOMPARE(s.Cell("tblExams", 0, 1), "1");
    QCOMPARE(s.Cell("tblExams", 0, 2), QStringLiteral("不合格"));
    QCOMPARE(s.Cell("tblExams", 0, 3), QStringLiteral("45分00秒"));
    QCOMPARE(s.Cell("tblExams", 1, 1), "3");
    QCOMPARE(s.Cell("tblExams", 1, 3), QStringLiteral("12分34秒"));
    const QDateTime shown = QDateTime::fromString(s.Cell("tblExams", 1, 0), "yyyy-MM-dd HH:mm");
    QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) < 120);

    const QList<QAbstractSeries*> series = s.Get<QChartView>("chartScores")->chart()->series();
    QCOMPARE(series.size(), 3);
    const auto* scores = static_cast<QLineSeries*>(series[1]);
    QCOMPARE(scores->count(), 2);
    QCOMPARE(scores->at(0).y(), 3);
    QCOMPARE(scores->at(1).y(), 1);
    const auto* pass = static_cast<QLineSeries*>(series[0]);
    QCOMPARE(pass->at(0).y(), 90);
    QCOMPARE(pass->at(1).y(), 90);
    QVERIFY(pass->at(0).x() < pass->at(1).x()); // the same minute still gets a time axis
}

// The book's questions in the order they entered it, answered as in chapter practice; a
// question answered right twice in a row leaves the book.
void TestStudyWindow::wrongQuestionPractice()
{
    Practise("p2", 2, false);
    Practise("x3", 1, false);
    Practise("gone", 1, false);
    StudyDriver s;
    QCOMPARE(s.window.wrongBook, (QStringList{"p2", "x3", "gone"}));
    QCOMPARE(s.Label("lblWrong")->text(), QStringLiteral("错题本：共 2 题"));
    s.Click("cmdWrong");
    PracticeWindow* window = ShownWindow<PracticeWindow>();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("错题练习"));
    QCOMPARE(window->parentWidget(), nullptr);
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    for (const char* hidden : {"cboChapter", "cmdStart", "lblChapter"})
        QVERIFY(window->findChild<QWidget*>(hidden)->isHidden());

    auto text = [window] {
        return window->findChild<QPlainTextEdit*>("txtQuestion")->toPlainText();
    };
    auto field = [window](const char* name) { return window->findChild<QLineEdit*>(name)->text(); };
    auto choose = [window](int i) {
        auto* option =
            window->findChild<QRadioButton*>(QStringLiteral("opt%1").arg(QChar(u'A' + i)));
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    };
    auto next = [window] {
        QTest::mouseClick(window->findChild<QPushButton*>("cmdNext"), Qt::LeftButton);
    };
    QCOMPARE(field("txtTotal"), QStringLiteral("共 2 题"));
    QCOMPARE(field("txtPosition"), QStringLiteral("第 1 题"));
    QCOMPARE(text(), QStringLiteral("判断题 2"));
    choose(0);
    next(); // wrong: the right answer revealed in red, no move
    QCOMPARE(window->findChild<QLabel*>("lblAnswer")->text(), QStringLiteral("错"));
    QCOMPARE(text(), QStringLiteral("判断题 2"));
    choose(1);
    next();
    QCOMPARE(text(), QStringLiteral("选择题 3"));
    QCOMPARE(field("txtPosition"), QStringLiteral("第 2 题"));
    choose(2);
    next(); // right: wraps around to the first
    QCOMPARE(text(), QStringLiteral("判断题 2"));
    choose(1);
    next();
    choose(2);
    next(); // x3 right twice in a row now

    QCOMPARE(WrongBook(Study().Database(), Bank), (QStringList{"p2", "gone"}));
    // The study window follows without being touched.
    QTRY_COMPARE(s.Label("lblWrong")->text(), QStringLiteral("错题本：共 1 题"));
}

void TestStudyWindow::clearAsksFirst_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("cancelled") << QStringLiteral("取消") << false;
    QTest::newRow("confirmed") << QStringLiteral("清除") << true;
}

void TestStudyWindow::clearAsksFirst()
{
    QFETCH(QString, answer);
    QFETCH(bool, cleared);
    Practise("x1", 1, false);
    RecordExam(2, 100);
    Study().PracticeAnswered(QStringLiteral("other.dat"), {"x1", 1, "A", false});
    StudyDriver s;
    AnswerNextQuestion(answer);
    s.Click("cmdClear");
    QCOMPARE(s.Shown("lblEmpty"), cleared);
    QCOMPARE(LatestAnswers(Study().Database(), Bank).isEmpty(), cleared);
    QCOMPARE(FinishedExams(Study().Database(), Bank).isEmpty(), cleared);
    QCOMPARE(WrongBook(Study().Database(), QStringLiteral("other.dat")), QStringList{"x1"});
}

void TestStudyWindow::followsEachWriteWhileOpen_data()
{
    QTest::addColumn<RecordWrite>("write");
    QTest::addColumn<QString>("counts");
    QTest::newRow("a right answer")
        << RecordWrite::RightAnswer << QStringLiteral("2/1, 错题本：共 1 题, 0 exams, 收藏 0 题");
    QTest::newRow("a wrong answer")
        << RecordWrite::WrongAnswer << QStringLiteral("2/0, 错题本：共 2 题, 0 exams, 收藏 0 题");
    QTest::newRow("an exam") << RecordWrite::Exam
                             << QStringLiteral("4/1, 错题本：共 3 题, 1 exams, 收藏 0 题");
    QTest::newRow("a mark") << RecordWrite::Mark
                            << QStringLiteral("1/0, 错题本：共 1 题, 0 exams, 收藏 1 题");
}

// Written by this program while the window stays open and inactive: it shows the write without
// being shown or activated again.
void TestStudyWindow::followsEachWriteWhileOpen()
{
    QFETCH(RecordWrite, write);
    QFETCH(QString, counts);
    Practise("x2", 1, false);
    StudyDriver s;
    // Activated once shown: activation reads a changed record too, so it comes before the write.
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    QCOMPARE(s.Counts(), QStringLiteral("1/0, 错题本：共 1 题, 0 exams, 收藏 0 题"));
    switch (write) {
    case RecordWrite::RightAnswer:
        Practise("x1", 1, true);
        break;
    case RecordWrite::WrongAnswer:
        Practise("x3", 1, false);
        break;
    case RecordWrite::Exam:
        RecordExam(1, 100);
        break;
    case RecordWrite::Mark:
        Study().MarkFavourite(Bank, "x4", true);
        break;
    }
    QTRY_COMPARE(s.Counts(), counts);
}

void TestStudyWindow::refreshedWhenComingBack()
{
    StudyDriver s;
    QVERIFY(s.Shown("lblEmpty"));
    Practise("x1", 1, false);
    Activate(s.window);
    QVERIFY(!s.Shown("lblEmpty"));
    QCOMPARE(s.Label("lblWrong")->text(), QStringLiteral("错题本：共 1 题"));
}

// Coming back to an unchanged record reads nothing; an answer given in another copy of the
// program is read.
void TestStudyWindow::comingBackReadsOnlyAChangedRecord()
{
    Practise("x1", 1, false);
    StudyDriver s;
    QLabel* book = s.Label("lblWrong");
    book->setText(QStringLiteral("not read again"));
    Activate(s.window);
    QCOMPARE(book->text(), QStringLiteral("not read again"));
    StudyStore otherCopy(StudyFixture::Folder());
    otherCopy.PracticeAnswered(Bank, {"x2", 1, "B", false});
    Activate(s.window);
    QCOMPARE(book->text(), QStringLiteral("错题本：共 2 题"));
}

// 合格 in green, 不合格 in red, as drawn in the history.
void TestStudyWindow::historyColoursTheVerdict()
{
    RecordExam(3, 600);
    RecordExam(95, 600);
    StudyDriver s;
    s.window.resize(900, 700);
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    QTableWidget* table = s.Table("tblExams");
    const auto drawnIn = [&](int row, const QColor& colour) {
        return PixelsOf(table->viewport(), colour, 40, table->visualItemRect(table->item(row, 2))) >
               0;
    };
    QCOMPARE(s.Cell("tblExams", 0, 2), QStringLiteral("合格"));
    QVERIFY(drawnIn(0, RightColour) && !drawnIn(0, WrongColour));
    QCOMPARE(s.Cell("tblExams", 1, 2), QStringLiteral("不合格"));
    QVERIFY(drawnIn(1, WrongColour) && !drawnIn(1, RightColour));
}

// Most often wrong first, then the latest wrong; questions the bank no longer has are left out.
void TestStudyWindow::mostMissedQuestions()
{
    Practise("x1", 1, false);
    Practise("p2", 2, false);
    Practise("x1", 1, false);
    Practise("x3", 1, false);
    Practise("x3", 1, true);
    for (int i = 0; i < 3; ++i)
        Practise("gone", 1, false);
    StudyDriver s;
    auto* tabs = s.Get<QTabWidget>("tabRecords");
    QVERIFY(tabs->isTabVisible(tabs->indexOf(s.Get<QWidget>("frameMissed"))));
    QCOMPARE(s.window.missedRows, (QStringList{"x1", "x3", "p2"}));
    QCOMPARE(s.Table("tblMissed")->rowCount(), 3);
    QStringList row;
    for (int column = 0; column < 7; ++column)
        row.append(s.Cell("tblMissed", 1, column));
    QCOMPARE(row, (QStringList{QStringLiteral("北京道路交通状况"), "3", QStringLiteral("选择题 3"),
                               "1", "1", "0", QStringLiteral("对")}));
    QCOMPARE(s.Cell("tblMissed", 2, 0), QStringLiteral("道路交通安全法规概述"));
    QCOMPARE(s.Cell("tblMissed", 2, 6), QStringLiteral("错"));

    QTableWidget* table = s.Table("tblMissed");
    const QRect cell = table->visualRect(table->model()->index(1, 2));
    // A double-click: the first click, then the second, which the view sees as the double one.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    PracticeWindow* window = ShownWindow<PracticeWindow>();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("常错题"));
    QCOMPARE(window->findChild<QLineEdit*>("txtTotal")->text(), QStringLiteral("共 3 题"));
    QCOMPARE(window->findChild<QLineEdit*>("txtPosition")->text(), QStringLiteral("第 2 题"));
    QCOMPARE(window->findChild<QPlainTextEdit*>("txtQuestion")->toPlainText(),
             QStringLiteral("选择题 3"));
    window->close();

    s.Click("cmdMissed");
    window = ShownWindow<PracticeWindow>();
    QVERIFY(window);
    QCOMPARE(window->findChild<QLineEdit*>("txtPosition")->text(), QStringLiteral("第 1 题"));
    QCOMPARE(window->findChild<QPlainTextEdit*>("txtQuestion")->toPlainText(),
             QStringLiteral("选择题 1"));
}

void TestStudyWindow::mostMissedShowsTwenty()
{
    fixture->Write(FixtureBank::ExamLines(30, 0));
    for (int i = 1; i <= 30; ++i)
        Practise(QStringLiteral("x%1").arg(i), 1, false);
    Practise("x30", 1, false);
    StudyDriver s;
    QCOMPARE(s.Table("tblMissed")->rowCount(), StudyWindow::MissedShown);
    QCOMPARE(s.window.missedRows.first(), "x30");
    QCOMPARE(s.window.missedRows.last(), "x11"); // then the latest wrong first
}

// Marks count without any answers; those the bank no longer has are left out.
void TestStudyWindow::favourites()
{
    StudyDriver s;
    QCOMPARE(s.Label("lblFavourites")->text(), QStringLiteral("收藏 0 题"));
    QVERIFY(!s.Enabled("cmdFavourites"));
    for (const char* id : {"p3", "gone", "x2"})
        Study().MarkFavourite(Bank, id, true);
    s.window.ShowRecord();
    QVERIFY(s.Shown("lblEmpty")); // still no answers to show
    QCOMPARE(s.Label("lblFavourites")->text(), QStringLiteral("收藏 2 题"));
    s.Click("cmdFavourites");
    PracticeWindow* window = ShownWindow<PracticeWindow>();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("收藏练习"));
    QCOMPARE(window->findChild<QLineEdit*>("txtTotal")->text(), QStringLiteral("共 2 题"));
    QCOMPARE(window->findChild<QPlainTextEdit*>("txtQuestion")->toPlainText(),
             QStringLiteral("判断题 3"));
}

// Written by another program (a second copy of this one): no word reaches this window until
// it is shown again.
void TestStudyWindow::refreshedWhenShown()
{
    StudyDriver s;
    QVERIFY(s.Shown("lblEmpty"));
    s.window.hide();
    {
        StudyStore other(StudyFixture::Folder());
        other.PracticeAnswered(Bank, {"x1", 1, "A", false});
    }
    s.window.show();
    QVERIFY(!s.Shown("lblEmpty"));
    QCOMPARE(s.Label("lblWrong")->text(), QStringLiteral("错题本：共 1 题"));
}

// Exams on three days, two of them on one day: a label at each day, every point inside the axis
// and the two of one day apart.
void TestStudyWindow::chartDays()
{
    for (int i = 0; i < 3; ++i)
        RecordExam(i + 1, 100);
    const QDateTime now = QDateTime::currentDateTime();
    const auto finished = [](const QDateTime& at) { return at.toUTC().toString(Qt::ISODate); };
    const QString format = QStringLiteral("UPDATE exams SET finished_at = '%1' WHERE score = %2");
    StudyFixture::Scalar(format.arg(finished(now.addDays(-3)), "1"));
    StudyFixture::Scalar(format.arg(finished(now.addDays(-3).addSecs(60)), "2"));
    StudyDriver s;
    const QList<QAbstractSeries*> series = s.Get<QChartView>("chartScores")->chart()->series();
    const auto* scores = static_cast<QLineSeries*>(series[1]);
    QCOMPARE(scores->count(), 3);
    QVERIFY(scores->at(0).x() < scores->at(1).x());
    QVERIFY(qAbs(scores->at(1).x() - scores->at(0).x()) < 1);
    QCOMPARE(qRound(scores->at(2).x()), 3);
    auto* days = qobject_cast<QCategoryAxis*>(
        s.Get<QChartView>("chartScores")->chart()->axes(Qt::Horizontal)[0]);
    QVERIFY(days);
    const QDate first = now.addDays(-3).date();
    QCOMPARE(days->categoriesLabels(),
             (QStringList{first.toString("MM-dd"), first.addDays(1).toString("MM-dd"),
                          first.addDays(2).toString("MM-dd"), first.addDays(3).toString("MM-dd")}));
    for (int i = 0; i < scores->count(); ++i) {
        QVERIFY(scores->at(i).x() > days->min());
        QVERIFY(scores->at(i).x() < days->max());
    }
}

QTEST_MAIN(TestStudyWindow)
#include "tst_studywindow.moc"
