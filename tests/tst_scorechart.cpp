#include "progress/ScoreChart.h"

#include <QTest>

class TestScoreChart : public QObject
{
    Q_OBJECT
private slots:
    void examPositions_data();
    void examPositions();
    void dayLabelStep_data();
    void dayLabelStep();
};

void TestScoreChart::examPositions_data()
{
    QTest::addColumn<QList<int>>("days"); // from 2026-03-01
    QTest::addColumn<QList<double>>("positions");
    QTest::newRow("one exam") << QList<int>{0} << QList<double>{0};
    QTest::newRow("one a day") << QList<int>{0, 1, 4} << QList<double>{0, 1, 4};
    QTest::newRow("two on one day") << QList<int>{0, 0} << QList<double>{-0.15, 0.15};
    QTest::newRow("three on the last day")
        << QList<int>{0, 2, 2, 2} << QList<double>{0, 1.8, 2, 2.2};
    QTest::newRow("over a month's end") << QList<int>{30, 31} << QList<double>{0, 1};
}

void TestScoreChart::examPositions()
{
    QFETCH(QList<int>, days);
    QFETCH(QList<double>, positions);
    const QDate first(2026, 3, 1);
    QList<QDate> dates;
    for (const int day : days)
        dates.append(first.addDays(day));
    const QList<double> placed = ExamPositions(dates);
    QCOMPARE(placed.size(), positions.size());
    for (int i = 0; i < placed.size(); ++i)
        QVERIFY2(qAbs(placed[i] - positions[i]) < 1e-9, qPrintable(QString::number(placed[i])));
}

void TestScoreChart::dayLabelStep_data()
{
    QTest::addColumn<int>("lastDay");
    QTest::addColumn<int>("step");
    // At most 7 labels: 6 steps along the axis.
    QTest::newRow("one day") << 0 << 1;
    QTest::newRow("a week") << 6 << 1;
    QTest::newRow("eight days") << 7 << 2;
    QTest::newRow("twelve days") << 12 << 2;
    QTest::newRow("a month") << 30 << 7;
    QTest::newRow("six weeks") << 42 << 7;
    QTest::newRow("two months") << 60 << 14;
    QTest::newRow("a quarter") << 90 << 30;
    QTest::newRow("a year") << 365 << 90;
}

void TestScoreChart::dayLabelStep()
{
    QFETCH(int, lastDay);
    QFETCH(int, step);
    QCOMPARE(DayLabelStep(lastDay, 7), step);
    QVERIFY(lastDay / step + 1 <= 7);
}

QTEST_MAIN(TestScoreChart)
#include "tst_scorechart.moc"
