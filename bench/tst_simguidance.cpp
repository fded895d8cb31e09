#include "SimGuidance.h"

#include <QTest>

namespace {
constexpr double Today = 20000 + 19.0 / 24; // an evening
constexpr double Yesterday = Today - 1;

QString Id(int n)
{
    return QStringLiteral("q%1").arg(n, 2, 10, QChar('0'));
}

QStringList Ids(int first, int last)
{
    QStringList ids;
    for (int n = first; n <= last; ++n)
        ids.append(Id(n));
    return ids;
}
} // namespace

class TestSimGuidance : public QObject
{
    Q_OBJECT
private slots:
    void todaysList_data();
    void todaysList();
};

void TestSimGuidance::todaysList_data()
{
    QTest::addColumn<int>("bankSize");
    QTest::addColumn<QStringList>("rightYesterday");
    QTest::addColumn<QStringList>("wrongYesterday");
    QTest::addColumn<int>("budget");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("a first day: the plan's new questions, then more in the bank's order")
        << 40 << QStringList{} << QStringList{} << 25 << Ids(0, 24);
    QTest::newRow("a budget below the day's new questions")
        << 40 << QStringList{} << QStringList{} << 5 << Ids(0, 4);
    QTest::newRow("missed yesterday: back first, then new questions")
        << 50 << Ids(0, 9) << Ids(10, 19) << 15 << Ids(10, 19) + Ids(20, 24);
    // Time left after the review goes to the least remembered: a question answered right
    // yesterday is remembered better than one never seen.
    QTest::newRow("time left: unseen questions before those remembered")
        << 50 << Ids(0, 9) << Ids(10, 19) << 60
        << Ids(10, 19) + Ids(20, 39) + Ids(40, 49) + Ids(0, 9);
}

void TestSimGuidance::todaysList()
{
    QFETCH(int, bankSize);
    QFETCH(QStringList, rightYesterday);
    QFETCH(QStringList, wrongYesterday);
    QFETCH(int, budget);
    QFETCH(QStringList, list);
    AnswerRecord answers;
    for (const QString& id : rightYesterday)
        answers[id].append({Yesterday, true});
    for (const QString& id : wrongYesterday)
        answers[id].append({Yesterday, false});
    ExamShape exam;
    exam.choice = Ids(0, bankSize - 1);
    QCOMPARE(Guidance::TodaysList(answers, exam, exam.choice, Today, budget, Today + 30), list);
}

QTEST_APPLESS_MAIN(TestSimGuidance)
#include "tst_simguidance.moc"
