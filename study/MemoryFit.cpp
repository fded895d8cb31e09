#include "study/MemoryFit.h"

#include "study/MemoryRules.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
struct FittedWeight {
    int index;
    double lower;
    double upper;
    double spread; // of the prior
};

// Bounds as FSRS's own optimiser keeps them. Spread: the standard deviation of the weight over
// many learners' fitted weights, as published with the defaults.
constexpr std::array<FittedWeight, 17> Fitted = {{{0, 0.001, 100, 6.43},
                                                  {2, 0.001, 100, 17.58},
                                                  {4, 1, 10, 0.57},
                                                  {5, 0.001, 4, 0.28},
                                                  {6, 0.001, 4, 0.6},
                                                  {7, 0.001, 0.75, 0.12},
                                                  {8, 0, 4.5, 0.39},
                                                  {9, 0, 0.8, 0.18},
                                                  {10, 0.001, 3.5, 0.33},
                                                  {11, 0.001, 5, 0.3},
                                                  {12, 0.001, 0.25, 0.09},
                                                  {13, 0.001, 0.9, 0.16},
                                                  {14, 0, 4, 0.57},
                                                  {17, 0, 2, 0.31},
                                                  {18, 0, 2, 0.32},
                                                  {19, 0, 0.8, 0.14},
                                                  {20, 0.1, 0.8, 0.27}}};
constexpr int FittedCount = int(Fitted.size());

// A prediction is never taken as surer than this: an answer given moments after the last one
// would otherwise cost without bound for a slip.
constexpr double LeastChance = 1e-4;
constexpr double OffsetPriorSpread = 0.5;

// A number that carries its derivatives by each fitted weight along, through the replay.
struct Dual {
    double value = 0;
    std::array<double, FittedCount> slope{};

    Dual() = default;
    Dual(double v) : value(v) {}

    // Scales the derivatives by the chain rule's factor, then sets the value.
    Dual& Chain(double factor, double newValue)
    {
        for (double& d : slope)
            d *= factor;
        value = newValue;
        return *this;
    }
};

Dual operator+(Dual a, const Dual& b)
{
    for (int i = 0; i < FittedCount; ++i)
        a.slope[i] += b.slope[i];
    a.value += b.value;
    return a;
}

Dual operator-(Dual a)
{
    return a.Chain(-1, -a.value);
}

Dual operator-(const Dual& a, const Dual& b)
{
    return a + -b;
}

Dual operator*(const Dual& a, const Dual& b)
{
    Dual product;
    for (int i = 0; i < FittedCount; ++i)
        product.slope[i] = a.slope[i] * b.value + b.slope[i] * a.value;
    product.value = a.value * b.value;
    return product;
}

Dual operator/(const Dual& a, const Dual& b)
{
    Dual quotient;
    const double inverse = 1 / b.value;
    const double ratio = a.value * inverse;
    for (int i = 0; i < FittedCount; ++i)
        quotient.slope[i] = (a.slope[i] - ratio * b.slope[i]) * inverse;
    quotient.value = ratio;
    return quotient;
}

// With a plain number on either side only the value and the scale change.
Dual operator+(Dual a, double b)
{
    a.value += b;
    return a;
}
Dual operator+(double a, Dual b)
{
    return std::move(b) + a;
}
Dual operator-(Dual a, double b)
{
    a.value -= b;
    return a;
}
Dual operator-(double a, Dual b)
{
    return -std::move(b) + a;
}
Dual operator*(Dual a, double b)
{
    return a.Chain(b, a.value * b);
}
Dual operator*(double a, Dual b)
{
    return std::move(b) * a;
}
Dual operator/(Dual a, double b)
{
    return std::move(a) * (1 / b);
}
Dual operator/(double a, Dual b)
{
    const double value = a / b.value;
    return b.Chain(-value / b.value, value);
}

bool operator<(const Dual& a, const Dual& b)
{
    return a.value < b.value;
}

Dual exp(Dual a)
{
    const double value = std::exp(a.value);
    return a.Chain(value, value);
}

Dual log(Dual a)
{
    return a.Chain(1 / a.value, std::log(a.value));
}

Dual pow(const Dual& base, const Dual& exponent)
{
    return exp(exponent * log(base));
}

Dual pow(double base, Dual exponent)
{
    const double value = std::pow(base, exponent.value);
    return exponent.Chain(value * std::log(base), value);
}

// An exam question with its answers, as the replay reads it.
struct Question {
    QString id;
    double guess = 0;
    const QList<TimedAnswer>* answers = nullptr;
};

QList<Question> QuestionsOf(const ExamShape& exam,
                            const QHash<QString, QList<TimedAnswer>>& answers)
{
    QList<Question> questions;
    const auto add = [&](const QStringList& ids, double guess) {
        for (const QString& id : ids) {
            const auto found = answers.find(id);
            if (found != answers.end() && !found->isEmpty())
                questions.append({id, guess, &*found});
        }
    };
    add(exam.choice, exam.choiceGuess);
    add(exam.trueFalse, exam.trueFalseGuess);
    return questions;
}

int AnswerCount(const QList<Question>& questions)
{
    return std::accumulate(questions.begin(), questions.end(), 0,
                           [](int sum, const Question& q) { return sum + int(q.answers->size()); });
}

// A sample of questions, taken whole until they hold about `most` answers, in an order fixed by
// their ids (the hash's seed is fixed, not the run's): the same record gives the same fit.
QList<Question> Sample(QList<Question> questions, int most)
{
    if (AnswerCount(questions) <= most)
        return questions;
    constexpr std::size_t Seed = 1;
    std::sort(questions.begin(), questions.end(), [](const Question& a, const Question& b) {
        return qHash(a.id, Seed) < qHash(b.id, Seed);
    });
    QList<Question> sample;
    int held = 0;
    for (const Question& question : questions) {
        if (held >= most)
            break;
        sample.append(question);
        held += int(question.answers->size());
    }
    return sample;
}

// Replays every question's answers with the weights given and hands each answer after the first
// to `predicted` with the answer model's chance of it and the memory's credit before it.
template <class Number, class Predicted>
void ReplayPredicting(const QList<Question>& questions,
                      const std::array<Number, MemoryWeights::Count>& weights,
                      double knownBeforeStudy, Predicted&& predicted)
{
    const MemoryRules<Number> rules(weights);
    for (const Question& question : questions) {
        QuestionMemoryOf<Number> memory;
        for (const TimedAnswer& answer : *question.answers) {
            if (memory.answers > 0) {
                const Number credit = KnownByMemory(memory, answer.day, rules.Curve());
                const double guess = GuessBehind(answer, question.guess);
                const Number chance =
                    std::clamp(AnswerChance(guess, KnownAbove(credit, knownBeforeStudy)),
                               Number(LeastChance), Number(1 - LeastChance));
                predicted(answer, guess, credit, chance);
            }
            rules.Answer(memory, answer);
        }
    }
}

template <class Number> Number LogLossOf(const TimedAnswer& answer, const Number& chance)
{
    using std::log;
    return -log(answer.right ? chance : 1 - chance);
}

using Point = std::array<double, FittedCount>;
using Matrix = std::array<Point, FittedCount>;

double Dot(const Point& a, const Point& b)
{
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

// The fit works in each fitted weight's distance from its default in prior spreads: the prior is
// then half the squared length, and every coordinate is on the scale the learners vary on.
MemoryWeights WeightsAt(const Point& x)
{
    MemoryWeights weights;
    for (int j = 0; j < FittedCount; ++j)
        weights.w[Fitted[j].index] += Fitted[j].spread * x[j];
    return weights;
}

// The same weights, each fitted one carrying its derivative by its coordinate.
std::array<Dual, MemoryWeights::Count> DualWeightsAt(const Point& x)
{
    const MemoryWeights plain = WeightsAt(x);
    std::array<Dual, MemoryWeights::Count> weights;
    std::copy(plain.w.begin(), plain.w.end(), weights.begin());
    for (int j = 0; j < FittedCount; ++j)
        weights[Fitted[j].index].slope[j] = Fitted[j].spread;
    return weights;
}

// The loss to minimise: the predictions' log loss and the prior's.
double Loss(const QList<Question>& questions, double knownBeforeStudy, const Point& x)
{
    double loss = Dot(x, x) / 2;
    ReplayPredicting<double>(questions, WeightsAt(x).w, knownBeforeStudy,
                             [&](const TimedAnswer& answer, double, double, double chance) {
                                 loss += LogLossOf(answer, chance);
                             });
    return loss;
}

// The loss near x to second order: its gradient and its expected curvature (the Fisher
// information of the answers, each a Bernoulli trial, plus the prior's).
struct Expansion {
    double value = 0;
    Point gradient{};
    Matrix curvature{};
};

Expansion Expand(const QList<Question>& questions, double knownBeforeStudy, const Point& x)
{
    Expansion expansion;
    Dual loss;
    ReplayPredicting<Dual>(questions, DualWeightsAt(x), knownBeforeStudy,
                           [&](const TimedAnswer& answer, double, const Dual&, const Dual& chance) {
                               loss = loss + LogLossOf(answer, chance);
                               const double inverseVariance =
                                   1 / (chance.value * (1 - chance.value));
                               for (int i = 0; i < FittedCount; ++i) {
                                   const double row = inverseVariance * chance.slope[i];
                                   for (int j = 0; j <= i; ++j)
                                       expansion.curvature[i][j] += row * chance.slope[j];
                               }
                           });
    for (int i = 0; i < FittedCount; ++i) {
        expansion.gradient[i] = loss.slope[i] + x[i];
        expansion.curvature[i][i] += 1;
        for (int j = 0; j < i; ++j)
            expansion.curvature[j][i] = expansion.curvature[i][j];
    }
    expansion.value = loss.value + Dot(x, x) / 2;
    return expansion;
}

struct Box {
    Point lower;
    Point upper;

    Point Clamp(Point x) const
    {
        for (int j = 0; j < FittedCount; ++j)
            x[j] = std::clamp(x[j], lower[j], upper[j]);
        return x;
    }
    // A coordinate on a bound that the descent pushes against stays there this step.
    bool Held(const Point& x, const Point& gradient, int j) const
    {
        return (x[j] <= lower[j] && gradient[j] > 0) || (x[j] >= upper[j] && gradient[j] < 0);
    }
};

Box FittedBox()
{
    const MemoryWeights defaults;
    Box box;
    for (int j = 0; j < FittedCount; ++j) {
        const double weight = defaults.w[Fitted[j].index];
        box.lower[j] = (Fitted[j].lower - weight) / Fitted[j].spread;
        box.upper[j] = (Fitted[j].upper - weight) / Fitted[j].spread;
    }
    return box;
}

// Solves curvature x step = -gradient over the coordinates not held (Cholesky: the curvature is
// positive definite, the prior's identity being part of it); held coordinates do not move.
Point NewtonStep(const Expansion& at, const std::vector<int>& moving)
{
    const std::size_t n = moving.size();
    std::vector<double> l(n * n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            double sum = at.curvature[moving[i]][moving[j]];
            for (std::size_t k = 0; k < j; ++k)
                sum -= l[i * n + k] * l[j * n + k];
            l[i * n + j] = i == j ? std::sqrt(sum) : sum / l[j * n + j];
        }
    }
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i) {
        double sum = -at.gradient[moving[i]];
        for (std::size_t k = 0; k < i; ++k)
            sum -= l[i * n + k] * y[k];
        y[i] = sum / l[i * n + i];
    }
    Point step{};
    for (std::size_t i = n; i-- > 0;) {
        double sum = y[i];
        for (std::size_t k = i + 1; k < n; ++k)
            sum -= l[k * n + i] * step[moving[k]];
        step[moving[i]] = sum / l[i * n + i];
    }
    return step;
}

// Fisher scoring within the bounds: Newton's method on the expected curvature, which a log loss
// of Bernoulli answers makes positive definite, with a backtracking (Armijo) search along the
// step clamped to the bounds. It ends when a step gains less than Settled.
Point Minimise(const QList<Question>& questions, double knownBeforeStudy, int& evaluations)
{
    constexpr int MostIterations = 30;
    constexpr int MostHalvings = 10;
    constexpr double Sufficient = 1e-4;
    constexpr double Settled = 0.02;
    const Box box = FittedBox();
    Point x{};
    Expansion at = Expand(questions, knownBeforeStudy, x);
    ++evaluations;
    for (int iteration = 0; iteration < MostIterations; ++iteration) {
        std::vector<int> moving;
        for (int j = 0; j < FittedCount; ++j) {
            if (!box.Held(x, at.gradient, j))
                moving.push_back(j);
        }
        const Point step = NewtonStep(at, moving);
        Point next;
        double nextValue = at.value;
        bool improved = false;
        double length = 1;
        for (int halving = 0; halving < MostHalvings && !improved; ++halving, length /= 2) {
            Point move;
            for (int j = 0; j < FittedCount; ++j)
                next[j] = x[j] + length * step[j];
            next = box.Clamp(next);
            for (int j = 0; j < FittedCount; ++j)
                move[j] = next[j] - x[j];
            nextValue = Loss(questions, knownBeforeStudy, next);
            ++evaluations;
            improved = nextValue <= at.value + Sufficient * Dot(at.gradient, move);
        }
        if (!improved)
            break;
        const bool settled = at.value - nextValue < Settled;
        x = next;
        if (settled)
            break;
        at = Expand(questions, knownBeforeStudy, x);
        ++evaluations;
    }
    return x;
}

double KnownBeforeStudyOf(const ExamShape& exam, const QHash<QString, QList<TimedAnswer>>& answers)
{
    return EstimateKnownBeforeStudy(FirstAnswersOf(exam, ReplayEach(answers))).share;
}
} // namespace

MemoryFit FitMemory(const QHash<QString, QList<TimedAnswer>>& answers, const ExamShape& exam,
                    const FitSettings& settings)
{
    const QList<Question> questions = QuestionsOf(exam, answers);
    MemoryFit fit;
    if (AnswerCount(questions) < settings.leastAnswers)
        return fit;
    const QList<Question> sample = Sample(questions, settings.mostAnswers);
    const double knownBeforeStudy = KnownBeforeStudyOf(exam, answers);
    fit.weights = WeightsAt(Minimise(sample, knownBeforeStudy, fit.evaluations));
    fit.fitted = true;
    fit.answers = AnswerCount(sample) - int(sample.size());
    return fit;
}

Predictions PredictAnswers(const QHash<QString, QList<TimedAnswer>>& answers, const ExamShape& exam,
                           const MemoryWeights& weights, double knownBeforeStudy, double fromDay)
{
    Predictions predictions;
    ReplayPredicting<double>(
        QuestionsOf(exam, answers), weights.w, knownBeforeStudy,
        [&](const TimedAnswer& answer, double guess, double credit, double chance) {
            if (answer.day < fromDay)
                return;
            ++predictions.answers;
            predictions.logLoss += LogLossOf(answer, chance);
            // Where the memory's credit sets the chance, a shift of its logit moves the chance by
            // (1 - guess) credit (1 - credit).
            if (credit > knownBeforeStudy) {
                const double slope = (1 - guess) * credit * (1 - credit);
                const double variance = chance * (1 - chance);
                predictions.information += slope * slope / variance;
                predictions.score += slope * ((answer.right ? 1 : 0) - chance) / variance;
            }
        });
    return predictions;
}

MemoryOffset MemoryOffsetOf(const Predictions& predictions)
{
    const double precision = 1 / (OffsetPriorSpread * OffsetPriorSpread) + predictions.information;
    return {predictions.score / precision, 1 / std::sqrt(precision)};
}

const MemoryWeights& DailyFit::WeightsFor(const QHash<QString, QList<TimedAnswer>>& answers,
                                          const ExamShape& exam, double now)
{
    if (fittedDay != CalendarDay(now)) {
        weights = FitMemory(answers, exam).weights;
        fittedDay = CalendarDay(now);
    }
    return weights;
}
