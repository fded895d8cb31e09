#include "app/MainWindow.h"
#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/Study.h"
#include "progress/PassForecast.h"
#include "progress/StudyPlan.h"
#include "progress/StudyWindow.h"
#include "study/StudyStore.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"
#include "support/StudyFixture.h"
#include "support/TopLevelWindows.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QSettings>
#include <QSpinBox>
#include <memory>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

// An answer given daysAgo days before now, as if the learner had practised then.
void AnsweredDaysAgo(const QString& id, int chapter, bool right, double daysAgo)
{
    Study().PracticeAnswered(Bank, {id, chapter, "A", right});
    StudyFixture::Scalar(QStringLiteral("UPDATE attempts SET answered_at = '%1' WHERE id = "
                                        "(SELECT MAX(id) FROM attempts)")
                             .arg(QDateTime::currentDateTimeUtc()
                                      .addSecs(qint64(-daysAgo * 86400))
                                      .toString(Qt::ISODate)));
}

// Today's review of the fixture's bank, as the main window opens it.
ReviewList TodaysReview()
{
    ::Cipher cipher;
    QWidget parent;
    const auto bank = LoadChosenBank(&parent, cipher);
    return TodaysReviewFor(Bank, ExamOf(*bank), ChapterOrder(*bank), PracticeWindow::NewPerDay());
}

struct ReviewDriver : PracticeDriver {
    ReviewDriver() { window.ReviewToday(TodaysReview()); }
    QString Counts() const { return Get<QLabel>("lblReviewCounts")->text(); }
    QString Done() const
    {
        const auto* done = Get<QLabel>("lblDone");
        return done->isHidden() ? QString() : done->text();
    }
};
} // namespace

class TestReviewWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dueThenNewCountedDown();
    void theNewQuestionAllowance();
    void forecastOnBothWindows();
    void forecastLabel_data();
    void forecastLabel();
    void planText_data();
    void planText();
    void testDateOnTheStudyWindow();

private:
    std::unique_ptr<FixtureBank> fixture;
    std::unique_ptr<StudyFixture> study;
};

void TestReviewWindow::init()
{
    study = std::make_unique<StudyFixture>();
    AppSettings().clear();
    fixture = std::make_unique<FixtureBank>();
    // Chapter 1: x1 (A), x2 (B), x3 (C); chapter 2: p1 (对), p2 (错), p3 (对).
    fixture->Write(FixtureBank::ExamLines(3, 3));
    fixture->Use();
}

void TestReviewWindow::cleanup()
{
    CloseAllWindows();
    fixture.reset();
    study.reset();
}

// Answered wrong last first, then the due ones, then new ones; a second opening the same day
// brings back only what was answered wrong in the first.
void TestReviewWindow::dueThenNewCountedDown()
{
    PracticeWindow::SetNewPerDay(2);
    AnsweredDaysAgo("x1", 1, true, 10);
    AnsweredDaysAgo("p1", 2, false, 3);
    AnsweredDaysAgo("p2", 2, true, 1); // remembered well enough
    AnsweredDaysAgo("x2", 1, true, 0); // new today: half the allowance
    {
        ReviewDriver r;
        QCOMPARE(r.window.windowTitle(), QStringLiteral("今日复习"));
        QCOMPARE(r.Text("txtTotal"), QStringLiteral("共 3 题"));
        QCOMPARE(r.Counts(), QStringLiteral("错题 1 题 · 到期 1 题 · 新题 1 题"));
        QVERIFY(r.Question().contains(QStringLiteral("判断题 1")));
        r.Choose(0);
        r.Next();
        QCOMPARE(r.Counts(), QStringLiteral("错题 0 题 · 到期 1 题 · 新题 1 题"));
        QVERIFY(r.Question().contains(QStringLiteral("选择题 1")));
        r.Choose(1); // wrong: it counts as answered, the answer is revealed
        r.Next();
        QCOMPARE(r.Counts(), QStringLiteral("错题 0 题 · 到期 0 题 · 新题 1 题"));
        QCOMPARE(r.Revealed(), QStringLiteral("A"));
        r.Choose(0);
        r.Next();
        QVERIFY(r.Question().contains(QStringLiteral("选择题 3")));
        r.Choose(2);
        r.Next();
        QCOMPARE(r.Counts(), QStringLiteral("错题 0 题 · 到期 0 题 · 新题 0 题"));
        QVERIFY(r.Done().startsWith(QStringLiteral("今日复习已完成，下一题在 ")));
        QVERIFY(r.Done().endsWith(QStringLiteral(" 到期")));
    }
    QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(), 7);
    ReviewDriver again;
    QCOMPARE(again.Counts(), QStringLiteral("错题 1 题 · 到期 0 题 · 新题 0 题"));
    QCOMPARE(again.Text("txtTotal"), QStringLiteral("共 1 题"));
    QVERIFY(again.Question().contains(QStringLiteral("选择题 1")));
}

// 自动 until the learner sets a cap; kept in the settings, a change counts from the next opening.
void TestReviewWindow::theNewQuestionAllowance()
{
    {
        ReviewDriver r;
        auto* allowance = r.Get<QSpinBox>("spnNewPerDay");
        QVERIFY(allowance->isVisible());
        QCOMPARE(allowance->text(), QStringLiteral("自动"));
        QCOMPARE(r.Counts(), QStringLiteral("错题 0 题 · 到期 0 题 · 新题 6 题"));
        allowance->setValue(4);
    }
    QCOMPARE(PracticeWindow::NewPerDay(), 4);
    {
        ReviewDriver r;
        QCOMPARE(r.Counts(), QStringLiteral("错题 0 题 · 到期 0 题 · 新题 4 题"));
        r.Get<QSpinBox>("spnNewPerDay")->setValue(-1);
    }
    QCOMPARE(PracticeWindow::NewPerDay(), std::nullopt);
    PracticeDriver chapters;
    QVERIFY(!chapters.Get<QSpinBox>("spnNewPerDay")->isVisible());
    QVERIFY(!chapters.Get<QLabel>("lblReviewCounts")->isVisible());
}

// A bank that can make an exam: with no answers the forecast says it rests on too little; with
// every question just answered right a pass is all but certain, and both windows say so.
void TestReviewWindow::forecastOnBothWindows()
{
    fixture->Write(FixtureBank::ExamLines(50, 50));
    MainWindow main;
    main.show();
    auto* forecast = main.findChild<QLabel*>("lblForecast");
    QCOMPARE(forecast->text(), QString());
    main.findChild<QComboBox*>("cboBank")->setCurrentIndex(0);
    QCOMPARE(forecast->text(), QStringLiteral("通过把握：数据不足（依据 0 题）"));
    QVERIFY(forecast->toolTip().contains(QStringLiteral("90 分")));
    for (int n = 1; n <= 50; ++n) {
        Study().PracticeAnswered(Bank, {QStringLiteral("x%1").arg(n), 1, "A", true});
        Study().PracticeAnswered(Bank, {QStringLiteral("p%1").arg(n), 2, "A", true});
    }
    main.BankChanged();
    QVERIFY2(forecast->text().startsWith(QStringLiteral("通过把握：约 100%（")),
             qPrintable(forecast->text()));
    QVERIFY(forecast->text().endsWith(QStringLiteral("依据 100 题）")));

    StudyWindow record;
    record.show();
    QCOMPARE(record.findChild<QLabel*>("lblForecast")->text(), forecast->text());
}

namespace
{
ExamShape BankOf(int questions)
{
    ExamShape exam;
    for (int i = 0; i < questions; ++i)
        (i % 2 ? exam.trueFalse : exam.choice).append(QString::number(i));
    return exam;
}

QList<FinishedExam> Scores(const QList<int>& scores)
{
    QList<FinishedExam> exams;
    for (int score : scores)
        exams.append({QDateTime(), score, 0});
    return exams;
}
} // namespace

void TestReviewWindow::forecastLabel_data()
{
    QTest::addColumn<std::optional<ForecastRange>>("forecast");
    QTest::addColumn<int>("bankSize");
    QTest::addColumn<QList<int>>("scores");
    QTest::addColumn<QString>("text");
    const auto range = [](double chance, double low, double high, int questions) {
        return std::optional<ForecastRange>(ForecastRange{chance, low, high, questions});
    };
    QTest::addRow("no forecast, no exams")
        << std::optional<ForecastRange>() << 1200 << QList<int>{} << QString();
    QTest::addRow("one question short of a figure")
        << range(0.5, 0.1, 0.9, QuestionsForAFigure - 1) << 1200 << QList<int>{}
        << QStringLiteral("通过把握：数据不足（依据 99 题）");
    QTest::addRow("enough for a figure")
        << range(0.724, 0.606, 0.805, QuestionsForAFigure) << 1200 << QList<int>{}
        << QStringLiteral("通过把握：约 72%（61–81%，依据 100 题）");
    QTest::addRow("a small bank answered whole")
        << range(0.9, 0.85, 0.95, 40) << 40 << QList<int>{}
        << QStringLiteral("通过把握：约 90%（85–95%，依据 40 题）");
    QTest::addRow("exams: the pass mark passes")
        << range(0.3, 0.2, 0.4, 600) << 1200 << QList<int>{89, 90, 95}
        << QStringLiteral("通过把握：约 30%（20–40%，依据 600 题）\n最近 3 次模拟考试：2 次合格");
    QTest::addRow("exams: the latest five only")
        << range(0.3, 0.2, 0.4, 600) << 1200 << QList<int>{95, 95, 80, 80, 80, 91, 92}
        << QStringLiteral("通过把握：约 30%（20–40%，依据 600 题）\n最近 5 次模拟考试：2 次合格");
    QTest::addRow("exams without a forecast")
        << std::optional<ForecastRange>() << 1200 << QList<int>{100}
        << QStringLiteral("最近 1 次模拟考试：1 次合格");
}

void TestReviewWindow::forecastLabel()
{
    QFETCH(std::optional<ForecastRange>, forecast);
    QFETCH(int, bankSize);
    QFETCH(QList<int>, scores);
    QFETCH(QString, text);
    QCOMPARE(ForecastLabelText(forecast, BankOf(bankSize), Scores(scores)), text);
}

void TestReviewWindow::planText_data()
{
    QTest::addColumn<int>("daysLeft");  // -1: no test date
    QTest::addColumn<int>("questions"); // the forecast for the test day rests on
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("promise");
    QTest::addRow("no test date") << -1 << 600 << QStringLiteral("未定考试日期 · 每天约 80 题")
                                  << QString();
    QTest::addRow("the test today") << 0 << 600 << QStringLiteral("今天考试") << QString();
    QTest::addRow("three weeks ahead") << 21 << 600 << QStringLiteral("距考试 21 天 · 每天约 80 题")
                                       << QStringLiteral("按计划，考试当天约 93%（85–97%）");
    QTest::addRow("too few answers for a figure")
        << 21 << QuestionsForAFigure - 1 << QStringLiteral("距考试 21 天 · 每天约 80 题")
        << QStringLiteral("按计划，考试当天：数据不足");
}

void TestReviewWindow::planText()
{
    QFETCH(int, daysLeft);
    QFETCH(int, questions);
    QFETCH(QString, plan);
    QFETCH(QString, promise);
    StudyPlan studyPlan;
    if (daysLeft >= 0)
        studyPlan.daysLeft = daysLeft;
    studyPlan.today.answers = 80;
    studyPlan.onTestDay = ForecastRange{0.93, 0.85, 0.97, questions};
    QCOMPARE(PlanText(studyPlan), plan);
    QCOMPARE(PlanForecastText(studyPlan, BankOf(1200)), promise);
}

// A date chosen is kept for the bank and planned for at once; the day before today clears it.
void TestReviewWindow::testDateOnTheStudyWindow()
{
    fixture->Write(FixtureBank::ExamLines(50, 50));
    for (int n = 1; n <= 50; ++n) {
        Study().PracticeAnswered(Bank, {QStringLiteral("x%1").arg(n), 1, "A", n % 3 != 0});
        Study().PracticeAnswered(Bank, {QStringLiteral("p%1").arg(n), 2, "A", true});
    }
    StudyWindow record;
    record.show();
    auto* date = record.findChild<QDateEdit*>("dateExam");
    auto* plan = record.findChild<QLabel*>("lblPlan");
    auto* forecast = record.findChild<QLabel*>("lblForecast");
    QCOMPARE(date->text(), QStringLiteral("未设定"));
    QVERIFY2(plan->text().startsWith(QStringLiteral("未定考试日期 · 每天约 ")),
             qPrintable(plan->text()));
    QVERIFY(!forecast->text().contains(QStringLiteral("按计划")));

    date->setDate(QDate::currentDate().addDays(10));
    QCOMPARE(TestDate(Bank), QDate::currentDate().addDays(10));
    QVERIFY2(plan->text().startsWith(QStringLiteral("距考试 10 天 · 每天约 ")),
             qPrintable(plan->text()));
    QVERIFY2(forecast->text().contains(QStringLiteral("\n按计划，考试当天约 ")),
             qPrintable(forecast->text()));

    date->setDate(date->minimumDate());
    QCOMPARE(TestDate(Bank), std::nullopt);
    QVERIFY(plan->text().startsWith(QStringLiteral("未定考试日期")));
    StudyWindow again;
    again.show();
    QCOMPARE(again.findChild<QDateEdit*>("dateExam")->text(), QStringLiteral("未设定"));
}

QTEST_MAIN(TestReviewWindow)
#include "tst_reviewwindow.moc"
