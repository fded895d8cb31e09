#include "common/Platform.h"
#include "common/Study.h"
#include "exam/ExamRules.h"
#include "exam/ExamWindow.h"
#include "practice/PracticeWindow.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"
#include "support/StudyFixture.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>

namespace
{
const QString Bank = QStringLiteral("beijing.dat");

using Practice = PracticeDriver;
using Exam = ExamDriver;

// The attempts as "question letter right", in the order they were recorded; "-" for no letter.
QStringList Attempts(const QString& mode)
{
    QSqlQuery query(Study().Database());
    // The letter chosen, - for none, ? for a look.
    query.exec(QStringLiteral("SELECT question_id, IIF(look, '?', IFNULL(letter, '-')), correct "
                              "FROM attempts WHERE mode = '%1' ORDER BY id")
                   .arg(mode));
    QStringList attempts;
    while (query.next())
        attempts.append(QStringLiteral("%1 %2 %3")
                            .arg(query.value(0).toString(), query.value(1).toString(),
                                 query.value(2).toString()));
    return attempts;
}

int Count(const QString& statement)
{
    return StudyFixture::Scalar(statement).toInt();
}

int ShownScore(const MessageBoxCatcher& boxes)
{
    const auto match = QRegularExpression(QStringLiteral("(\\d+)分")).match(boxes.seen.last().text);
    return match.captured(1).toInt();
}
} // namespace

class TestStudyRecording : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void practiceRecordsTheFirstJudgement();
    void practiceWithNothingChosen();
    void practiceLeftWithoutJudgement();
    void examResultRecordsEveryQuestion();
    void examResultShownAgain();
    void examAtTimeUp();
    void examLeftBeforeItsResult();
    void twoWindowsRecordSideBySide();
    void logEmptiedAtAResultAndWhenAWindowCloses();

private:
    std::unique_ptr<FixtureBank> fixture;
    std::unique_ptr<StudyFixture> study;
};

void TestStudyRecording::init()
{
    study = std::make_unique<StudyFixture>();
    fixture = std::make_unique<FixtureBank>();
    // Chapter 1 holds the choice questions x1 (A), x2 (B), x3 (C), ...; chapter 2 the
    // true/false ones p1, p2, ...
    fixture->Write(FixtureBank::ExamLines(60, 60));
    fixture->Use();
}

void TestStudyRecording::cleanup()
{
    fixture.reset();
    study.reset();
}

void TestStudyRecording::practiceRecordsTheFirstJudgement()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(1);
    p.Next(); // wrong: revealed, an attempt
    p.Choose(2);
    p.Next(); // still wrong: no attempt
    p.Choose(0);
    p.Next(); // right after the reveal: no attempt
    QCOMPARE(p.Question(), QStringLiteral("选择题 2"));
    p.Choose(1);
    p.Next(); // right at once
    p.Next(); // x3 with nothing selected: a look at the answer
    p.Choose(2);
    p.Previous();
    QCOMPARE(p.Question(), QStringLiteral("选择题 2"));
    p.Choose(1);
    p.Next(); // x2 on display again: a new attempt
    QCOMPARE(Attempts("practice"), (QStringList{"x1 B 0", "x2 B 1", "x3 ? 0", "x2 B 1"}));
    QCOMPARE(Count("SELECT COUNT(*) FROM attempts WHERE chapter = 1 AND bank = 'beijing.dat'"), 4);
    QCOMPARE(WrongBook(Study().Database(), Bank), (QStringList{"x1", "x3"}));
}

void TestStudyRecording::practiceWithNothingChosen()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Next(); // only a move: the answer is shown, and the look recorded as not known
    QCOMPARE(p.Revealed(), "A");
    p.Choose(0);
    p.Next(); // right after seeing the answer: no first try
    QCOMPARE(p.Question(), QStringLiteral("选择题 2"));
    QCOMPARE(Attempts("practice"), QStringList{"x1 ? 0"});
    QCOMPARE(WrongBook(Study().Database(), Bank), QStringList{"x1"});
}

// A question that leaves the screen without a judgement (another chapter chosen) has no attempt.
void TestStudyRecording::practiceLeftWithoutJudgement()
{
    Practice p;
    p.Chapter(1);
    p.Start();
    p.Choose(1);
    p.Chapter(2);
    p.Start();
    QCOMPARE(Attempts("practice"), QStringList());
    p.Choose(1);
    p.Next();
    QCOMPARE(Attempts("practice"), QStringList{"p1 B 0"}); // the old choice is not carried over
}

void TestStudyRecording::examResultRecordsEveryQuestion()
{
    Exam exam;
    exam.Start();
    QCOMPARE(StudyFixture::Scalar("SELECT state FROM exams").toString(), "started");
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.WrongOption(2));
    exam.Next();
    exam.Next();
    exam.Choose(exam.RightOption(4));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(ShownScore(boxes), 2);

    QCOMPARE(Count("SELECT COUNT(*) FROM exams"), 1);
    QCOMPARE(StudyFixture::Scalar("SELECT state || ' ' || score || ' ' || answered FROM exams")
                 .toString(),
             "finished 2 3");
    QVERIFY(!StudyFixture::Scalar("SELECT finished_at FROM exams").isNull());
    const QStringList attempts = Attempts("exam");
    QCOMPARE(attempts.size(), ExamQuestions);
    QCOMPARE(attempts.filter(QRegularExpression(" - 0$")).size(), ExamQuestions - 3);
    QVERIFY(attempts.contains(
        QStringLiteral("%1 %2 1").arg(exam.IdAt(1), QChar(u'A' + exam.RightOption(1)))));
    QVERIFY(attempts.contains(
        QStringLiteral("%1 %2 0").arg(exam.IdAt(2), QChar(u'A' + exam.WrongOption(2)))));
    QCOMPARE(Count("SELECT COUNT(*) FROM attempts WHERE exam_id IS NULL"), 0);
    QCOMPARE(Count("SELECT COUNT(DISTINCT question_id) FROM attempts"), ExamQuestions);
    QCOMPARE(Count("SELECT COUNT(*) FROM attempts WHERE chapter = 1"), QuestionsPerKind);
    QCOMPARE(Count("SELECT COUNT(*) FROM attempts WHERE chapter = 2"), QuestionsPerKind);
    // Unanswered questions are scored wrong but are not answers: only the wrong choice enters
    // the book.
    QCOMPARE(WrongBook(Study().Database(), Bank), QStringList{exam.IdAt(2)});
}

// A handed-in exam's record stands: nothing on the window can score it again.
void TestStudyRecording::examResultShownAgain()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(ShownScore(boxes), 1);
    exam.Choose(exam.WrongOption(1));
    exam.Result();
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(Count("SELECT COUNT(*) FROM exams"), 1);
    QCOMPARE(Count("SELECT score FROM exams"), 1);
    QCOMPARE(Attempts("exam").size(), ExamQuestions);
    QCOMPARE(Count("SELECT SUM(correct) FROM attempts"), 1);
}

void TestStudyRecording::examAtTimeUp()
{
    Exam exam;
    exam.Start();
    exam.Choose(exam.RightOption(1));
    exam.Next();
    exam.Choose(exam.RightOption(2)); // on display at time-up: counted
    exam.Get<QLineEdit>("txtClock")->setText("00:00");
    MessageBoxCatcher boxes;
    exam.window.Tick();
    QCOMPARE(ShownScore(boxes), 2);
    QCOMPARE(StudyFixture::Scalar("SELECT score || ' ' || answered || ' ' || seconds_used FROM exams")
                 .toString(),
             "2 2 2700");
    exam.Result(); // shut: the record stands
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(Count("SELECT COUNT(*) FROM attempts"), ExamQuestions);
}

void TestStudyRecording::examLeftBeforeItsResult()
{
    {
        Exam exam;
        exam.Start();
        exam.Choose(exam.RightOption(1));
        exam.Next();
        MessageBoxCatcher boxes;
        boxes.answers = {QStringLiteral("重新开始")};
        exam.Start(); // started again: the first is abandoned
        QCOMPARE(Count("SELECT COUNT(*) FROM exams WHERE state = 'abandoned'"), 1);
        QCOMPARE(Count("SELECT COUNT(*) FROM exams WHERE state = 'started'"), 1);
        exam.Choose(exam.RightOption(1));
        exam.Next();
    } // closed: the second too
    QCOMPARE(Count("SELECT COUNT(*) FROM exams WHERE state = 'abandoned'"), 2);
    QCOMPARE(Count("SELECT COUNT(*) FROM attempts"), 0);
    QVERIFY(FinishedExams(Study().Database(), Bank).isEmpty());

    Exam finished;
    finished.Start();
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    finished.Result();
    finished.Start(); // after a result: the first stays finished
    QCOMPARE(Count("SELECT COUNT(*) FROM exams WHERE state = 'finished'"), 1);
}

void TestStudyRecording::twoWindowsRecordSideBySide()
{
    Exam exam;
    Practice practice;
    exam.Start();
    practice.Chapter(1);
    practice.Start();
    exam.Choose(exam.WrongOption(1));
    practice.Choose(0);
    practice.Next();
    exam.Next();
    MessageBoxCatcher boxes;
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(Attempts("practice"), QStringList{"x1 A 1"});
    QCOMPARE(Attempts("exam").size(), ExamQuestions);
}

// Damage to the write-ahead log after a crash can cost only what was written since it was last
// emptied: at every exam result and when a question window closes.
void TestStudyRecording::logEmptiedAtAResultAndWhenAWindowCloses()
{
    const auto logSize = [] { return QFileInfo(StudyFixture::FilePath() + "-wal").size(); };
    {
        Practice practice;
        practice.Chapter(1);
        practice.Start();
        practice.Choose(0);
        practice.Next();
        QVERIFY(logSize() > 0);
    }
    QCOMPARE(logSize(), 0);
    {
        Exam exam;
        exam.Start();
        QVERIFY(logSize() > 0);
        MessageBoxCatcher boxes;
        boxes.answers = {QStringLiteral("确定交卷")};
        exam.Result();
        QCOMPARE(logSize(), 0);
        exam.Start(); // the first exam stays finished; the second starts
        QVERIFY(logSize() > 0);
    }
    QCOMPARE(logSize(), 0); // the second exam abandoned, then the log emptied
}

QTEST_MAIN(TestStudyRecording)
#include "tst_studyrecording.moc"
