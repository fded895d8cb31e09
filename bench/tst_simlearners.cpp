#include "SimulatedLearners.h"

#include <QSet>
#include <QTest>

namespace {
constexpr double Day0 = 20000;
constexpr double Minute = 1.0 / 1440;
constexpr int Questions = 200; // enough for a mean over questions to be steady

const SimBank& Bank()
{
    static const SimBank bank = MakeSimBank(1);
    return bank;
}

double MeanChance(const SimulatedLearner& learner, double now)
{
    double sum = 0;
    for (int q = 0; q < Questions; ++q)
        sum += learner.ChanceRight(q, now);
    return sum / Questions;
}

QList<double> Repeated(int count, double chance)
{
    return QList<double>(count, chance);
}
} // namespace

Q_DECLARE_METATYPE(Family)
Q_DECLARE_METATYPE(Pace)

class TestSimLearners : public QObject
{
    Q_OBJECT
private slots:
    void chapterShape_data();
    void chapterShape();
    void rivalsArePairsInAChapter();
    void surelyBelowOnlyWhenBelow_data();
    void surelyBelowOnlyWhenBelow();
    void studyRaisesForgettingLowers_data();
    void studyRaisesForgettingLowers();
    void spacedStudyOutlastsCramming_data();
    void spacedStudyOutlastsCramming();
    void sameExamsWhateverWasPractised();
    void budgetKeepsTheLearnersHours_data();
    void budgetKeepsTheLearnersHours();
};

void TestSimLearners::chapterShape_data()
{
    QTest::addColumn<int>("chapter");
    QTest::addColumn<int>("size");
    const int sizes[] = {80, 120, 160, 200, 200, 80, 120, 60, 120, 60};
    for (int c = 0; c < 10; ++c)
        QTest::addRow("chapter %d", c + 1) << c + 1 << sizes[c];
}

// Numbered from 001 in the bank's order, half of each kind, as in the real bank.
void TestSimLearners::chapterShape()
{
    QFETCH(int, chapter);
    QFETCH(int, size);
    const QString prefix = QStringLiteral("%1-").arg(chapter, 2, 10, QChar('0'));
    QStringList ids;
    int choice = 0;
    for (const SimQuestion& question : Bank().questions) {
        if (!question.id.startsWith(prefix))
            continue;
        ids.append(question.id);
        choice += question.kind == QuestionKind::Choice;
    }
    QCOMPARE(ids.size(), size);
    QCOMPARE(ids.first(), prefix + "001");
    QCOMPARE(ids.last(), prefix + QStringLiteral("%1").arg(size, 3, 10, QChar('0')));
    QCOMPARE(choice, size / 2);
}

void TestSimLearners::rivalsArePairsInAChapter()
{
    const std::vector<SimQuestion>& questions = Bank().questions;
    int paired = 0;
    for (int q = 0; q < int(questions.size()); ++q) {
        const int rival = questions[q].rival;
        if (rival < 0)
            continue;
        ++paired;
        QVERIFY(rival != q);
        QCOMPARE(questions[rival].rival, q);
        QCOMPARE(questions[rival].id.left(2), questions[q].id.left(2));
    }
    QVERIFY(paired > 0);
}

void TestSimLearners::surelyBelowOnlyWhenBelow_data()
{
    QTest::addColumn<QList<double>>("choice");
    QTest::addColumn<QList<double>>("trueFalse");
    QTest::addColumn<double>("target");
    QTest::addColumn<bool>("surelyBelow");
    QTest::newRow("99 % each: likely to pass")
        << Repeated(600, 0.99) << Repeated(600, 0.99) << 0.9 << false;
    QTest::newRow("90 % each: ten wrong expected, undecided")
        << Repeated(600, 0.9) << Repeated(600, 0.9) << 0.9 << false;
    QTest::newRow("89 % each: just too close to tell")
        << Repeated(600, 0.89) << Repeated(600, 0.89) << 0.9 << false;
    QTest::newRow("88 % each") << Repeated(600, 0.88) << Repeated(600, 0.88) << 0.9 << true;
    QTest::newRow("85 % each, a low target")
        << Repeated(600, 0.85) << Repeated(600, 0.85) << 0.3 << false;
    QTest::newRow("85 % each") << Repeated(600, 0.85) << Repeated(600, 0.85) << 0.5 << true;
    // The spread within a pool lowers the variance the bound may use: here just enough.
    QTest::newRow("half the choice pool known, half at 60 %")
        << Repeated(300, 1.0) + Repeated(300, 0.6) << Repeated(600, 0.98) << 0.9 << true;
}

// The bound may leave a case undecided, never call one below that is not.
void TestSimLearners::surelyBelowOnlyWhenBelow()
{
    QFETCH(QList<double>, choice);
    QFETCH(QList<double>, trueFalse);
    QFETCH(double, target);
    QFETCH(bool, surelyBelow);
    QCOMPARE(PassChanceSurelyBelow(choice, trueFalse, 50, 90, target), surelyBelow);
    if (surelyBelow)
        QVERIFY(PassChance(choice, trueFalse, 50, 90) < target);
}

void TestSimLearners::studyRaisesForgettingLowers_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<Pace>("pace");
    QTest::addColumn<bool>("guessingFloor");
    const std::pair<Family, const char*> families[] = {{Family::Exponential, "exponential"},
                                                       {Family::TwoTrace, "two-trace"},
                                                       {Family::PowerLaw, "power-law"}};
    const std::pair<Pace, const char*> paces[] = {
        {Pace::Quick, "quick"}, {Pace::Average, "average"}, {Pace::Slow, "slow"}};
    for (const auto& [family, familyName] : families) {
        for (const auto& [pace, paceName] : paces)
            QTest::addRow("%s, %s", familyName, paceName)
                << family << pace << (family != Family::Exponential);
    }
}

// An answer never lowers its question's chance at that moment, time never raises it, and no
// amount of forgetting takes a family with a guessing floor below it.
void TestSimLearners::studyRaisesForgettingLowers()
{
    QFETCH(Family, family);
    QFETCH(Pace, pace);
    QFETCH(bool, guessingFloor);
    const std::unique_ptr<SimulatedLearner> learner = MakeLearner(family, pace, Bank(), 3);
    Random random(5);
    for (int q = 0; q < Questions; ++q) {
        const double floor = guessingFloor ? GuessChance(Bank().questions[q].kind) : 0;
        const double before = learner->ChanceRight(q, Day0);
        QVERIFY(before >= floor - 1e-12 && before <= 1);
        learner->Answer(q, Day0, random);
        double last = learner->ChanceRight(q, Day0);
        QVERIFY2(last >= before - 1e-12, qPrintable(Bank().questions[q].id));
        for (const double later : {Minute, 0.5, 1.0, 10.0, 100.0}) {
            const double chance = learner->ChanceRight(q, Day0 + later);
            QVERIFY2(chance <= last + 1e-12, qPrintable(Bank().questions[q].id));
            QVERIFY(chance >= floor - 1e-12);
            last = chance;
        }
    }
}

void TestSimLearners::spacedStudyOutlastsCramming_data()
{
    QTest::addColumn<Family>("family");
    QTest::newRow("exponential") << Family::Exponential;
    QTest::newRow("two-trace") << Family::TwoTrace;
    QTest::newRow("power-law") << Family::PowerLaw;
}

// Two answers a day apart leave more a week later than two answers a minute apart, the last
// answer at the same moment: the same learner, twice.
void TestSimLearners::spacedStudyOutlastsCramming()
{
    QFETCH(Family, family);
    const auto studied = [&](double gap) {
        std::unique_ptr<SimulatedLearner> learner = MakeLearner(family, Pace::Average, Bank(), 3);
        Random random(5);
        for (int q = 0; q < Questions; ++q) {
            learner->Answer(q, Day0 + 1 - gap, random);
            learner->Answer(q, Day0 + 1, random);
        }
        return MeanChance(*learner, Day0 + 8);
    };
    const double crammed = studied(Minute);
    const double spaced = studied(1);
    QVERIFY2(spaced > crammed + 0.02,
             qPrintable(QStringLiteral("spaced %1, crammed %2").arg(spaced).arg(crammed)));
}

// Each exam draws 50 of each kind and takes a hundred answers' time, and the draw does not
// depend on the learner: orders of study are compared on the same exams.
void TestSimLearners::sameExamsWhateverWasPractised()
{
    constexpr int Exams = 3;
    const auto sittings = [](Family family, int practised) {
        std::unique_ptr<SimulatedLearner> learner = MakeLearner(family, Pace::Quick, Bank(), 9);
        Random answers(practised);
        for (int q = 0; q < practised; ++q)
            learner->Answer(q, Day0, answers);
        Random draw(11);
        QList<ExamSitting> sittings;
        for (int exam = 0; exam < Exams; ++exam)
            sittings.append(learner->SitExam(Day0 + exam, draw, answers));
        return sittings;
    };
    const auto questionsOf = [](const ExamSitting& sitting) {
        QList<int> questions;
        for (const ExamAnswer& answer : sitting.answers)
            questions.append(answer.question);
        return questions;
    };
    const QList<ExamSitting> fresh = sittings(Family::TwoTrace, 0);
    const QList<ExamSitting> practised = sittings(Family::PowerLaw, 500);
    for (int exam = 0; exam < Exams; ++exam) {
        const QList<int> questions = questionsOf(fresh[exam]);
        QCOMPARE(questions.size(), 100);
        QCOMPARE(QSet<int>(questions.begin(), questions.end()).size(), 100);
        for (int i = 0; i < 100; ++i) {
            const QuestionKind kind = i < 50 ? QuestionKind::Choice : QuestionKind::TrueFalse;
            QCOMPARE(Bank().questions[questions[i]].kind, kind);
        }
        QVERIFY(std::abs(fresh[exam].end - (Day0 + exam + 100 * AnswerDuration)) < 1e-9);
        QCOMPARE(questionsOf(practised[exam]), questions);
    }
}

void TestSimLearners::budgetKeepsTheLearnersHours_data()
{
    spacedStudyOutlastsCramming_data();
}

// A fixed budget changes how much a learner studies, not when: the same hours as on their own
// habits, every day, no exam.
void TestSimLearners::budgetKeepsTheLearnersHours()
{
    QFETCH(Family, family);
    constexpr int Days = 28;
    const QList<StudyDay> own = PlanDays(family, 4, Day0, Days, std::nullopt);
    const QList<StudyDay> budgeted = PlanDays(family, 4, Day0, Days, 100);
    QCOMPARE(own.size(), Days);
    QCOMPARE(budgeted.size(), Days);
    for (int d = 0; d < Days; ++d) {
        int answers = 0;
        for (const StudySession& session : budgeted[d].sessions) {
            answers += session.answers;
            const double hour = (session.start - (Day0 + d)) * 24;
            QVERIFY2(hour >= 7 && hour <= 22, qPrintable(QString::number(hour)));
        }
        QCOMPARE(answers, 100);
        QVERIFY(!budgeted[d].exam);
        if (own[d].sessions.isEmpty())
            continue;
        for (int s = 0; s < own[d].sessions.size(); ++s)
            QCOMPARE(own[d].sessions[s].start, budgeted[d].sessions[s].start);
    }
}

QTEST_APPLESS_MAIN(TestSimLearners)
#include "tst_simlearners.moc"
