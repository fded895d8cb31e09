// A second program writing the study record, for the tests that kill it mid-write or run
// several at once: exams of 100 answers and a practice answer each, a line on stdout after each.
// Usage: study_writer FOLDER EXAMS [go] (EXAMS 0: until killed; go: opens the store only when a
// line comes on stdin, so that copies started one after another open it at the same moment)

#include "study/StudyStore.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && !(argc == 4 && QByteArray(argv[3]) == "go"))
        return 2;
    if (argc == 4) {
        char line[8];
        if (!std::fgets(line, sizeof line, stdin))
            return 2;
    }
    StudyStore store(QString::fromLocal8Bit(argv[1]));
    if (!store.IsRecording() || store.Problem() != StudyProblem::None) {
        std::fprintf(stderr, "cannot record: %s\n", qPrintable(store.ProblemDetail()));
        return 1;
    }
    const int exams = QByteArray(argv[2]).toInt();
    const QString bank = QStringLiteral("beijing.dat");
    for (int n = 1; exams == 0 || n <= exams; ++n) {
        ExamResult result;
        for (int q = 1; q <= 100; ++q) {
            const bool right = (q + n) % 3 != 0;
            result.answers.append({QStringLiteral("q%1").arg(q), q % 10 + 1, "A", right});
            result.score += right;
        }
        result.answered = 100;
        store.ExamFinished(store.ExamStarted(bank), result);
        store.Checkpoint(); // as the exam window does after every result
        store.PracticeAnswered(bank, {QStringLiteral("q%1").arg(n % 100 + 1), 1, "B", n % 2 == 1});
        if (!store.IsRecording()) {
            std::fprintf(stderr, "recording stopped: %s\n", qPrintable(store.ProblemDetail()));
            return 1;
        }
        std::printf("exam %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}
