// The study record's speed: one practice answer, one exam's 100 answers, and opening the store
// (its whole check included) and everything the study window reads, on a store of 100,000
// attempts and 1,000 exams.

#include "bank/Record.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
const QString Bank = QStringLiteral("beijing.dat");
constexpr int BankQuestions = 1200;
constexpr int ExamQuestions = 100;

QString QuestionId(int n)
{
    return QStringLiteral("q%1").arg(n % BankQuestions + 1);
}

int ChapterOfQuestion(int n)
{
    return n % Record::ChapterCount + Record::FirstChapter;
}

// An exam of questions from `first` on, about four in five right, varied by `seed`.
ExamResult Exam(int first, int seed)
{
    ExamResult result;
    for (int q = 0; q < ExamQuestions; ++q) {
        const int n = first + q * 7;
        const bool right = (n * 31 + seed) % 5 != 0;
        result.answers.append({QuestionId(n), ChapterOfQuestion(n), "A", right});
        result.score += right;
    }
    result.answered = ExamQuestions;
    result.secondsUsed = 1800;
    return result;
}

void RecordPracticeAnswer(benchmark::State& state)
{
    QTemporaryDir folder;
    StudyStore store(folder.path());
    int n = 0;
    for (auto _ : state) {
        store.PracticeAnswered(Bank, {QuestionId(n), ChapterOfQuestion(n), "B", n % 3 != 0});
        ++n;
    }
}
BENCHMARK(RecordPracticeAnswer)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void RecordExamResult(benchmark::State& state)
{
    QTemporaryDir folder;
    StudyStore store(folder.path());
    int n = 0;
    for (auto _ : state) {
        store.ExamFinished(store.ExamStarted(Bank), Exam(n * 13, n));
        ++n;
    }
}
BENCHMARK(RecordExamResult)->Unit(benchmark::kMillisecond)->Repetitions(9);

// Built once for the benchmarks that open or read it: 1,000 exams of 100 answers each.
QString LargeStoreFolder()
{
    static QTemporaryDir folder;
    static const bool filled = [] {
        StudyStore store(folder.path());
        for (int e = 0; e < 1000; ++e)
            store.ExamFinished(store.ExamStarted(Bank), Exam(e * 13, e));
        return true;
    }();
    Q_UNUSED(filled);
    return folder.path();
}

const StudyStore& LargeStore()
{
    static StudyStore store(LargeStoreFolder());
    return store;
}

// What the first window to record waits for at every start.
void OpenLargeStore(benchmark::State& state)
{
    const QString folder = LargeStoreFolder();
    for (auto _ : state) {
        StudyStore store(folder);
        benchmark::DoNotOptimize(store.IsRecording());
    }
    state.counters["attempts"] = 1000.0 * ExamQuestions;
}
BENCHMARK(OpenLargeStore)->Unit(benchmark::kMillisecond)->Repetitions(9);

ChapterOf BankChapters()
{
    ChapterOf chapters;
    for (int n = 0; n < BankQuestions; ++n)
        chapters.insert(QuestionId(n), ChapterOfQuestion(n));
    return chapters;
}

// All the study window reads and counts when it opens or comes back to the front.
void ReadStudyWindowData(benchmark::State& state)
{
    const QSqlDatabase db = LargeStore().Database();
    const ChapterOf chapters = BankChapters();
    for (auto _ : state) {
        const PerChapter progress = TallyProgress(chapters, LatestAnswers(db, Bank));
        const QList<FinishedExam> exams = FinishedExams(db, Bank);
        const auto book = BookPerChapter(chapters, WrongBook(db, Bank));
        const QList<MissedQuestion> missed = MostMissed(db, Bank);
        const QStringList marked = Favourites(db, Bank);
        benchmark::DoNotOptimize(progress);
        benchmark::DoNotOptimize(missed.size());
        benchmark::DoNotOptimize(marked.size());
        benchmark::DoNotOptimize(exams.size());
        benchmark::DoNotOptimize(book);
    }
    state.counters["attempts"] = 1000.0 * ExamQuestions;
}
BENCHMARK(ReadStudyWindowData)->Unit(benchmark::kMillisecond)->Repetitions(9);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
