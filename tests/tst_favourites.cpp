#include "common/Platform.h"
#include "common/Study.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"
#include "support/StudyFixture.h"
#include "support/TopLevelWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

QStringList Marked()
{
    return Favourites(Study().Database(), Bank);
}

template <typename Driver> QCheckBox* Box(const Driver& d)
{
    return d.template Get<QCheckBox>("chkFavourite");
}

template <typename Driver> void CtrlD(Driver& d)
{
    QTest::keyClick(&d.window, Qt::Key_D, Qt::ControlModifier);
}

template <typename Driver> void ClickBox(Driver& d)
{
    QTest::mouseClick(Box(d), Qt::LeftButton, {}, QPoint(6, Box(d)->height() / 2));
}
} // namespace

class TestFavourites : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void practiceMarksTheQuestionOnDisplay();
    void examMarksOnlyInTheReview();
    void withoutARecordTheBoxIsOff();
    void aMarkNotKeptIsUndoneAndTold();

private:
    std::unique_ptr<FixtureBank> fixture;
    std::unique_ptr<StudyFixture> study;
};

void TestFavourites::init()
{
    study = std::make_unique<StudyFixture>();
    fixture = std::make_unique<FixtureBank>();
    // Chapter 1: x1 (A), x2 (B), x3 (C); chapter 2: p1 (对) ... as the exam fixture lays them out.
    fixture->Write(FixtureBank::ExamLines(QuestionsPerKind, QuestionsPerKind));
    fixture->Use();
}

void TestFavourites::cleanup()
{
    CloseAllWindows();
    fixture.reset();
    study.reset();
}

// The box follows the question on display; a click and Ctrl+D both mark and unmark.
void TestFavourites::practiceMarksTheQuestionOnDisplay()
{
    PracticeDriver p;
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    QCOMPARE(Box(p)->text(), QStringLiteral("收藏"));
    QVERIFY(!Box(p)->isEnabled()); // no question yet
    CtrlD(p);
    p.Chapter(1);
    p.Start();
    QVERIFY(Box(p)->isEnabled());
    QVERIFY(!Box(p)->isChecked());
    ClickBox(p);
    QCOMPARE(Marked(), QStringList{"x1"});
    p.Choose(0);
    p.Next();
    QCOMPARE(p.Question(), QStringLiteral("选择题 2"));
    QVERIFY(!Box(p)->isChecked());
    CtrlD(p);
    QVERIFY(Box(p)->isChecked());
    QCOMPARE(Marked(), (QStringList{"x1", "x2"}));
    p.Choose(1);
    p.Previous();
    QVERIFY(Box(p)->isChecked()); // x1's mark, shown again
    CtrlD(p);
    QVERIFY(!Box(p)->isChecked());
    QCOMPARE(Marked(), QStringList{"x2"});

    p.Chapter(2); // a new choice of chapter shows no question
    QVERIFY(!Box(p)->isEnabled());
    QVERIFY(!Box(p)->isChecked());
    CtrlD(p);
    QCOMPARE(Marked(), QStringList{"x2"});
}

void TestFavourites::examMarksOnlyInTheReview()
{
    MessageBoxCatcher boxes;
    ExamDriver exam(InOrder(QuestionsPerKind));
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    exam.Start();
    QVERIFY(Box(exam)->isHidden());
    CtrlD(exam);
    exam.Choose(exam.WrongOption(1));
    exam.Next();
    exam.Choose(exam.WrongOption(2));
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QVERIFY(Box(exam)->isHidden());
    CtrlD(exam);
    QCOMPARE(Marked(), QStringList());

    exam.window.activateWindow(); // the result's box took the focus away
    QVERIFY(QTest::qWaitForWindowActive(&exam.window));
    exam.Review();
    QVERIFY(!Box(exam)->isHidden());
    QVERIFY(Box(exam)->isEnabled());
    CtrlD(exam);
    QCOMPARE(Marked(), QStringList{exam.IdAt(1)});
    exam.Next();
    QVERIFY(!Box(exam)->isChecked());
    exam.Previous();
    QVERIFY(Box(exam)->isChecked());

    exam.Start();
    QVERIFY(Box(exam)->isHidden());
}

void TestFavourites::withoutARecordTheBoxIsOff()
{
    QFile blocker(StudyFixture::Folder()); // a file where the record's folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    MessageBoxCatcher boxes;
    PracticeDriver p;
    p.Chapter(1);
    p.Start();
    QCOMPARE(boxes.seen.size(), 1); // the record's one notice
    QVERIFY(!Box(p)->isEnabled());
    QVERIFY(!Box(p)->isChecked());
}

void TestFavourites::aMarkNotKeptIsUndoneAndTold()
{
    PracticeDriver p;
    p.Chapter(1);
    p.Start();
    QVERIFY(QSqlQuery(Study().Database()).exec("DROP TABLE favourites"));
    MessageBoxCatcher boxes;
    ClickBox(p);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen[0].text.startsWith(QStringLiteral("无法写入学习记录")));
    QVERIFY(!Box(p)->isChecked());
    QVERIFY(!Box(p)->isEnabled());
}

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
