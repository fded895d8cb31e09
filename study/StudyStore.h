#pragma once

#include "study/RecordCopy.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>

// Why the store does not record, if it does not. The windows decide what to tell the learner.
enum class StudyProblem {
    None,
    MovedAside, // the file was not a usable database: kept under another name, a fresh one begun
                // with what could still be read from it
    Newer,      // written by a newer version of the program: left untouched, nothing recorded
    Unwritable, // the folder or the file cannot be written, or is a symbolic link: nothing recorded
    Busy,       // another program held the file longer than a write waits: that write waits
                // for the next one, and recording goes on
    LogDamaged, // the log had damage after a crash: what was written after it could not be kept;
                // copies of the file and its log kept under another name, recording goes on
};

// One answer to one question, as the windows report it.
struct StudyAnswer {
    QString questionId;         // field 0 of the record
    std::optional<int> chapter; // field 1 when it names a chapter 1..10
    QString letter;             // "A", "B" or "C"; empty when no option was chosen
    bool right = false;
};

// An exam's result as the learner was shown it.
struct ExamResult {
    int score = 0;
    int answered = 0;
    int secondsUsed = 0;
    QList<StudyAnswer> answers; // every question of the exam, unanswered ones as wrong
};

// The learner's study record: one SQLite file in a folder, its schema numbered by
// PRAGMA user_version and brought up to date on opening. Every write is one transaction. It
// reports problems instead of showing them; once it has one other than Busy it records nothing
// more.
class StudyStore {
public:
    static constexpr int SchemaVersion = 3;
    static inline const QString FileName = QStringLiteral("study.sqlite");
    static inline const QString WaitingSuffix = QStringLiteral(".waiting-");

    // Opens (creating the folder and the file when missing) the store in folder.
    explicit StudyStore(const QString& folder);
    ~StudyStore();
    StudyStore(const StudyStore&) = delete;
    StudyStore& operator=(const StudyStore&) = delete;

    bool IsRecording() const { return recording; }
    StudyProblem Problem() const { return problem; }
    // The broken file's new name, or the database's own words for what failed.
    QString ProblemDetail() const { return detail; }
    QString FilePath() const { return path; }
    // What was copied from the broken file into the fresh one (MovedAside).
    const CopiedRows& Salvaged() const { return salvaged; }
    // The transactions a damaged log dropped (LogDamaged): answers, exams, marks.
    int DroppedTransactions() const { return dropped; }
    // What the last run could not write before it quit, because another copy held the file: kept
    // beside the record (study.sqlite.waiting-…) and copied in on this opening.
    const CopiedRows& TakenIn() const { return takenIn; }
    // The open connection, for the query functions; invalid while not recording, and while the
    // step of an older record to this version waits for another copy's lock.
    QSqlDatabase Database() const;
    // Called at the moment a write is lost (Unwritable) or put off (Busy), after the store has
    // settled; problems found on opening are read from Problem().
    void OnWriteProblem(std::function<void(StudyProblem)> report) { reportWrite = std::move(report); }

    // The first judged choice of a question on display in practice.
    void PracticeAnswered(const QString& bank, const StudyAnswer& answer);
    // A practice question whose answer was shown before any choice: not known, like a wrong
    // answer, but kept apart from answers. The answer's letter and verdict are not read.
    void PracticeLooked(const QString& bank, const StudyAnswer& question);
    // Marks (or unmarks) a question the learner wants to come back to; marking twice keeps the
    // first mark's time.
    void MarkFavourite(const QString& bank, const QString& questionId, bool marked);
    // A new exam; returns its row, 0 when nothing is recorded.
    qint64 ExamStarted(const QString& bank);
    // The exam's result; shown again, the exam's row and answers take the latest result.
    void ExamFinished(qint64 exam, const ExamResult& result);
    // An exam left before any result; one with a result stays as it is.
    void ExamAbandoned(qint64 exam);
    // Forgets the practice, the exams and the wrong-question book of bank; the favourites are
    // the learner's own marks and stay.
    void Clear(const QString& bank);
    // Copies the write-ahead log into the file and empties it, so that damage to the log after a
    // crash can cost only what is written later. Writes still waiting are tried first.
    void Checkpoint();

    // A copy of the record is kept for each of the last BackupDays days on which it was opened,
    // in the folder `backups` beside it: made when the record is first opened on a day, and made
    // again when it closes after anything was written. A run that found the record damaged makes
    // none, so that the copies from before the damage stay. Newest first.
    static constexpr int BackupDays = 7;
    QStringList Backups() const;
    // Copies into the record every row of the backup (or of any record file) that it lacks;
    // the file itself is only read. What was copied; nothing when it could not be read. A record
    // that cannot take the rows stops recording, as a write that fails does.
    CopiedRows CopyFrom(const QString& file);

private:
    using Write = std::function<void(const QSqlDatabase&)>;

    void Open();
    void Create();
    void Connect(const QString& file);
    void PrepareConnection();
    void CheckWhole();
    void MoveAside();
    void KeepDamagedLog(int droppedTransactions);
    QString BrokenName() const;
    CopiedRows CopyRowsOf(const QString& file);
    void BackUp();
    void KeepWaitingWrites();
    void TakeInWaitingWrites();
    QString BackupFolder() const;
    QString TodaysBackup() const;
    void Migrate();
    void StepUp();
    // Runs the waiting writes and then write inside one transaction. A file held too long by
    // another program keeps them all waiting; any other failure rolls back and stops recording.
    void Transaction(Write write);
    void Stop(StudyProblem kind, const QString& what);
    void RecordPractice(const QString& bank, const StudyAnswer& answer, bool look);
    // The row of an exam by what ExamStarted returned: its row, or a stand-in while its start
    // waited.
    qint64 ExamRow(qint64 exam) const;

    QString path;
    QString connection;
    bool recording = false;
    StudyProblem problem = StudyProblem::None;
    QString detail;
    QList<Write> waiting;
    QHash<qint64, qint64> waitedExams; // stand-in (negative) -> row, once written
    qint64 standIns = 0;
    std::function<void(StudyProblem)> reportWrite;
    CopiedRows salvaged;
    int dropped = 0;
    CopiedRows takenIn;
    bool stepWaits = false; // the step to this version, put off by another copy's lock
    bool wrote = false; // this run, since the last backup
};

// The answer to the question of a record's fields: its id and chapter from the record.
StudyAnswer AnswerTo(const QStringList& fields, const QString& letter, bool right);
