#include "study/Memory.h"

#include <QTest>
#include <QTimeZone>

namespace
{
// "0G 3A": answers on days 0 and 3, G right (Good), A wrong (Again).
QList<TimedAnswer> Answers(const QString& text)
{
    QList<TimedAnswer> answers;
    for (const QString& answer : text.split(u' ', Qt::SkipEmptyParts))
        answers.append({answer.chopped(1).toDouble(), answer.endsWith(u'G')});
    return answers;
}

bool Near(double actual, double expected)
{
    return std::abs(actual - expected) < 1e-5;
}
} // namespace

class TestMemory : public QObject
{
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
    void sameCalendarDay_data();
    void sameCalendarDay();
    void retrievability_data();
    void retrievability();
    void neverAnswered();
    void credit_data();
    void credit();
    void wrongAnswerNeverAddsCredit_data();
    void wrongAnswerNeverAddsCredit();
};

// Worked out from the published FSRS-6 formulas and default weights, outside this code.
void TestMemory::replay_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<double>("stability");
    QTest::addColumn<double>("difficulty");
    QTest::addColumn<double>("recallADayLater");
    QTest::newRow("right") << "0G" << 2.3065 << 2.118104 << 0.946847;
    QTest::newRow("wrong") << "0A" << 0.212 << 6.4133 << 0.766196;
    QTest::newRow("right, right 3 days later") << "0G 3G" << 13.826904 << 2.111214 << 0.989493;
    QTest::newRow("right, right 3 and 10 days later")
        << "0G 3G 13G" << 47.452034 << 2.104331 << 0.996852;
    QTest::newRow("right, right 30 days later") << "0G 30G" << 37.420638 << 2.111214 << 0.996020;
    QTest::newRow("right, wrong 5 days later") << "0G 5A" << 0.682598 << 7.394503 << 0.871704;
    QTest::newRow("right, wrong, right the next day")
        << "0G 5A 6G" << 2.516332 << 7.382337 << 0.950532;
    QTest::newRow("wrong, right the same day") << "0A 0G" << 0.246689 << 6.402115 << 0.780850;
    QTest::newRow("wrong twice the same day") << "0A 0A" << 0.083357 << 8.806304 << 0.675264;
    QTest::newRow("right twice the same day keeps stability")
        << "0G 0.5G" << 2.3065 << 2.111214 << 0.946847;
    QTest::newRow("wrong on four days running")
        << "0A 1A 2A 3A" << 0.033369 << 9.851407 << 0.590728;
}

void TestMemory::replay()
{
    QFETCH(QString, answers);
    QFETCH(double, stability);
    QFETCH(double, difficulty);
    QFETCH(double, recallADayLater);
    const QList<TimedAnswer> given = Answers(answers);
    const QuestionMemory memory = Replay(given);
    QCOMPARE(memory.answers, given.size());
    QVERIFY(Near(memory.state.stability, stability));
    QVERIFY(Near(memory.state.difficulty, difficulty));
    QVERIFY(Near(memory.RecallAt(memory.lastDay + 1), recallADayLater));
    QCOMPARE(memory.firstDay, given.first().day);
    QCOMPARE(memory.firstRight, given.first().right);
}

// Days are the learner's calendar days: late at night and early next morning are two days.
void TestMemory::sameCalendarDay_data()
{
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<QDateTime>("second");
    QTest::addColumn<int>("elapsedDays");
    const QTimeZone beijing(8 * 3600);
    const QDate day(2026, 12, 10);
    QTest::newRow("morning and evening")
        << QDateTime(day, QTime(8, 0), beijing) << QDateTime(day, QTime(22, 0), beijing) << 0;
    QTest::newRow("either side of local midnight")
        << QDateTime(day, QTime(23, 50), beijing)
        << QDateTime(day.addDays(1), QTime(0, 10), beijing) << 1;
    QTest::newRow("either side of midnight UTC, the same local day")
        << QDateTime(day, QTime(7, 50), beijing) << QDateTime(day, QTime(8, 10), beijing) << 0;
    QTest::newRow("a week apart, earlier in the day")
        << QDateTime(day, QTime(21, 0), beijing) << QDateTime(day.addDays(7), QTime(6, 0), beijing)
        << 7;
}

void TestMemory::sameCalendarDay()
{
    QFETCH(QDateTime, first);
    QFETCH(QDateTime, second);
    QFETCH(int, elapsedDays);
    const QuestionMemory memory = Replay({{LocalDays(first), true}, {LocalDays(second), false}});
    const MemoryState expected = NextMemory(FirstMemory(Grade::Good), elapsedDays, Grade::Again);
    QCOMPARE(memory.state.stability, expected.stability);
    QCOMPARE(memory.state.difficulty, expected.difficulty);
}

void TestMemory::retrievability_data()
{
    QTest::addColumn<double>("elapsedDays");
    QTest::addColumn<double>("stability");
    QTest::addColumn<double>("recall");
    QTest::newRow("just answered") << 0.0 << 2.3065 << 1.0;
    QTest::newRow("after its stability: 90 %") << 2.3065 << 2.3065 << 0.9;
    QTest::newRow("ten times its stability") << 23.065 << 2.3065 << 0.692827;
    QTest::newRow("a tenth of a day, weak") << 0.1 << 0.212 << 0.943073;
    QTest::newRow("a clock set back counts as just answered") << -1.0 << 2.3065 << 1.0;
}

void TestMemory::retrievability()
{
    QFETCH(double, elapsedDays);
    QFETCH(double, stability);
    QFETCH(double, recall);
    QVERIFY2(Near(Retrievability(elapsedDays, stability), recall),
             qPrintable(QString::number(Retrievability(elapsedDays, stability), 'f', 6)));
    if (elapsedDays > 0)
        QVERIFY(Near(Retrievability(DaysUntilRecallFallsTo(recall, stability), stability), recall));
}

void TestMemory::neverAnswered()
{
    QCOMPARE(Replay({}).answers, 0);
}

// What the memory is credited with a day after the last answer, worked out by hand from the
// recall of the replay table above.
void TestMemory::credit_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<double>("creditADayLater");
    QTest::newRow("never answered right: nothing") << "0A 0A" << 0.0;
    QTest::newRow("right: its recall") << "0G" << 0.946847;
    // FSRS's recall a day after the wrong answer is 0.871704; the curve of the right answer
    // before it has fallen lower by then.
    QTest::newRow("wrong after right: no more than the curve before it") << "0G 5A" << 0.822528;
    QTest::newRow("right again: its recall") << "0G 5A 6G" << 0.950532;
}

void TestMemory::credit()
{
    QFETCH(QString, answers);
    QFETCH(double, creditADayLater);
    const QuestionMemory memory = Replay(Answers(answers));
    const double credit = memory.KnownAt(memory.lastDay + 1);
    QVERIFY2(Near(credit, creditADayLater), qPrintable(QString::number(credit, 'f', 6)));
}

// At every moment after it, a wrong answer leaves the question credited with no more than it was
// without that answer; the first wrong answer after a right one with exactly as much at first.
void TestMemory::wrongAnswerNeverAddsCredit_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<double>("wrongOn");
    QTest::newRow("five days after a right answer") << "0G" << 5.0;
    QTest::newRow("the same day as a right answer") << "0G 3G" << 3.2;
    QTest::newRow("again the same day") << "0G 3G 5A" << 5.1;
    QTest::newRow("again weeks later, the lapse curve the weaker") << "0G 1A" << 20.0;
    QTest::newRow("again the next day, the lapse curve the stronger") << "0G 9A" << 10.0;
    QTest::newRow("never answered right") << "0A" << 2.0;
}

void TestMemory::wrongAnswerNeverAddsCredit()
{
    QFETCH(QString, answers);
    QFETCH(double, wrongOn);
    const QList<TimedAnswer> before = Answers(answers);
    const QuestionMemory without = Replay(before);
    const QuestionMemory with = Replay(before + QList<TimedAnswer>{{wrongOn, false}});
    for (double later : {0.0, 0.1, 0.5, 1.0, 3.0, 10.0, 30.0, 100.0, 1000.0}) {
        const double day = wrongOn + later;
        QVERIFY2(with.KnownAt(day) <= without.KnownAt(day) + 1e-12,
                 qPrintable(QStringLiteral("%1 days after: %2 > %3")
                                .arg(later)
                                .arg(with.KnownAt(day))
                                .arg(without.KnownAt(day))));
    }
    if (before.last().right)
        QCOMPARE(with.KnownAt(wrongOn), without.KnownAt(wrongOn));
}

QTEST_APPLESS_MAIN(TestMemory)
#include "tst_memory.moc"
