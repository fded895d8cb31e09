#include "study/Forecast.h"

#include <QTest>

namespace {
QList<double> Repeated(int count, double chance)
{
    return QList<double>(count, chance);
}

// Every draw of `drawn` questions from both pools, and every outcome of each draw, counted one by
// one: the slow way the forecast must agree with.
double PassChanceCounted(const QList<double>& choice, const QList<double>& trueFalse, int drawn,
                         int passScore)
{
    QList<QList<int>> draws[2];
    const QList<double>* pools[2] = {&choice, &trueFalse};
    for (int p = 0; p < 2; ++p) {
        const int size = int(pools[p]->size());
        for (int mask = 0; mask < (1 << size); ++mask) {
            if (__builtin_popcount(mask) != drawn)
                continue;
            QList<int> draw;
            for (int i = 0; i < size; ++i) {
                if (mask & (1 << i))
                    draw.append(i);
            }
            draws[p].append(draw);
        }
    }
    double pass = 0;
    for (const QList<int>& a : draws[0]) {
        for (const QList<int>& b : draws[1]) {
            QList<double> chances;
            for (int i : a)
                chances.append(choice[i]);
            for (int i : b)
                chances.append(trueFalse[i]);
            for (int outcome = 0; outcome < (1 << chances.size()); ++outcome) {
                double chance = 1;
                for (int i = 0; i < chances.size(); ++i)
                    chance *= outcome & (1 << i) ? chances[i] : 1 - chances[i];
                if (__builtin_popcount(outcome) >= passScore)
                    pass += chance;
            }
        }
    }
    return pass / (draws[0].size() * draws[1].size());
}
} // namespace

class TestForecast : public QObject
{
    Q_OBJECT
private slots:
    void againstEveryDraw_data();
    void againstEveryDraw();
    void fullSizeExam_data();
    void fullSizeExam();
    void forecastOfAStore();
};

void TestForecast::againstEveryDraw_data()
{
    QTest::addColumn<QList<double>>("choice");
    QTest::addColumn<QList<double>>("trueFalse");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<int>("passScore");
    QTest::newRow("pools just large enough")
        << QList<double>{0.9, 0.5, 0.7} << QList<double>{0.6, 0.99, 0.2} << 3 << 5;
    QTest::newRow("two of five from each, all four right")
        << QList<double>{0.9, 0.1, 0.5, 0.75, 1.0} << QList<double>{0.3, 0.8, 0.95, 0.6, 0.05} << 2
        << 4;
    QTest::newRow("two of five from each, one may be wrong")
        << QList<double>{0.9, 0.1, 0.5, 0.75, 1.0} << QList<double>{0.3, 0.8, 0.95, 0.6, 0.05} << 2
        << 3;
    QTest::newRow("one certain miss in each pool")
        << QList<double>{0.0, 1.0, 1.0, 1.0} << QList<double>{1.0, 0.0, 1.0, 1.0} << 3 << 6;
    QTest::newRow("uneven pools") << QList<double>{0.2, 0.4, 0.6, 0.8, 0.9, 0.95}
                                  << QList<double>{0.7, 0.7, 0.9} << 3 << 4;
}

void TestForecast::againstEveryDraw()
{
    QFETCH(QList<double>, choice);
    QFETCH(QList<double>, trueFalse);
    QFETCH(int, drawn);
    QFETCH(int, passScore);
    const double counted = PassChanceCounted(choice, trueFalse, drawn, passScore);
    QVERIFY2(std::abs(PassChance(choice, trueFalse, drawn, passScore) - counted) < 1e-12,
             qPrintable(QString::number(counted)));
}

// 50 of each kind, 90 to pass, worked out with the binomial and hypergeometric distributions.
void TestForecast::fullSizeExam_data()
{
    QTest::addColumn<QList<double>>("choice");
    QTest::addColumn<QList<double>>("trueFalse");
    QTest::addColumn<double>("pass");
    QTest::newRow("every question known") << Repeated(600, 1.0) << Repeated(600, 1.0) << 1.0;
    QTest::newRow("nothing known") << Repeated(600, 0.0) << Repeated(600, 0.0) << 0.0;
    QTest::newRow("each question 90 %: a binomial tail")
        << Repeated(50, 0.9) << Repeated(50, 0.9) << 0.5831555122664922;
    QTest::newRow("ten of sixty never known in each pool")
        << Repeated(50, 1.0) + Repeated(10, 0.0) << Repeated(10, 0.0) + Repeated(50, 1.0)
        << 0.00013038620336990563;
}

void TestForecast::fullSizeExam()
{
    QFETCH(QList<double>, choice);
    QFETCH(QList<double>, trueFalse);
    QFETCH(double, pass);
    QVERIFY(std::abs(PassChance(choice, trueFalse, 50, 90) - pass) < 1e-9);
}

// The exam is drawn from the bank's two pools; each question counts at its guess and what it is
// credited with knowing: its memory, the share known before study for one never answered. 20
// questions answered right lift the forecast past a newcomer's.
void TestForecast::forecastOfAStore()
{
    ExamShape exam;
    QHash<QString, QList<TimedAnswer>> answers;
    for (int i = 0; i < 12; ++i) {
        exam.choice.append(QStringLiteral("c%1").arg(i));
        exam.trueFalse.append(QStringLiteral("t%1").arg(i));
        answers[exam.choice.last()] = {{1.2, true}};
        if (i < 11)
            answers[exam.trueFalse.last()] = {{1.2, i % 3 != 0}};
    }
    exam.perKind = 2;
    exam.passScore = 3;
    answers["c1"].append({1.3, false});
    answers["t0"].append({{3.5, true}, {3.6, true}});
    answers["x"] = {{2.0, false}}; // the bank no longer has it: left out
    const Memories memories = ReplayEach(answers);
    const double now = 5.0;

    const FirstAnswers first = FirstAnswersOf(exam, memories);
    QCOMPARE(first.count, 23);
    QCOMPARE(first.right, 12 + 7);
    QCOMPARE(first.questionsRight, 12 + 8);
    const double knownBefore = EstimateKnownBeforeStudy(first).share;
    const auto chances = [&](const QStringList& ids, double guess) {
        QList<double> pool;
        for (const QString& id : ids) {
            const auto memory = memories.find(id);
            pool.append(AnswerChance(guess, KnownOf(memory == memories.end() ? nullptr : &*memory,
                                                    now, knownBefore)));
        }
        return pool;
    };
    const double expected = PassChanceCounted(chances(exam.choice, GuessChance(3)),
                                              chances(exam.trueFalse, GuessChance(2)), 2, 3);
    QCOMPARE(*ForecastAt(exam, memories, now), expected);

    const QList<ForecastPoint> history = ForecastHistory(exam, answers);
    QCOMPARE(history.size(), 3); // days 1, 2 and 3
    QCOMPARE(history[0].day, 1.3);
    QCOMPARE(history[2].day, 3.6);
    QCOMPARE(history[2].chance, *ForecastAt(exam, memories, 3.6));
    // Before day 3 began: t0 had no answer yet, and the first two days' points stand.
    const auto beforeDay3 = AnswersBefore(answers, 3);
    QCOMPARE(beforeDay3["t0"], (QList<TimedAnswer>{{1.2, false}}));
    const QList<ForecastPoint> earlier = ForecastHistory(exam, beforeDay3);
    QCOMPARE(earlier.size(), 2);
    QCOMPARE(earlier[1].day, history[1].day);
    QCOMPARE(earlier[1].chance, history[1].chance);

    exam.perKind = 13;
    QVERIFY(!ForecastAt(exam, memories, now));
    QVERIFY(ForecastHistory(exam, answers).isEmpty());
}

QTEST_APPLESS_MAIN(TestForecast)
#include "tst_forecast.moc"
