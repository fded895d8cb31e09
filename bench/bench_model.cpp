// The model of the chance of a right answer on simulated learners whose memory follows FSRS with
// weights other than the defaults, a share of the bank known before study and a guessing floor.
//
//   bench_model                the benchmarks: fitting on 100,000 answers, the forecast with its
//                              range on the whole bank
//   bench_model --threshold    the fitted weights against the defaults on the learner's next
//                              answers, by the number of answers fitted on
//   bench_model --sample       fitting on a sample of questions against fitting on all of them

#include "study/Forecast.h"
#include "study/MemoryFit.h"

#include <QElapsedTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {
constexpr int QuestionsPerKind = 600;
constexpr int PerKind = 50;
constexpr int PassScore = 90;
constexpr double SessionStarts[] = {9.0 / 24, 19.0 / 24};
constexpr double DaysPerAnswer = 30.0 / 86400;
constexpr double AskAgainAfterWrong = 0.5; // practice shows a missed question again that session

ExamShape Bank()
{
    ExamShape exam;
    exam.perKind = PerKind;
    exam.passScore = PassScore;
    for (int q = 1; q <= QuestionsPerKind; ++q) {
        exam.choice.append(QStringLiteral("c%1").arg(q, 3, 10, QLatin1Char('0')));
        exam.trueFalse.append(QStringLiteral("t%1").arg(q, 3, 10, QLatin1Char('0')));
    }
    return exam;
}

// Weights unlike the defaults: each learner forgets at their own pace and shape.
MemoryWeights OtherWeights(std::mt19937_64& random)
{
    std::normal_distribution<double> normal;
    MemoryWeights weights;
    std::array<double, MemoryWeights::Count>& w = weights.w;
    const auto scaled = [&](int i, double spread) { w[i] *= std::exp(spread * normal(random)); };
    scaled(0, 0.5);
    scaled(2, 0.6);
    w[4] = std::clamp(w[4] + 0.6 * normal(random), 1.0, 10.0);
    scaled(6, 0.3);
    scaled(8, 0.25);
    scaled(9, 0.4);
    scaled(10, 0.3);
    scaled(11, 0.3);
    scaled(14, 0.3);
    scaled(17, 0.4);
    w[20] = std::uniform_real_distribution<double>(0.1, 0.6)(random);
    return weights;
}

using Answers = QHash<QString, QList<TimedAnswer>>;

// One simulated learner's record, and the answers in the order given.
struct Record {
    Answers answers;
    struct Given {
        QString id;
        TimedAnswer answer;
    };
    std::vector<Given> order;

    // The answers given before `end` (an index into order).
    Answers Before(std::size_t end) const
    {
        Answers before;
        for (std::size_t i = 0; i < end; ++i)
            before[order[i].id].append(order[i].answer);
        return before;
    }
};

// Studies the bank as the program's review would have it: what falls due by the default model
// first, then new questions in order, then the least remembered.
class Learner
{
public:
    Learner(const ExamShape& exam, std::mt19937_64& random)
        : random(random), truth(OtherWeights(random)),
          knownShare(std::uniform_real_distribution<double>(0.1, 0.5)(random))
    {
        for (const QString& id : exam.choice)
            questions.push_back({id, exam.choiceGuess, Known(), {}, {}});
        for (const QString& id : exam.trueFalse)
            questions.push_back({id, exam.trueFalseGuess, Known(), {}, {}});
        // Chapters mix both kinds.
        std::shuffle(questions.begin(), questions.end(), random);
    }

    void Study(Record& record, int firstDay, int days, int perDay)
    {
        for (int day = firstDay; day < firstDay + days; ++day) {
            for (double start : SessionStarts)
                Session(record, day + start, perDay / int(std::size(SessionStarts)));
        }
    }

private:
    struct Question {
        QString id;
        double guess;
        bool knownBefore;
        QuestionMemory truth;   // as the learner's memory really goes
        QuestionMemory program; // as the program's default model sees it
    };

    bool Known() { return std::bernoulli_distribution(knownShare)(random); }

    void Session(Record& record, double start, int budget)
    {
        double now = start;
        std::vector<std::size_t> queue = Choose(now, budget);
        for (std::size_t i = 0; i < queue.size(); ++i) {
            Question& question = questions[queue[i]];
            const bool right = Answer(record, question, now);
            if (!right && int(queue.size()) < budget &&
                std::bernoulli_distribution(AskAgainAfterWrong)(random))
                queue.push_back(queue[i]);
            now += DaysPerAnswer;
        }
    }

    std::vector<std::size_t> Choose(double now, int budget) const
    {
        std::vector<std::pair<double, std::size_t>> answered;
        std::vector<std::size_t> fresh;
        for (std::size_t q = 0; q < questions.size(); ++q) {
            if (questions[q].program.answers == 0)
                fresh.push_back(q);
            else
                answered.push_back({questions[q].program.RecallAt(now), q});
        }
        std::sort(answered.begin(), answered.end());
        std::vector<std::size_t> chosen;
        for (const auto& [recall, q] : answered) {
            if (recall < TargetRetention)
                chosen.push_back(q);
        }
        chosen.insert(chosen.end(), fresh.begin(), fresh.end());
        for (const auto& [recall, q] : answered) {
            if (recall >= TargetRetention)
                chosen.push_back(q);
        }
        chosen.resize(std::min<std::size_t>(chosen.size(), budget * 2 / 3));
        return chosen;
    }

    bool Answer(Record& record, Question& question, double now)
    {
        const double known = question.knownBefore     ? 1.0
                             : question.truth.answers ? question.truth.RecallAt(now)
                                                      : 0;
        const bool right = std::bernoulli_distribution(AnswerChance(question.guess, known))(random);
        const TimedAnswer answer{now, right};
        question.truth = Answered(question.truth, answer, truth);
        question.program = Answered(question.program, answer);
        record.answers[question.id].append(answer);
        record.order.push_back({question.id, answer});
        return right;
    }

    std::mt19937_64& random;
    MemoryWeights truth;
    double knownShare;
    std::vector<Question> questions;
};

Record Simulate(const ExamShape& exam, int days, int perDay, unsigned seed)
{
    std::mt19937_64 random(seed);
    Learner learner(exam, random);
    Record record;
    learner.Study(record, 0, days, perDay);
    return record;
}

// Studied for `days`, then again for a few days after a break of `breakDays`: what the weights
// say about forgetting shows in the answers after the break. Returns the first answer after it.
std::size_t SimulateWithBreak(Record& record, const ExamShape& exam, int days, int perDay,
                              int breakDays, unsigned seed)
{
    constexpr int DaysAfterBreak = 3;
    std::mt19937_64 random(seed);
    Learner learner(exam, random);
    learner.Study(record, 0, days, perDay);
    const std::size_t breakEnds = record.order.size();
    learner.Study(record, days + breakDays, DaysAfterBreak, perDay);
    return breakEnds;
}

// About 100,000 answers: 200 days of 750 planned a day.
const Record& LargeRecord()
{
    static const Record record = Simulate(Bank(), 200, 750, 1);
    return record;
}

void FitOn100000Answers(benchmark::State& state)
{
    const ExamShape exam = Bank();
    const Record& record = LargeRecord();
    MemoryFit fit;
    for (auto _ : state)
        benchmark::DoNotOptimize(fit = FitMemory(record.answers, exam));
    state.counters["answers"] = double(record.order.size());
    state.counters["fitted on"] = fit.answers;
    state.counters["evaluations"] = fit.evaluations;
}
BENCHMARK(FitOn100000Answers)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void ForecastWithRangeOnTheBank(benchmark::State& state)
{
    const ExamShape exam = Bank();
    const Record& record = LargeRecord();
    const double now = record.order.back().answer.day + 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(ForecastWithRange(exam, record.answers, now));
    state.counters["questions"] = exam.choice.size() + exam.trueFalse.size();
    state.counters["answers"] = double(record.order.size());
}
BENCHMARK(ForecastWithRangeOnTheBank)->Unit(benchmark::kMillisecond)->Repetitions(3);

// How the weights fitted on the answers before `cut` predict the `heldOut` answers after it,
// against the defaults: the mean log loss of each.
struct HeldOut {
    double defaults = 0;
    double fitted = 0;
    double seconds = 0;
    int evaluations = 0;
};

HeldOut Compare(const ExamShape& exam, const Record& record, std::size_t cut, std::size_t heldOut,
                int mostAnswers)
{
    const Answers training = record.Before(cut);
    const Answers until = record.Before(std::min(cut + heldOut, record.order.size()));
    const double from = record.order[cut].answer.day;
    const double knownBeforeStudy =
        EstimateKnownBeforeStudy(FirstAnswersOf(exam, ReplayEach(training))).share;
    QElapsedTimer timer;
    timer.start();
    const MemoryFit fit = FitMemory(training, exam, {0, mostAnswers});
    HeldOut result;
    result.seconds = timer.nsecsElapsed() / 1e9;
    result.evaluations = fit.evaluations;
    result.defaults = PredictAnswers(until, exam, {}, knownBeforeStudy, from).MeanLogLoss();
    result.fitted = PredictAnswers(until, exam, fit.weights, knownBeforeStudy, from).MeanLogLoss();
    return result;
}

void PrintRow(const char* label, const std::vector<HeldOut>& results)
{
    double defaults = 0, fitted = 0, seconds = 0, worst = -1;
    int better = 0, evaluations = 0;
    for (const HeldOut& r : results) {
        defaults += r.defaults;
        fitted += r.fitted;
        seconds += r.seconds;
        evaluations = std::max(evaluations, r.evaluations);
        better += r.fitted < r.defaults;
        worst = std::max(worst, r.fitted - r.defaults);
    }
    const double n = double(results.size());
    std::printf("| %s | %.4f | %.4f | %+.4f | %+.4f | %d of %d | %.2f | %d |\n", label,
                defaults / n, fitted / n, (fitted - defaults) / n, worst, better,
                int(results.size()), seconds / n, evaluations);
}

constexpr int ExperimentLearners = 48;
constexpr std::size_t HeldOutAnswers = 2000;

void ThresholdTable()
{
    const ExamShape exam = Bank();
    std::vector<Record> records;
    for (int l = 0; l < ExperimentLearners; ++l)
        records.push_back(Simulate(exam, 120, 180, 100 + l));
    std::printf("| answers fitted on | log loss, defaults | fitted | fitted - defaults | "
                "worst learner | learners better fitted | seconds per fit | most evaluations |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (std::size_t cut : {250, 500, 750, 1000, 1500, 2000, 3000, 4000, 8000, 16000}) {
        std::vector<HeldOut> results;
        for (const Record& record : records)
            results.push_back(Compare(exam, record, cut, HeldOutAnswers, 1 << 30));
        PrintRow(qPrintable(QString::number(cut)), results);
        std::fflush(stdout);
    }
}

// Records of about 100,000 answers over 200 days, held out: the answers after a month's break.
void SampleTable()
{
    constexpr int Learners = 6;
    const ExamShape exam = Bank();
    std::vector<std::pair<Record, std::size_t>> records(Learners);
    for (int l = 0; l < Learners; ++l)
        records[l].second = SimulateWithBreak(records[l].first, exam, 200, 750, 30, 200 + l);
    std::printf("| questions fitted on | log loss, defaults | fitted | fitted - defaults | "
                "worst learner | learners better fitted | seconds per fit | most evaluations |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (int most : {10000, 20000, 30000, 50000, 1 << 30}) {
        std::vector<HeldOut> results;
        for (const auto& [record, breakEnds] : records)
            results.push_back(Compare(exam, record, breakEnds, record.order.size(), most));
        const QString label =
            most == 1 << 30 ? QStringLiteral("all") : QStringLiteral("about %1 answers").arg(most);
        PrintRow(qPrintable(label), results);
        std::fflush(stdout);
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--threshold") == 0) {
        ThresholdTable();
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--sample") == 0) {
        SampleTable();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
