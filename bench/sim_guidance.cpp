// How good is the program's study guidance? Simulated learners of three families, none of them
// forgetting as the program's model assumes, study for some weeks while the program forecasts
// their pass chance and lists what to practise. Their true pass chance is known exactly, so the
// tables say how far the forecast is from it, how many answers each order of study needs to
// bring it to 90 %, and how many learners are ready for a test 30 days ahead.
//
//     sim_guidance [--learners N] [--days N] [--threads N]

#include "SimGuidance.h"
#include "SimulatedLearners.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr double PassTarget = 0.9;
constexpr int CheckEvery = 25;        // answers between two looks at the true pass chance
constexpr double DayStart = 7.0 / 24; // before the earliest session
constexpr double ExamBreak = 10.0 / 1440;
constexpr int TestAfterDays = 30;
constexpr int EarlyDays = 10;
// The morning (0: the first) the plan's promise for the test day is taken: once the record holds
// enough for the windows to show it.
constexpr int PromiseDay = 10;
constexpr int Bins = 10;
constexpr int Resamples = 2000;
constexpr std::uint64_t BankSeed = 20261211;
constexpr std::uint64_t BootstrapSeed = 7;

enum class Order { Review, Chapters, Random };
enum class Moment { DayStart, DayEnd };

constexpr std::array Families = {Family::Exponential, Family::TwoTrace, Family::PowerLaw};
constexpr std::array Orders = {Order::Review, Order::Chapters, Order::Random};
const std::array<std::optional<int>, 4> Budgets = {std::nullopt, 50, 100, 200};

// A Monday, so that weeks start where they do for a learner.
const double FirstDay = QDate(1970, 1, 1).daysTo(QDate(2027, 3, 1));

struct Options {
    int learners = 100;
    int days = 40;
    int threads = 2;
};

// One learner studying in one order for the whole run.
struct Job {
    Family family;
    int learner;
    Order order;
    std::optional<int> budget; // none: the learner's own habits
    bool toldTestDay = false;
    bool keepsPlan = false; // answers each day as many as the plan says that morning
};

struct CalibrationPoint {
    int day; // 1 for the first
    Moment moment;
    double forecast;
    double truth;
};

struct Outcome {
    int answersToPass = -1; // -1: never within the run
    int answers = 0;
    double passAtTest = 0; // the true pass chance on the test's morning
    std::optional<double> promised; // the plan's forecast for the test day, on PromiseDay
    std::vector<CalibrationPoint> points;
};

std::uint64_t LearnerSeed(Family family, int learner)
{
    return 1000 * (std::uint64_t(family) + 1) + std::uint64_t(learner);
}

Pace PaceOf(int learner)
{
    return static_cast<Pace>(learner % 3);
}

int TestDay(const Options& options)
{
    return std::min(TestAfterDays, options.days);
}

// Which question comes next in an order of study.
class Picker
{
public:
    Picker(Order order, const SimBank& bank, Random random)
        : order(order), bank(bank), random(std::move(random))
    {
        for (int q = 0; q < int(bank.ids.size()); ++q)
            places.insert(bank.ids[q], q);
    }

    // Today's review is asked again at every session, for what is left of the day's answers.
    void StartSession(const AnswerRecord& record, double now, int leftToday,
                      std::optional<double> testDay)
    {
        if (order == Order::Review) {
            list = Guidance::TodaysList(record, bank.exam, bank.ids, now, leftToday, testDay);
            listed = 0;
        }
    }

    // None when today's review has nothing more to ask.
    std::optional<int> Next()
    {
        switch (order) {
        case Order::Review:
            if (listed < list.size())
                return places.value(list[listed++]);
            return std::nullopt;
        case Order::Chapters:
            return int(next++ % bank.ids.size());
        case Order::Random:
            if (next % bank.ids.size() == 0)
                Shuffle();
            return round[next++ % round.size()];
        }
        return std::nullopt;
    }

private:
    // Random practice takes the bank in a new random order each round.
    void Shuffle()
    {
        round.resize(bank.ids.size());
        std::iota(round.begin(), round.end(), 0);
        std::shuffle(round.begin(), round.end(), random);
    }

    Order order;
    const SimBank& bank;
    Random random;
    QHash<QString, int> places;
    QStringList list;
    qsizetype listed = 0;
    std::size_t next = 0;
    std::vector<int> round;
};

class StudyRun
{
public:
    StudyRun(const SimBank& bank, const Job& job, const Options& options)
        : bank(bank), options(options), seed(LearnerSeed(job.family, job.learner)),
          learner(MakeLearner(job.family, PaceOf(job.learner), bank, seed)),
          plan(PlanDays(job.family, seed, FirstDay, options.days, job.budget)),
          picker(job.order, bank, StreamOf(seed, Stream::Order)),
          answerRandom(StreamOf(seed, Stream::Answers)),
          examRandom(StreamOf(seed, Stream::ExamDraws)),
          testMorning(FirstDay + TestDay(options) + DayStart),
          calibrating(!job.budget && !job.toldTestDay), timingPass(!job.toldTestDay),
          keepsPlan(job.keepsPlan)
    {
        if (job.toldTestDay)
            testDay = testMorning;
    }

    Outcome Run()
    {
        for (int d = 0; d < options.days; ++d) {
            const double morning = FirstDay + d + DayStart;
            if (d == TestDay(options))
                outcome.passAtTest = TruePassChance(*learner, bank, morning);
            if (keepsPlan && d < TestDay(options))
                KeepPlan(plan[d], morning, d == PromiseDay);
            AddPoint(d + 1, Moment::DayStart, morning);
            if (plan[d].sessions.isEmpty())
                continue;
            AddPoint(d + 1, Moment::DayEnd, Study(plan[d]));
        }
        if (TestDay(options) == options.days)
            outcome.passAtTest = TruePassChance(*learner, bank, testMorning);
        return std::move(outcome);
    }

private:
    // The day's answers as the plan says that morning, spread over the learner's sessions; a
    // learner keeping a plan studies on days off too, in the evening.
    void KeepPlan(StudyDay& day, double morning, bool promising)
    {
        const Guidance::PlanSaid said =
            Guidance::Plan(record, bank.exam, bank.ids, morning, testMorning);
        if (promising)
            outcome.promised = said.chance;
        if (day.sessions.isEmpty())
            day.sessions.append({morning + 12.0 / 24, 0});
        const int sessions = int(day.sessions.size());
        for (int s = 0; s < sessions; ++s)
            day.sessions[s].answers =
                said.answersPerDay / sessions + (s < said.answersPerDay % sessions ? 1 : 0);
    }

    // The day's sessions and exam; returns when the learner stopped.
    double Study(const StudyDay& day)
    {
        int leftToday = 0;
        for (const StudySession& session : day.sessions)
            leftToday += session.answers;
        double now = 0;
        for (const StudySession& session : day.sessions) {
            now = session.start;
            picker.StartSession(record, now, leftToday, testDay);
            for (int n = 0; n < session.answers; ++n) {
                const std::optional<int> q = picker.Next();
                if (!q)
                    break;
                Practise(*q, now);
                now += AnswerDuration;
                --leftToday;
            }
            CheckPass(now);
        }
        return day.exam ? SitExam(now + ExamBreak) : now;
    }

    void Practise(int q, double now)
    {
        Record(q, {now, learner->Answer(q, now, answerRandom)});
        if (++sinceCheck >= CheckEvery)
            CheckPass(now);
    }

    // The program records an exam's answers when its result shows.
    double SitExam(double start)
    {
        const ExamSitting sitting = learner->SitExam(start, examRandom, answerRandom);
        for (const ExamAnswer& answer : sitting.answers)
            Record(answer.question, {sitting.end, answer.right});
        CheckPass(sitting.end);
        return sitting.end;
    }

    void Record(int q, const TimedAnswer& answer)
    {
        record[bank.ids[q]].append(answer);
        ++outcome.answers;
    }

    void CheckPass(double now)
    {
        sinceCheck = 0;
        if (timingPass && outcome.answersToPass < 0 &&
            TruePassChanceReaches(*learner, bank, now, PassTarget))
            outcome.answersToPass = outcome.answers;
    }

    void AddPoint(int day, Moment moment, double now)
    {
        if (!calibrating)
            return;
        const std::optional<double> forecast = Guidance::Forecast(record, bank.exam, now);
        if (forecast)
            outcome.points.push_back({day, moment, *forecast, TruePassChance(*learner, bank, now)});
    }

    const SimBank& bank;
    const Options& options;
    std::uint64_t seed;
    std::unique_ptr<SimulatedLearner> learner;
    QList<StudyDay> plan;
    Picker picker;
    Random answerRandom;
    Random examRandom;
    double testMorning;
    std::optional<double> testDay; // told to the guidance
    bool calibrating;              // only the runs on the learner's own habits are judged
    bool timingPass;               // a run told the test day is judged on that day alone
    bool keepsPlan;
    AnswerRecord record;
    Outcome outcome;
    int sinceCheck = 0;
};

std::vector<Job> JobsFor(const Options& options)
{
    std::vector<Job> jobs;
    for (Family family : Families) {
        for (int l = 0; l < options.learners; ++l) {
            for (const std::optional<int>& budget : Budgets) {
                for (Order order : Orders)
                    jobs.push_back({family, l, order, budget});
                jobs.push_back({family, l, Order::Review, budget, true});
            }
            jobs.push_back({family, l, Order::Review, std::nullopt, true, true});
        }
    }
    return jobs;
}

std::vector<Outcome> RunAll(const SimBank& bank, const std::vector<Job>& jobs,
                            const Options& options)
{
    std::vector<Outcome> outcomes(jobs.size());
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t i; (i = next++) < jobs.size();)
            outcomes[i] = StudyRun(bank, jobs[i], options).Run();
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < options.threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return outcomes;
}

// The outcomes of the jobs that match, in the order of their learners.
std::vector<const Outcome*> Select(const std::vector<Job>& jobs,
                                   const std::vector<Outcome>& outcomes,
                                   const std::function<bool(const Job&)>& matches)
{
    std::vector<const Outcome*> selected;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (matches(jobs[i]))
            selected.push_back(&outcomes[i]);
    }
    return selected;
}

const char* NameOf(Family family)
{
    switch (family) {
    case Family::Exponential:
        return "exponential";
    case Family::TwoTrace:
        return "two-trace";
    case Family::PowerLaw:
        return "power-law";
    }
    return "";
}

const char* NameOf(Order order)
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

std::string NameOf(const std::optional<int>& budget)
{
    return budget ? std::to_string(*budget) + " a day" : "own habits";
}

// Forecast against truth over a set of points, in percentage points.
class Calibration
{
public:
    void Add(const CalibrationPoint& point)
    {
        ++count;
        absoluteError += std::abs(point.forecast - point.truth);
        Bin& bin = bins[std::min(Bins - 1, int(point.forecast * Bins))];
        ++bin.count;
        bin.forecast += point.forecast;
        bin.truth += point.truth;
    }

    int Count() const { return count; }
    double MeanError() const { return count ? 100 * absoluteError / count : 0; }

    // |mean forecast - mean truth| in each tenth of the forecast, weighted by its points.
    double BinnedError() const
    {
        double error = 0;
        for (const Bin& bin : bins)
            error += std::abs(bin.forecast - bin.truth);
        return count ? 100 * error / count : 0;
    }

    void PrintBins() const
    {
        std::printf("| forecast | points | mean forecast | mean true |\n|---|---|---|---|\n");
        for (int b = 0; b < Bins; ++b) {
            if (bins[b].count == 0)
                continue;
            std::printf("| %d–%d %% | %d | %.1f %% | %.1f %% |\n", b * 10, b * 10 + 10,
                        bins[b].count, 100 * bins[b].forecast / bins[b].count,
                        100 * bins[b].truth / bins[b].count);
        }
    }

private:
    struct Bin {
        int count = 0;
        double forecast = 0;
        double truth = 0;
    };
    int count = 0;
    double absoluteError = 0;
    std::array<Bin, Bins> bins{};
};

Calibration CalibrationOf(const std::vector<const Outcome*>& outcomes,
                          const std::function<bool(const CalibrationPoint&)>& matches)
{
    Calibration calibration;
    for (const Outcome* outcome : outcomes) {
        for (const CalibrationPoint& point : outcome->points) {
            if (matches(point))
                calibration.Add(point);
        }
    }
    return calibration;
}

void PrintCalibration(const std::vector<Job>& jobs, const std::vector<Outcome>& outcomes,
                      const Options& options)
{
    const int early = std::min(EarlyDays, options.days);
    std::printf("## Calibration: the forecast against the true pass chance\n\n"
                "Learners on their own habits; a point each morning before study and one at the "
                "end of each study day. Errors in percentage points; binned: |mean forecast - "
                "mean true| in each tenth of the forecast, weighted by its points.\n\n");
    std::printf("| family | order | points at | n | mean error | binned | mean error days "
                "1–%d | binned 1–%d | mean error days %d–%d | binned %d–%d |\n",
                early, early, early + 1, options.days, early + 1, options.days);
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    const std::array<std::pair<const char*, std::function<bool(Moment)>>, 3> moments = {
        std::pair{"morning", [](Moment m) { return m == Moment::DayStart; }},
        std::pair{"day's end", [](Moment m) { return m == Moment::DayEnd; }},
        std::pair{"both", [](Moment) { return true; }}};
    for (Family family : Families) {
        for (Order order : Orders) {
            const auto selected = Select(jobs, outcomes, [&](const Job& job) {
                return job.family == family && job.order == order && !job.budget &&
                       !job.toldTestDay;
            });
            for (const auto& [name, atMoment] : moments) {
                const Calibration all = CalibrationOf(
                    selected, [&](const CalibrationPoint& p) { return atMoment(p.moment); });
                const Calibration first = CalibrationOf(selected, [&](const CalibrationPoint& p) {
                    return atMoment(p.moment) && p.day <= early;
                });
                const Calibration later = CalibrationOf(selected, [&](const CalibrationPoint& p) {
                    return atMoment(p.moment) && p.day > early;
                });
                std::printf("| %s | %s | %s | %d | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f |\n",
                            NameOf(family), NameOf(order), name, all.Count(), all.MeanError(),
                            all.BinnedError(), first.MeanError(), first.BinnedError(),
                            later.MeanError(), later.BinnedError());
            }
        }
    }
    for (Family family : Families) {
        std::printf("\n### %s learners, today's review, both moments\n\n", NameOf(family));
        CalibrationOf(Select(jobs, outcomes,
                             [&](const Job& job) {
                                 return job.family == family && job.order == Order::Review &&
                                        !job.budget && !job.toldTestDay;
                             }),
                      [](const CalibrationPoint&) { return true; })
            .PrintBins();
    }
}

// Answers until the true pass chance first reached 90 %; a learner who never got there counts
// with every answer of the run.
std::vector<double> AnswersNeeded(const std::vector<const Outcome*>& outcomes)
{
    std::vector<double> needed;
    for (const Outcome* outcome : outcomes)
        needed.push_back(outcome->answersToPass < 0 ? outcome->answers : outcome->answersToPass);
    return needed;
}

double Mean(const std::vector<double>& values)
{
    return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Quantile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * values.size()))];
}

struct Ratio {
    double value;
    double low;
    double high;
};

// The ratio of total answers of two orders over the same learners, with a 95 % interval from
// resampling the learners.
Ratio PairedRatio(const std::vector<double>& over, const std::vector<double>& under)
{
    const auto ratioOf = [&](const std::vector<std::size_t>& learners) {
        double a = 0;
        double b = 0;
        for (std::size_t l : learners) {
            a += over[l];
            b += under[l];
        }
        return a / b;
    };
    std::vector<std::size_t> everyone(over.size());
    std::iota(everyone.begin(), everyone.end(), 0);
    Random random(BootstrapSeed);
    std::uniform_int_distribution<std::size_t> anyone(0, over.size() - 1);
    std::vector<double> ratios;
    for (int r = 0; r < Resamples; ++r) {
        std::vector<std::size_t> drawn(over.size());
        for (std::size_t& l : drawn)
            l = anyone(random);
        ratios.push_back(ratioOf(drawn));
    }
    return {ratioOf(everyone), Quantile(ratios, 0.025), Quantile(ratios, 0.975)};
}

void PrintEfficiency(const std::vector<Job>& jobs, const std::vector<Outcome>& outcomes,
                     const Options& options)
{
    std::printf("\n## Efficiency: answers until the true pass chance first reaches 90 %%\n\n"
                "The same learners in each order. A learner who does not get there within %d "
                "days counts with all their answers (mock exams' included). Ratio: total answers "
                "of the order over those of chapter order, 95 %% bootstrap interval over "
                "learners.\n\n",
                options.days);
    std::printf("| family | budget | order | reached | mean answers | median | ratio to "
                "chapter order |\n|---|---|---|---|---|---|---|\n");
    for (Family family : Families) {
        for (const std::optional<int>& budget : Budgets) {
            const auto neededIn = [&](Order order) {
                return AnswersNeeded(Select(jobs, outcomes, [&](const Job& job) {
                    return job.family == family && job.budget == budget && job.order == order &&
                           !job.toldTestDay;
                }));
            };
            const std::vector<double> chapters = neededIn(Order::Chapters);
            for (Order order : Orders) {
                const auto selected = Select(jobs, outcomes, [&](const Job& job) {
                    return job.family == family && job.budget == budget && job.order == order &&
                           !job.toldTestDay;
                });
                const std::vector<double> needed = AnswersNeeded(selected);
                const int reached =
                    int(std::count_if(selected.begin(), selected.end(),
                                      [](const Outcome* o) { return o->answersToPass >= 0; }));
                std::string ratio = "1";
                if (order != Order::Chapters) {
                    const Ratio r = PairedRatio(needed, chapters);
                    char text[64];
                    std::snprintf(text, sizeof text, "%.2f [%.2f, %.2f]", r.value, r.low, r.high);
                    ratio = text;
                }
                std::printf("| %s | %s | %s | %d/%zu | %.0f | %.0f | %s |\n", NameOf(family),
                            NameOf(budget).c_str(), NameOf(order), reached, selected.size(),
                            Mean(needed), Median(needed), ratio.c_str());
            }
        }
    }
}

double ShareReady(const std::vector<const Outcome*>& outcomes)
{
    const auto ready = std::count_if(outcomes.begin(), outcomes.end(),
                                     [](const Outcome* o) { return o->passAtTest >= PassTarget; });
    return outcomes.empty() ? 0 : 100.0 * ready / outcomes.size();
}

void PrintTestDay(const std::vector<Job>& jobs, const std::vector<Outcome>& outcomes,
                  const Options& options)
{
    std::printf("\n## Test date: learners whose true pass chance is at least 90 %% on the "
                "morning after day %d\n\n",
                TestDay(options));
    std::printf("| family | budget | today's review, told the test day | today's review, not "
                "told | chapter order | random order |\n|---|---|---|---|---|---|\n");
    for (Family family : Families) {
        for (const std::optional<int>& budget : Budgets) {
            const auto share = [&](Order order, bool told) {
                return ShareReady(Select(jobs, outcomes, [&](const Job& job) {
                    return job.family == family && job.budget == budget && job.order == order &&
                           job.toldTestDay == told && !job.keepsPlan;
                }));
            };
            std::printf("| %s | %s | %.0f %% | %.0f %% | %.0f %% | %.0f %% |\n", NameOf(family),
                        NameOf(budget).c_str(), share(Order::Review, true),
                        share(Order::Review, false), share(Order::Chapters, false),
                        share(Order::Random, false));
        }
    }
}

// Learners who answer each day as many questions as the plan says that morning, for a test on
// the morning after the test day: what the plan promised on PromiseDay against the truth.
void PrintKeptPlan(const std::vector<Job>& jobs, const std::vector<Outcome>& outcomes,
                   const Options& options)
{
    std::printf("\n## Keeping the plan: its forecast for the test day on the morning of day %d, "
                "and the truth on the morning after day %d\n\n",
                PromiseDay + 1, TestDay(options));
    std::printf("| family | learners | mean promised | mean true | mean error | ready (true "
                "≥ 90 %%) |\n|---|---|---|---|---|---|\n");
    for (Family family : Families) {
        const auto kept = Select(
            jobs, outcomes, [&](const Job& job) { return job.family == family && job.keepsPlan; });
        double promised = 0;
        double truth = 0;
        double error = 0;
        for (const Outcome* o : kept) {
            promised += o->promised.value_or(0);
            truth += o->passAtTest;
            error += std::abs(o->promised.value_or(0) - o->passAtTest);
        }
        const double n = std::max<double>(1, kept.size());
        std::printf("| %s | %zu | %.1f %% | %.1f %% | %.1f | %.0f %% |\n", NameOf(family),
                    kept.size(), 100 * promised / n, 100 * truth / n, 100 * error / n,
                    ShareReady(kept));
    }
}

std::optional<Options> Parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const int value = i + 1 < argc ? std::atoi(argv[i + 1]) : 0;
        if (value <= 0)
            return std::nullopt;
        if (!std::strcmp(argv[i], "--learners"))
            options.learners = value;
        else if (!std::strcmp(argv[i], "--days"))
            options.days = value;
        else if (!std::strcmp(argv[i], "--threads"))
            options.threads = value;
        else
            return std::nullopt;
        ++i;
    }
    return options;
}
} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = Parse(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: %s [--learners N] [--days N] [--threads N]\n", argv[0]);
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const SimBank bank = MakeSimBank(BankSeed);
    const std::vector<Job> jobs = JobsFor(*options);
    const std::vector<Outcome> outcomes = RunAll(bank, jobs, *options);

    std::printf("# Study guidance against simulated learners\n\n"
                "%d learners a family (a third each quick, average, slow), %d days, a look at "
                "the true pass chance every %d answers.\n\n",
                options->learners, options->days, CheckEvery);
    PrintCalibration(jobs, outcomes, *options);
    PrintEfficiency(jobs, outcomes, *options);
    PrintTestDay(jobs, outcomes, *options);
    PrintKeptPlan(jobs, outcomes, *options);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf("\n%zu runs in %.0f s on %d threads.\n", jobs.size(), took.count(),
                options->threads);
    return 0;
}
