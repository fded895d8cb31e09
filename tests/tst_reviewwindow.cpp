#include "app/MainWindow.h"
#include "common/Platform.h"
#include "common/Study.h"
#include "progress/StudyWindow.h"
#include "study/StudyStore.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"
#include "support/StudyFixture.h"
#include "support/TopLevelWindows.h"

#include <QApplication>
#include <QComboBox>
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

struct ReviewDriver : PracticeDriver {
    ReviewDriver() { window.ReviewToday(); }
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

// The least remembered first, then new ones; a second opening the same day has nothing left.
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
        QCOMPARE(r.Counts(), QStringLiteral("到期 2 题 · 新题 1 题"));
        QVERIFY(r.Question().contains(QStringLiteral("判断题 1")));
        r.Choose(0);
        r.Next();
        QCOMPARE(r.Counts(), QStringLiteral("到期 1 题 · 新题 1 题"));
        QVERIFY(r.Question().contains(QStringLiteral("选择题 1")));
        r.Choose(1); // wrong: it counts as answered, the answer is revealed
        r.Next();
        QCOMPARE(r.Counts(), QStringLiteral("到期 0 题 · 新题 1 题"));
        QCOMPARE(r.Revealed(), QStringLiteral("A"));
        r.Choose(0);
        r.Next();
        QVERIFY(r.Question().contains(QStringLiteral("选择题 3")));
        r.Choose(2);
        r.Next();
        QCOMPARE(r.Counts(), QStringLiteral("到期 0 题 · 新题 0 题"));
        QVERIFY(r.Done().startsWith(QStringLiteral("今日复习已完成，下一题在 ")));
        QVERIFY(r.Done().endsWith(QStringLiteral(" 到期")));
    }
    QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(), 7);
    ReviewDriver again;
    QCOMPARE(again.Counts(), QStringLiteral("到期 0 题 · 新题 0 题"));
    QCOMPARE(again.Text("txtTotal"), QStringLiteral("共 0 题"));
    QVERIFY(again.Done().startsWith(QStringLiteral("今日复习已完成，下一题在 ")));
}

// Kept in the settings; a change counts from the next opening.
void TestReviewWindow::theNewQuestionAllowance()
{
    {
        ReviewDriver r;
        auto* allowance = r.Get<QSpinBox>("spnNewPerDay");
        QVERIFY(allowance->isVisible());
        QCOMPARE(allowance->value(), 20);
        QCOMPARE(r.Counts(), QStringLiteral("到期 0 题 · 新题 6 题"));
        allowance->setValue(4);
    }
    QCOMPARE(PracticeWindow::NewPerDay(), 4);
    ReviewDriver r;
    QCOMPARE(r.Counts(), QStringLiteral("到期 0 题 · 新题 4 题"));
    PracticeDriver chapters;
    QVERIFY(!chapters.Get<QSpinBox>("spnNewPerDay")->isVisible());
    QVERIFY(!chapters.Get<QLabel>("lblReviewCounts")->isVisible());
}

// A bank that can make an exam: with every question just answered right a pass is all but
// certain; a question never answered counts at the rate of right first answers.
void TestReviewWindow::forecastOnBothWindows()
{
    fixture->Write(FixtureBank::ExamLines(50, 50));
    MainWindow main;
    main.show();
    auto* forecast = main.findChild<QLabel*>("lblForecast");
    QCOMPARE(forecast->text(), QString());
    main.findChild<QComboBox*>("cboBank")->setCurrentIndex(0);
    QCOMPARE(forecast->text(), QStringLiteral("通过把握：0%")); // one half each: no chance
    QVERIFY(forecast->toolTip().contains(QStringLiteral("90 分")));
    for (int n = 1; n <= 50; ++n) {
        Study().PracticeAnswered(Bank, {QStringLiteral("x%1").arg(n), 1, "A", true});
        Study().PracticeAnswered(Bank, {QStringLiteral("p%1").arg(n), 2, "A", true});
    }
    main.BankChanged();
    QCOMPARE(forecast->text(), QStringLiteral("通过把握：100%"));

    StudyWindow record;
    record.show();
    QCOMPARE(record.findChild<QLabel*>("lblForecast")->text(), QStringLiteral("通过把握：100%"));
}

QTEST_MAIN(TestReviewWindow)
#include "tst_reviewwindow.moc"
