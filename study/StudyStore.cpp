#include "study/StudyStore.h"

#include "bank/Record.h"
#include "study/RecordCopy.h"
#include "study/Sql.h"
#include "study/StoredBook.h"
#include "study/StudyQueries.h"
#include "study/WriteAheadLog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <array>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace {
// Another copy of the program writing at the same moment holds the file for milliseconds; a
// write waits this long for it before giving up.
constexpr int BusyTimeoutMilliseconds = 5000;

// Step i brings a store of version i to version i + 1: its statements, then its rebuild if it
// has one. A store of version 0 is an empty file,
// which only a store being built is. A new version appends a step and never changes
// an earlier one.
struct Migration {
    QStringList statements;
    void (*rebuild)(const QSqlDatabase& db) = nullptr;
};
const std::array<Migration, StudyStore::SchemaVersion> Migrations = {
    Migration{{
        QStringLiteral(R"(CREATE TABLE exams (
            id INTEGER PRIMARY KEY,
            bank TEXT NOT NULL,
            started_at TEXT NOT NULL,
            finished_at TEXT,
            state TEXT NOT NULL DEFAULT 'started'
                CHECK (state IN ('started', 'finished', 'abandoned')),
            score INTEGER,
            answered INTEGER,
            seconds_used INTEGER))"),
        QStringLiteral("CREATE INDEX exams_by_bank ON exams (bank, state, finished_at)"),
        QStringLiteral(R"(CREATE TABLE attempts (
            id INTEGER PRIMARY KEY,
            answered_at TEXT NOT NULL,
            bank TEXT NOT NULL,
            question_id TEXT NOT NULL,
            chapter INTEGER,
            mode TEXT NOT NULL CHECK (mode IN ('practice', 'exam')),
            exam_id INTEGER REFERENCES exams (id),
            letter TEXT CHECK (letter IN ('A', 'B', 'C')),
            correct INTEGER NOT NULL CHECK (correct IN (0, 1)),
            UNIQUE (exam_id, question_id)))"),
        QStringLiteral(
            "CREATE INDEX attempts_by_question ON attempts (bank, question_id, id, correct)"),
        QStringLiteral(R"(CREATE TABLE wrong_book (
            bank TEXT NOT NULL,
            question_id TEXT NOT NULL,
            chapter INTEGER,
            entered_attempt INTEGER NOT NULL REFERENCES attempts (id),
            right_in_a_row INTEGER NOT NULL,
            PRIMARY KEY (bank, question_id)) WITHOUT ROWID)"),
        QStringLiteral("CREATE INDEX wrong_book_by_entry ON wrong_book (bank, entered_attempt)"),
    }},
    // Exam questions left without a choice no longer count as answers: the book is replayed
    // without them.
    Migration{{
                  QStringLiteral(R"(CREATE TABLE favourites (
            bank TEXT NOT NULL,
            question_id TEXT NOT NULL,
            marked_at TEXT NOT NULL,
            PRIMARY KEY (bank, question_id)))"),
              },
              RebuildBook},
    // A question looked at in practice without an answer is recorded as a look: a row of its
    // own kind, wrong like any answer not known. Rows before it stay answers. The index by
    // question carries the kind too, so that counting per question still reads the index alone.
    Migration{{
        QStringLiteral("ALTER TABLE attempts ADD COLUMN look INTEGER NOT NULL DEFAULT 0 "
                       "CHECK (look IN (0, 1))"),
        QStringLiteral("DROP INDEX attempts_by_question"),
        QStringLiteral("CREATE INDEX attempts_by_question "
                       "ON attempts (bank, question_id, id, correct, look)"),
    }},
};

// The switch to the write-ahead log needs the file to itself, and SQLite does not wait for that
// as it waits for a write: another copy opening the store at the same moment makes it fail at
// once. It is tried again for as long as a write would wait.
void UseWriteAheadLog(const QSqlDatabase& db)
{
    constexpr int RetryMilliseconds = 10;
    const QDeadlineTimer deadline(BusyTimeoutMilliseconds);
    for (;;) {
        try {
            if (Value(db, QStringLiteral("PRAGMA journal_mode = WAL")).toString() != u"wal")
                throw SqlFailure{0, QStringLiteral("no write-ahead log")};
            return;
        } catch (const SqlFailure& failure) {
            if (failure.code != SqliteBusy || deadline.hasExpired())
                throw;
        }
        QThread::msleep(RetryMilliseconds);
    }
}

QString Now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

QVariant LetterValue(const QString& letter)
{
    return letter.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(letter);
}

// The file's first bytes (all of them by default); none when it cannot be read.
QByteArray FileBytes(const QString& path, qint64 most = -1)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return most < 0 ? file.readAll() : file.read(most);
}

int NextConnectionNumber()
{
    static int number = 0;
    return ++number;
}

// Puts the file built at from in place at to, unless a file is there already: two copies of the
// program building a new store at once both find one whole store afterwards. False when to was
// there first.
bool PutInPlace(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    // link() refuses an existing name atomically; QFile::rename may fall back to copying.
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        QFile::remove(from);
        return true;
    }
    if (errno == EEXIST)
        return false;
#endif
    if (QFile::rename(from, to))
        return true;
    if (QFile::exists(to))
        return false;
    throw SqlFailure{0, QStringLiteral("cannot create %1").arg(to)};
}
} // namespace

StudyStore::StudyStore(const QString& folder)
    : path(QDir(folder).filePath(FileName)),
      connection(QStringLiteral("jiaogui-study-%1").arg(NextConnectionNumber()))
{
    if (!QDir().mkpath(folder)) {
        Stop(StudyProblem::Unwritable, QStringLiteral("cannot create %1").arg(folder));
        return;
    }
    Open();
}

StudyStore::~StudyStore()
{
    // A last try for writes still waiting; too late to tell anyone if it fails, so what still
    // waits is kept for the next opening.
    reportWrite = nullptr;
    if (!waiting.isEmpty())
        Transaction({});
    if (wrote)
        BackUp();
    if (recording && !waiting.isEmpty())
        KeepWaitingWrites();
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

QSqlDatabase StudyStore::Database() const
{
    return recording && !stepWaits ? QSqlDatabase::database(connection, false) : QSqlDatabase();
}

// A file that is there always holds a whole store (see Create), so an empty one was cut short.
// A symbolic link is not followed: writing through it would change a file elsewhere.
void StudyStore::Open()
{
    try {
        if (QFileInfo(path).isSymLink())
            throw SqlFailure{0, QStringLiteral("%1 is a symbolic link").arg(path)};
        if (const QFileInfo file(path); file.isFile() && file.size() == 0)
            MoveAside();
        if (!QFileInfo::exists(path))
            Create();
        const LogReading log = ReadLog(FileBytes(path + QStringLiteral("-wal")));
        const int version = UserVersionIn(log.firstPage.value_or(FileBytes(path, 100)));
        if (version > SchemaVersion) {
            Stop(StudyProblem::Newer, QStringLiteral("version %1").arg(version));
            return;
        }
        if (log.droppedTransactions > 0)
            KeepDamagedLog(log.droppedTransactions);
        Connect(path);
        try {
            PrepareConnection();
        } catch (const SqlFailure& failure) {
            if (failure.code != SqliteCorrupt && failure.code != SqliteNotADatabase)
                throw;
            MoveAside();
            Create();
            Connect(path);
            PrepareConnection();
            // What the broken files still hold, copied into the fresh store.
            salvaged = CopyRowsOf(detail);
        }
        if (problem == StudyProblem::Newer)
            return;
        recording = true;
        if (!stepWaits)
            TakeInWaitingWrites();
        if (!QFile::exists(TodaysBackup()))
            BackUp();
    } catch (const SqlFailure& failure) {
        Stop(StudyProblem::Unwritable, failure.text);
    }
}

// Builds the store under a name of this process's own and puts it in place whole, so that no
// other copy of the program ever finds a store half built.
void StudyStore::Create()
{
    const QString fresh =
        path + QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(fresh);
    Connect(fresh);
    Migrate();
    QSqlDatabase::database(connection, false).close();
    if (!PutInPlace(fresh, path))
        QFile::remove(fresh);
}

void StudyStore::Connect(const QString& file)
{
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.close();
    db.setDatabaseName(file);
    if (!db.open())
        throw FailureOf(db.lastError());
}

// Reads the version first: a newer store is left exactly as it is, its journal mode included.
void StudyStore::PrepareConnection()
{
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    Value(db, QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMilliseconds));
    const int version = Value(db, QStringLiteral("PRAGMA user_version")).toInt();
    if (version > SchemaVersion) {
        Stop(StudyProblem::Newer, QStringLiteral("version %1").arg(version));
        return;
    }
    CheckWhole();
    Value(db, QStringLiteral("PRAGMA foreign_keys = ON"));
    UseWriteAheadLog(db);
    // Losing the last answer on a power cut is fine; a commit without a disk flush is fast.
    Value(db, QStringLiteral("PRAGMA synchronous = NORMAL"));
    if (version < SchemaVersion)
        StepUp();
}

// Another copy holding the file longer than a write waits does not stop recording for the run:
// the step is tried again before the next write, as a write put off is.
void StudyStore::StepUp()
{
    try {
        Migrate();
        stepWaits = false;
    } catch (const SqlFailure& failure) {
        if (failure.code != SqliteBusy)
            throw;
        stepWaits = true;
        problem = StudyProblem::Busy;
        detail = failure.text;
    }
}

// A damaged index would answer queries from part of the history: integrity_check compares every
// index with its table. Indexes are rebuilt from their tables; damage beyond them is not repaired.
void StudyStore::CheckWhole()
{
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    const auto whole = [&] {
        return Value(db, QStringLiteral("PRAGMA integrity_check(1)")).toString() == u"ok";
    };
    if (whole())
        return;
    // A damaged key in a unique index makes REINDEX itself fail: damage all the same.
    const bool reindexed = QSqlQuery(db).exec(QStringLiteral("REINDEX"));
    if (!reindexed || !whole())
        throw SqlFailure{SqliteCorrupt, QStringLiteral("integrity_check")};
}

// Transactions after a damaged frame of the log are dropped by SQLite without a word: the record
// goes on with what came before, and copies of the file and its log as they were are kept under
// the name a broken record gets, for whoever can mend them by hand.
void StudyStore::KeepDamagedLog(int droppedTransactions)
{
    const QString kept = BrokenName();
    for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
        if (!QFile::copy(path + suffix, kept + suffix))
            return;
    }
    problem = StudyProblem::LogDamaged;
    detail = kept;
    dropped = droppedTransactions;
}

CopiedRows StudyStore::CopyFrom(const QString& file)
{
    if (!recording)
        return {};
    try {
        return CopyRowsOf(file);
    } catch (const SqlFailure& failure) {
        Stop(StudyProblem::Unwritable, failure.text);
        if (reportWrite)
            reportWrite(problem);
        return {};
    }
}

// Reads a copy of the file, so that the file itself stays byte for byte as it was (a broken one
// kept aside, a backup); its log comes along, so that every whole transaction in it counts.
CopiedRows StudyStore::CopyRowsOf(const QString& file)
{
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(FileName);
    for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
        if (QFile::exists(file + suffix) && !QFile::copy(file + suffix, copy + suffix))
            return {};
    }
    const QString reading = connection + QStringLiteral("-copy");
    CopiedRows copied;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), reading);
        db.setDatabaseName(copy);
        // The copy is this process's alone: holding its lock saves taking it for every read.
        if (db.open() && QSqlQuery(db).exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")))
            copied = CopyRows(db, QSqlDatabase::database(connection, false));
    }
    QSqlDatabase::removeDatabase(reading);
    return copied;
}

// The writes go into a record of their own beside this one, built under another name and put in
// place whole, so that the next opening never finds one half written.
void StudyStore::KeepWaitingWrites()
{
    const QString kept = path + WaitingSuffix +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
                         QString::number(QCoreApplication::applicationPid());
    const QString fresh = kept + QStringLiteral(".new");
    try {
        // Exams started before the lock may finish in the waiting writes: their rows come along.
        const QString started = path;
        Connect(fresh);
        Migrate();
        const QSqlDatabase db = QSqlDatabase::database(connection, false);
        Sql(db, QStringLiteral("ATTACH DATABASE ? AS record")).Run({started});
        Sql(db, QStringLiteral("INSERT INTO exams SELECT * FROM record.exams "
                               "WHERE state = 'started'"))
            .Run();
        Sql(db, QStringLiteral("DETACH DATABASE record")).Run();
        Value(db, QStringLiteral("BEGIN IMMEDIATE"));
        for (const Write& each : waiting)
            each(db);
        Value(db, QStringLiteral("COMMIT"));
        QSqlDatabase::database(connection, false).close();
        QFile::rename(fresh, kept);
    } catch (const SqlFailure&) {
        QSqlDatabase::database(connection, false).close();
        QFile::remove(fresh);
    }
}

// Each file of writes kept at a quit is claimed by renaming it, so that two copies opening at once
// do not both copy it in; it is removed once its rows are in. While another copy holds the record
// it waits for the next opening.
void StudyStore::TakeInWaitingWrites()
{
    const QDir folder = QFileInfo(path).dir();
    const QStringList files =
        folder.entryList({FileName + WaitingSuffix + QStringLiteral("*")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        if (name.endsWith(QStringLiteral(".new")))
            continue;
        const QString file = folder.filePath(name);
        const QString claimed = file + QStringLiteral(".new");
        if (!QFile::rename(file, claimed))
            continue;
        try {
            takenIn += CopyRowsOf(claimed);
            QFile::remove(claimed);
        } catch (const SqlFailure& failure) {
            QFile::rename(claimed, file);
            if (failure.code != SqliteBusy)
                throw;
            return;
        }
    }
}

QString StudyStore::BackupFolder() const
{
    return QFileInfo(path).dir().filePath(QStringLiteral("backups"));
}

QString StudyStore::TodaysBackup() const
{
    return QDir(BackupFolder())
        .filePath(
            QStringLiteral("study-%1.sqlite").arg(QDate::currentDate().toString(Qt::ISODate)));
}

QStringList StudyStore::Backups() const
{
    QDir folder(BackupFolder());
    QStringList names = folder.entryList({QStringLiteral("study-*.sqlite")}, QDir::Files,
                                         QDir::Name | QDir::Reversed);
    for (QString& name : names)
        name = folder.filePath(name);
    return names;
}

// VACUUM INTO writes a whole, consistent copy while the record stays open; it is written under
// another name first, so that a copy cut short never stands in for a whole one. A backup that
// fails is left for the next chance: nothing the learner did is lost by it.
void StudyStore::BackUp()
{
    if (!recording || problem == StudyProblem::MovedAside || !QDir().mkpath(BackupFolder()))
        return;
    const QString backup = TodaysBackup();
    const QString fresh = backup + QStringLiteral(".new");
    QFile::remove(fresh);
    QSqlQuery vacuum(QSqlDatabase::database(connection, false));
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(fresh);
    if (!vacuum.exec()) {
        QFile::remove(fresh);
        return;
    }
    QFile::remove(backup);
    if (!QFile::rename(fresh, backup))
        return;
    wrote = false;
    const QStringList backups = Backups();
    for (qsizetype i = BackupDays; i < backups.size(); ++i)
        QFile::remove(backups[i]);
}

QString StudyStore::BrokenName() const
{
    return path + QStringLiteral(".broken-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

// The broken file and its journals keep their content under a dated name beside it.
void StudyStore::MoveAside()
{
    QSqlDatabase::database(connection, false).close();
    const QString brokenPath = BrokenName();
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFile::exists(path + suffix) && !QFile::rename(path + suffix, brokenPath + suffix))
            throw SqlFailure{0, QStringLiteral("cannot move %1 aside").arg(path + suffix)};
    }
    problem = StudyProblem::MovedAside;
    detail = brokenPath;
}

// Under the write lock, so that two copies of the program opening a new store at once do not
// both build it.
void StudyStore::Migrate()
{
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    Value(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const int from = Value(db, QStringLiteral("PRAGMA user_version")).toInt();
        for (int version = from; version < SchemaVersion; ++version) {
            for (const QString& statement : Migrations[version].statements)
                Sql(db, statement).Run();
            if (Migrations[version].rebuild)
                Migrations[version].rebuild(db);
        }
        Value(db, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        Value(db, QStringLiteral("COMMIT"));
    } catch (const SqlFailure&) {
        Value(db, QStringLiteral("ROLLBACK"));
        throw;
    }
}

void StudyStore::Transaction(Write write)
{
    if (!recording)
        return;
    if (write)
        waiting.append(std::move(write));
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    try {
        if (stepWaits) {
            Migrate();
            stepWaits = false;
        }
        Value(db, QStringLiteral("BEGIN IMMEDIATE"));
        try {
            for (const Write& each : waiting)
                each(db);
            Value(db, QStringLiteral("COMMIT"));
            waiting.clear();
            wrote = true;
            if (problem == StudyProblem::Busy)
                problem = StudyProblem::None;
        } catch (const SqlFailure&) {
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } catch (const SqlFailure& failure) {
        if (failure.code == SqliteBusy) {
            problem = StudyProblem::Busy;
            detail = failure.text;
        } else {
            waiting.clear();
            Stop(StudyProblem::Unwritable, failure.text);
        }
        if (reportWrite)
            reportWrite(problem);
    }
}

void StudyStore::Checkpoint()
{
    if (!waiting.isEmpty())
        Transaction({});
    if (recording)
        QSqlQuery(Database()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

qint64 StudyStore::ExamRow(qint64 exam) const
{
    return exam > 0 ? exam : waitedExams.value(exam);
}

void StudyStore::Stop(StudyProblem kind, const QString& what)
{
    recording = false;
    problem = kind;
    detail = what;
    QSqlDatabase::database(connection, false).close();
}

void StudyStore::PracticeAnswered(const QString& bank, const StudyAnswer& answer)
{
    RecordPractice(bank, answer, false);
}

void StudyStore::PracticeLooked(const QString& bank, const StudyAnswer& question)
{
    RecordPractice(bank, {question.questionId, question.chapter, {}, false}, true);
}

void StudyStore::RecordPractice(const QString& bank, const StudyAnswer& answer, bool look)
{
    Transaction([bank, answer, look](const QSqlDatabase& db) {
        Sql(db, QStringLiteral("INSERT INTO attempts (answered_at, bank, question_id, chapter, "
                               "mode, letter, correct, look) "
                               "VALUES (?, ?, ?, ?, 'practice', ?, ?, ?)"))
            .Run({Now(), bank, answer.questionId, IntOrNull(answer.chapter),
                  LetterValue(answer.letter), answer.right, look});
        RefreshBook(db, bank, answer.questionId, answer.chapter);
    });
}

void StudyStore::MarkFavourite(const QString& bank, const QString& questionId, bool marked)
{
    Transaction([bank, questionId, marked](const QSqlDatabase& db) {
        if (marked)
            Sql(db, QStringLiteral("INSERT OR IGNORE INTO favourites (bank, question_id, marked_at) "
                                   "VALUES (?, ?, ?)"))
                .Run({bank, questionId, Now()});
        else
            Sql(db, QStringLiteral("DELETE FROM favourites WHERE bank = ? AND question_id = ?"))
                .Run({bank, questionId});
    });
}

qint64 StudyStore::ExamStarted(const QString& bank)
{
    // While the start waits, the exam is known by a stand-in that its later writes resolve.
    const qint64 standIn = --standIns;
    Transaction([this, bank, standIn](const QSqlDatabase& db) {
        waitedExams.insert(
            standIn, Sql(db, QStringLiteral("INSERT INTO exams (bank, started_at) VALUES (?, ?)"))
                         .Run({bank, Now()})
                         .InsertedId());
    });
    if (!recording)
        return 0;
    return waiting.isEmpty() ? waitedExams.take(standIn) : standIn;
}

void StudyStore::ExamFinished(qint64 exam, const ExamResult& result)
{
    if (exam == 0)
        return;
    Transaction([this, exam, result](const QSqlDatabase& db) {
        const qint64 row = ExamRow(exam);
        Sql bankOf(db, QStringLiteral("SELECT bank FROM exams WHERE id = ?"));
        if (!bankOf.Run({row}).Next())
            return; // cleared while the exam ran: nothing left to record it against
        const QString bank = bankOf.Value(0).toString();
        const QString now = Now();
        Sql(db, QStringLiteral("UPDATE exams SET state = 'finished', finished_at = ?, score = ?, "
                               "answered = ?, seconds_used = ? WHERE id = ?"))
            .Run({now, result.score, result.answered, result.secondsUsed, row});
        Sql attempt(db, QStringLiteral(
                            "INSERT INTO attempts (answered_at, bank, question_id, chapter, mode, "
                            "exam_id, letter, correct) VALUES (?, ?, ?, ?, 'exam', ?, ?, ?) "
                            "ON CONFLICT (exam_id, question_id) DO UPDATE SET answered_at = "
                            "excluded.answered_at, letter = excluded.letter, correct = "
                            "excluded.correct"));
        for (const StudyAnswer& answer : result.answers) {
            attempt.Run({now, bank, answer.questionId, IntOrNull(answer.chapter), row,
                         LetterValue(answer.letter), answer.right});
            RefreshBook(db, bank, answer.questionId, answer.chapter);
        }
    });
}

void StudyStore::ExamAbandoned(qint64 exam)
{
    if (exam == 0)
        return;
    Transaction([this, exam](const QSqlDatabase& db) {
        Sql(db, QStringLiteral(
                    "UPDATE exams SET state = 'abandoned' WHERE id = ? AND state = 'started'"))
            .Run({ExamRow(exam)});
    });
}

void StudyStore::Clear(const QString& bank)
{
    Transaction([bank](const QSqlDatabase& db) {
        for (const char* table : {"wrong_book", "attempts", "exams"})
            Sql(db, QStringLiteral("DELETE FROM %1 WHERE bank = ?").arg(QLatin1String(table)))
                .Run({bank});
    });
}

StudyAnswer AnswerTo(const QStringList& fields, const QString& letter, bool right)
{
    return {Record::FieldOf(fields, Record::Id),
            Record::ChapterNumber(Record::FieldOf(fields, Record::Chapter)), letter, right};
}
