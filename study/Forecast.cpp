#include "study/Forecast.h"

#include "study/MemoryFit.h"

#include <algorithm>
#include <vector>

namespace {
// The ends of the range are the 10 % and 90 % quantiles of a normal distribution.
constexpr double RangeQuantile = 1.2816;

// The chance of each number of wrong answers (0 to mostWrong) among `drawn` questions drawn at
// random from the pool. Built one question at a time: after n questions, row k holds the
// distribution for a draw of k of those n, each draw equally likely.
std::vector<double> WrongAnswers(const QList<double>& pool, int drawn, int mostWrong)
{
    const int width = mostWrong + 1;
    std::vector<double> rows(std::size_t(drawn + 1) * width, 0.0);
    const auto at = [&](int k, int wrong) -> double& {
        return rows[std::size_t(k) * width + wrong];
    };
    at(0, 0) = 1;
    int n = 0;
    for (const double right : pool) {
        ++n;
        for (int k = std::min(n, drawn); k >= 1; --k) {
            const double taken = double(k) / n;
            double* row = &at(k, 0);
            const double* before = &at(k - 1, 0);
            // Not drawn: as before; drawn: right keeps the count, wrong adds one.
            for (int wrong = mostWrong; wrong >= 1; --wrong)
                row[wrong] = (1 - taken) * row[wrong] +
                             taken * (right * before[wrong] + (1 - right) * before[wrong - 1]);
            row[0] = (1 - taken) * row[0] + taken * right * before[0];
        }
    }
    return {rows.begin() + std::ptrdiff_t(drawn) * width, rows.end()};
}

// The two things the forecast is unsure of, as the forecast or an end of its range takes them.
struct Reading {
    double knownBeforeStudy = 0;
    double memoryOffset = 0; // on the logit scale of what memories are credited with
};

// Each question's chance of a right answer.
QList<double> Chances(const QStringList& ids, double guess, const Memories& memories, double now,
                      const Reading& reading)
{
    QList<double> chances;
    chances.reserve(ids.size());
    for (const QString& id : ids) {
        const auto memory = memories.find(id);
        const QuestionMemory* answered = memory == memories.end() ? nullptr : &*memory;
        chances.append(AnswerChance(
            guess, KnownOf(answered, now, reading.knownBeforeStudy, reading.memoryOffset)));
    }
    return chances;
}

// The forecast of a learner who has answered nothing: every question at the prior.
double NewcomersChance(const ExamShape& exam)
{
    const double known = PriorKnownShare;
    return PassChance(
        QList<double>(exam.choice.size(), AnswerChance(exam.choiceGuess, known)),
        QList<double>(exam.trueFalse.size(), AnswerChance(exam.trueFalseGuess, known)),
        exam.perKind, exam.passScore);
}

double ForecastReading(const ExamShape& exam, const Memories& memories, double now,
                       const FirstAnswers& first, const Reading& reading)
{
    const double pass =
        PassChance(Chances(exam.choice, exam.choiceGuess, memories, now, reading),
                   Chances(exam.trueFalse, exam.trueFalseGuess, memories, now, reading),
                   exam.perKind, exam.passScore);
    return first.RestOnAFew() ? std::min(pass, NewcomersChance(exam)) : pass;
}

bool CanDraw(const ExamShape& exam)
{
    return exam.choice.size() >= exam.perKind && exam.trueFalse.size() >= exam.perKind;
}
} // namespace

double PassChance(const QList<double>& choice, const QList<double>& trueFalse, int perKind,
                  int passScore)
{
    const int mostWrong = 2 * perKind - passScore;
    if (mostWrong < 0)
        return 0;
    const std::vector<double> a = WrongAnswers(choice, perKind, mostWrong);
    const std::vector<double> b = WrongAnswers(trueFalse, perKind, mostWrong);
    double pass = 0;
    for (int i = 0; i <= mostWrong; ++i) {
        for (int j = 0; i + j <= mostWrong; ++j)
            pass += a[i] * b[j];
    }
    return std::clamp(pass, 0.0, 1.0);
}

FirstAnswers FirstAnswersOf(const ExamShape& exam, const Memories& memories)
{
    FirstAnswers first;
    const auto add = [&](const QStringList& ids, double guess) {
        for (const QString& id : ids) {
            const auto memory = memories.find(id);
            if (memory != memories.end())
                first.Add(*memory, guess);
        }
    };
    add(exam.choice, exam.choiceGuess);
    add(exam.trueFalse, exam.trueFalseGuess);
    return first;
}

std::optional<double> ForecastAt(const ExamShape& exam, const Memories& memories, double now,
                                 double memoryShift)
{
    if (!CanDraw(exam))
        return std::nullopt;
    const FirstAnswers first = FirstAnswersOf(exam, memories);
    return ForecastReading(exam, memories, now, first,
                           {EstimateKnownBeforeStudy(first).share, memoryShift});
}

ForecastBasis BasisOf(const ExamShape& exam, const QHash<QString, QList<TimedAnswer>>& answers,
                      const MemoryWeights& weights)
{
    ForecastBasis basis{ReplayEach(answers, weights), {}, {}};
    basis.first = FirstAnswersOf(exam, basis.memories);
    basis.memoryOffset = MemoryOffsetOf(
        PredictAnswers(answers, exam, weights, EstimateKnownBeforeStudy(basis.first).share));
    return basis;
}

std::optional<ForecastRange> RangeAt(const ExamShape& exam, const Memories& memories,
                                     const MemoryOffset& memoryOffset, double day)
{
    if (!CanDraw(exam))
        return std::nullopt;
    const FirstAnswers first = FirstAnswersOf(exam, memories);
    const auto at = [&](double z) {
        return ForecastReading(
            exam, memories, day, first,
            {KnownBeforeStudyAt(first, z), memoryOffset.shift + z * memoryOffset.spread});
    };
    return ForecastRange{at(0), at(-RangeQuantile), at(RangeQuantile), first.count};
}

std::optional<ForecastRange> ForecastWithRange(const ExamShape& exam,
                                               const QHash<QString, QList<TimedAnswer>>& answers,
                                               double now, const MemoryWeights& weights)
{
    if (!CanDraw(exam))
        return std::nullopt;
    const ForecastBasis basis = BasisOf(exam, answers, weights);
    return RangeAt(exam, basis.memories, basis.memoryOffset, now);
}

QList<ForecastPoint> ForecastHistory(const ExamShape& exam,
                                     const QHash<QString, QList<TimedAnswer>>& answers,
                                     const MemoryWeights& weights, double memoryShift)
{
    if (!CanDraw(exam))
        return {};
    struct Step {
        TimedAnswer answer;
        QString id;
    };
    std::vector<Step> steps;
    for (auto question = answers.begin(); question != answers.end(); ++question) {
        for (const TimedAnswer& answer : question.value())
            steps.push_back({answer, question.key()});
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step& a, const Step& b) { return a.answer.day < b.answer.day; });
    QList<ForecastPoint> history;
    Memories memories;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const double day = steps[i].answer.day;
        QuestionMemory& memory = memories[steps[i].id];
        memory = Answered(memory, steps[i].answer, weights);
        const bool lastOfDay =
            i + 1 == steps.size() || CalendarDay(steps[i + 1].answer.day) != CalendarDay(day);
        if (lastOfDay)
            history.append({day, *ForecastAt(exam, memories, day, memoryShift)});
    }
    return history;
}

QHash<QString, QList<TimedAnswer>> AnswersBefore(const QHash<QString, QList<TimedAnswer>>& answers,
                                                 int day)
{
    QHash<QString, QList<TimedAnswer>> before;
    for (auto question = answers.begin(); question != answers.end(); ++question) {
        QList<TimedAnswer> earlier;
        for (const TimedAnswer& answer : question.value()) {
            if (CalendarDay(answer.day) < day)
                earlier.append(answer);
        }
        if (!earlier.isEmpty())
            before.insert(question.key(), earlier);
    }
    return before;
}
