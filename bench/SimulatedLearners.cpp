#include "SimulatedLearners.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace {
constexpr std::array<int, 10> ChapterSizes = {80, 120, 160, 200, 200, 80, 120, 60, 120, 60};
constexpr int ExamPerKind = 50;
constexpr int ExamPassScore = 90;
constexpr double RivalShare = 0.1;  // questions that have a look-alike in their chapter
constexpr double ReviewTakes = 0.3; // the chance that an exam's review teaches a wrong answer
constexpr double NeverStudied = std::numeric_limits<double>::quiet_NaN();

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

double Uniform(Random& random, double least = 0, double most = 1)
{
    return std::uniform_real_distribution<double>(least, most)(random);
}

double Normal(Random& random, double mean, double spread)
{
    return std::normal_distribution<double>(mean, spread)(random);
}

// A factor around 1, spread by `spread` on the log scale.
double Spread(Random& random, double spread)
{
    return std::exp(Normal(random, 0, spread));
}

double Logistic(double x)
{
    return 1 / (1 + std::exp(-x));
}

double Logit(double p)
{
    const double clamped = std::clamp(p, 1e-9, 1 - 1e-9);
    return std::log(clamped / (1 - clamped));
}

QString QuestionId(int chapter, int number)
{
    return QStringLiteral("%1-%2").arg(chapter, 2, 10, QChar('0')).arg(number, 3, 10, QChar('0'));
}

// Look-alike questions are paired at random within their chapter.
void PairRivals(std::vector<SimQuestion>& questions, int first, int size, Random& random)
{
    std::vector<int> places(size);
    for (int i = 0; i < size; ++i)
        places[i] = first + i;
    std::shuffle(places.begin(), places.end(), random);
    const int pairs = int(std::lround(size * RivalShare / 2));
    for (int p = 0; p < pairs; ++p) {
        questions[places[2 * p]].rival = places[2 * p + 1];
        questions[places[2 * p + 1]].rival = places[2 * p];
    }
}

void AddChapter(SimBank& bank, int chapter, int size, Random& random)
{
    std::vector<QuestionKind> kinds(size, QuestionKind::Choice);
    std::fill(kinds.begin() + size / 2, kinds.end(), QuestionKind::TrueFalse);
    std::shuffle(kinds.begin(), kinds.end(), random);
    const int first = int(bank.questions.size());
    for (int i = 0; i < size; ++i) {
        const SimQuestion question{QuestionId(chapter, i + 1), kinds[i], Normal(random, 0, 1)};
        (question.kind == QuestionKind::Choice ? bank.choice : bank.trueFalse)
            .push_back(int(bank.questions.size()));
        (question.kind == QuestionKind::Choice ? bank.exam.choice : bank.exam.trueFalse)
            .append(question.id);
        bank.ids.append(question.id);
        bank.questions.push_back(question);
    }
    PairRivals(bank.questions, first, size, random);
}

// The first `count` of the pool after a partial shuffle: a draw without replacement.
std::vector<int> Draw(std::vector<int> pool, int count, Random& random)
{
    for (int i = 0; i < count; ++i)
        std::swap(pool[i],
                  pool[std::uniform_int_distribution<int>(i, int(pool.size()) - 1)(random)]);
    pool.resize(count);
    return pool;
}

QList<double> ChancesOf(const SimulatedLearner& learner, const std::vector<int>& questions,
                        double now)
{
    QList<double> chances;
    chances.reserve(qsizetype(questions.size()));
    for (int q : questions)
        chances.append(learner.ChanceRight(q, now));
    return chances;
}

// exponential: the learner of the first simulation, with its noise fixed per question so that
// the chance it answers with is the chance it has.
class ExponentialLearner : public SimulatedLearner
{
public:
    ExponentialLearner(Pace pace, const SimBank& bank, Random& random)
        : SimulatedLearner(bank), rate(MedianRate(pace) * Spread(random, 0.3)),
          strength(bank.questions.size(), 0), studied(bank.questions.size(), NeverStudied)
    {
        for (std::size_t q = 0; q < bank.questions.size(); ++q)
            quirk.push_back(Normal(random, 0, 0.3));
    }

    double ChanceRight(int q, double now) const override
    {
        const double recall = std::isnan(studied[q]) ? 0 : Recall(q, now);
        return Logistic(Logit(recall + (1 - recall) * Fallback(q)) + quirk[q]);
    }

protected:
    void Learn(int q, double now, bool answeredRight) override
    {
        const double ease = rate / Difficulty(q);
        if (std::isnan(studied[q])) {
            strength[q] = 2 * ease;
        } else {
            const double recall = Recall(q, now);
            // Recalled after much forgetting: the strength grows most.
            strength[q] = answeredRight ? strength[q] * (1.5 + 5 * ease * (1 - recall))
                                        : std::max(0.5 * strength[q], 2 * ease);
        }
        studied[q] = now;
    }

private:
    static double MedianRate(Pace pace)
    {
        switch (pace) {
        case Pace::Quick:
            return 3.0;
        case Pace::Average:
            return 2.0;
        case Pace::Slow:
            return 1.3;
        }
        return 1.0;
    }

    double Difficulty(int q) const { return std::exp(0.5 * bank.questions[q].difficulty); }

    double Recall(int q, double now) const { return std::exp(-(now - studied[q]) / strength[q]); }

    // What the learner knows from everyday driving, and guessing, before studying it.
    double Fallback(int q) const
    {
        const double guess = GuessChance(bank.questions[q].kind);
        return guess + (1 - guess) * std::clamp(0.5 / Difficulty(q), 0.0, 0.9);
    }

    double rate;
    std::vector<double> quirk;    // logit offset of this learner on each question
    std::vector<double> strength; // days until recall falls to 1/e
    std::vector<double> studied;  // when last answered; NaN: never
};

struct TwoTraceKind {
    double gain;          // how much of what is missing one spaced study adds to the slow trace
    double fastDays;      // the fast trace's time constant
    double firstSlowDays; // the slow trace's time constant after the first study
    double durability;    // how much a spaced study lengthens that time constant
    double forGoodShare;  // questions learnt for good at first reading
};

TwoTraceKind TwoTraceKindOf(Pace pace)
{
    switch (pace) {
    case Pace::Quick:
        return {0.85, 0.3, 20.0, 2.5, 0.3};
    case Pace::Average:
        return {0.7, 0.2, 12.0, 2.0, 0.1};
    case Pace::Slow:
        return {0.55, 0.15, 7.0, 1.5, 0.0};
    }
    return {};
}

class TwoTraceLearner : public SimulatedLearner
{
public:
    TwoTraceLearner(Pace pace, const SimBank& bank, Random& random)
        : SimulatedLearner(bank), kind(TwoTraceKindOf(pace)), slip(Uniform(random, 0.02, 0.05)),
          lastStudy(bank.questions.size(), NeverStudied), slowAtLast(bank.questions.size(), 0),
          slowDays(bank.questions.size(), 0)
    {
        kind.gain *= Spread(random, 0.2);
        kind.durability *= Spread(random, 0.2);
        kind.forGoodShare *= Uniform(random, 0.5, 1.5);
        const double knownShare = Uniform(random, 0.1, 0.5);
        for (const SimQuestion& question : bank.questions) {
            known.push_back(Uniform(random) < Logistic(Logit(knownShare) - question.difficulty));
            forGood.push_back(Uniform(random) < kind.forGoodShare);
        }
    }

    double ChanceRight(int q, double now) const override
    {
        const double recall = Recall(q, now);
        return recall * (1 - slip) + (1 - recall) * GuessChance(bank.questions[q].kind);
    }

protected:
    void Learn(int q, double now, bool answeredRight) override
    {
        if (known[q])
            return Interfere(q);
        const bool first = std::isnan(lastStudy[q]);
        if (first && forGood[q]) {
            known[q] = true;
            return Interfere(q);
        }
        // Only what the fast trace no longer holds is worth storing again.
        const double spacing = first ? 1 : 1 - Fast(q, now);
        const double gain =
            std::min(0.95, kind.gain * std::exp(-0.5 * bank.questions[q].difficulty) *
                               (answeredRight ? 1 : WrongAnswerGain));
        const double slow = first ? 0 : Slow(q, now);
        slowAtLast[q] = slow + (1 - slow) * gain * spacing;
        slowDays[q] = first ? kind.firstSlowDays : slowDays[q] * (1 + kind.durability * spacing);
        lastStudy[q] = now;
        Interfere(q);
    }

private:
    static constexpr double FastWeight = 0.9;
    static constexpr double WrongAnswerGain =
        0.8;                                     // reading the answer teaches less than finding it
    static constexpr double WellLearntDays = 30; // a slow trace this lasting resists interference
    static constexpr double Interference = 0.25;

    double Fast(int q, double now) const
    {
        return FastWeight * std::exp(-(now - lastStudy[q]) / kind.fastDays);
    }

    double Slow(int q, double now) const
    {
        return slowAtLast[q] * std::exp(-(now - lastStudy[q]) / slowDays[q]);
    }

    double Recall(int q, double now) const
    {
        if (known[q])
            return 1;
        if (std::isnan(lastStudy[q]))
            return 0;
        return 1 - (1 - Fast(q, now)) * (1 - Slow(q, now));
    }

    bool WellLearnt(int q) const { return known[q] || slowDays[q] >= WellLearntDays; }

    // Studying q blurs its look-alike, until both are well learnt.
    void Interfere(int q)
    {
        const int rival = bank.questions[q].rival;
        if (rival < 0 || known[rival] || (WellLearnt(q) && WellLearnt(rival)))
            return;
        slowAtLast[rival] *= 1 - Interference;
    }

    TwoTraceKind kind;
    double slip;
    std::vector<bool> known;        // known before study, or learnt for good
    std::vector<bool> forGood;      // to be learnt for good at first reading
    std::vector<double> lastStudy;  // NaN: never
    std::vector<double> slowAtLast; // the slow trace just after the last study
    std::vector<double> slowDays;   // its time constant since
};

struct PowerLawKind {
    double ease;       // added to every question's activation
    double decayFloor; // the decay of a trace laid down on nothing
};

PowerLawKind PowerLawKindOf(Pace pace)
{
    switch (pace) {
    case Pace::Quick:
        return {0.8, 0.14};
    case Pace::Average:
        return {0.5, 0.17};
    case Pace::Slow:
        return {0.2, 0.19};
    }
    return {};
}

class PowerLawLearner : public SimulatedLearner
{
public:
    PowerLawLearner(Pace pace, const SimBank& bank, Random& random)
        : SimulatedLearner(bank), kind(PowerLawKindOf(pace)), exposures(bank.questions.size())
    {
        kind.ease += Normal(random, 0, 0.25);
    }

    double ChanceRight(int q, double now) const override
    {
        const double guess = GuessChance(bank.questions[q].kind);
        const double activation = Activation(q, now);
        const double recall =
            std::isinf(activation) ? 0 : Logistic((activation - Threshold) / Noise);
        return guess + (1 - guess) * recall;
    }

protected:
    void Learn(int q, double now, bool) override
    {
        const double activation = Activation(q, now);
        // The spacing effect: a trace laid on a strong memory decays fast.
        const double decay =
            kind.decayFloor + (std::isinf(activation) ? 0 : SpacingScale * std::exp(activation));
        exposures[q].push_back({now, decay});
    }

private:
    static constexpr double SpacingScale = 0.18;
    static constexpr double Threshold = -0.7;
    static constexpr double Noise = 0.3;
    static constexpr double LeastAgeHours = 1.0 / 60; // a trace's age is never taken below a minute

    struct Exposure {
        double day;
        double decay;
    };

    double Activation(int q, double now) const
    {
        if (exposures[q].empty())
            return -std::numeric_limits<double>::infinity();
        double traces = 0;
        for (const Exposure& exposure : exposures[q])
            traces += std::pow(std::max((now - exposure.day) * 24, LeastAgeHours), -exposure.decay);
        return kind.ease - 0.5 * bank.questions[q].difficulty + std::log(traces);
    }

    PowerLawKind kind;
    std::vector<std::vector<Exposure>> exposures;
};

// How a family studies.
struct Habits {
    int leastDaily; // a learner's typical answers a day lie in [leastDaily, mostDaily]
    int mostDaily;
    double dayToDay;  // spread of a day's answers around the learner's typical count
    int leastDaysOff; // days off a week
    int mostDaysOff;
    double twoSessionShare; // days studied in two sessions
    double examShare;       // study days that end with a mock exam
    int firstExamDay;       // none before this day (0-based)
};

Habits HabitsOf(Family family)
{
    switch (family) {
    case Family::Exponential:
        return {100, 200, 0.2, 0, 0, 0.0, 0.0, 0};
    case Family::TwoTrace:
        return {50, 200, 0.35, 1, 2, 0.5, 0.25, 5};
    case Family::PowerLaw:
        return {60, 180, 0.25, 0, 1, 0.3, 0.1, 7};
    }
    return {};
}

// Hours of the day a session may start at: morning, midday, evening.
constexpr std::array<std::pair<double, double>, 3> Slots = {
    std::pair{7.5, 8.5}, std::pair{12.0, 13.0}, std::pair{19.0, 21.5}};
constexpr int EveningSlot = 2;

std::vector<bool> DaysOff(const Habits& habits, int days, Random& random)
{
    std::vector<bool> off(days, false);
    const int perWeek =
        std::uniform_int_distribution<int>(habits.leastDaysOff, habits.mostDaysOff)(random);
    for (int week = 0; week < days; week += 7) {
        std::vector<int> weekDays;
        for (int d = week; d < std::min(days, week + 7); ++d)
            weekDays.push_back(d);
        std::shuffle(weekDays.begin(), weekDays.end(), random);
        for (int i = 0; i < std::min(perWeek, int(weekDays.size())); ++i)
            off[weekDays[i]] = true;
    }
    return off;
}

double SessionStart(double day, int slot, Random& random)
{
    return day + Uniform(random, Slots[slot].first, Slots[slot].second) / 24;
}

// A day's answers, the first session taking `share` of them; a share of 1 is one session.
QList<StudySession> Sessions(double first, double second, double share, int answers)
{
    if (share >= 1)
        return {{first, answers}};
    const int before = int(std::lround(answers * share));
    return {{first, before}, {second, answers - before}};
}
} // namespace

Random StreamOf(std::uint64_t seed, Stream purpose)
{
    return Random(SplitMix(SplitMix(seed) ^ static_cast<std::uint64_t>(purpose)));
}

SimBank MakeSimBank(std::uint64_t seed)
{
    Random random(seed);
    SimBank bank;
    for (std::size_t c = 0; c < ChapterSizes.size(); ++c)
        AddChapter(bank, int(c) + 1, ChapterSizes[c], random);
    bank.exam.perKind = ExamPerKind;
    bank.exam.passScore = ExamPassScore;
    return bank;
}

double GuessChance(QuestionKind kind)
{
    return kind == QuestionKind::Choice ? 1.0 / 3 : 1.0 / 2;
}

bool SimulatedLearner::Answer(int q, double now, Random& random)
{
    const bool right = Uniform(random) < ChanceRight(q, now);
    Learn(q, now, right);
    return right;
}

ExamSitting SimulatedLearner::SitExam(double start, Random& draw, Random& answers)
{
    std::vector<int> drawn = Draw(bank.choice, bank.exam.perKind, draw);
    const std::vector<int> trueFalse = Draw(bank.trueFalse, bank.exam.perKind, draw);
    drawn.insert(drawn.end(), trueFalse.begin(), trueFalse.end());
    ExamSitting sitting;
    double now = start;
    for (int q : drawn) {
        sitting.answers.append({q, Uniform(answers) < ChanceRight(q, now)});
        now += AnswerDuration;
    }
    sitting.end = now;
    for (const ExamAnswer& answer : sitting.answers) {
        if (!answer.right && Uniform(answers) < ReviewTakes)
            Learn(answer.question, sitting.end, false);
    }
    return sitting;
}

std::unique_ptr<SimulatedLearner> MakeLearner(Family family, Pace pace, const SimBank& bank,
                                              std::uint64_t seed)
{
    Random random = StreamOf(seed, Stream::Parameters);
    switch (family) {
    case Family::Exponential:
        return std::make_unique<ExponentialLearner>(pace, bank, random);
    case Family::TwoTrace:
        return std::make_unique<TwoTraceLearner>(pace, bank, random);
    case Family::PowerLaw:
        return std::make_unique<PowerLawLearner>(pace, bank, random);
    }
    return nullptr;
}

double TruePassChance(const SimulatedLearner& learner, const SimBank& bank, double now)
{
    return PassChance(ChancesOf(learner, bank.choice, now), ChancesOf(learner, bank.trueFalse, now),
                      bank.exam.perKind, bank.exam.passScore);
}

// Cantelli's inequality on the exam's wrong answers W: P(W <= most) <= var / (var + t^2) with
// t = E[W] - most > 0. Within a pool the draw is without replacement, which only lowers the
// variance below that of independent draws, m(1-m) each for a pool whose mean chance of a wrong
// answer is m.
bool PassChanceSurelyBelow(const QList<double>& choice, const QList<double>& trueFalse, int perKind,
                           int passScore, double target)
{
    double mean = 0;
    double variance = 0;
    for (const QList<double>* pool : {&choice, &trueFalse}) {
        const double wrong = 1 - std::accumulate(pool->begin(), pool->end(), 0.0) / pool->size();
        mean += perKind * wrong;
        variance += perKind * wrong * (1 - wrong);
    }
    const double beyond = mean - (2 * perKind - passScore);
    return beyond > 0 && variance / (variance + beyond * beyond) < target;
}

bool TruePassChanceReaches(const SimulatedLearner& learner, const SimBank& bank, double now,
                           double target)
{
    const QList<double> choice = ChancesOf(learner, bank.choice, now);
    const QList<double> trueFalse = ChancesOf(learner, bank.trueFalse, now);
    const ExamShape& exam = bank.exam;
    return !PassChanceSurelyBelow(choice, trueFalse, exam.perKind, exam.passScore, target) &&
           PassChance(choice, trueFalse, exam.perKind, exam.passScore) >= target;
}

QList<StudyDay> PlanDays(Family family, std::uint64_t seed, double firstDay, int days,
                         std::optional<int> budget)
{
    const Habits habits = HabitsOf(family);
    Random random = StreamOf(seed, Stream::Schedule);
    const double typical = Uniform(random, habits.leastDaily, habits.mostDaily);
    const int firstSlot = std::uniform_int_distribution<int>(0, EveningSlot)(random);
    const std::vector<bool> off = DaysOff(habits, days, random);
    QList<StudyDay> plan;
    for (int d = 0; d < days; ++d) {
        const int answers = std::clamp(int(std::lround(typical * Spread(random, habits.dayToDay))),
                                       habits.leastDaily, habits.mostDaily);
        const bool twoSessions = Uniform(random) < habits.twoSessionShare;
        const double share = Uniform(random, 0.3, 0.7);
        // Two sessions: the second in the evening, the first earlier in the day.
        const int slot = twoSessions && firstSlot == EveningSlot ? 1 : firstSlot;
        const double first = SessionStart(firstDay + d, slot, random);
        const double second = SessionStart(firstDay + d, EveningSlot, random);
        const bool exam = d >= habits.firstExamDay && Uniform(random) < habits.examShare;

        StudyDay day;
        if (budget || !off[d]) {
            day.sessions =
                Sessions(first, second, twoSessions ? share : 1, budget.value_or(answers));
            day.exam = !budget && exam;
        }
        plan.append(day);
    }
    return plan;
}
