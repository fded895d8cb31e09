#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "support/StudyFixture.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <array>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

int Count(const QSqlDatabase& db, const QString& statement)
{
    return Scalar(db, statement).toInt();
}

void StartWriter(QProcess& writer, const QString& folder, int exams)
{
    writer.start(QStringLiteral(JIAOGUI_STUDY_WRITER), {folder, QString::number(exams)});
    QVERIFY(writer.waitForStarted());
}

// Lines "exam n" the writer printed: the exams it committed.
int Committed(QProcess& writer)
{
    const QList<QByteArray> lines = writer.readAllStandardOutput().trimmed().split('\n');
    return lines.last().isEmpty() ? 0 : lines.last().split(' ').last().toInt();
}

// The file as another run of the program finds it: readable, every exam whole or absent.
void CheckWhole(const QString& folder, int committed)
{
    StudyStore store(folder);
    QCOMPARE(store.Problem(), StudyProblem::None);
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA integrity_check").toString(), "ok");
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM pragma_foreign_key_check"), 0);
    QVERIFY(Count(db, "SELECT COUNT(*) FROM exams WHERE state = 'finished'") >= committed);
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM exams WHERE state = 'finished' AND id NOT IN "
                       "(SELECT exam_id FROM attempts GROUP BY exam_id HAVING COUNT(*) = 100)"),
             0);
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM attempts WHERE exam_id IN "
                       "(SELECT id FROM exams WHERE state <> 'finished')"),
             0);
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM exams WHERE score <> (SELECT SUM(correct) FROM "
                       "attempts WHERE exam_id = exams.id)"),
             0);
    // The book agrees with the attempts it follows: recording goes on where it stopped.
    const QStringList book = WrongBook(db, Bank);
    store.PracticeAnswered(Bank, {"q3", 4, "A", false});
    QVERIFY(WrongBook(db, Bank).contains("q3"));
    QCOMPARE(WrongBook(db, Bank).size(), book.size() + !book.contains("q3"));
}
} // namespace

class TestStudyKill : public QObject {
    Q_OBJECT
private slots:
    void killedWhileWriting_data();
    void killedWhileWriting();
    void twoCopiesRecordAtOnce();
    void copiesBuildOneNewStoreAtOnce();
};

void TestStudyKill::killedWhileWriting_data()
{
    QTest::addColumn<int>("delay"); // milliseconds after the writer's first commits
    for (int delay : {0, 1, 2, 3, 5, 8, 13, 21})
        QTest::addRow("%d ms", delay) << delay;
}

void TestStudyKill::killedWhileWriting()
{
    QFETCH(int, delay);
    QTemporaryDir folder;
    QProcess writer;
    StartWriter(writer, folder.path(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(writer.canReadLine(), 10000);
    QTest::qSleep(delay);
    writer.kill();
    QVERIFY(writer.waitForFinished());
    QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
    CheckWhole(folder.path(), Committed(writer));
}

// Two running copies of the program, from building the store on, wait for each other instead
// of losing rows.
void TestStudyKill::twoCopiesRecordAtOnce()
{
    constexpr int Exams = 40;
    QTemporaryDir folder;
    QProcess first;
    QProcess second;
    StartWriter(first, folder.path(), Exams);
    StartWriter(second, folder.path(), Exams);
    for (QProcess* writer : {&first, &second}) {
        QVERIFY(writer->waitForFinished(60000));
        QCOMPARE(writer->exitCode(), 0);
    }
    StudyStore store(folder.path());
    const QSqlDatabase db = store.Database();
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM exams WHERE state = 'finished'"), 2 * Exams);
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM attempts WHERE mode = 'exam'"), 2 * Exams * 100);
    QCOMPARE(Count(db, "SELECT COUNT(*) FROM attempts WHERE mode = 'practice'"), 2 * Exams);
}

// Copies of the program opening a folder without a record at the same moment each find one
// whole store: none takes a store another is building for a damaged one, none replaces it.
void TestStudyKill::copiesBuildOneNewStoreAtOnce()
{
    constexpr int Rounds = 10;
    constexpr int Copies = 3;
    constexpr int Exams = 2;
    for (int round = 0; round < Rounds; ++round) {
        QTemporaryDir folder;
        std::array<QProcess, Copies> writers;
        for (QProcess& writer : writers) {
            writer.start(QStringLiteral(JIAOGUI_STUDY_WRITER),
                         {folder.path(), QString::number(Exams), "go"});
            QVERIFY(writer.waitForStarted());
        }
        for (QProcess& writer : writers)
            writer.write("go\n");
        for (QProcess& writer : writers) {
            QVERIFY(writer.waitForFinished(60000));
            QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
        }
        StudyStore store(folder.path());
        QCOMPARE(store.Problem(), StudyProblem::None);
        QCOMPARE(Count(store.Database(), "SELECT COUNT(*) FROM exams WHERE state = 'finished'"),
                 Copies * Exams);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 (QStringList{"study.sqlite", "study.sqlite-shm", "study.sqlite-wal"}));
    }
}

QTEST_MAIN(TestStudyKill)
#include "tst_studykill.moc"
