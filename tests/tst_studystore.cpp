#include "common/Platform.h"
#include "common/Study.h"
#include "practice/PracticeWindow.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "study/WriteAheadLog.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"
#include "support/StudyFixture.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>
#include <unistd.h>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

// A store file made by the sqlite3 library alone, as another program or version would leave it.
void WriteStoreWithVersion(const QString& path, int version)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("CREATE TABLE future (x)"));
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
    }
    QSqlDatabase::removeDatabase("raw");
}

// A store as an earlier version of the program left it: each later step's additions undone.
void DowngradeTo(const QString& path, int version)
{
    // What the step from version i to i + 1 added, taken away again.
    const QStringList undo[] = {{},
                                {QStringLiteral("DROP TABLE favourites")},
                                {QStringLiteral("DROP INDEX attempts_by_question"),
                                 QStringLiteral("ALTER TABLE attempts DROP COLUMN look"),
                                 QStringLiteral("CREATE INDEX attempts_by_question ON attempts "
                                                "(bank, question_id, id, correct)")}};
    static_assert(std::size(undo) == StudyStore::SchemaVersion);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (int step = StudyStore::SchemaVersion - 1; step >= version; --step) {
            for (const QString& statement : undo[step])
                QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        }
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
    }
    QSqlDatabase::removeDatabase("raw");
}

// Hands use a connection of its own to the file, as another program would open it.
template <class Use> void OnConnection(const QString& path, Use use)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(path);
        if (db.open())
            use(db);
        else
            QFAIL(qPrintable("cannot open " + path));
    }
    QSqlDatabase::removeDatabase("raw");
}

// Runs statements on the file through a connection of its own.
void RunOn(const QString& path, const QStringList& statements)
{
    OnConnection(path, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        for (const QString& statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(statement));
    });
}

// A record as another program leaves it while it runs: the statements run on running in the
// write-ahead log, nothing folded into the file, and the file and its log copied to path.
void CopyWhileOpen(const QString& running, const QStringList& statements, const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    OnConnection(running, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        for (const QString& statement :
             QStringList{"PRAGMA journal_mode = WAL", "PRAGMA wal_autocheckpoint = 0"} + statements)
            QVERIFY2(query.exec(statement), qPrintable(statement));
        for (const QString suffix : {"", "-wal"})
            QVERIFY(QFile::copy(running + suffix, path + suffix));
    });
}

// Another copy of the program holding the write lock on the store at path from construction,
// for a moment, running statements before it lets go.
class OtherCopy {
public:
    static constexpr int HoldMilliseconds = 300;

    OtherCopy(const QString& path, const QStringList& statements)
        : thread([this, path, statements] { Hold(path, statements); })
    {
        while (!holding)
            QThread::msleep(1);
    }
    ~OtherCopy() { thread.join(); }

private:
    void Hold(const QString& path, const QStringList& statements)
    {
        const QString name = QStringLiteral("other copy");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.open();
            QSqlQuery query(db);
            query.exec("BEGIN IMMEDIATE");
            holding = true;
            QThread::msleep(HoldMilliseconds);
            for (const QString& statement : statements)
                query.exec(statement);
            query.exec("COMMIT");
        }
        QSqlDatabase::removeDatabase(name);
    }

    std::atomic<bool> holding = false;
    std::thread thread;
};

// Changes the first from to to in the leaf pages of a table or an index, the rest left as it
// was: the damage a flipped bit does, which the structure of the file does not show.
void DamageKey(const QString& path, const QString& tree, const QByteArray& from,
               const QByteArray& to)
{
    int pageSize = 0;
    QList<int> pages;
    OnConnection(path, [&](const QSqlDatabase& db) {
        pageSize = Scalar(db, "PRAGMA page_size").toInt();
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("SELECT pageno FROM dbstat WHERE name = '%1' "
                                          "AND pagetype = 'leaf' ORDER BY path")
                               .arg(tree)));
        while (query.next())
            pages.append(query.value(0).toInt());
    });
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    for (const int number : pages) {
        const qint64 start = qint64(number - 1) * pageSize;
        QVERIFY(file.seek(start));
        QByteArray page = file.read(pageSize);
        const qsizetype at = page.indexOf(from);
        if (at < 0)
            continue;
        page.replace(at, from.size(), to);
        QVERIFY(file.seek(start));
        QCOMPARE(file.write(page), pageSize);
        return;
    }
    QFAIL("no such key");
}

// Leaves no room for another answer, as a full disk does: the file may not grow and the pages
// an answer goes to are full.
void FillTheDisk(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("PRAGMA max_page_count = %1")
                           .arg(Scalar(db, "PRAGMA page_count").toInt())));
    QVERIFY(query.prepare("INSERT INTO attempts (answered_at, bank, question_id, chapter, mode, "
                          "correct) VALUES ('', 'beijing.dat', 'c1', 1, 'practice', 0)"));
    for (int rows = 0; query.exec(); ++rows)
        QVERIFY(rows < 100000);
}

// Chapter 1 of fixture: a choice question answered C, then a true/false one answered A.
void UseChapterOfTwo(FixtureBank& fixture)
{
    fixture.Write({QuestionLine(Question("c1", "1", "1", "C", QStringLiteral("一章 选择"))),
                   QuestionLine(Question("j1", "1", "0", "A", QStringLiteral("一章 判断")))});
    fixture.Use();
}

StudyAnswer Answer(const QString& id, bool right, const QString& letter = "A")
{
    return {id, 1, letter, right};
}

ExamResult Result(int score, int questions = 3)
{
    ExamResult result;
    result.score = score;
    result.answered = questions;
    result.secondsUsed = 600;
    for (int i = 1; i <= questions; ++i)
        result.answers.append(Answer(QStringLiteral("q%1").arg(i), i <= score));
    return result;
}

// Overwrites a whole page of the file with bytes no page holds.
void OverwritePage(const QString& path, int page)
{
    int pageSize = 0;
    OnConnection(
        path, [&](const QSqlDatabase& db) { pageSize = Scalar(db, "PRAGMA page_size").toInt(); });
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(qint64(page - 1) * pageSize));
    QCOMPARE(file.write(QByteArray(pageSize, '\x5a')), pageSize);
}

// The page and the number of rows of a leaf page of table in the middle of the file's pages.
std::pair<int, int> MiddleLeafOf(const QString& path, const QString& table)
{
    std::pair<int, int> leaf;
    OnConnection(path, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        query.exec(QStringLiteral("SELECT pageno, ncell FROM dbstat WHERE name = '%1' "
                                  "AND pagetype = 'leaf' ORDER BY pageno")
                       .arg(table));
        QList<std::pair<int, int>> leaves;
        while (query.next())
            leaves.append({query.value(0).toInt(), query.value(1).toInt()});
        if (!leaves.isEmpty())
            leaf = leaves[leaves.size() / 2];
    });
    return leaf;
}

// What a flipped bit or a torn write can do to a record that REINDEX cannot mend.
enum class Damage { IndexPage, DuplicateKey, TablePage };
// What a crash or a flipped bit can do to the log.
enum class LogDamage { None, FrameInTheMiddle, LastFrameCut, Header };

QStringList BrokenFiles(const QString& folder)
{
    return QDir(folder).entryList({StudyStore::FileName + ".broken-*"}, QDir::Files);
}

// Every way the record's file or folder can be unusable, as the tests lay them out in folder.
enum class BadStore {
    NotADatabase,
    Corrupt,
    Empty,
    Newer,
    FolderIsAFile,
    FileIsAFolder,
    ReadOnly,
    SymLink
};

// Lays the bad store out; returns false (and skips) where this machine cannot make it.
bool LayOut(BadStore bad, const QString& folder)
{
    const QString path = QDir(folder).filePath(StudyStore::FileName);
    switch (bad) {
    case BadStore::NotADatabase:
        QDir().mkpath(folder);
        WriteFile(path, QByteArray("这不是数据库\n").repeated(200));
        break;
    case BadStore::Corrupt: {
        // A real store, then its pages overwritten past the first.
        auto store = std::make_unique<StudyStore>(folder);
        for (int i = 0; i < 200; ++i)
            store->PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i), i % 2));
        store.reset();
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.seek(4096);
        file.write(QByteArray(8192, '\x5a'));
        break;
    }
    case BadStore::Empty: // cut to nothing, as a full disk or a crashed copy tool leaves it
        QDir().mkpath(folder);
        WriteFile(path, {});
        break;
    case BadStore::Newer:
        QDir().mkpath(folder);
        WriteStoreWithVersion(path, StudyStore::SchemaVersion + 1);
        break;
    case BadStore::FolderIsAFile:
        QDir().mkpath(QFileInfo(folder).path());
        WriteFile(folder, "a file where the folder should be");
        break;
    case BadStore::FileIsAFolder:
        QDir().mkpath(path);
        break;
    case BadStore::ReadOnly:
        if (geteuid() == 0)
            return false; // root writes into a read-only folder all the same
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        break;
    case BadStore::SymLink: {
        // A whole store elsewhere, that writing through the link would change.
        const QString elsewhere = QDir(folder).filePath("elsewhere");
        StudyStore(elsewhere).PracticeAnswered(Bank, Answer("q1", true));
        QFile::link(QDir(elsewhere).filePath(StudyStore::FileName), path);
        break;
    }
    }
    return true;
}

StudyProblem ProblemOf(BadStore bad)
{
    switch (bad) {
    case BadStore::NotADatabase:
    case BadStore::Corrupt:
    case BadStore::Empty:
        return StudyProblem::MovedAside;
    case BadStore::Newer:
        return StudyProblem::Newer;
    default:
        return StudyProblem::Unwritable;
    }
}

void AddBadStoreRows()
{
    QTest::addColumn<BadStore>("bad");
    QTest::newRow("not a database") << BadStore::NotADatabase;
    QTest::newRow("corrupt pages") << BadStore::Corrupt;
    QTest::newRow("empty file") << BadStore::Empty;
    QTest::newRow("newer version") << BadStore::Newer;
    QTest::newRow("folder is a file") << BadStore::FolderIsAFile;
    QTest::newRow("store is a folder") << BadStore::FileIsAFolder;
    QTest::newRow("read-only folder") << BadStore::ReadOnly;
    QTest::newRow("symbolic link") << BadStore::SymLink;
}
} // namespace

Q_DECLARE_METATYPE(BadStore)
Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(LogDamage)

class TestStudyStore : public QObject {
    Q_OBJECT
private slots:
    void newStore();
    void opensFromEachEarlierVersion_data();
    void opensFromEachEarlierVersion();
    void versionOneBookForgetsUnansweredExamQuestions();
    void examShownAgainIsUpdatedNotDoubled();
    void abandonedExams();
    void clearForgetsOneBank();
    void favouritesKeepTheirOrderPerBank();
    void mostMissed_data();
    void mostMissed();
    void mostMissedCountsExamQuestionsLeftOpen();
    void badStore_data() { AddBadStoreRows(); }
    void badStore();
    void badStoreLeavesTheWindowsWorking_data() { AddBadStoreRows(); }
    void badStoreLeavesTheWindowsWorking();
    void damagedIndexIsRebuilt();
    void damagedRecordIsSalvaged_data();
    void damagedRecordIsSalvaged();
    void backsUpEachDayAndAfterWrites();
    void keepsTheLastDaysOfBackups();
    void damagedRecordIsMendedFromItsBackup();
    void newerRecordWithItsLogIsLeftAsItIs();
    void logIsReadAsSqliteReadsIt_data();
    void logIsReadAsSqliteReadsIt();
    void damagedLogIsTold();
    void learnerIsOfferedTheBackup_data();
    void learnerIsOfferedTheBackup();
    void switchToTheLogWaitsForAWriter();
    void migrationWaitsForAnotherCopysMigration();
    void eachKindOfFailureIsToldWhenItHappens();
    void eachKindOfFailureIsToldOnce();
    void lostExamIsToldBeforeItsScore();
    void heldFileWaitsForTheNextWrite();
    void olderRecordStepsUpOnceTheFileIsFree();
    void writesHeldAtQuitAreKeptForTheNextOpening();
    void checkpointEmptiesTheLog();
    void cleanup();

private:
    std::unique_ptr<QTemporaryDir> temporary;
    QString Folder();
};

QString TestStudyStore::Folder()
{
    if (!temporary)
        temporary = std::make_unique<QTemporaryDir>();
    return temporary->filePath("data/jiaogui");
}

void TestStudyStore::cleanup()
{
    if (temporary)
        QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    temporary.reset();
}

void TestStudyStore::newStore()
{
    StudyStore store(Folder());
    QVERIFY(store.IsRecording());
    QCOMPARE(store.Problem(), StudyProblem::None);
    QCOMPARE(store.FilePath(), QDir(Folder()).filePath("study.sqlite"));
    QVERIFY(QFile::exists(store.FilePath()));
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA user_version").toInt(), StudyStore::SchemaVersion);
    QCOMPARE(Scalar(db, "PRAGMA journal_mode").toString(), "wal");
    QCOMPARE(Scalar(db, "PRAGMA foreign_keys").toInt(), 1);
    QVERIFY(Scalar(db, "PRAGMA busy_timeout").toInt() >= 1000);

    store.PracticeAnswered(Bank, {"04-017", 4, "B", false});
    store.PracticeAnswered(Bank, {"04-018", std::nullopt, "", true});
    QSqlQuery rows(db);
    QVERIFY(rows.exec("SELECT bank, question_id, chapter, mode, exam_id, letter, correct, "
                      "answered_at FROM attempts ORDER BY id"));
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toString(), Bank);
    QCOMPARE(rows.value(1).toString(), "04-017");
    QCOMPARE(rows.value(2).toInt(), 4);
    QCOMPARE(rows.value(3).toString(), "practice");
    QVERIFY(rows.value(4).isNull());
    QCOMPARE(rows.value(5).toString(), "B");
    QCOMPARE(rows.value(6).toInt(), 0);
    const QDateTime when = QDateTime::fromString(rows.value(7).toString(), Qt::ISODate);
    QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    QVERIFY(rows.next());
    QVERIFY(rows.value(2).isNull()); // no chapter
    QVERIFY(rows.value(5).isNull()); // no option chosen
    QCOMPARE(rows.value(6).toInt(), 1);
}

void TestStudyStore::opensFromEachEarlierVersion_data()
{
    QTest::addColumn<QByteArray>("content"); // of the file before opening; "-" for no file
    QTest::addColumn<int>("rows");           // attempts kept from before
    QTest::newRow("no file") << QByteArray("-") << 0;
    QTest::newRow("version 1") << QByteArray("1") << 2;
    QTest::newRow("version 2") << QByteArray("2") << 2;
}

void TestStudyStore::opensFromEachEarlierVersion()
{
    QFETCH(QByteArray, content);
    QFETCH(int, rows);
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    QDir().mkpath(Folder());
    if (content == "1" || content == "2") {
        {
            StudyStore earlier(Folder());
            earlier.PracticeAnswered(Bank, Answer("a", false));
            earlier.PracticeAnswered(Bank, Answer("b", true));
        }
        DowngradeTo(path, content.toInt());
    } else if (content != "-") {
        WriteFile(path, content);
    }
    StudyStore store(Folder());
    QVERIFY(store.IsRecording());
    QCOMPARE(store.Problem(), StudyProblem::None);
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA user_version").toInt(), StudyStore::SchemaVersion);
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts").toInt(), rows);
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts WHERE look = 0").toInt(), rows);
    QCOMPARE(WrongBook(db, Bank), rows ? QStringList{"a"} : QStringList());
    store.PracticeAnswered(Bank, Answer("c", false));
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts").toInt(), rows + 1);
    store.MarkFavourite(Bank, "b", true);
    QCOMPARE(Favourites(db, Bank), QStringList{"b"});
    QVERIFY(BrokenFiles(Folder()).isEmpty());
}

// Version 1 filed exam questions left without a choice as wrong answers; opening it replays the
// book without them, and the exams and attempts stay as they were.
void TestStudyStore::versionOneBookForgetsUnansweredExamQuestions()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    QDir().mkpath(Folder());
    {
        StudyStore earlier(Folder());
        earlier.PracticeAnswered(Bank, Answer("r", false));
        earlier.PracticeAnswered(Bank, Answer("r", true));
        ExamResult exam;
        exam.score = 1;
        exam.answered = 2;
        exam.answers = {Answer("w", false), Answer("u", false, {}), Answer("r", false, {}),
                        Answer("k", true, "B")};
        earlier.ExamFinished(earlier.ExamStarted(Bank), exam);
        earlier.PracticeAnswered(Bank, Answer("r", true));
    }
    DowngradeTo(path, 1);
    {
        // The rows version 1 wrote for the two questions left without a choice.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("INSERT INTO wrong_book VALUES ('beijing.dat', 'u', 1, 4, 0)"));
        QVERIFY(query.exec("INSERT INTO wrong_book VALUES ('beijing.dat', 'r', 1, 1, 1)"));
    }
    QSqlDatabase::removeDatabase("raw");
    StudyStore store(Folder());
    QVERIFY(store.IsRecording());
    const QSqlDatabase db = store.Database();
    QCOMPARE(WrongBook(db, Bank), QStringList{"w"});
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts").toInt(), 7);
    QCOMPARE(Scalar(db, "SELECT score FROM exams").toInt(), 1);
}

void TestStudyStore::examShownAgainIsUpdatedNotDoubled()
{
    StudyStore store(Folder());
    store.PracticeAnswered(Bank, Answer("q1", true));
    const qint64 exam = store.ExamStarted(Bank);
    QVERIFY(exam > 0);
    store.ExamFinished(exam, Result(1));
    store.PracticeAnswered(Bank, Answer("q3", false)); // between the two results
    store.ExamFinished(exam, Result(3));
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM exams").toInt(), 1);
    QCOMPARE(Scalar(db, "SELECT state || ' ' || score FROM exams").toString(), "finished 3");
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts WHERE exam_id IS NOT NULL").toInt(), 3);
    QCOMPARE(Scalar(db, "SELECT SUM(correct) FROM attempts WHERE mode = 'exam'").toInt(), 3);
    // The exam's answers keep their place: q3's practice attempt came after them.
    QCOMPARE(WrongBook(db, Bank), QStringList{"q3"});
    const auto latest = LatestAnswers(db, Bank);
    QCOMPARE(latest.value("q3"), false);
    QCOMPARE(latest.value("q2"), true);
    const QList<FinishedExam> exams = FinishedExams(db, Bank);
    QCOMPARE(exams.size(), 1);
    QCOMPARE(exams[0].score, 3);
    QCOMPARE(exams[0].secondsUsed, 600);
}

void TestStudyStore::abandonedExams()
{
    StudyStore store(Folder());
    const qint64 left = store.ExamStarted(Bank);
    store.ExamAbandoned(left);
    const qint64 finished = store.ExamStarted(Bank);
    store.ExamFinished(finished, Result(2));
    store.ExamAbandoned(finished); // closed after its result: stays finished
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, QStringLiteral("SELECT state FROM exams WHERE id = %1").arg(left)),
             "abandoned");
    QCOMPARE(Scalar(db, QStringLiteral("SELECT state FROM exams WHERE id = %1").arg(finished)),
             "finished");
    QCOMPARE(Scalar(db, QStringLiteral("SELECT COUNT(*) FROM attempts WHERE exam_id = %1")
                            .arg(left)).toInt(), 0);
    QCOMPARE(FinishedExams(db, Bank).size(), 1);
}

void TestStudyStore::clearForgetsOneBank()
{
    StudyStore store(Folder());
    for (const QString& bank : {Bank, QStringLiteral("other.dat")}) {
        store.PracticeAnswered(bank, Answer("q1", false));
        store.ExamFinished(store.ExamStarted(bank), Result(1));
    }
    store.Clear(Bank);
    const QSqlDatabase db = store.Database();
    QVERIFY(LatestAnswers(db, Bank).isEmpty());
    QVERIFY(FinishedExams(db, Bank).isEmpty());
    QVERIFY(WrongBook(db, Bank).isEmpty());
    QCOMPARE(LatestAnswers(db, "other.dat").size(), 3);
    QCOMPARE(FinishedExams(db, "other.dat").size(), 1);
    QCOMPARE(WrongBook(db, "other.dat"), (QStringList{"q1", "q2", "q3"}));
}

void TestStudyStore::favouritesKeepTheirOrderPerBank()
{
    StudyStore store(Folder());
    for (const char* id : {"q3", "q1", "q2"})
        store.MarkFavourite(Bank, id, true);
    store.MarkFavourite(Bank, "q3", true); // marked again: keeps its place
    store.MarkFavourite(Bank, "q1", false);
    store.MarkFavourite(Bank, "q9", false); // never marked
    store.MarkFavourite("other.dat", "q1", true);
    const QSqlDatabase db = store.Database();
    QCOMPARE(Favourites(db, Bank), (QStringList{"q3", "q2"}));
    store.Clear(Bank); // the record goes, the learner's marks stay
    QCOMPARE(Favourites(db, Bank), (QStringList{"q3", "q2"}));
    QCOMPARE(Favourites(db, "other.dat"), QStringList{"q1"});
}

void TestStudyStore::mostMissed_data()
{
    // Practice in the order given: id and + right, - wrong or ? looked up. Expected: id, times
    // wrong, right and looked up, and the latest as + - or ?.
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing answered") << QStringList() << QStringList();
    QTest::newRow("never wrong: not missed") << QStringList{"a+", "a+"} << QStringList();
    QTest::newRow("most wrong first") << QStringList{"a-", "b-", "b-", "c-", "c-", "c-"}
                                      << QStringList{"c 3 0 0 -", "b 2 0 0 -", "a 1 0 0 -"};
    QTest::newRow("right answers neither hide nor rank")
        << QStringList{"a-", "a-", "a+", "a+", "a+", "b-"} << QStringList{"a 2 3 0 +", "b 1 0 0 -"};
    QTest::newRow("equals: the latest wrong first")
        << QStringList{"a-", "b-", "b+", "a+"} << QStringList{"b 1 1 0 +", "a 1 1 0 +"};
    QTest::newRow("a later right answer does not move it up")
        << QStringList{"b-", "a-", "b+"} << QStringList{"a 1 0 0 -", "b 1 1 0 +"};
    QTest::newRow("looks counted apart, ranked as wrong answers")
        << QStringList{"a?", "a-", "b?", "b?", "b?", "c+", "c?"}
        << QStringList{"b 0 0 3 ?", "a 1 0 1 -", "c 0 1 1 ?"};
}

void TestStudyStore::mostMissed()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, expected);
    StudyStore store(Folder());
    for (const QString& answer : answers) {
        if (answer.endsWith(u'?'))
            store.PracticeLooked(Bank, Answer(answer.chopped(1), false));
        else
            store.PracticeAnswered(Bank, Answer(answer.chopped(1), answer.endsWith(u'+')));
    }
    store.PracticeAnswered("other.dat", Answer("z", false)); // another bank's
    const auto sign = [](MissedQuestion::Latest latest) {
        return latest == MissedQuestion::Latest::Right  ? "+"
               : latest == MissedQuestion::Latest::Look ? "?"
                                                        : "-";
    };
    QStringList missed;
    for (const MissedQuestion& q : MostMissed(store.Database(), Bank))
        missed.append(QStringLiteral("%1 %2 %3 %4 %5")
                          .arg(q.questionId)
                          .arg(q.wrong)
                          .arg(q.right)
                          .arg(q.looks)
                          .arg(sign(q.latest)));
    QCOMPARE(missed, expected);
}

void TestStudyStore::mostMissedCountsExamQuestionsLeftOpen()
{
    StudyStore store(Folder());
    store.PracticeAnswered(Bank, Answer("a", false));
    ExamResult sheet;
    sheet.answers = {Answer("a", true), {"b", 1, "", false}};
    store.ExamFinished(store.ExamStarted(Bank), sheet);
    const QList<MissedQuestion> missed = MostMissed(store.Database(), Bank);
    QCOMPARE(missed.size(), 2);
    QCOMPARE(missed[0].questionId, "b"); // left open in the exam: wrong, and the later one
    QCOMPARE(missed[0].wrong, 1);
    QCOMPARE(missed[1].questionId, "a");
    QCOMPARE(missed[1].right, 1);
    QCOMPARE(missed[1].latest, MissedQuestion::Latest::Right);
}

void TestStudyStore::badStore()
{
    QFETCH(BadStore, bad);
    if (!LayOut(bad, Folder()))
        QSKIP("a read-only folder cannot be made for this user");
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    const QByteArray before = Bytes(path);

    StudyStore store(Folder());
    QCOMPARE(store.Problem(), ProblemOf(bad));
    switch (store.Problem()) {
    case StudyProblem::MovedAside: {
        const QStringList broken = BrokenFiles(Folder());
        QCOMPARE(broken.size(), 1);
        QCOMPARE(QDir(Folder()).filePath(broken[0]), store.ProblemDetail());
        QCOMPARE(Bytes(store.ProblemDetail()), before); // kept, byte for byte
        QVERIFY(store.IsRecording());
        // The damage of the corrupt pages hits indexes only: every answer is read back.
        QCOMPARE(store.Salvaged().answers, bad == BadStore::Corrupt ? 200 : 0);
        store.PracticeAnswered(Bank, Answer("q1000", false));
        QVERIFY(WrongBook(store.Database(), Bank).contains("q1000"));
        break;
    }
    case StudyProblem::Newer:
        QVERIFY(!store.IsRecording());
        QCOMPARE(store.ExamStarted(Bank), 0);
        store.PracticeAnswered(Bank, Answer("q1", false));
        QCOMPARE(Bytes(path), before);
        QVERIFY(!QFile::exists(path + "-wal"));
        break;
    default:
        QVERIFY(!store.IsRecording());
        QCOMPARE(store.ExamStarted(Bank), 0);
        store.PracticeAnswered(Bank, Answer("q1", false)); // quietly nothing
        QVERIFY(!store.Database().isValid());
        QCOMPARE(Bytes(path), before);
        QVERIFY(!QFileInfo::exists(path + "-wal"));
    }
}

// The learner sees one notice, and practice goes on as without a record.
void TestStudyStore::badStoreLeavesTheWindowsWorking()
{
    QFETCH(BadStore, bad);
    StudyFixture study;
    if (!LayOut(bad, StudyFixture::Folder()))
        QSKIP("a read-only folder cannot be made for this user");
    FixtureBank fixture;
    UseChapterOfTwo(fixture);
    MessageBoxCatcher boxes;
    // The record laid out had a day's backup: the learner is offered it and declines.
    if (bad == BadStore::Corrupt)
        boxes.answers << QStringLiteral("不恢复");
    for (int window = 0; window < 2; ++window) {
        PracticeDriver practice;
        practice.Chapter(1);
        practice.Start();
        practice.Choose(0);
        practice.Next(); // wrong: stays
        practice.Choose(2);
        practice.Next();
        QCOMPARE(practice.Question(), QStringLiteral("一章 判断"));
        QCOMPARE(practice.Text("txtPosition"), QStringLiteral("第 2 题"));
    }
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    const bool kept = ProblemOf(bad) == StudyProblem::MovedAside;
    QCOMPARE(boxes.seen[0].text.contains(QStringLiteral("不会记录")), !kept);
    QCOMPARE(boxes.seen[0].text.contains(QStringLiteral("照常记录")), kept);
    if (kept)
        QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(),
                 bad == BadStore::Corrupt ? 202 : 2);
    QFile::setPermissions(StudyFixture::Folder(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A damaged index would answer from part of the history; it is rebuilt from its table.
void TestStudyStore::damagedIndexIsRebuilt()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    {
        StudyStore store(Folder());
        for (int i = 10; i < 30; ++i)
            store.PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i), false));
    }
    // q17's entry names q16 instead: still in order, so only a check of content sees it.
    DamageKey(path, "attempts_by_question", "q17", "q16");

    StudyStore store(Folder());
    QCOMPARE(store.Problem(), StudyProblem::None);
    QVERIFY(BrokenFiles(Folder()).isEmpty());
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA integrity_check").toString(), "ok");
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts INDEXED BY attempts_by_question "
                        "WHERE bank = 'beijing.dat' AND question_id = 'q17'")
                 .toInt(),
             1);
    QCOMPARE(LatestAnswers(db, Bank).size(), 20);
}

void TestStudyStore::damagedRecordIsSalvaged_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("a page of an index") << Damage::IndexPage;
    QTest::newRow("a key of a unique index made a duplicate") << Damage::DuplicateKey;
    QTest::newRow("a page of the answers") << Damage::TablePage;
}

// A record whose damage REINDEX cannot mend is set aside, and everything it can still give is
// copied into the fresh one: a damaged index costs nothing, a damaged page of answers only the
// answers on it.
void TestStudyStore::damagedRecordIsSalvaged()
{
    QFETCH(Damage, damage);
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    QStringList book;
    {
        StudyStore store(Folder());
        for (int i = 0; i < 600; ++i)
            store.PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i % 300), i % 3 != 0));
        // Exam questions of their own, so that their keys are easy to find.
        for (int exam = 0; exam < 3; ++exam)
            store.ExamFinished(
                store.ExamStarted(Bank),
                {2, 3, 600, {Answer("x1", true), Answer("x2", true), Answer("x3", false)}});
        for (int i = 0; i < 5; ++i)
            store.MarkFavourite(Bank, QStringLiteral("q%1").arg(i), true);
        book = WrongBook(store.Database(), Bank);
    }
    int lost = 0;
    switch (damage) {
    case Damage::IndexPage:
        OverwritePage(path, MiddleLeafOf(path, "attempts_by_question").first);
        break;
    case Damage::DuplicateKey:
        // An exam's answer to x2 now claims x1, which that exam has already: the unique index
        // cannot be built again, and the changed answer is the one left out.
        DamageKey(path, "attempts", "beijing.datx2", "beijing.datx1");
        break;
    case Damage::TablePage: {
        const auto [page, rows] = MiddleLeafOf(path, "attempts");
        QVERIFY(rows > 0);
        OverwritePage(path, page);
        lost = rows;
        break;
    }
    }
    const QByteArray damaged = Bytes(path);

    StudyStore store(Folder());
    QCOMPARE(store.Problem(), StudyProblem::MovedAside);
    QVERIFY(store.IsRecording());
    QCOMPARE(Bytes(store.ProblemDetail()), damaged);
    const CopiedRows& saved = store.Salvaged();
    QCOMPARE(saved.answers, 609 - lost - (damage == Damage::DuplicateKey));
    QCOMPARE(saved.unreadable, lost);
    QCOMPARE(saved.exams, 3);
    QCOMPARE(saved.favourites, 5);
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA integrity_check").toString(), "ok");
    QCOMPARE(FinishedExams(db, Bank).size(), 3);
    if (damage == Damage::IndexPage)
        QCOMPARE(WrongBook(db, Bank), book);
    store.PracticeAnswered(Bank, Answer("q1000", false));
    QVERIFY(WrongBook(db, Bank).contains("q1000"));
}

// The answers a record file holds, read without touching it.
int AnswersIn(const QString& file)
{
    QTemporaryDir scratch;
    const QString copy = scratch.filePath("copy.sqlite");
    QFile::copy(file, copy);
    int answers = -1;
    OnConnection(copy, [&](const QSqlDatabase& db) {
        answers = Scalar(db, "SELECT COUNT(*) FROM attempts").toInt();
    });
    return answers;
}

QString TodaysBackup(const QString& folder)
{
    return QDir(folder).filePath(
        QStringLiteral("backups/study-%1.sqlite").arg(QDate::currentDate().toString(Qt::ISODate)));
}

// The day's first opening copies the record; closing after answers copies it again, so that the
// day's copy holds the day's answers.
void TestStudyStore::backsUpEachDayAndAfterWrites()
{
    {
        StudyStore store(Folder());
        QCOMPARE(store.Backups(), QStringList{TodaysBackup(Folder())});
        QCOMPARE(AnswersIn(TodaysBackup(Folder())), 0);
        store.PracticeAnswered(Bank, Answer("q1", true));
        store.PracticeAnswered(Bank, Answer("q2", false));
    }
    QCOMPARE(AnswersIn(TodaysBackup(Folder())), 2);
    {
        StudyStore store(Folder()); // read only: the copy stays as it was
        QCOMPARE(AnswersIn(TodaysBackup(Folder())), 2);
        QVERIFY(!QFile::exists(TodaysBackup(Folder()) + ".new"));
    }
    QCOMPARE(AnswersIn(TodaysBackup(Folder())), 2);
}

void TestStudyStore::keepsTheLastDaysOfBackups()
{
    QDir(Folder()).mkpath("backups");
    for (int day = 1; day <= 9; ++day)
        WriteFile(QDir(Folder()).filePath(QStringLiteral("backups/study-2026-01-%1.sqlite")
                                              .arg(day, 2, 10, QLatin1Char('0'))),
                  "an older copy");
    StudyStore store(Folder());
    const QStringList backups = store.Backups();
    QCOMPARE(backups.size(), StudyStore::BackupDays);
    QCOMPARE(backups.front(), TodaysBackup(Folder()));
    QVERIFY(backups.back().endsWith("study-2026-01-04.sqlite"));
}

// What the damage cost comes back from the copy made before it, without doubling what the
// salvage kept or losing what was answered since.
void TestStudyStore::damagedRecordIsMendedFromItsBackup()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    QStringList book;
    {
        StudyStore store(Folder());
        for (int i = 0; i < 600; ++i)
            store.PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i % 300), i % 3 != 0));
        store.ExamFinished(store.ExamStarted(Bank), Result(2));
        book = WrongBook(store.Database(), Bank);
    }
    const auto [page, rows] = MiddleLeafOf(path, "attempts");
    OverwritePage(path, page);

    StudyStore store(Folder());
    QCOMPARE(store.Problem(), StudyProblem::MovedAside);
    QCOMPARE(store.Salvaged().answers, 603 - rows);
    store.PracticeAnswered(Bank, Answer("q1000", false));
    QCOMPARE(store.Backups(),
             QStringList{TodaysBackup(Folder())}); // the copy from before the damage
    const CopiedRows restored = store.CopyFrom(store.Backups().front());
    QCOMPARE(restored.answers, rows);
    QCOMPARE(restored.exams, 0);
    QCOMPARE(Scalar(store.Database(), "SELECT COUNT(*) FROM attempts").toInt(), 604);
    QCOMPARE(WrongBook(store.Database(), Bank), book + QStringList{"q1000"});
    QCOMPARE(store.CopyFrom(store.Backups().front()).Copied(), 0);
}

// A newer program's record whose last writes are still in its log: opening it must not fold the
// log into the file, nor delete it.
void TestStudyStore::newerRecordWithItsLogIsLeftAsItIs()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    // Copied while the newer program still has it open: the log holds its writes.
    CopyWhileOpen(QDir(Folder()).filePath("newer.sqlite"),
                  {"CREATE TABLE future (x)", "INSERT INTO future VALUES (1), (2)",
                   QStringLiteral("PRAGMA user_version = %1").arg(StudyStore::SchemaVersion + 1)},
                  path);
    const QByteArray file = Bytes(path);
    const QByteArray log = Bytes(path + "-wal");
    QVERIFY(!log.isEmpty());
    {
        StudyStore store(Folder());
        QCOMPARE(store.Problem(), StudyProblem::Newer);
        QVERIFY(!store.IsRecording());
    }
    QCOMPARE(Bytes(path), file);
    QCOMPARE(Bytes(path + "-wal"), log);
    QVERIFY(!QFile::exists(path + "-shm"));
}

// A record and its log as a crash leaves them: 40 transactions after the table was made, none
// folded into the file. Returns the log's size.
qint64 CrashedWithALog(const QString& path)
{
    QStringList statements{"CREATE TABLE t (x)"};
    for (int i = 0; i < 40; ++i)
        statements.append(
            QStringLiteral("INSERT INTO t VALUES (randomblob(%1))").arg(300 + 50 * i));
    CopyWhileOpen(path + ".running", statements, path);
    return QFileInfo(path + "-wal").size();
}

void ChangeByte(const QString& path, qint64 at)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(at));
    const char byte = file.read(1)[0];
    QVERIFY(file.seek(at));
    file.write(QByteArray(1, char(byte ^ 0x10)));
}

// The rows of t SQLite reads from the record; -1 without the table.
int RowsSqliteReads(const QString& path)
{
    int rows = -1;
    OnConnection(path, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        if (query.exec("SELECT COUNT(*) FROM t") && query.next())
            rows = query.value(0).toInt();
    });
    return rows;
}

void TestStudyStore::logIsReadAsSqliteReadsIt_data()
{
    QTest::addColumn<LogDamage>("damage");
    QTest::newRow("whole") << LogDamage::None;
    QTest::newRow("a byte of a frame in the middle") << LogDamage::FrameInTheMiddle;
    QTest::newRow("the last frame cut short") << LogDamage::LastFrameCut;
    QTest::newRow("a byte of the header") << LogDamage::Header;
}

// The transactions the log reading counts as whole are those SQLite keeps (one made the table,
// each other added a row), and it counts as dropped what SQLite drops without a word.
void TestStudyStore::logIsReadAsSqliteReadsIt()
{
    QFETCH(LogDamage, damage);
    const QString path = QDir(Folder()).filePath("crashed.sqlite");
    const qint64 size = CrashedWithALog(path);
    const LogReading whole = ReadLog(Bytes(path + "-wal"));
    QCOMPARE(whole.wholeTransactions, 41);
    switch (damage) {
    case LogDamage::None:
        break;
    case LogDamage::FrameInTheMiddle:
        ChangeByte(path + "-wal", size / 2);
        break;
    case LogDamage::LastFrameCut:
        QVERIFY(QFile::resize(path + "-wal", size - 100));
        break;
    case LogDamage::Header:
        ChangeByte(path + "-wal", 20);
        break;
    }
    const LogReading read = ReadLog(Bytes(path + "-wal"));
    QCOMPARE(read.wholeTransactions + read.droppedTransactions,
             damage == LogDamage::FrameInTheMiddle ? 41 : read.wholeTransactions);
    QCOMPARE(read.droppedTransactions > 0, damage == LogDamage::FrameInTheMiddle);
    QCOMPARE(RowsSqliteReads(path), read.wholeTransactions - 1);
    QCOMPARE(UserVersionIn(*whole.firstPage), 0);
}

// A byte damaged in the log after a crash: the learner hears how many of the last writes could not
// be kept, the files as they were are kept aside, and recording goes on with everything before.
void TestStudyStore::damagedLogIsTold()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    {
        StudyStore store(Folder());
        QSqlQuery(store.Database()).exec("PRAGMA wal_autocheckpoint = 0");
        for (int i = 0; i < 40; ++i)
            store.PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i), true));
        // The crash: the files as they stand while the program still runs.
        for (const QString suffix : {"", "-wal"})
            QVERIFY(QFile::copy(path + suffix, path + ".crashed" + suffix));
    }
    for (const QString suffix : {"", "-wal", "-shm"})
        QFile::remove(path + suffix);
    for (const QString suffix : {"", "-wal"})
        QVERIFY(QFile::rename(path + ".crashed" + suffix, path + suffix));
    ChangeByte(path + "-wal", QFileInfo(path + "-wal").size() / 2);
    const LogReading log = ReadLog(Bytes(path + "-wal"));
    QVERIFY(log.droppedTransactions > 0);
    const QByteArray damagedLog = Bytes(path + "-wal");

    StudyStore store(Folder());
    QCOMPARE(store.Problem(), StudyProblem::LogDamaged);
    QCOMPARE(store.DroppedTransactions(), log.droppedTransactions);
    QVERIFY(store.IsRecording());
    QCOMPARE(Bytes(store.ProblemDetail() + "-wal"), damagedLog);
    QCOMPARE(Scalar(store.Database(), "SELECT COUNT(*) FROM attempts").toInt() +
                 log.droppedTransactions,
             40);
}

void TestStudyStore::learnerIsOfferedTheBackup_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("answers");
    QTest::newRow("mends it") << QStringLiteral("从备份恢复") << 300;
    QTest::newRow("declines") << QStringLiteral("不恢复") << -1;
}

// As the learner meets it: one question on opening the damaged record, and when they take the
// backup, what it gave back.
void TestStudyStore::learnerIsOfferedTheBackup()
{
    QFETCH(QString, choice);
    QFETCH(int, answers);
    StudyFixture study;
    {
        StudyStore store(StudyFixture::Folder());
        for (int i = 0; i < 300; ++i)
            store.PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i), true));
    }
    const auto [page, rows] = MiddleLeafOf(StudyFixture::FilePath(), "attempts");
    OverwritePage(StudyFixture::FilePath(), page);
    MessageBoxCatcher boxes;
    boxes.answers << choice;
    Study();
    QTRY_COMPARE(boxes.seen.size(), answers < 0 ? 1 : 2);
    QCOMPARE(boxes.seen[0].buttons,
             (QStringList{QStringLiteral("从备份恢复"), QStringLiteral("不恢复")}));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("已从中救回 %1 次答题").arg(300 - rows)));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("的自动备份")));
    if (answers >= 0) {
        QCOMPARE(boxes.seen[1].text,
                 QStringLiteral("已从 %1 的备份补回 %2 次答题、0 次考试和 0 个收藏。")
                     .arg(QDate::currentDate().toString(Qt::ISODate))
                     .arg(rows));
    }
    QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(),
             answers < 0 ? 300 - rows : answers);
}

// The switch to the write-ahead log needs the file to itself, and SQLite does not wait for a
// writer holding it at that moment: the store does.
void TestStudyStore::switchToTheLogWaitsForAWriter()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    StudyStore(Folder()).PracticeAnswered(Bank, Answer("q1", false));
    RunOn(path, {"PRAGMA journal_mode = DELETE"}); // as a store copied without its log is
    std::unique_ptr<StudyStore> store;
    {
        OtherCopy writer(path, {});
        store = std::make_unique<StudyStore>(Folder());
    }
    QCOMPARE(store->Problem(), StudyProblem::None);
    QCOMPARE(Scalar(store->Database(), "PRAGMA journal_mode").toString(), "wal");
    QCOMPARE(LatestAnswers(store->Database(), Bank).size(), 1);
}

// Two copies opening an older store at once bring it up to date once: the second finds the
// first's steps done when it gets the lock.
void TestStudyStore::migrationWaitsForAnotherCopysMigration()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    StudyStore(Folder()).PracticeAnswered(Bank, Answer("q1", false));
    DowngradeTo(path, 1);
    std::unique_ptr<StudyStore> store;
    {
        OtherCopy migrating(path, {"CREATE TABLE favourites (bank TEXT NOT NULL, question_id TEXT "
                                   "NOT NULL, marked_at TEXT NOT NULL, PRIMARY KEY (bank, "
                                   "question_id))",
                                   "PRAGMA user_version = 2"});
        store = std::make_unique<StudyStore>(Folder());
    }
    QCOMPARE(store->Problem(), StudyProblem::None);
    store->MarkFavourite(Bank, "q1", true);
    QCOMPARE(Favourites(store->Database(), Bank), QStringList{"q1"});
}

// A learner told the record was moved aside, and that it goes on, hears at once when a later
// write fails, and only once for that kind of failure.
void TestStudyStore::eachKindOfFailureIsToldWhenItHappens()
{
    StudyFixture study;
    LayOut(BadStore::NotADatabase, StudyFixture::Folder());
    FixtureBank fixture;
    UseChapterOfTwo(fixture);
    MessageBoxCatcher boxes;
    PracticeDriver practice;
    practice.Chapter(1);
    practice.Start();
    practice.Choose(2);
    practice.Next();
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("照常记录")));

    FillTheDisk(Study().Database());
    practice.Choose(0);
    practice.Next();
    QCOMPARE(boxes.seen.size(), 2); // at the answer, not when the window closes
    QCOMPARE(boxes.seen[1].caption, QStringLiteral("提示信息"));
    QVERIFY(boxes.seen[1].text.contains(QStringLiteral("刚才所做的没有记录下来")));
    QVERIFY(!Study().IsRecording());
    Study().PracticeAnswered(Bank, Answer("c1", true));
    QCOMPARE(boxes.seen.size(), 2);
}

// A file held at every answer is told once, not at each; held again after a write got through,
// it is the kind the learner has heard of. A full disk is another kind, told when it happens.
void TestStudyStore::eachKindOfFailureIsToldOnce()
{
    StudyFixture study;
    FixtureBank fixture;
    UseChapterOfTwo(fixture);
    MessageBoxCatcher boxes;
    // A held file makes a write give up at once, instead of after the wait a learner's write has.
    QVERIFY(QSqlQuery(Study().Database()).exec("PRAGMA busy_timeout = 0"));
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    holder.setDatabaseName(StudyFixture::FilePath());
    QVERIFY(holder.open());
    QVERIFY(QSqlQuery(holder).exec("BEGIN IMMEDIATE"));
    {
        PracticeDriver practice;
        practice.Chapter(1);
        practice.Start();
        practice.Choose(2);
        practice.Next();
        practice.Choose(0);
        practice.Next();
    } // closed: the checkpoint tries the waiting writes once more
    QCOMPARE(Study().Problem(), StudyProblem::Busy);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("暂时没有记录")));

    QVERIFY(QSqlQuery(holder).exec("COMMIT"));
    Study().PracticeAnswered(Bank, Answer("q1", false));
    QCOMPARE(Study().Problem(), StudyProblem::None);
    QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(), 3);
    QVERIFY(QSqlQuery(holder).exec("BEGIN IMMEDIATE"));
    Study().PracticeAnswered(Bank, Answer("q2", false));
    QCOMPARE(Study().Problem(), StudyProblem::Busy);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(QSqlQuery(holder).exec("COMMIT"));
    holder.close();
    holder = {};
    QSqlDatabase::removeDatabase("holder");

    FillTheDisk(Study().Database());
    Study().PracticeAnswered(Bank, Answer("q3", false));
    QVERIFY(!Study().IsRecording());
    QCOMPARE(boxes.seen.size(), 2);
    QVERIFY(boxes.seen[1].text.contains(QStringLiteral("刚才所做的没有记录下来")));
}

// The exam window after a moved-aside notice and a full disk: the learner hears that the exam was
// not recorded before the score is shown, not never.
void TestStudyStore::lostExamIsToldBeforeItsScore()
{
    StudyFixture study;
    LayOut(BadStore::NotADatabase, StudyFixture::Folder());
    FixtureBank fixture;
    fixture.Write(FixtureBank::ExamLines(60, 60));
    fixture.Use();
    MessageBoxCatcher boxes;
    ExamDriver exam;
    exam.Start();
    QCOMPARE(boxes.seen.size(), 1); // moved aside
    FillTheDisk(Study().Database());
    boxes.answers = {QStringLiteral("确定交卷")};
    exam.Result();
    QCOMPARE(boxes.seen.size(), 4); // moved aside, the hand-in asked, not recorded, the score
    QVERIFY(boxes.seen[2].text.contains(QStringLiteral("刚才所做的没有记录下来")));
    QCOMPARE(boxes.seen[3].caption, QStringLiteral("测试结果"));
}

// Another program holding the file longer than a write waits puts that write off, with a word;
// it is written with the next write, and recording goes on.
// Another copy holds an older record while this one would step it up: the learner's answers wait
// as a held write's do, and the step and the answers go in once the file is free.
void TestStudyStore::olderRecordStepsUpOnceTheFileIsFree()
{
    StudyFixture study;
    {
        StudyStore older(StudyFixture::Folder());
        older.PracticeAnswered(Bank, Answer("q1", false));
    }
    DowngradeTo(StudyFixture::FilePath(), 1);
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    holder.setDatabaseName(StudyFixture::FilePath());
    QVERIFY(holder.open());
    QVERIFY(QSqlQuery(holder).exec("BEGIN IMMEDIATE"));

    MessageBoxCatcher boxes;
    QVERIFY(Study().IsRecording()); // the step waited for the lock, then was put off
    QCOMPARE(Study().Problem(), StudyProblem::Busy);
    QVERIFY(boxes.seen.isEmpty()); // nothing the learner did is lost yet
    QVERIFY(!Study().Database().isValid());
    QVERIFY(QSqlQuery(holder).exec("COMMIT"));
    holder.close();
    holder = {};
    QSqlDatabase::removeDatabase("holder");

    Study().PracticeAnswered(Bank, Answer("q2", false));
    Study().PracticeLooked(Bank, Answer("q3", false));
    Study().MarkFavourite(Bank, "q2", true);
    QCOMPARE(Study().Problem(), StudyProblem::None);
    QCOMPARE(StudyFixture::Scalar("PRAGMA user_version").toInt(), StudyStore::SchemaVersion);
    QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(), 3);
    QCOMPARE(Favourites(Study().Database(), Bank), QStringList{"q2"});
    QCOMPARE(boxes.seen.size(), 0);
}

// Answers put off by another copy's lock are still waiting when the program quits: they are kept
// beside the record and copied in when it next opens, once.
void TestStudyStore::writesHeldAtQuitAreKeptForTheNextOpening()
{
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    const auto keptFiles = [&] {
        return QDir(Folder()).entryList({StudyStore::FileName + StudyStore::WaitingSuffix + "*"},
                                        QDir::Files);
    };
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    {
        StudyStore store(Folder());
        // Put off at once instead of after the usual wait.
        QVERIFY(QSqlQuery(store.Database()).exec("PRAGMA busy_timeout = 0"));
        const qint64 exam = store.ExamStarted(Bank); // before the lock
        holder.setDatabaseName(path);
        QVERIFY(holder.open());
        QVERIFY(QSqlQuery(holder).exec("BEGIN IMMEDIATE"));
        store.PracticeAnswered(Bank, Answer("q1", false));
        store.MarkFavourite(Bank, "q1", true);
        store.ExamFinished(exam, Result(2));
        QCOMPARE(store.Problem(), StudyProblem::Busy);
    }
    QCOMPARE(keptFiles().size(), 1);
    QVERIFY(QSqlQuery(holder).exec("COMMIT"));
    holder.close();
    holder = {};
    QSqlDatabase::removeDatabase("holder");

    {
        StudyStore store(Folder());
        QCOMPARE(store.TakenIn().answers, 4);
        QCOMPARE(store.TakenIn().exams, 1);
        QCOMPARE(store.TakenIn().favourites, 1);
        QCOMPARE(Scalar(store.Database(), "SELECT state || ' ' || score FROM exams").toString(),
                 "finished 2");
        QCOMPARE(Scalar(store.Database(), "SELECT COUNT(*) FROM attempts").toInt(), 4);
        QCOMPARE(WrongBook(store.Database(), Bank), (QStringList{"q1", "q3"}));
        QCOMPARE(Favourites(store.Database(), Bank), QStringList{"q1"});
        QVERIFY(keptFiles().isEmpty());
    }
    StudyStore again(Folder());
    QCOMPARE(again.TakenIn().Copied(), 0);
    QCOMPARE(Scalar(again.Database(), "SELECT COUNT(*) FROM attempts").toInt(), 4);
}

void TestStudyStore::heldFileWaitsForTheNextWrite()
{
    StudyFixture study;
    MessageBoxCatcher boxes;
    QCOMPARE(Study().Problem(), StudyProblem::None);
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    holder.setDatabaseName(StudyFixture::FilePath());
    QVERIFY(holder.open());
    QVERIFY(QSqlQuery(holder).exec("BEGIN IMMEDIATE"));

    const qint64 exam = Study().ExamStarted(Bank); // waits for the lock, then gives up
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("暂时没有记录")));
    QVERIFY(Study().IsRecording());
    QCOMPARE(Study().Problem(), StudyProblem::Busy);
    QVERIFY(exam != 0);

    QVERIFY(QSqlQuery(holder).exec("COMMIT"));
    Study().PracticeAnswered(Bank, Answer("q9", false));
    QCOMPARE(Study().Problem(), StudyProblem::None);
    Study().ExamFinished(exam, Result(2));
    QCOMPARE(StudyFixture::Scalar("SELECT state || ' ' || score FROM exams").toString(),
             "finished 2");
    QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(), 4);
    QCOMPARE(WrongBook(Study().Database(), Bank), (QStringList{"q9", "q3"}));
    QCOMPARE(boxes.seen.size(), 1);
    holder.close();
    holder = {};
    QSqlDatabase::removeDatabase("holder");
}

// After a checkpoint the log is empty: a crash can damage only what is written later.
void TestStudyStore::checkpointEmptiesTheLog()
{
    StudyStore store(Folder());
    const QString log = store.FilePath() + "-wal";
    store.ExamFinished(store.ExamStarted(Bank), Result(3));
    QVERIFY(QFileInfo(log).size() > 0);
    store.Checkpoint();
    QCOMPARE(QFileInfo(log).size(), 0);
    QCOMPARE(FinishedExams(store.Database(), Bank).size(), 1);
}

QTEST_MAIN(TestStudyStore)
#include "tst_studystore.moc"
