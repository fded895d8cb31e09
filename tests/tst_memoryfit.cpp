#include "study/MemoryFit.h"

#include <QTest>
#include <random>

namespace {
using Answers = QHash<QString, QList<TimedAnswer>>;

constexpr int PerPool = 300;
// After its first answer each question comes back these many days after the one before.
constexpr int Intervals[] = {0, 1, 2, 4, 8, 16, 32};
constexpr int NewPerDay = 20;
constexpr double KnownBeforeStudy = 0.3;

ExamShape Exam()
{
    ExamShape exam;
    for (int n = 0; n < PerPool; ++n) {
        exam.choice.append(QStringLiteral("c%1").arg(n));
        exam.trueFalse.append(QStringLiteral("t%1").arg(n));
    }
    exam.perKind = 50;
    exam.passScore = 90;
    return exam;
}

// A learner whose memory follows FSRS with `truth`, its recall moved by `offset` on the logit
// scale, and who knew some of the bank before study: each answer is right with the answer model's
// chance under the truth. Twenty new questions a day, each asked again after widening intervals,
// at an hour of the evening.
Answers Simulated(const ExamShape& exam, const MemoryWeights& truth, unsigned seed,
                  double offset = 0)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> evening(0.75, 0.9);
    Answers answers;
    const QStringList ids = exam.choice + exam.trueFalse;
    for (int q = 0; q < ids.size(); ++q) {
        const double guess = q < PerPool ? exam.choiceGuess : exam.trueFalseGuess;
        const bool knownBefore = std::bernoulli_distribution(KnownBeforeStudy)(random);
        QuestionMemory memory;
        int day = q % (ids.size() / NewPerDay);
        for (int interval : Intervals) {
            day += interval;
            const double moment = day + evening(random);
            const double recall = memory.answers ? memory.RecallAt(moment) : 0;
            const double shifted = 1 / (1 + (1 - recall) / recall * std::exp(-offset));
            const double known = knownBefore ? 1 : memory.answers ? shifted : 0;
            const bool right = std::bernoulli_distribution(AnswerChance(guess, known))(random);
            memory = Answered(memory, {moment, right}, truth);
            answers[ids[q]].append({moment, right});
        }
    }
    return answers;
}

Answers Before(const Answers& answers, double day)
{
    Answers before;
    for (auto question = answers.begin(); question != answers.end(); ++question) {
        for (const TimedAnswer& answer : question.value()) {
            if (answer.day < day)
                before[question.key()].append(answer);
        }
    }
    return before;
}

MemoryWeights Changed(std::initializer_list<std::pair<int, double>> changes)
{
    MemoryWeights weights;
    for (const auto& [index, value] : changes)
        weights.w[index] = value;
    return weights;
}
} // namespace

class TestMemoryFit : public QObject
{
    Q_OBJECT
private slots:
    void fitsTheLearner_data();
    void fitsTheLearner();
    void tooFewAnswers();
    void hopelessLearner();
    void offsetFollowsTheAnswers_data();
    void offsetFollowsTheAnswers();
    void fitsOnceADay();
};

// Fitted on the answers of the first 40 days (about 3,000), the weights predict the learner's
// later answers better than the defaults, and little worse when the defaults are the truth.
void TestMemoryFit::fitsTheLearner_data()
{
    QTest::addColumn<MemoryWeights>("truth");
    // The mean log loss on the later answers, over the defaults'.
    QTest::addColumn<double>("worseAtMost");
    QTest::newRow("forgets fast") << Changed({{2, 0.9}, {20, 0.5}}) << 0.0;
    QTest::newRow("remembers long") << Changed({{2, 5.0}, {8, 2.6}}) << 0.0;
    QTest::newRow("the defaults: little lost") << MemoryWeights() << 0.005;
}

void TestMemoryFit::fitsTheLearner()
{
    QFETCH(MemoryWeights, truth);
    QFETCH(double, worseAtMost);
    constexpr double Split = 40;
    const ExamShape exam = Exam();
    const Answers answers = Simulated(exam, truth, 7);
    const Answers training = Before(answers, Split);
    const MemoryFit fit = FitMemory(training, exam);
    QVERIFY(fit.fitted);
    const double knownBefore =
        EstimateKnownBeforeStudy(FirstAnswersOf(exam, ReplayEach(training))).share;
    const auto loss = [&](const Answers& given, const MemoryWeights& weights, double from) {
        return PredictAnswers(given, exam, weights, knownBefore, from).MeanLogLoss();
    };
    QVERIFY(loss(training, fit.weights, 0) < loss(training, {}, 0));
    const double gain = loss(answers, fit.weights, Split) - loss(answers, {}, Split);
    QVERIFY2(gain < worseAtMost, qPrintable(QString::number(gain)));
}

void TestMemoryFit::tooFewAnswers()
{
    const ExamShape exam = Exam();
    const Answers answers = Before(Simulated(exam, {}, 1), 8);
    int count = 0;
    for (const QList<TimedAnswer>& question : answers)
        count += question.size();
    QCOMPARE_LT(count, AnswersToFit);
    const MemoryFit fit = FitMemory(answers, exam);
    QVERIFY(!fit.fitted);
    QCOMPARE(fit.weights, MemoryWeights());
}

// A record no memory explains stops the fit at the weights' bounds, where the model still works.
void TestMemoryFit::hopelessLearner()
{
    const ExamShape exam = Exam();
    Answers answers = Simulated(exam, {}, 3);
    for (QList<TimedAnswer>& question : answers) {
        for (TimedAnswer& answer : question)
            answer.right = false;
    }
    const MemoryFit fit = FitMemory(answers, exam);
    QVERIFY(fit.fitted);
    for (double weight : fit.weights.w)
        QVERIFY(std::isfinite(weight) && weight >= 0);
    const double recall = Replay(answers["c0"], fit.weights).RecallAt(100);
    QVERIFY(recall > 0 && recall < 1);
}

// A learner who recalls less (or more) than the weights say at every age shows it as a shift of
// every memory's credit, and many answers make it sure.
void TestMemoryFit::offsetFollowsTheAnswers_data()
{
    QTest::addColumn<double>("offset");
    QTest::newRow("recalls less") << -1.0;
    QTest::newRow("as the weights say") << 0.0;
    QTest::newRow("recalls more") << 1.0;
}

void TestMemoryFit::offsetFollowsTheAnswers()
{
    QFETCH(double, offset);
    const ExamShape exam = Exam();
    const Answers answers = Simulated(exam, {}, 5, offset);
    const double knownBefore =
        EstimateKnownBeforeStudy(FirstAnswersOf(exam, ReplayEach(answers))).share;
    const MemoryOffset read = MemoryOffsetOf(PredictAnswers(answers, exam, {}, knownBefore));
    QVERIFY2(std::abs(read.shift - offset) < 0.35, qPrintable(QString::number(read.shift)));
    QVERIFY(read.spread > 0 && read.spread < 0.1);
    const MemoryOffset none = MemoryOffsetOf({});
    QCOMPARE(none.shift, 0.0);
    QCOMPARE(none.spread, 0.5);
}

// The day's first forecast fits; later answers that day keep those weights, and the next day fits
// them all.
void TestMemoryFit::fitsOnceADay()
{
    const ExamShape exam = Exam();
    const Answers answers = Simulated(exam, Changed({{0, 1.0}, {20, 0.3}}), 3);
    const Answers morning = Before(answers, 40);
    const Answers evening = Before(answers, 41);
    QVERIFY(morning != evening);
    const MemoryWeights first = FitMemory(morning, exam).weights;
    const MemoryWeights all = FitMemory(evening, exam).weights;
    QVERIFY(first != all);
    DailyFit fit;
    QCOMPARE(fit.WeightsFor(morning, exam, 40.3), first);
    QCOMPARE(fit.WeightsFor(evening, exam, 40.9), first);
    QCOMPARE(fit.WeightsFor(evening, exam, 41.3), all);
}

QTEST_APPLESS_MAIN(TestMemoryFit)
#include "tst_memoryfit.moc"
