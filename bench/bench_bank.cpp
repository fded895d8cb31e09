// Loading speed of the bank and the exam window's start and moves.

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Record.h"
#include "common/Platform.h"
#include "exam/ExamWindow.h"
#include "tools/BankSource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
// A bank of n records shaped like the shipped ones: half choice, half true/false.
QString WriteSyntheticBank(const QTemporaryDir& dir, int n)
{
    const QString path = dir.filePath(QStringLiteral("beijing.dat"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the synthetic bank");
    for (int i = 1; i <= n; ++i) {
        const bool choice = i % 2 == 0;
        QString text = QStringLiteral("第%1题：在没有道路中心线的城市道路上，没有限速标志时，"
                                      "机动车最高时速是多少？").arg(i);
        if (choice)
            text += QStringLiteral("\r\nA、30公里\r\nB、40公里\r\nC、50公里");
        const QStringList fields = {QStringLiteral("%1").arg(i), QString::number(i % 10 + 1),
                                    choice ? QStringLiteral("1") : QStringLiteral("0"),
                                    QStringLiteral("A"), *EncodeQuestionText(text),
                                    i % 3 == 0 ? QStringLiteral("sign.png") : QString()};
        file.write(EncodeLine(fields.join(Record::Separator)) + "\r\n");
    }
    return path;
}

void LoadBankThroughput(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = WriteSyntheticBank(dir, static_cast<int>(state.range(0)));
    const qint64 bytes = QFileInfo(path).size();
    for (auto _ : state) {
        Cipher cipher;
        const LoadedBank bank = LoadBank(path, cipher);
        benchmark::DoNotOptimize(bank.records.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(LoadBankThroughput)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The one step loading cannot do without: every line of the file through a plain base64 decode.
qsizetype DecodeLinesPlainly(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the synthetic bank");
    const QByteArray content = file.readAll();
    qsizetype decoded = 0;
    for (qsizetype start = 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        const qsizetype length = end - start - (end > start && content[end - 1] == '\r' ? 1 : 0);
        // fromRawData: the line is read in place, as a decoder of a mapped file would.
        decoded +=
            QByteArray::fromBase64(QByteArray::fromRawData(content.constData() + start, length))
                .size();
        start = end + 1;
    }
    return decoded;
}

// Loading against that plain decode, in the same run on the same 100,000-record bank. The
// counter "ratio" is loading's throughput divided by the plain decode's.
void LoadAgainstPlainBase64(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = WriteSyntheticBank(dir, 100000);
    const double megabytes = double(QFileInfo(path).size()) / 1e6;
    double loadSeconds = 0;
    double decodeSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        {
            Cipher cipher;
            benchmark::DoNotOptimize(LoadBank(path, cipher).records.size());
        }
        loadSeconds += double(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        benchmark::DoNotOptimize(DecodeLinesPlainly(path));
        decodeSeconds += double(timer.nsecsElapsed()) / 1e9;
    }
    const double runs = double(state.iterations());
    state.counters["load_MB/s"] = megabytes * runs / loadSeconds;
    state.counters["base64_MB/s"] = megabytes * runs / decodeSeconds;
    state.counters["ratio"] = decodeSeconds / loadSeconds;
}
BENCHMARK(LoadAgainstPlainBase64)->Unit(benchmark::kMillisecond);

// Point the program at a bank folder: the shipped one beside this binary's build, or a
// synthetic one of the given size.
void ExamStart(benchmark::State& state, const QString& bankDir)
{
    SetAppPath(bankDir);
    BankFile = QStringLiteral("beijing.dat");
    ExamWindow exam;
    for (auto _ : state)
        exam.StartExam();
}

void ExamStartShippedBank(benchmark::State& state)
{
    ExamStart(state, QStringLiteral(JIAOGUI_BUILD_DIR));
}
BENCHMARK(ExamStartShippedBank)->Unit(benchmark::kMillisecond);

void ExamStartLargeBank(benchmark::State& state)
{
    QTemporaryDir dir;
    WriteSyntheticBank(dir, 10000);
    ExamStart(state, dir.path());
}
BENCHMARK(ExamStartLargeBank)->Unit(benchmark::kMillisecond);

void ExamMove(benchmark::State& state)
{
    SetAppPath(QStringLiteral(JIAOGUI_BUILD_DIR));
    BankFile = QStringLiteral("beijing.dat");
    ExamWindow exam;
    exam.StartExam();
    for (auto _ : state)
        exam.NextQuestion();
}
BENCHMARK(ExamMove)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
