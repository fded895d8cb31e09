#include "study/Forecast.h"

#include <algorithm>
#include <vector>

namespace {
constexpr double UnknownRate = 0.5;

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

QList<double> Chances(const QStringList& ids, const Memories& memories, double now, double newRate)
{
    QList<double> chances;
    chances.reserve(ids.size());
    for (const QString& id : ids) {
        const auto memory = memories.find(id);
        chances.append(memory == memories.end() || memory->answers == 0 ? newRate
                                                                        : memory->RecallAt(now));
    }
    return chances;
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

double NewQuestionRate(const Memories& memories)
{
    int answered = 0;
    int right = 0;
    for (const QuestionMemory& memory : memories) {
        if (memory.answers == 0)
            continue;
        ++answered;
        right += memory.firstRight;
    }
    return answered ? double(right) / answered : UnknownRate;
}

std::optional<double> ForecastAt(const ExamShape& exam, const Memories& memories, double now)
{
    if (!CanDraw(exam))
        return std::nullopt;
    const double newRate = NewQuestionRate(memories);
    return PassChance(Chances(exam.choice, memories, now, newRate),
                      Chances(exam.trueFalse, memories, now, newRate), exam.perKind,
                      exam.passScore);
}

QList<ForecastPoint> ForecastHistory(const ExamShape& exam,
                                     const QHash<QString, QList<TimedAnswer>>& answers)
{
    if (!CanDraw(exam))
        return {};
    struct Step {
        double day;
        QString id;
        bool right;
    };
    std::vector<Step> steps;
    for (auto question = answers.begin(); question != answers.end(); ++question) {
        for (const TimedAnswer& answer : question.value())
            steps.push_back({answer.day, question.key(), answer.right});
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step& a, const Step& b) { return a.day < b.day; });
    QList<ForecastPoint> history;
    Memories memories;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        QuestionMemory& memory = memories[steps[i].id];
        memory = Answered(memory, {steps[i].day, steps[i].right});
        const bool lastOfDay =
            i + 1 == steps.size() || CalendarDay(steps[i + 1].day) != CalendarDay(steps[i].day);
        if (lastOfDay)
            history.append({steps[i].day, *ForecastAt(exam, memories, steps[i].day)});
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
