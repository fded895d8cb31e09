#include "study/StudyQueries.h"

#include <QSqlQuery>
#include <QVariant>

namespace {
QSqlQuery Run(const QSqlDatabase& db, const QString& statement, const QString& bank)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(statement);
    query.addBindValue(bank);
    query.exec();
    return query;
}
} // namespace

QHash<QString, bool> LatestAnswers(const QHash<QString, QList<TimedAnswer>>& answers)
{
    QHash<QString, bool> latest;
    latest.reserve(answers.size());
    for (auto question = answers.begin(); question != answers.end(); ++question)
        latest.insert(question.key(), question.value().last().right);
    return latest;
}

QHash<QString, bool> LatestAnswers(const QSqlDatabase& db, const QString& bank)
{
    return LatestAnswers(AnswersByQuestion(db, bank));
}

QHash<QString, QList<TimedAnswer>> AnswersByQuestion(const QSqlDatabase& db, const QString& bank)
{
    // Days from SQLite, cheaper than a QDateTime for every row; the local clock's offset now
    // stands for every answer's (it errs by an hour at most, across a change of summer time).
    // The table read in its own order is several times faster than the index and a sort.
    QSqlQuery query = Run(db,
                          QStringLiteral("SELECT question_id, julianday(answered_at) - "
                                         "julianday('1970-01-01'), correct, look FROM attempts "
                                         "NOT INDEXED WHERE bank = ? AND %1 ORDER BY id")
                              .arg(IsAnswer),
                          bank);
    const double offset = LocalDays(QDateTime::currentDateTime()) -
                          LocalDays(QDateTime::currentDateTimeUtc());
    QHash<QString, QList<TimedAnswer>> answers;
    while (query.next())
        answers[query.value(0).toString()].append(
            {query.value(1).toDouble() + offset, query.value(2).toBool(), query.value(3).toBool()});
    return answers;
}

static qint64 Number(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    return query.exec(statement) && query.next() ? query.value(0).toLongLong() : -1;
}

RecordVersion VersionOf(const QSqlDatabase& db)
{
    return {Number(db, QStringLiteral("SELECT total_changes()")),
            Number(db, QStringLiteral("PRAGMA data_version"))};
}

QList<FinishedExam> FinishedExams(const QSqlDatabase& db, const QString& bank)
{
    QSqlQuery query = Run(db,
                          QStringLiteral("SELECT finished_at, score, seconds_used FROM exams "
                                         "WHERE bank = ? AND state = 'finished' "
                                         "ORDER BY finished_at, id"),
                          bank);
    QList<FinishedExam> exams;
    while (query.next()) {
        const QDateTime finished = QDateTime::fromString(query.value(0).toString(), Qt::ISODate);
        exams.append({finished.toLocalTime(), query.value(1).toInt(), query.value(2).toInt()});
    }
    return exams;
}

// The question ids a statement on one bank selects, in its order.
static QStringList QuestionIds(const QSqlDatabase& db, const QString& statement,
                               const QString& bank)
{
    QSqlQuery query = Run(db, statement, bank);
    QStringList ids;
    while (query.next())
        ids.append(query.value(0).toString());
    return ids;
}

QStringList WrongBook(const QSqlDatabase& db, const QString& bank)
{
    return QuestionIds(db,
                       QStringLiteral("SELECT question_id FROM wrong_book WHERE bank = ? "
                                      "ORDER BY entered_attempt"),
                       bank);
}

QStringList Favourites(const QSqlDatabase& db, const QString& bank)
{
    return QuestionIds(
        db, QStringLiteral("SELECT question_id FROM favourites WHERE bank = ? ORDER BY rowid"), bank);
}

bool IsFavourite(const QSqlDatabase& db, const QString& bank, const QString& questionId)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM favourites WHERE bank = ? AND question_id = ?"));
    query.addBindValue(bank);
    query.addBindValue(questionId);
    return query.exec() && query.next();
}

QList<MissedQuestion> MostMissed(const QSqlDatabase& db, const QString& bank)
{
    QSqlQuery query = Run(db, QStringLiteral(R"(SELECT question_id, SUM(correct = 0 AND look = 0),
            SUM(correct), SUM(look),
            (SELECT latest.correct + 2 * latest.look FROM attempts latest
             WHERE latest.bank = a.bank AND latest.question_id = a.question_id
             ORDER BY latest.id DESC LIMIT 1),
            MAX(CASE WHEN correct = 0 THEN id END) AS last_not_known
        FROM attempts a WHERE bank = ? GROUP BY question_id HAVING SUM(correct = 0) > 0
        ORDER BY SUM(correct = 0) DESC, last_not_known DESC)"),
                          bank);
    // The latest attempt's kind from correct + 2 look: 1 right, 0 wrong, 2 a look.
    const auto latestOf = [](int kind) {
        return kind == 1   ? MissedQuestion::Latest::Right
               : kind == 2 ? MissedQuestion::Latest::Look
                           : MissedQuestion::Latest::Wrong;
    };
    QList<MissedQuestion> missed;
    while (query.next())
        missed.append({query.value(0).toString(), query.value(1).toInt(), query.value(2).toInt(),
                       query.value(3).toInt(), latestOf(query.value(4).toInt())});
    return missed;
}

PerChapter TallyProgress(const ChapterOf& bank, const QHash<QString, bool>& latest)
{
    PerChapter chapters{};
    for (auto question = bank.begin(); question != bank.end(); ++question) {
        ChapterProgress& chapter = chapters[question.value() - Record::FirstChapter];
        ++chapter.questions;
        const auto answered = latest.find(question.key());
        if (answered == latest.end())
            continue;
        ++chapter.attempted;
        chapter.latestRight += answered.value();
    }
    return chapters;
}

ChapterProgress Total(const PerChapter& chapters)
{
    ChapterProgress total;
    for (const ChapterProgress& chapter : chapters) {
        total.questions += chapter.questions;
        total.attempted += chapter.attempted;
        total.latestRight += chapter.latestRight;
    }
    return total;
}

ChapterProgress ProgressOf(const QStringList& ids, const QHash<QString, bool>& latest)
{
    ChapterProgress progress;
    progress.questions = static_cast<int>(ids.size());
    for (const QString& id : ids) {
        const auto answered = latest.find(id);
        if (answered == latest.end())
            continue;
        ++progress.attempted;
        progress.latestRight += answered.value();
    }
    return progress;
}

std::array<int, Record::ChapterCount> BookPerChapter(const ChapterOf& bank, const QStringList& book)
{
    std::array<int, Record::ChapterCount> counts{};
    for (const QString& id : book) {
        const auto chapter = bank.find(id);
        if (chapter != bank.end())
            ++counts[chapter.value() - Record::FirstChapter];
    }
    return counts;
}
