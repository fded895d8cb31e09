#include "common/Stepping.h"
#include "exam/AnswerBook.h"
#include "exam/ExamRules.h"

#include <QSet>
#include <QTest>

namespace {
// Values from a fixed list, repeated: a draw that is easy to follow.
std::function<float()> Sequence(QList<float> values)
{
    auto next = std::make_shared<qsizetype>(0);
    return [values, next] { return values[(*next)++ % values.size()]; };
}

// An evenly spread sequence that visits every value k / 2^16.
std::function<float()> Sweep()
{
    auto state = std::make_shared<quint32>(12345);
    return [state] {
        *state = (*state * 1103515245u + 12345u) & 0xFFFF;
        return float(*state) / 65536.0f;
    };
}
} // namespace

class TestExamRules : public QObject {
    Q_OBJECT
private slots:
    void drawFollowsTheValues_data();
    void drawFollowsTheValues();
    void drawTakesAWholePoolOfFifty();
    void drawStopsAfter999Attempts();
    void clockTicks_data();
    void clockTicks();
    void examSlots_data();
    void examSlots();
    void stepping_data();
    void stepping();
    void answerBookKeepsOneVerdict();
    void answerBookOrderIsLatestRecording();
};

void TestExamRules::drawFollowsTheValues_data()
{
    QTest::addColumn<int>("poolSize");
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QString>("prefix");
    // 0.25 * 100 = 25; 0.125 * 100 = 12.5 goes to 12 (even); 0.135 * 100 = 13.5 goes to 14.
    QTest::newRow("nearest, ties to even") << 100 << QList<float>{0.25f, 0.125f, 0.135f}
                                           << ",25,12,14,";
    // 0.001 * 100 rounds to 0: ignored, not counted.
    QTest::newRow("zero ignored") << 100 << QList<float>{0.001f, 0.5f} << ",50,";
}

void TestExamRules::drawFollowsTheValues()
{
    QFETCH(int, poolSize);
    QFETCH(QList<float>, values);
    QFETCH(QString, prefix);
    // The fixed values start the list; a sweep fills it up so the draw can end.
    auto fixed = Sequence(values);
    auto rest = Sweep();
    qsizetype used = 0;
    const QString list = DrawList(poolSize, [&] { return used++ < values.size() ? fixed() : rest(); });
    QVERIFY2(list.startsWith(prefix), qPrintable(list));
}

void TestExamRules::drawTakesAWholePoolOfFifty()
{
    const QStringList numbers = DrawList(QuestionsPerKind, Sweep()).split(u',');
    QCOMPARE(numbers.first(), QString());
    QCOMPARE(numbers.last(), QString());
    QCOMPARE(numbers.size(), QuestionsPerKind + 2);
    QSet<int> drawn;
    for (int i = 1; i <= QuestionsPerKind; ++i)
        drawn.insert(numbers[i].toInt());
    QCOMPARE(drawn.size(), QuestionsPerKind);
    QVERIFY(!drawn.contains(0));
    QCOMPARE(*std::max_element(drawn.begin(), drawn.end()), QuestionsPerKind);
}

void TestExamRules::drawStopsAfter999Attempts()
{
    // Values that never repeat a number: every attempt is accepted, and the draw ends at 999.
    int calls = 0;
    const QString list = DrawList(1000, [&] { return float(++calls) / 1000.0f; });
    QCOMPARE(calls, 999);
    QString expected = QStringLiteral(",");
    for (int n = 1; n <= 999; ++n)
        expected += QString::number(n) + u',';
    QCOMPARE(list, expected);
}

void TestExamRules::clockTicks_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("expired");
    QTest::newRow("start") << "45:00" << "44:59" << false;
    QTest::newRow("ten minutes") << "10:00" << "09:59" << false;
    QTest::newRow("last minute") << "01:00" << "00:59" << false;
    QTest::newRow("ten seconds") << "00:10" << "00:09" << false;
    QTest::newRow("last second") << "00:01" << "00:00" << false;
    QTest::newRow("time up") << "00:00" << "00:00" << true;
}

void TestExamRules::clockTicks()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, expired);
    const ClockTick tick = NextClockTick(before);
    QCOMPARE(tick.text, after);
    QCOMPARE(tick.expired, expired);
}

void TestExamRules::examSlots_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("kind");
    QTest::newRow("first") << 1 << 1 << 0;
    QTest::newRow("last choice") << 50 << 50 << 0;
    QTest::newRow("first true/false") << 51 << 1 << 1;
    QTest::newRow("last") << 100 << 50 << 1;
}

void TestExamRules::examSlots()
{
    QFETCH(int, position);
    QFETCH(int, n);
    QFETCH(int, kind);
    QCOMPARE(SlotOf(position).n, n);
    QCOMPARE(SlotOf(position).kind, kind);
}

void TestExamRules::stepping_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::addColumn<QString>("text");
    QTest::newRow("middle") << 5 << 100 << 6 << 4 << QStringLiteral("第 5 题");
    QTest::newRow("first") << 1 << 100 << 2 << 100 << QStringLiteral("第 1 题");
    QTest::newRow("last") << 100 << 100 << 1 << 99 << QStringLiteral("第 100 题");
    QTest::newRow("only one") << 1 << 1 << 1 << 1 << QStringLiteral("第 1 题");
}

void TestExamRules::stepping()
{
    QFETCH(int, current);
    QFETCH(int, last);
    QFETCH(int, next);
    QFETCH(int, previous);
    QFETCH(QString, text);
    QCOMPARE(NextPosition(current, last), next);
    QCOMPARE(PreviousPosition(current, last), previous);
    QCOMPARE(PositionText(current), text);
}

void TestExamRules::answerBookKeepsOneVerdict()
{
    AnswerBook book;
    book.Record("0_17", "B", "B");
    QCOMPARE(book.Letters().Item("0_17"), "B");
    QVERIFY(book.Right().Exists("0_17"));
    QVERIFY(!book.Wrong().Exists("0_17"));

    book.Record("0_17", "A", "B");
    QCOMPARE(book.Letters().Count(), 1);
    QCOMPARE(book.Letters().Item("0_17"), "A");
    QVERIFY(!book.Right().Exists("0_17"));
    QCOMPARE(book.Wrong().Item("0_17"), "0_17");

    book.Record("1_3", "B", "b"); // case matters
    QVERIFY(book.Wrong().Exists("1_3"));
    QCOMPARE(book.Score(), 0);
}

void TestExamRules::answerBookOrderIsLatestRecording()
{
    AnswerBook book;
    book.Record("1_40", "A", "B");
    book.Record("0_7", "A", "B");
    book.Record("0_12", "C", "B");
    book.Record("1_40", "A", "B"); // passed through again: moves to the end
    book.Record("0_7", "B", "B");  // corrected: no longer wrong
    QCOMPARE(book.Wrong().Keys(), QStringList({"0_12", "1_40"}));
    QCOMPARE(book.Letters().Keys(), QStringList({"0_12", "1_40", "0_7"}));
    QCOMPARE(book.Score(), 1);
}

QTEST_GUILESS_MAIN(TestExamRules)
#include "tst_examrules.moc"
