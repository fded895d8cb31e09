// The memory model, today's review and the pass forecast on a record of 100,000 answers from
// 1,000 exams over 100 days, against the shipped bank; and the study window opening on it and
// following it.

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Record.h"
#include "common/Platform.h"
#include "common/Study.h"
#include "progress/PassForecast.h"
#include "progress/StudyPlan.h"
#include "progress/StudyWindow.h"
#include "study/Plan.h"
#include "study/Review.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"

#include <QApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
const QString Bank = QStringLiteral("beijing.dat");
constexpr int Exams = 1000;
constexpr int ExamsPerDay = 10;

struct Fixture {
    QStringList ids; // the bank's, in its order
    ExamShape exam;
    QHash<QString, QList<TimedAnswer>> answers;
    Memories memories;
    double now = 0;
};

// 1,000 exams of 100 of the bank's questions, about 85 right and 3 left without a choice,
// ten a day over the last 100 days.
void FillRecord(const ExamShape& exam)
{
    StudyStore& store = Study();
    for (int e = 0; e < Exams; ++e) {
        ExamResult result;
        for (int i = 0; i < 100; ++i) {
            const QStringList& pool = i < 50 ? exam.choice : exam.trueFalse;
            const QString id = pool[(e * 37 + (i % 50) * 13) % pool.size()];
            const bool unanswered = (e + i) % 33 == 0;
            const bool right = !unanswered && (e * 7 + i * 11) % 20 < 17;
            result.answers.append({id, 1, unanswered ? QString() : QStringLiteral("A"), right});
            result.score += right;
        }
        result.answered = 97;
        store.ExamFinished(store.ExamStarted(Bank), result);
    }
    QSqlQuery query(store.Database());
    const QString dayOf =
        QStringLiteral("strftime('%Y-%m-%dT%H:%M:%SZ', 'now', '-' || ((%1 - %2) / %3) || ' days')");
    query.exec(QStringLiteral("UPDATE attempts SET answered_at = %1")
                   .arg(dayOf.arg(Exams).arg(QStringLiteral("exam_id")).arg(ExamsPerDay)));
    query.exec(QStringLiteral("UPDATE exams SET finished_at = %1")
                   .arg(dayOf.arg(Exams).arg(QStringLiteral("id")).arg(ExamsPerDay)));
}

const Fixture& Data()
{
    static const Fixture fixture = [] {
        Fixture f;
        ::Cipher cipher;
        const LoadedBank bank = LoadBank(BankPath(), cipher);
        if (!bank.Complete())
            qFatal("no bank at %s", qPrintable(BankPath()));
        for (const BankRecord& record : bank.records)
            f.ids.append(Record::FieldAt(record.text, Record::Id).toString());
        f.exam = ExamOf(bank);
        FillRecord(f.exam);
        f.answers = AnswersByQuestion(Study().Database(), Bank);
        f.memories = ReplayEach(f.answers);
        f.now = LocalDays(QDateTime::currentDateTime());
        return f;
    }();
    return fixture;
}

void MemoryStates(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReplayEach(f.answers));
    qsizetype answers = 0;
    for (const auto& question : f.answers)
        answers += question.size();
    state.counters["answers"] = double(answers);
}
BENCHMARK(MemoryStates)->Unit(benchmark::kMillisecond)->Repetitions(5);

void MemoryStatesFromTheStore(benchmark::State& state)
{
    Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReplayEach(AnswersByQuestion(Study().Database(), Bank)));
}
BENCHMARK(MemoryStatesFromTheStore)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PassForecast(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(ForecastAt(f.exam, f.memories, f.now));
    state.counters["questions"] = double(f.ids.size());
}
BENCHMARK(PassForecast)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PassForecastOverTime(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(ForecastHistory(f.exam, f.answers));
}
BENCHMARK(PassForecastOverTime)->Unit(benchmark::kMillisecond)->Repetitions(5);

LearnerState LearnerOf(const Fixture& f)
{
    return {f.ids,
            f.exam,
            f.memories,
            {},
            EstimateKnownBeforeStudy(FirstAnswersOf(f.exam, f.memories)).share};
}

// With a test 30 days ahead; the plan's pace is the largest it can be, so the list is the
// longest.
void TodaysList(benchmark::State& state)
{
    const Fixture& f = Data();
    const LearnerState learner = LearnerOf(f);
    const PlanRequest request{CalendarDay(f.now) + 30, std::nullopt, 0, std::nullopt};
    DayPlan day = PlanOfTheDay(learner, f.now, request);
    day.answers = MostAnswersPerDay;
    for (auto _ : state)
        benchmark::DoNotOptimize(TodaysReview(learner, f.now, day, 0));
}
BENCHMARK(TodaysList)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The plan for a test 30 days ahead: its pace found by projecting the learner to the test day,
// with no pace planned before (the first plan for a bank).
void PlanToTheTestDay(benchmark::State& state)
{
    const Fixture& f = Data();
    const LearnerState learner = LearnerOf(f);
    const PlanRequest request{CalendarDay(f.now) + 30, std::nullopt, 0, std::nullopt};
    int answersPerDay = 0;
    for (auto _ : state)
        answersPerDay = PlanFor(learner, f.now, request).today.answers;
    state.counters["answers a day"] = answersPerDay;
}
BENCHMARK(PlanToTheTestDay)->Unit(benchmark::kMillisecond)->Repetitions(5);

// What the study window works out for its forecast label and plan: the weights (fitted once a
// day), the forecast with its range, and the plan, which tries the pace it planned last first.
void ForecastRangeAndPlan(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            PlanOf(GuidanceFor(Bank, f.exam, f.ids, f.answers, f.now), Bank, f.now, std::nullopt));
}
BENCHMARK(ForecastRangeAndPlan)->Unit(benchmark::kMillisecond)->Repetitions(5);

void OpenStudyWindow(benchmark::State& state)
{
    Data();
    for (auto _ : state) {
        StudyWindow window;
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.wrongBook.size());
    }
}
BENCHMARK(OpenStudyWindow)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The window left open while the learner practises: it shows the record again after each
// answer. Last, since it adds to the record.
void RefreshStudyWindowAfterAnAnswer(benchmark::State& state)
{
    const Fixture& f = Data();
    StudyWindow window;
    window.show();
    QCoreApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        Study().PracticeAnswered(Bank, {f.ids[n++ % f.ids.size()], 1, "A", n % 4 != 0});
        window.ShowRecord();
    }
}
BENCHMARK(RefreshStudyWindowAfterAnAnswer)->Unit(benchmark::kMillisecond)->Repetitions(5);
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jiaogui-bench"));
    SetAppPath(QStringLiteral(JIAOGUI_BUILD_DIR));
    BankFile = Bank;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CloseStudy();
    return 0;
}
