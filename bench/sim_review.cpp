// Does today's review work, and does the forecast mean what it says? Simulated learners whose
// forgetting follows another model than the program's (exponential, with a per-question
// difficulty, a per-learner rate and noise) study a fixed number of answers a day for 30 days.
// Prints two tables: the forecast against the learners' mock-exam results, and the answers each
// order of study needs until the learner passes 19 of 20 mock exams.

#include "study/Forecast.h"
#include "study/Review.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {
constexpr int ChoiceQuestions = 600;
constexpr int TrueFalseQuestions = 600;
constexpr int Questions = ChoiceQuestions + TrueFalseQuestions;
constexpr int PerKind = 50;
constexpr int PassScore = 90;
constexpr int Days = 30;
constexpr int AnswersPerDay = 150;
constexpr int NewPerDay = 100; // the whole bank met in 12 days
constexpr int Learners = 100;
constexpr int ExamsPerCheck = 20;
constexpr int PassesNeeded = 19;
constexpr int CheckEvery = 100;            // answers between two rounds of mock exams
constexpr double SessionStart = 19.0 / 24; // the learner studies in the evening
constexpr double SecondsPerAnswer = 20;

enum class Order { Review, Chapters, Random };

// The bank: every question's difficulty and chance of a lucky guess.
struct Question {
    double difficulty;
    double guess;
};

std::vector<Question> MakeBank(std::mt19937_64& random)
{
    std::lognormal_distribution<double> difficulty(0.0, 0.5);
    std::vector<Question> bank;
    for (int q = 0; q < Questions; ++q)
        bank.push_back({difficulty(random), q < ChoiceQuestions ? 1.0 / 3 : 1.0 / 2});
    return bank;
}

// The learner as the simulation knows them: exponential forgetting, never seen by the program.
class Learner
{
public:
    Learner(const std::vector<Question>& bank, std::mt19937_64& random)
        : bank(bank), random(random), rate(std::lognormal_distribution<double>(0.0, 0.3)(random)),
          strength(Questions, 0), studied(Questions, -1)
    {
    }

    double ChanceRight(int q, double now) const
    {
        const Question& question = bank[q];
        // What the learner knows from everyday driving, before studying the question.
        const double prior = std::clamp(0.5 / question.difficulty, 0.0, 0.9);
        const double fallback = question.guess + (1 - question.guess) * prior;
        if (studied[q] < 0)
            return fallback;
        const double recall = std::exp(-(now - studied[q]) / strength[q]);
        return recall + (1 - recall) * fallback;
    }

    // Answers question q at moment now; a wrong answer shows the right one, so either way the
    // question is studied.
    bool Answer(int q, double now)
    {
        const double chance = ChanceRight(q, now);
        const double logit = std::log(chance / (1 - chance + 1e-12)) + noise(random);
        const bool right = uniform(random) < 1 / (1 + std::exp(-logit));
        const double ease = rate / bank[q].difficulty;
        if (studied[q] < 0) {
            strength[q] = 2.0 * ease;
        } else {
            const double recall = std::exp(-(now - studied[q]) / strength[q]);
            strength[q] = right ? strength[q] * (1.5 + 5.0 * ease * (1 - recall))
                                : std::max(0.5 * strength[q], 2.0 * ease);
        }
        studied[q] = now;
        return right;
    }

    // One mock exam as the exam window draws it; the learner does not learn from it.
    int MockExam(double now)
    {
        int score = 0;
        for (const auto& [first, size] :
             {std::pair{0, ChoiceQuestions}, std::pair{ChoiceQuestions, TrueFalseQuestions}}) {
            std::vector<int> pool(size);
            for (int i = 0; i < size; ++i)
                pool[i] = first + i;
            std::shuffle(pool.begin(), pool.end(), random);
            for (int i = 0; i < PerKind; ++i)
                score += uniform(random) < ChanceRight(pool[i], now);
        }
        return score;
    }

private:
    const std::vector<Question>& bank;
    std::mt19937_64& random;
    double rate;
    std::vector<double> strength; // days until recall falls to 1/e
    std::vector<double> studied;  // when last answered, -1: never
    std::normal_distribution<double> noise{0.0, 0.3};
    std::uniform_real_distribution<double> uniform{0.0, 1.0};
};

QString Id(int q)
{
    return QString::number(q);
}

// Every answered question, the least remembered first.
QStringList LeastRemembered(const QStringList& ids, const Memories& memories, double now)
{
    QList<std::pair<double, QString>> recalls;
    for (const QString& id : ids) {
        const auto memory = memories.find(id);
        if (memory != memories.end() && memory->answers > 0)
            recalls.append({memory->RecallAt(now), id});
    }
    std::sort(recalls.begin(), recalls.end());
    QStringList least;
    for (const auto& recall : recalls)
        least.append(recall.second);
    return least;
}

struct Run {
    int answersToPass = -1;                   // -1: not within the 30 days
    QList<std::pair<double, bool>> forecasts; // the forecast and whether the exam then passed
};

// One learner studying in one order for 30 days.
Run Study(Order order, const std::vector<Question>& bank, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    Learner learner(bank, random);
    ExamShape exam;
    QStringList ids;
    for (int q = 0; q < Questions; ++q) {
        ids.append(Id(q));
        (q < ChoiceQuestions ? exam.choice : exam.trueFalse).append(Id(q));
    }
    exam.perKind = PerKind;
    exam.passScore = PassScore;
    Memories memories;
    Run run;
    int answers = 0;
    int nextInChapters = 0;
    std::uniform_int_distribution<int> anyQuestion(0, Questions - 1);
    for (int day = 0; day < Days; ++day) {
        double now = day + SessionStart;
        QStringList list;
        if (order == Order::Review) {
            const ReviewList review = TodaysReview(ids, memories, now, NewPerDay);
            list = review.due + review.fresh;
            // Time left over: the least remembered of the rest, as if the target were higher.
            const QSet<QString> listed(list.begin(), list.end());
            for (const QString& id : LeastRemembered(ids, memories, now)) {
                if (!listed.contains(id))
                    list.append(id);
            }
        }
        for (int n = 0; n < AnswersPerDay; ++n) {
            int q;
            if (order == Order::Review)
                q = n < list.size() ? list[n].toInt() : anyQuestion(random);
            else if (order == Order::Chapters)
                q = nextInChapters++ % Questions;
            else
                q = anyQuestion(random);
            const bool right = learner.Answer(q, now);
            memories[Id(q)] = Answered(memories[Id(q)], {now, right});
            ++answers;
            now += SecondsPerAnswer / 86400;
            if (answers % CheckEvery != 0)
                continue;
            const double forecast = *ForecastAt(exam, memories, now);
            int passes = 0;
            for (int e = 0; e < ExamsPerCheck; ++e) {
                const bool passed = learner.MockExam(now) >= PassScore;
                passes += passed;
                if (e == 0)
                    run.forecasts.append({forecast, passed});
            }
            if (passes >= PassesNeeded && run.answersToPass < 0)
                run.answersToPass = answers;
        }
    }
    return run;
}

const char* Name(Order order)
{
    switch (order) {
    case Order::Review:
        return "today's review";
    case Order::Chapters:
        return "chapter order";
    case Order::Random:
        return "random order";
    }
    return "";
}
} // namespace

int main()
{
    std::mt19937_64 bankRandom(20261210);
    const std::vector<Question> bank = MakeBank(bankRandom);
    std::printf("%d learners, %d answers a day for %d days, %d new questions a day in review\n\n",
                Learners, AnswersPerDay, Days, NewPerDay);

    std::array<double, 10> forecastSum{};
    std::array<int, 10> passed{};
    std::array<int, 10> count{};
    std::printf("| order | learners passing 19 of 20 | mean answers to get there | median |\n");
    std::printf("|---|---|---|---|\n");
    for (Order order : {Order::Review, Order::Chapters, Order::Random}) {
        std::vector<int> needed;
        for (int l = 0; l < Learners; ++l) {
            const Run run = Study(order, bank, 1000 + l);
            // Censored at the 30 days: a learner who never got there counts with every answer.
            needed.push_back(run.answersToPass < 0 ? Days * AnswersPerDay : run.answersToPass);
            if (order != Order::Review)
                continue;
            for (const auto& [forecast, pass] : run.forecasts) {
                const int bin = std::min(9, int(forecast * 10));
                forecastSum[bin] += forecast;
                passed[bin] += pass;
                ++count[bin];
            }
        }
        std::sort(needed.begin(), needed.end());
        const int reached = int(std::count_if(needed.begin(), needed.end(),
                                              [](int n) { return n < Days * AnswersPerDay; }));
        double mean = 0;
        for (int n : needed)
            mean += n;
        std::printf("| %s | %d | %.0f | %d |\n", Name(order), reached, mean / needed.size(),
                    needed[needed.size() / 2]);
    }

    std::printf("\n| forecast | exams | mean forecast | passed |\n|---|---|---|---|\n");
    double error = 0;
    int exams = 0;
    for (int bin = 0; bin < 10; ++bin) {
        if (count[bin] == 0)
            continue;
        const double mean = 100 * forecastSum[bin] / count[bin];
        const double rate = 100.0 * passed[bin] / count[bin];
        std::printf("| %d–%d %% | %d | %.1f %% | %.1f %% |\n", bin * 10, bin * 10 + 10, count[bin],
                    mean, rate);
        error += count[bin] * std::abs(mean - rate);
        exams += count[bin];
    }
    std::printf("\nmean absolute error over the bins, weighted by exams: %.1f points\n",
                error / exams);
    return 0;
}
