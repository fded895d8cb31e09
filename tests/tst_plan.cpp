#include "study/Plan.h"

#include <QTest>

namespace
{
using Answers = QHash<QString, QList<TimedAnswer>>;
constexpr double Now = 100.4; // day 100, late morning

QString Id(QChar kind, int n)
{
    return QStringLiteral("%1%2").arg(kind).arg(n, 3, 10, QLatin1Char('0'));
}

// 150 questions of each kind, chapter order alternating them; 20 of each drawn, 36 of 40 pass.
ExamShape Exam()
{
    ExamShape exam;
    for (int n = 0; n < 150; ++n) {
        exam.choice.append(Id(u'c', n));
        exam.trueFalse.append(Id(u't', n));
    }
    exam.perKind = 20;
    exam.passScore = 36;
    return exam;
}

QStringList ChapterOrder(const ExamShape& exam)
{
    QStringList ids;
    for (int n = 0; n < exam.choice.size(); ++n)
        ids << exam.choice[n] << exam.trueFalse[n];
    return ids;
}

// The first `count` questions of the chapter order answered on each of the days given: wrong the
// first time for every other one (a learner who did not know them before), right after that.
Answers Learnt(int count, const QList<double>& days)
{
    Answers answers;
    const QStringList ids = ChapterOrder(Exam());
    for (int n = 0; n < count; ++n) {
        for (double day : days)
            answers[ids[n]].append({day, day != days.front() || n % 2 == 0});
    }
    return answers;
}

LearnerState Learner(const Answers& answers)
{
    const ExamShape exam = Exam();
    const Memories memories = ReplayEach(answers);
    return {ChapterOrder(exam),
            exam,
            memories,
            {},
            EstimateKnownBeforeStudy(FirstAnswersOf(exam, memories)).share};
}

StudyPlan Plan(const Answers& answers, std::optional<int> daysLeft,
               std::optional<int> mostNew = std::nullopt,
               std::optional<int> lastPace = std::nullopt)
{
    std::optional<int> testDay;
    if (daysLeft)
        testDay = CalendarDay(Now) + *daysLeft;
    return PlanFor(Learner(answers), Now, {testDay, mostNew, 0, lastPace});
}
} // namespace

class TestPlan : public QObject
{
    Q_OBJECT
private slots:
    void newQuestionsCoverTheBankInTime_data();
    void newQuestionsCoverTheBankInTime();
    void fewerDaysAskMoreADay();
    void aLearnerReadyKeepsTheLeastPace();
    void keptPlanReachesTheTarget();
    void lastPaceOnlySpeedsItUp_data();
    void lastPaceOnlySpeedsItUp();
    void tooLateToReachIt();
    void onTheTestDay();
};

void TestPlan::newQuestionsCoverTheBankInTime_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<int>("daysLeft"); // -1: no test date
    QTest::addColumn<int>("mostNew");  // -1: 自动
    QTest::addColumn<int>("leastNew");
    QTest::newRow("a newcomer, 20 days: the bank within 10") << Answers() << 20 << -1 << 30;
    QTest::newRow("no test date: within 15 of 30 days") << Answers() << -1 << -1 << 20;
    QTest::newRow("half the bank met") << Learnt(150, {99}) << 20 << -1 << 15;
    QTest::newRow("the learner's cap holds") << Answers() << 20 << 12 << 12;
    QTest::newRow("one day left: all of it") << Answers() << 1 << -1 << 300;
}

void TestPlan::newQuestionsCoverTheBankInTime()
{
    QFETCH(Answers, answers);
    QFETCH(int, daysLeft);
    QFETCH(int, mostNew);
    QFETCH(int, leastNew);
    const auto optional = [](int n) { return n < 0 ? std::nullopt : std::optional<int>(n); };
    const StudyPlan plan = Plan(answers, optional(daysLeft), optional(mostNew));
    QCOMPARE(plan.today.leastNew, leastNew);
    QCOMPARE(plan.daysLeft, optional(daysLeft));
}

void TestPlan::fewerDaysAskMoreADay()
{
    const Answers halfway = Learnt(150, {90, 95});
    int previous = 0;
    for (int days : {60, 30, 15, 8}) {
        const StudyPlan plan = Plan(halfway, days);
        QVERIFY2(plan.today.answers >= previous,
                 qPrintable(QStringLiteral("%1 days: %2 a day").arg(days).arg(plan.today.answers)));
        previous = plan.today.answers;
    }
}

void TestPlan::aLearnerReadyKeepsTheLeastPace()
{
    const StudyPlan plan = Plan(Learnt(300, {80, 85, 92, 99}), 14);
    QVERIFY(plan.reachesTarget);
    QCOMPARE(plan.today.answers, PaceLadder.front());
    QVERIFY(plan.onTestDay->chance >= PlanTarget);
    QCOMPARE(plan.onTestDay->questions, 300);
}

// The pace found is the least that reaches the target: the model's projection at the pace below
// falls short, and at the pace found it does not.
void TestPlan::keptPlanReachesTheTarget()
{
    const Answers halfway = Learnt(150, {90, 95});
    const StudyPlan plan = Plan(halfway, 30);
    QVERIFY(plan.reachesTarget);
    QVERIFY(plan.today.answers > PaceLadder.front());
    QVERIFY(plan.onTestDay->chance >= PlanTarget);
    QVERIFY(plan.onTestDay->low <= plan.onTestDay->chance);
    QVERIFY(plan.onTestDay->high >= plan.onTestDay->chance);
    const LearnerState learner = Learner(halfway);
    const double testMorning = CalendarDay(Now) + 30 + TestAtHour / 24;
    const auto below = std::find(PaceLadder.begin(), PaceLadder.end(), plan.today.answers) - 1;
    DayPlan slower = plan.today;
    slower.answers = *below;
    QVERIFY(*ForecastAt(learner.exam, Projected(learner, Now, testMorning, slower, 0),
                        testMorning) < PlanTarget);
}

// Whatever the pace planned last, the plan is the one found without it: the last pace only
// decides which paces are tried first.
void TestPlan::lastPaceOnlySpeedsItUp_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<int>("daysLeft");
    QTest::addColumn<int>("lastPace");
    const Answers halfway = Learnt(150, {90, 95});
    for (int lastPace : {0, 10, 40, 50, 60, 70, 120, 400, 1000}) {
        QTest::addRow("halfway, 30 days, last %d", lastPace) << halfway << 30 << lastPace;
        QTest::addRow("ready, 14 days, last %d", lastPace)
            << Learnt(300, {80, 85, 92, 99}) << 14 << lastPace;
        QTest::addRow("a newcomer, 1 day, last %d", lastPace) << Answers() << 1 << lastPace;
    }
}

void TestPlan::lastPaceOnlySpeedsItUp()
{
    QFETCH(Answers, answers);
    QFETCH(int, daysLeft);
    QFETCH(int, lastPace);
    const StudyPlan hinted = Plan(answers, daysLeft, std::nullopt, lastPace);
    const StudyPlan plain = Plan(answers, daysLeft);
    QCOMPARE(hinted.today.answers, plain.today.answers);
    QCOMPARE(hinted.reachesTarget, plain.reachesTarget);
    QCOMPARE(hinted.onTestDay->chance, plain.onTestDay->chance);
}

void TestPlan::tooLateToReachIt()
{
    const StudyPlan plan = Plan(Answers(), 1);
    QVERIFY(!plan.reachesTarget);
    QCOMPARE(plan.today.answers, MostAnswersPerDay);
    QVERIFY(plan.onTestDay->chance < PlanTarget);
}

// The day of the test: nothing to project, and the review still takes the day's answers.
void TestPlan::onTheTestDay()
{
    const StudyPlan plan = Plan(Learnt(150, {90, 95}), 0);
    QCOMPARE(plan.daysLeft, 0);
    QVERIFY(plan.today.answers > 0);
}

QTEST_APPLESS_MAIN(TestPlan)
#include "tst_plan.moc"
