#include "SimGuidance.h"

#include "study/AnswerModel.h"
#include "study/MemoryFit.h"
#include "study/Review.h"

#include <QSet>
#include <algorithm>

namespace {
// What the program credits every question not yet listed with: its memory's credit for an
// answered one, the prior share known before study for one never answered. The least known
// first; equal credits keep the bank's order.
QStringList LeastRemembered(const QStringList& bank, const Memories& memories, double now,
                            const QSet<QString>& listed)
{
    QList<std::pair<double, QString>> chances;
    for (const QString& id : bank) {
        if (listed.contains(id))
            continue;
        const auto memory = memories.find(id);
        const bool answered = memory != memories.end() && memory->answers > 0;
        chances.append({answered ? memory->KnownAt(now) : PriorKnownShare, id});
    }
    std::stable_sort(chances.begin(), chances.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList least;
    for (const auto& chance : chances)
        least.append(chance.second);
    return least;
}
} // namespace

namespace Guidance {
// As the windows show it: the weights fitted to the learner once a day. Each thread meets one
// learner at a time, day after day, and a new learner's first day differs from the last one's last.
std::optional<double> Forecast(const AnswerRecord& answers, const ExamShape& exam, double now)
{
    thread_local DailyFit fit;
    const MemoryWeights& weights = fit.WeightsFor(answers, exam, now);
    const auto forecast = ForecastWithRange(exam, answers, now, weights);
    return forecast ? std::optional<double>(forecast->chance) : std::nullopt;
}

// Today's review (due, then the day's allowance of new questions); time left over goes to the
// least remembered of the rest. Today's program plans for no test day.
QStringList TodaysList(const AnswerRecord& answers, const QStringList& bank, double now, int budget,
                       std::optional<double>)
{
    const Memories memories = ReplayEach(answers);
    const ReviewList review = TodaysReview(bank, memories, now, DefaultNewPerDay);
    QStringList list = review.due + review.fresh;
    if (list.size() < budget)
        list += LeastRemembered(bank, memories, now, QSet<QString>(list.begin(), list.end()));
    return list.mid(0, budget);
}
} // namespace Guidance
