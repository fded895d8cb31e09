#include "study/Review.h"

#include <QDateTime>
#include <algorithm>

LearnerState::LearnerState(QStringList bank, ExamShape exam, Memories memories,
                           MemoryWeights weights, double knownBeforeStudy)
    : bank(std::move(bank)), exam(std::move(exam)), memories(std::move(memories)), weights(weights),
      knownBeforeStudy(knownBeforeStudy)
{
    for (const QString& id : this->exam.trueFalse)
        guesses.insert(id, this->exam.trueFalseGuess);
}

LearnerState::LearnerState(QStringList bank, ExamShape exam, const ForecastBasis& basis,
                           const MemoryWeights& weights)
    : LearnerState(std::move(bank), std::move(exam), basis.memories, weights,
                   EstimateKnownBeforeStudy(basis.first).share)
{
    memoryOffset = basis.memoryOffset;
}

double GainOfAnswer(const LearnerState& learner, const QuestionMemory* memory, double guess,
                    double now, double target)
{
    const auto known = [&](const QuestionMemory* memory, double day) {
        return KnownOf(memory, day, learner.knownBeforeStudy, learner.memoryOffset.shift);
    };
    const QuestionMemory before = memory ? *memory : QuestionMemory{};
    const double chance = AnswerChance(guess, known(memory, now));
    const QuestionMemory right = Answered(before, {now, true}, learner.weights);
    const QuestionMemory wrong = Answered(before, {now, false}, learner.weights);
    return chance * known(&right, target) + (1 - chance) * known(&wrong, target) -
           known(memory, target);
}

ReviewList TodaysReview(const LearnerState& learner, double now, const DayPlan& day,
                        int answeredToday)
{
    struct Ranked {
        QString id;
        double rank;
        const QuestionMemory* memory = nullptr;
    };
    QList<Ranked> again;
    QList<Ranked> due;
    QStringList fresh;
    int newToday = 0;
    const int today = CalendarDay(now);
    for (const QString& id : learner.bank) {
        const QuestionMemory* memory = AnsweredMemory(learner.memories, id);
        if (!memory) {
            fresh.append(id);
            continue;
        }
        if (CalendarDay(memory->firstDay) == today)
            ++newToday;
        const bool latestWrong = memory->capped || !memory->answeredRight;
        if (latestWrong) {
            again.append({id, -memory->lastDay});
            continue;
        }
        if (const double dueDay = memory->DueDay(); dueDay < now)
            due.append({id, dueDay, memory});
    }
    int room = std::max(0, day.answers - answeredToday);
    const int newLeft = std::max(0, day.mostNew - newToday);
    const auto take = [&room](int wanted) {
        const int taken = std::clamp(wanted, 0, room);
        room -= taken;
        return taken;
    };
    const int leastNew = take(std::min({day.leastNew - newToday, newLeft, int(fresh.size())}));
    const auto byRank = [](const Ranked& a, const Ranked& b) { return a.rank < b.rank; };
    std::stable_sort(again.begin(), again.end(), byRank);
    ReviewList list;
    for (int n = take(int(again.size())), i = 0; i < n; ++i)
        list.again.append(again[i].id);
    // Due and more new questions share the rest. The due ones in the order they fell due when
    // the day takes them all; otherwise both by what an answer adds, new questions in the bank's
    // order (their worth differs only by kind).
    const QStringList moreFresh = fresh.mid(leastNew, std::max(0, newLeft - leastNew));
    int moreNew = int(moreFresh.size());
    if (due.size() + moreFresh.size() > room) {
        QList<std::pair<double, int>> worth; // -gain, and the due question's index or -1 if new
        for (int i = 0; i < due.size(); ++i)
            worth.append(
                {-GainOfAnswer(learner, due[i].memory, learner.GuessOf(due[i].id), now, day.target),
                 i});
        QHash<double, double> freshGain; // by guessing chance: all a new question's worth hangs on
        for (const QString& id : moreFresh) {
            const double guess = learner.GuessOf(id);
            if (!freshGain.contains(guess))
                freshGain.insert(guess, GainOfAnswer(learner, nullptr, guess, now, day.target));
            worth.append({-freshGain.value(guess), -1});
        }
        std::stable_sort(worth.begin(), worth.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        worth.resize(room);
        QList<Ranked> chosen;
        for (const auto& [rank, index] : worth) {
            if (index >= 0)
                chosen.append({due[index].id, rank, due[index].memory});
        }
        moreNew = int(worth.size() - chosen.size());
        list.later = int(due.size() - chosen.size());
        due = chosen;
    }
    std::stable_sort(due.begin(), due.end(), byRank);
    for (const Ranked& question : due)
        list.due.append(question.id);
    list.fresh = fresh.mid(0, leastNew + moreNew);
    return list;
}

std::optional<double> NextDue(const QStringList& bank, const Memories& memories, double now)
{
    std::optional<double> next;
    for (const QString& id : bank) {
        const QuestionMemory* memory = AnsweredMemory(memories, id);
        if (!memory)
            continue;
        const double due = memory->DueDay();
        if (due > now && (!next || due < *next))
            next = due;
    }
    return next;
}

QString DueText(double day, double now)
{
    const QDateTime due = FromLocalDays(day);
    const QString time = due.toString(QStringLiteral("HH:mm"));
    switch (CalendarDay(day) - CalendarDay(now)) {
    case 0:
        return QStringLiteral("今天 %1").arg(time);
    case 1:
        return QStringLiteral("明天 %1").arg(time);
    default:
        return QStringLiteral("%1月%2日 %3")
            .arg(due.date().month())
            .arg(due.date().day())
            .arg(time);
    }
}

ReviewProgress::ReviewProgress(const ReviewList& list)
    : again(list.again.begin(), list.again.end()), due(list.due.begin(), list.due.end()),
      fresh(list.fresh.begin(), list.fresh.end())
{
}

void ReviewProgress::Answered(const QString& id)
{
    if (!again.remove(id) && !due.remove(id))
        fresh.remove(id);
}
