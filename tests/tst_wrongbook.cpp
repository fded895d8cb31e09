#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "study/WrongBook.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

// "WRR": the attempts of one question in order, W wrong and R right.
BookState Replay(const QString& attempts)
{
    BookState state;
    for (int i = 0; i < attempts.size(); ++i)
        state = NextBookState(state, i + 1, attempts[i] == u'R');
    return state;
}
} // namespace

class TestWrongBook : public QObject {
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void storeFollowsTheRule_data() { rule_data(); }
    void storeFollowsTheRule();
    void orderOfEntry_data();
    void orderOfEntry();
    void examQuestionLeftWithoutAChoice();
};

void TestWrongBook::rule_data()
{
    QTest::addColumn<QString>("attempts");
    QTest::addColumn<int>("entered"); // the attempt (from 1) that put it in; 0: not in the book
    QTest::newRow("never answered") << "" << 0;
    QTest::newRow("right at once") << "R" << 0;
    QTest::newRow("always right") << "RRRR" << 0;
    QTest::newRow("wrong once") << "W" << 1;
    QTest::newRow("one right after") << "WR" << 1;
    QTest::newRow("two right after: out") << "WRR" << 0;
    QTest::newRow("wrong between rights keeps its entry") << "WRWR" << 1;
    QTest::newRow("two in a row after a second wrong") << "WRWRR" << 0;
    QTest::newRow("wrong twice then two right") << "WWRR" << 0;
    QTest::newRow("right before the first wrong counts for nothing") << "RWR" << 2;
    QTest::newRow("out, then in again") << "WRRW" << 4;
    QTest::newRow("out, in again, one right") << "WRRWR" << 4;
    QTest::newRow("out and in twice") << "WRRRWRRW" << 8;
}

void TestWrongBook::rule()
{
    QFETCH(QString, attempts);
    QFETCH(int, entered);
    const BookState state = Replay(attempts);
    QCOMPARE(state.InBook(), entered > 0);
    QCOMPARE(state.entered.value_or(0), entered);
}

// The same sequences answered through the store, mixed with another question's attempts.
void TestWrongBook::storeFollowsTheRule()
{
    QFETCH(QString, attempts);
    QFETCH(int, entered);
    QTemporaryDir folder;
    StudyStore store(folder.path());
    for (const QChar attempt : attempts) {
        store.PracticeAnswered(Bank, {"q", 1, "A", attempt == u'R'});
        store.PracticeAnswered(Bank, {"other", 2, "B", true});
    }
    QCOMPARE(WrongBook(store.Database(), Bank).contains("q"), entered > 0);
    QVERIFY(!WrongBook(store.Database(), Bank).contains("other"));
}

void TestWrongBook::orderOfEntry_data()
{
    QTest::addColumn<QStringList>("attempts"); // "a-": a wrong, "a+": a right, in order
    QTest::addColumn<QStringList>("book");
    QTest::newRow("in the order they went wrong") << QStringList{"b-", "a-", "c-"}
                                                  << QStringList{"b", "a", "c"};
    QTest::newRow("a second wrong keeps the first place")
        << QStringList{"a-", "b-", "a+", "a-"} << QStringList{"a", "b"};
    QTest::newRow("leaving and coming back goes to the end")
        << QStringList{"a-", "b-", "a+", "a+", "a-"} << QStringList{"b", "a"};
}

void TestWrongBook::orderOfEntry()
{
    QFETCH(QStringList, attempts);
    QFETCH(QStringList, book);
    QTemporaryDir folder;
    StudyStore store(folder.path());
    for (const QString& attempt : attempts)
        store.PracticeAnswered(Bank, {attempt.left(1), 1, "A", attempt.endsWith(u'+')});
    QCOMPARE(WrongBook(store.Database(), Bank), book);
}

// Scored wrong, but not an answer: it neither enters the book nor breaks a run of right answers.
// A practice question passed without a choice is an answer.
void TestWrongBook::examQuestionLeftWithoutAChoice()
{
    QTemporaryDir folder;
    StudyStore store(folder.path());
    store.PracticeAnswered(Bank, {"held", 1, "A", false});
    store.PracticeAnswered(Bank, {"held", 1, "A", true});
    store.PracticeAnswered(Bank, {"skipped", 1, {}, false});
    ExamResult exam;
    exam.answers = {{"unseen", 1, {}, false}, {"held", 1, {}, false}, {"missed", 1, "B", false}};
    store.ExamFinished(store.ExamStarted(Bank), exam);
    store.PracticeAnswered(Bank, {"held", 1, "A", true});
    const QSqlDatabase db = store.Database();
    QCOMPARE(WrongBook(db, Bank), (QStringList{"skipped", "missed"}));
    // Nor is it practised in the study window's eyes, though the exam scored it wrong.
    const QHash<QString, bool> latest = LatestAnswers(db, Bank);
    QVERIFY(!latest.contains("unseen"));
    QCOMPARE(latest.value("held"), true);
}

QTEST_MAIN(TestWrongBook)
#include "tst_wrongbook.moc"
