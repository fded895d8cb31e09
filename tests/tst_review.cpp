#include "study/Review.h"

#include <QTest>

namespace {
// "a:0G 3A; b:9G": question a answered right on day 0 and wrong on day 3, b right on day 9.
Memories MemoriesOf(const QString& text)
{
    QHash<QString, QList<TimedAnswer>> answers;
    for (const QString& question : text.split(u';', Qt::SkipEmptyParts)) {
        const QStringList parts = question.trimmed().split(u':');
        for (const QString& answer : parts[1].split(u' ', Qt::SkipEmptyParts))
            answers[parts[0]].append({answer.chopped(1).toDouble(), answer.endsWith(u'G')});
    }
    return ReplayEach(answers);
}

const QStringList Bank = {"a", "b", "c", "d", "e", "f"};
// Day 10 from 1970-01-01 at 09:36 on the wall clock.
constexpr double Now = 10.4;
} // namespace

class TestReview : public QObject
{
    Q_OBJECT
private slots:
    void todaysList_data();
    void todaysList();
    void nextDue_data();
    void nextDue();
    void dueText_data();
    void dueText();
    void countsDown();
};

void TestReview::todaysList_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("newPerDay");
    QTest::addColumn<QStringList>("due");
    QTest::addColumn<QStringList>("fresh");
    QTest::newRow("nothing answered: the first new ones in the bank's order")
        << "" << 3 << QStringList() << QStringList{"a", "b", "c"};
    QTest::newRow("the least remembered first, then the new ones")
        << "a:0G; b:9G; c:0A" << 20 << QStringList{"c", "a"} << QStringList{"d", "e", "f"};
    QTest::newRow("remembered well enough: not due")
        << "a:9G; b:0G 3G" << 0 << QStringList() << QStringList();
    QTest::newRow("a wrong answer yesterday before a right one a week ago")
        << "a:9A; b:0G 3G; c:2G" << 0 << QStringList{"a", "c"} << QStringList();
    QTest::newRow("new questions answered today use up the allowance")
        << "a:10.2G; b:10.3A" << 3 << QStringList() << QStringList{"c"};
    QTest::newRow("allowance used up") << "a:10.2G; b:10.3A" << 2 << QStringList() << QStringList();
    QTest::newRow("a question first answered yesterday is not new today")
        << "a:9.9G" << 1 << QStringList() << QStringList{"b"};
    QTest::newRow("questions the bank no longer has are left out")
        << "x:0A; a:0A" << 0 << QStringList{"a"} << QStringList();
}

void TestReview::todaysList()
{
    QFETCH(QString, answers);
    QFETCH(int, newPerDay);
    QFETCH(QStringList, due);
    QFETCH(QStringList, fresh);
    const ReviewList list = TodaysReview(Bank, MemoriesOf(answers), Now, newPerDay);
    QCOMPARE(list.due, due);
    QCOMPARE(list.fresh, fresh);
}

void TestReview::nextDue_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<double>("next"); // -1: none
    QTest::newRow("nothing answered") << "" << -1.0;
    QTest::newRow("one right today: after its stability") << "a:10.2G" << 10.2 + 2.3065;
    QTest::newRow("the sooner of two") << "a:10.2G; b:10.3A" << 10.3 + 0.212;
    QTest::newRow("one already due is not next") << "a:0A; b:10.2G" << 10.2 + 2.3065;
    QTest::newRow("one the bank no longer has is not next") << "x:10.3A; b:10.2G" << 10.2 + 2.3065;
}

void TestReview::nextDue()
{
    QFETCH(QString, answers);
    QFETCH(double, next);
    const std::optional<double> due = NextDue(Bank, MemoriesOf(answers), Now);
    QCOMPARE(due.has_value(), next >= 0);
    if (due)
        QVERIFY(std::abs(*due - next) < 1e-9);
}

void TestReview::dueText_data()
{
    QTest::addColumn<double>("day");
    QTest::addColumn<QString>("text");
    QTest::newRow("later today") << 10.75 << "今天 18:00";
    QTest::newRow("just after midnight") << 11.0035 << "明天 00:05";
    QTest::newRow("days later") << 14.375 << "1月15日 09:00";
}

void TestReview::dueText()
{
    QFETCH(double, day);
    QFETCH(QString, text);
    QCOMPARE(DueText(day, Now), text);
}

void TestReview::countsDown()
{
    ReviewProgress progress({{"a", "b"}, {"c"}});
    progress.Answered("a");
    progress.Answered("a");
    progress.Answered("x");
    QCOMPARE(progress.Due(), 1);
    QCOMPARE(progress.Fresh(), 1);
    progress.Answered("c");
    QCOMPARE(progress.Fresh(), 0);
}

QTEST_APPLESS_MAIN(TestReview)
#include "tst_review.moc"
