// Start-up cost: the cpu time of a process that opens the main window and waits until it is
// shown, against one that does the same with a bare QWidget. Every run is a fresh process (this
// program again, with --child), so that loading the libraries, the platform plugin and the first
// paint all count; the two kinds take turns, so that a busy machine weighs on both alike.
// Run it with the platform the learner has (QT_QPA_PLATFORM, DISPLAY); the figure to watch is
// the median of `ratio`, the main window's cpu time over the bare window's.

#include "app/MainWindow.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
const char ChildFlag[] = "--child";
const char Bare[] = "bare";
const char Main[] = "main";

int RunChild(int argc, char* argv[], const char* kind)
{
    QApplication app(argc, argv);
    QWidget bare;
    QWidget* window = &bare;
    if (std::strcmp(kind, Main) == 0)
        window = ShowMainWindow();
    else
        bare.show();
    // Qt paints a window as it handles its first expose event.
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// The cpu time, user and system, of one child run; negative when it failed.
double ChildCpuSeconds(const char* kind)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/proc/self/exe", "bench_startup", ChildFlag, kind, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

void BM_MainWindowOverBareWindow(benchmark::State& state)
{
    double bare = 0;
    double main = 0;
    for (auto _ : state) {
        const double bareRun = ChildCpuSeconds(Bare);
        const double mainRun = ChildCpuSeconds(Main);
        if (bareRun <= 0 || mainRun < 0) {
            state.SkipWithError("a child process failed");
            return;
        }
        bare += bareRun;
        main += mainRun;
        state.SetIterationTime(mainRun);
    }
    state.counters["bare_ms"] = benchmark::Counter(1000 * bare, benchmark::Counter::kAvgIterations);
    state.counters["main_ms"] = benchmark::Counter(1000 * main, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = main / bare;
}
BENCHMARK(BM_MainWindowOverBareWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], ChildFlag) == 0)
        return RunChild(argc, argv, argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
