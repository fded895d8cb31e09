#include "study/Review.h"

#include <QTest>
#include <QTimeZone>

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
    void newQuestionsOfToday_data();
    void newQuestionsOfToday();
    void nextDue_data();
    void nextDue();
    void dueText_data();
    void dueText();
    void countsDown();
};

void TestReview::todaysList_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QList<int>>("plan"); // the day's answers, least and most new questions
    QTest::addColumn<QStringList>("again");
    QTest::addColumn<QStringList>("due");
    QTest::addColumn<QStringList>("fresh");
    QTest::addColumn<int>("later");
    QTest::newRow("nothing answered: new ones in the bank's order, as many as the day holds")
        << "" << QList<int>{3, 0, 10} << QStringList() << QStringList()
        << QStringList{"a", "b", "c"} << 0;
    QTest::newRow("answered wrong last: first, the latest first; then due, then new")
        << "a:9A; b:9.5A; c:0G" << QList<int>{10, 0, 10} << QStringList{"b", "a"}
        << QStringList{"c"} << QStringList{"d", "e", "f"} << 0;
    QTest::newRow("wrong after right answers: back today, though not yet due")
        << "a:0G 9G 10.2A" << QList<int>{2, 0, 0} << QStringList{"a"} << QStringList()
        << QStringList() << 0;
    QTest::newRow("remembered well enough: not due")
        << "a:9G; b:0G 3G" << QList<int>{10, 0, 0} << QStringList() << QStringList()
        << QStringList() << 0;
    QTest::newRow("due beyond the day's answers: left for the next days")
        << "a:0G; b:0G; c:0G" << QList<int>{2, 0, 0} << QStringList() << QStringList{"a", "b"}
        << QStringList() << 1;
    QTest::newRow("due ones in the order they fell due when the day takes them all")
        << "a:3G; b:0G; c:1G" << QList<int>{5, 0, 0} << QStringList() << QStringList{"b", "c", "a"}
        << QStringList() << 0;
    QTest::newRow("the least new questions keep their room before the due ones")
        << "a:0G; b:0G; c:0G" << QList<int>{3, 2, 2} << QStringList() << QStringList{"a"}
        << QStringList{"d", "e"} << 2;
    // A question never answered gains more from an answer than one known at 70 %.
    QTest::newRow("new and due questions share the day by what an answer adds")
        << "a:0G; b:0G; c:0G" << QList<int>{2, 0, 10} << QStringList() << QStringList()
        << QStringList{"d", "e"} << 3;
    QTest::newRow("the learner's cap on new questions holds")
        << "" << QList<int>{10, 5, 2} << QStringList() << QStringList() << QStringList{"a", "b"}
        << 0;
    QTest::newRow("answers and new questions of today count against the day")
        << "a:10.2G; b:10.3A" << QList<int>{5, 0, 3} << QStringList{"b"} << QStringList()
        << QStringList{"c"} << 0;
    QTest::newRow("the day's answers all given")
        << "a:10.2G; b:10.3G" << QList<int>{2, 2, 10} << QStringList() << QStringList()
        << QStringList() << 0;
    QTest::newRow("questions the bank no longer has are left out")
        << "x:0A; a:0A" << QList<int>{5, 0, 0} << QStringList{"a"} << QStringList() << QStringList()
        << 0;
}

void TestReview::todaysList()
{
    QFETCH(QString, answers);
    QFETCH(QList<int>, plan);
    QFETCH(QStringList, again);
    QFETCH(QStringList, due);
    QFETCH(QStringList, fresh);
    QFETCH(int, later);
    ExamShape exam;
    exam.choice = Bank;
    const LearnerState learner{Bank, exam, MemoriesOf(answers), {}, PriorKnownShare};
    const int answeredToday = int(answers.count(QStringLiteral("10.")));
    const ReviewList list =
        TodaysReview(learner, Now, {plan[0], plan[1], plan[2], Now}, answeredToday);
    QCOMPARE(list.again, again);
    QCOMPARE(list.due, due);
    QCOMPARE(list.fresh, fresh);
    QCOMPARE(list.later, later);
}

// Today is the learner's calendar day: a question first answered before local midnight is
// yesterday's, however few minutes ago, and leaves today's allowance of new questions whole.
void TestReview::newQuestionsOfToday_data()
{
    QTest::addColumn<QList<QDateTime>>("answers"); // to question a, all right
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("answeredToday");
    QTest::addColumn<QStringList>("fresh"); // with room for two new questions a day
    const QTimeZone beijing(8 * 3600);
    const QDate yesterday(2026, 12, 10);
    const QDate today = yesterday.addDays(1);
    const auto at = [&beijing](QDate day, int hour, int minute) {
        return QDateTime(day, QTime(hour, minute), beijing);
    };
    QTest::newRow("a minute before midnight, seen a minute after")
        << QList{at(yesterday, 23, 59)} << at(today, 0, 1) << 0 << QStringList{"b", "c"};
    QTest::newRow("at midnight") << QList{at(today, 0, 0)} << at(today, 0, 1) << 1
                                 << QStringList{"b"};
    QTest::newRow("a minute after midnight, seen a minute before the next")
        << QList{at(today, 0, 1)} << at(today, 23, 59) << 1 << QStringList{"b"};
    QTest::newRow("yesterday evening, seen less than a day later")
        << QList{at(yesterday, 20, 0)} << at(today, 9, 0) << 0 << QStringList{"b", "c"};
    QTest::newRow("first yesterday evening, again after midnight")
        << QList{at(yesterday, 23, 50), at(today, 0, 10)} << at(today, 0, 30) << 1
        << QStringList{"b", "c"};
    QTest::newRow("either side of midnight UTC, the same local day")
        << QList{at(today, 7, 50)} << at(today, 8, 10) << 1 << QStringList{"b"};
}

void TestReview::newQuestionsOfToday()
{
    QFETCH(QList<QDateTime>, answers);
    QFETCH(QDateTime, now);
    QFETCH(int, answeredToday);
    QFETCH(QStringList, fresh);
    QHash<QString, QList<TimedAnswer>> given;
    for (const QDateTime& moment : answers)
        given["a"].append({LocalDays(moment), true});
    ExamShape exam;
    exam.choice = Bank;
    const LearnerState learner{Bank, exam, ReplayEach(given), {}, PriorKnownShare};
    const double day = LocalDays(now);
    QCOMPARE(AnswersOnDay(given, CalendarDay(day)), answeredToday);
    const ReviewList list = TodaysReview(learner, day, {10, 0, 2, day}, answeredToday);
    QCOMPARE(list.again, QStringList());
    QCOMPARE(list.due, QStringList());
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
    ReviewProgress progress({{"w"}, {"a", "b"}, {"c"}, 0});
    progress.Answered("a");
    progress.Answered("a");
    progress.Answered("x");
    QCOMPARE(progress.Again(), 1);
    QCOMPARE(progress.Due(), 1);
    QCOMPARE(progress.Fresh(), 1);
    progress.Answered("w");
    progress.Answered("c");
    QCOMPARE(progress.Again(), 0);
    QCOMPARE(progress.Fresh(), 0);
}

QTEST_APPLESS_MAIN(TestReview)
#include "tst_review.moc"
