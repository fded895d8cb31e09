#include "study/AnswerModel.h"
#include "study/Forecast.h"

#include <QTest>
#include <random>

namespace {
using Answers = QHash<QString, QList<TimedAnswer>>;

// "0G 3A": answers on days 0 and 3, G right, A wrong.
QList<TimedAnswer> Pattern(const QString& text)
{
    QList<TimedAnswer> answers;
    for (const QString& answer : text.split(u' ', Qt::SkipEmptyParts))
        answers.append({answer.chopped(1).toDouble(), answer.endsWith(u'G')});
    return answers;
}

// "c00:0G 3A; t01:9G": each question's answers.
Answers History(const QString& text)
{
    Answers answers;
    for (const QString& question : text.split(u';', Qt::SkipEmptyParts)) {
        const QStringList parts = question.trimmed().split(u':');
        answers[parts[0]] = Pattern(parts[1]);
    }
    return answers;
}

QString Id(QChar kind, int n)
{
    return QStringLiteral("%1%2").arg(kind).arg(n, 2, 10, QLatin1Char('0'));
}

// Pools of `perPool` questions each, c00… for choice and t00… for true/false.
ExamShape Exam(int perPool, int perKind, int passScore)
{
    ExamShape exam;
    for (int n = 0; n < perPool; ++n) {
        exam.choice.append(Id(u'c', n));
        exam.trueFalse.append(Id(u't', n));
    }
    exam.perKind = perKind;
    exam.passScore = passScore;
    return exam;
}

// The first `count` questions of each pool answered as the pattern says.
Answers Drilled(int count, const QString& pattern)
{
    Answers answers;
    for (int n = 0; n < count; ++n) {
        answers[Id(u'c', n)] = Pattern(pattern);
        answers[Id(u't', n)] = Pattern(pattern);
    }
    return answers;
}

Answers operator+(Answers answers, const Answers& more)
{
    for (auto question = more.begin(); question != more.end(); ++question)
        answers[question.key()] += question.value();
    return answers;
}

// 40 questions with up to four answers each, right or wrong, over days 0 to 20.
Answers RandomHistory(std::mt19937& random)
{
    Answers answers;
    std::uniform_int_distribution<int> count(0, 4);
    std::uniform_real_distribution<double> day(0, 20);
    for (int n = 0; n < 20; ++n) {
        for (const QString& id : {Id(u'c', n), Id(u't', n)}) {
            QList<double> days(count(random));
            for (double& d : days)
                d = day(random);
            std::sort(days.begin(), days.end());
            for (double d : days)
                answers[id].append({d, std::bernoulli_distribution(0.7)(random)});
        }
    }
    return answers;
}

// The forecast as the learner is shown it.
double Forecast(const ExamShape& exam, const Answers& answers, double now)
{
    return ForecastWithRange(exam, answers, now)->chance;
}

// 20 questions in each pool, 5 of each kind drawn, 8 of 10 to pass: forecasts between 0 and 1
// for the learners below, so that a change shows.
const ExamShape Small = Exam(20, 5, 8);
constexpr double Now = 20;
} // namespace

class TestAnswerModel : public QObject
{
    Q_OBJECT
private slots:
    void answerChance_data();
    void answerChance();
    void knownBeforeStudy_data();
    void knownBeforeStudy();
    void oneMoreAnswer_data();
    void oneMoreAnswer();
    void recentlyRightEverywhere_data();
    void recentlyRightEverywhere();
    void aFewAnswers_data();
    void aFewAnswers();
    void stoppedPractising_data();
    void stoppedPractising();
    void range_data();
    void range();
};

void TestAnswerModel::answerChance_data()
{
    QTest::addColumn<double>("guess");
    QTest::addColumn<double>("known");
    QTest::addColumn<double>("chance");
    QTest::newRow("true/false, nothing known") << GuessChance(2) << 0.0 << 0.5;
    QTest::newRow("A/B/C, known") << GuessChance(3) << 1.0 << 1.0;
    QTest::newRow("A/B/C, half known") << GuessChance(3) << 0.5 << 2.0 / 3;
    QTest::newRow("four options, a fifth known") << GuessChance(4) << 0.2 << 0.4;
    QTest::newRow("the set among four, nothing known") << SetGuessChance(4) << 0.0 << 1.0 / 15;
}

void TestAnswerModel::answerChance()
{
    QFETCH(double, guess);
    QFETCH(double, known);
    QFETCH(double, chance);
    QVERIFY(std::abs(AnswerChance(guess, known) - chance) < 1e-12);
}

// Worked out by hand: (right - guessed + 0.3 x 20) / (count - guessed + 20).
void TestAnswerModel::knownBeforeStudy_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("right");
    QTest::addColumn<double>("guessed");
    QTest::addColumn<int>("questionsRight");
    QTest::addColumn<double>("share");
    QTest::newRow("no answers: the prior") << 0 << 0 << 0.0 << 0 << 0.3;
    QTest::newRow("ten right true/false answers rest on a few: the prior, not 0.44")
        << 10 << 10 << 5.0 << 10 << 0.3;
    QTest::newRow("a few, mostly wrong: below the prior") << 10 << 2 << 5.0 << 4 << 0.12;
    QTest::newRow("forty right, half of them choice")
        << 40 << 40 << 20 / 3.0 + 10 << 40 << 29.3333333333 / 43.3333333333;
    QTest::newRow("as many right as guessing gives") << 40 << 20 << 20.0 << 25 << 0.15;
    QTest::newRow("every first answer wrong: none") << 100 << 0 << 50.0 << 60 << 0.0;
}

void TestAnswerModel::knownBeforeStudy()
{
    QFETCH(int, count);
    QFETCH(int, right);
    QFETCH(double, guessed);
    QFETCH(int, questionsRight);
    QFETCH(double, share);
    const FirstAnswers answers{count, right, guessed, questionsRight};
    const double estimate = EstimateKnownBeforeStudy(answers).share;
    QVERIFY2(std::abs(estimate - share) < 1e-9, qPrintable(QString::number(estimate)));
    QVERIFY(KnownBeforeStudyAt(answers, -1.28) <= estimate);
    QVERIFY(KnownBeforeStudyAt(answers, 1.28) >= estimate);
    if (answers.RestOnAFew())
        QVERIFY(KnownBeforeStudyAt(answers, 1.28) <= PriorKnownShare);
}

// The same learner at the same moment, with one more answer to one question: a right one never
// lowers the forecast, a wrong one or a look never raises it.
void TestAnswerModel::oneMoreAnswer_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QString>("question");
    QTest::addColumn<double>("day");
    const Answers drilled = Drilled(14, "0G 3G 10G");
    QTest::newRow("a newcomer's first answer") << Answers() << "c00" << 1.0;
    QTest::newRow("a few answers") << Drilled(3, "1G") << "c05" << 2.0;
    QTest::newRow("the twentieth question right lifts the newcomer's bound")
        << Drilled(9, "1G 1.1G") + History("c09:1G") << "c10" << 2.0;
    QTest::newRow("an unseen question") << drilled << "c19" << 15.0;
    QTest::newRow("a question answered right") << drilled << "c00" << 15.0;
    QTest::newRow("a question missed the day before")
        << drilled + History("c00:14A") << "c00" << 15.0;
    QTest::newRow("a question missed earlier the same day")
        << drilled + History("c00:15A") << "c00" << 15.2;
    QTest::newRow("a question missed weeks ago, its lapse curve the weaker")
        << Drilled(14, "0G 1A") << "c00" << 19.0;
    QTest::newRow("a question never answered right")
        << drilled + History("t19:5A 9A") << "t19" << 15.0;
    QTest::newRow("at the moment of the forecast") << drilled << "c03" << Now;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        const Answers answers = RandomHistory(random);
        const QString question =
            Id(seed % 2 ? u'c' : u't', std::uniform_int_distribution<int>(0, 19)(random));
        const double last = answers.value(question).isEmpty() ? 0 : answers[question].last().day;
        QTest::addRow("a random learner (%u)", seed)
            << answers << question << std::uniform_real_distribution<double>(last, Now)(random);
    }
}

void TestAnswerModel::oneMoreAnswer()
{
    QFETCH(Answers, answers);
    QFETCH(QString, question);
    QFETCH(double, day);
    const double before = Forecast(Small, answers, Now);
    const auto with = [&](bool right, bool look = false) {
        Answers more = answers;
        more[question].append({day, right, look});
        return Forecast(Small, more, Now);
    };
    QVERIFY2(with(true) >= before,
             qPrintable(QStringLiteral("right: %1 < %2").arg(with(true)).arg(before)));
    QVERIFY2(with(false) <= before,
             qPrintable(QStringLiteral("wrong: %1 > %2").arg(with(false)).arg(before)));
    QVERIFY2(with(false, true) <= before,
             qPrintable(QStringLiteral("look: %1 > %2").arg(with(false, true)).arg(before)));
}

// Every question of the bank's full mock exam answered right lately, the last time within the
// day: the learner is shown at least 90 %.
void TestAnswerModel::recentlyRightEverywhere_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("now");
    QTest::newRow("right on days 0, 3 and 10, asked this morning") << "0G 3G 10G" << 10.5;
    QTest::newRow("right on days 0 and 2, and again four days later") << "0G 2G 6.4G" << 6.9;
    QTest::newRow("missed at first, right since") << "0A 0.1G 3G 10G" << 10.9;
}

void TestAnswerModel::recentlyRightEverywhere()
{
    QFETCH(QString, pattern);
    QFETCH(double, now);
    const double forecast = Forecast(Exam(600, 50, 90), Drilled(600, pattern), now);
    QVERIFY2(forecast >= 0.9, qPrintable(QString::number(forecast)));
}

// A learner with a few answers is shown no more than a newcomer, however well those went.
void TestAnswerModel::aFewAnswers_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::newRow("one right answer just now") << History("c00:19.9G");
    QTest::newRow("five questions right three times")
        << Drilled(2, "0G 3G 19G") + History("c02:0G 3G 19G");
    QTest::newRow("nineteen questions right, one of them missed first")
        << Drilled(9, "18G 19G") + History("c09:19A 19.5G");
    QTest::newRow("many wrong first answers, then right")
        << Drilled(15, "0A 0.1A") + Drilled(9, "19G") + History("c09:19G");
}

void TestAnswerModel::aFewAnswers()
{
    QFETCH(Answers, answers);
    const Memories memories = ReplayEach(answers);
    QVERIFY(FirstAnswersOf(Small, memories).RestOnAFew());
    QVERIFY(EstimateKnownBeforeStudy(FirstAnswersOf(Small, memories)).share <= PriorKnownShare);
    const double newcomer = Forecast(Small, {}, Now);
    QVERIFY(newcomer > 0.01);
    const double forecast = Forecast(Small, answers, Now);
    QVERIFY2(forecast <= newcomer,
             qPrintable(QStringLiteral("%1 > %2").arg(forecast).arg(newcomer)));
}

// A learner who stops practising: the forecast falls with time, and never below every question
// counted at its guess and the share known before study.
void TestAnswerModel::stoppedPractising_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::newRow("right everywhere") << Drilled(20, "0G 3G 10G");
    QTest::newRow("a few missed last")
        << Drilled(14, "0G 3G 10G") + Drilled(4, "0A 3G 10A") + History("c18:5A; t18:5G");
    QTest::newRow("after many first answers wrong") << Drilled(20, "0A 1G 2G");
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 random(seed);
        QTest::addRow("a random learner (%u)", seed) << RandomHistory(random);
    }
}

void TestAnswerModel::stoppedPractising()
{
    QFETCH(Answers, answers);
    const Memories memories = ReplayEach(answers);
    const double knownBefore = EstimateKnownBeforeStudy(FirstAnswersOf(Small, memories)).share;
    const double floor =
        PassChance(QList<double>(20, AnswerChance(Small.choiceGuess, knownBefore)),
                   QList<double>(20, AnswerChance(Small.trueFalseGuess, knownBefore)),
                   Small.perKind, Small.passScore);
    double previous = 1;
    for (double later : {0.0, 0.5, 1.0, 3.0, 10.0, 30.0, 100.0, 1000.0, 100000.0}) {
        const double forecast = Forecast(Small, answers, Now + later);
        QVERIFY2(forecast <= previous,
                 qPrintable(
                     QStringLiteral("%1 days on: %2 > %3").arg(later).arg(forecast).arg(previous)));
        QVERIFY2(
            forecast >= floor - 1e-12,
            qPrintable(QStringLiteral("%1 days on: %2 < %3").arg(later).arg(forecast).arg(floor)));
        previous = forecast;
    }
}

void TestAnswerModel::range_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<int>("questions");
    QTest::newRow("a newcomer") << Answers() << 0;
    QTest::newRow("a few answers") << Drilled(3, "0G 19G") << 6;
    QTest::newRow("right everywhere") << Drilled(20, "0G 3G 10G") << 40;
    QTest::newRow("a question the bank no longer has is not counted")
        << Drilled(16, "0G 5A 10G 15G") + History("x:3G") << 32;
}

void TestAnswerModel::range()
{
    QFETCH(Answers, answers);
    QFETCH(int, questions);
    const ForecastRange range = *ForecastWithRange(Small, answers, Now);
    QCOMPARE(range.chance, Forecast(Small, answers, Now));
    QVERIFY2(
        range.low <= range.chance && range.chance <= range.high,
        qPrintable(QStringLiteral("%1 %2 %3").arg(range.low).arg(range.chance).arg(range.high)));
    QVERIFY(range.low < range.high);
    QCOMPARE(range.questions, questions);
    if (FirstAnswersOf(Small, ReplayEach(answers)).RestOnAFew())
        QVERIFY(range.high <= Forecast(Small, {}, Now));
}

QTEST_APPLESS_MAIN(TestAnswerModel)
#include "tst_answermodel.moc"
