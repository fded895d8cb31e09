#pragma once

#include "bank/Record.h"
#include "study/Memory.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <array>

// What the study window reads from the store, one small query each, for one bank.

// An exam question left without a choice is scored wrong but is not an answer: the learner may
// never have read it. The wrong-question book and the memory model read only the attempts that
// meet this condition.
inline const QString IsAnswer = QStringLiteral("NOT (mode = 'exam' AND letter IS NULL)");

// Every answered question's answers in the order they were given, at local time.
QHash<QString, QList<TimedAnswer>> AnswersByQuestion(const QSqlDatabase& db, const QString& bank);

// Every question answered at least once, with whether its latest answer was right: from the
// record, or from its answers already read (the study window reads the record once, not twice).
QHash<QString, bool> LatestAnswers(const QSqlDatabase& db, const QString& bank);
QHash<QString, bool> LatestAnswers(const QHash<QString, QList<TimedAnswer>>& answers);

// Two readings differ whenever the record may have changed in between: rows changed through
// this connection, or a commit by another (another copy of the program).
struct RecordVersion {
    qint64 ownChanges = -1;
    qint64 othersCommits = -1;
    bool operator==(const RecordVersion&) const = default;
};
RecordVersion VersionOf(const QSqlDatabase& db);

struct FinishedExam {
    QDateTime finished; // local time
    int score = 0;
    int secondsUsed = 0;
};
// The exams that reached a result, in the order they did.
QList<FinishedExam> FinishedExams(const QSqlDatabase& db, const QString& bank);

// The wrong-question book: question ids in the order they entered it.
QStringList WrongBook(const QSqlDatabase& db, const QString& bank);

// The questions marked as favourites, in the order they were marked.
QStringList Favourites(const QSqlDatabase& db, const QString& bank);
bool IsFavourite(const QSqlDatabase& db, const QString& bank, const QString& questionId);

// A question the learner has answered wrong, in practice or in an exam, or looked up in practice.
struct MissedQuestion {
    enum class Latest { Right, Wrong, Look };
    QString questionId;
    int wrong = 0; // looks apart
    int right = 0;
    int looks = 0;
    Latest latest = Latest::Wrong;
};
// Every question answered wrong or looked up at least once: the most often not known first, and
// between equals the one not known most recently. An exam question left unanswered counts as
// wrong.
QList<MissedQuestion> MostMissed(const QSqlDatabase& db, const QString& bank);

// What the record says about the questions of one chapter as the bank has them today.
struct ChapterProgress {
    int questions = 0;
    int attempted = 0;   // answered at least once
    int latestRight = 0; // whose latest attempt was right
};
using ChapterOf = QHash<QString, int>; // question id -> chapter 1..10, from the bank file
using PerChapter = std::array<ChapterProgress, Record::ChapterCount>;

PerChapter TallyProgress(const ChapterOf& bank, const QHash<QString, bool>& latest);
ChapterProgress Total(const PerChapter& chapters);
// The same for any list of questions, a topic for one.
ChapterProgress ProgressOf(const QStringList& ids, const QHash<QString, bool>& latest);
// How many of the book's questions each chapter holds; ids the bank no longer has are left out.
std::array<int, Record::ChapterCount> BookPerChapter(const ChapterOf& bank, const QStringList& book);
