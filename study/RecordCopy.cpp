#include "study/RecordCopy.h"

#include "study/Sql.h"
#include "study/StoredBook.h"

#include <QHash>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <optional>

namespace
{
using Row = QVariantList;

// Rows are read by ranges of row numbers.
constexpr qint64 RowsPerRange = 256;
// Without a readable highest row number, reading stops after this many empty ranges in a row.
constexpr int EmptyRangesAtTheEnd = 64;

bool Readable(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    return query.prepare(statement);
}

// The rows of table with row numbers first to last, or none when they cannot be read whole.
std::optional<QList<Row>> RowsBetween(const QSqlDatabase& db, const QString& columns,
                                      const QString& table, qint64 first, qint64 last)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // NOT INDEXED: the table's own tree, whatever the state of its indexes. One row is looked up
    // alone: reading a range steps on to the row after it, which may be on a damaged page.
    const QString which = first == last ? QStringLiteral("rowid = ?")
                                        : QStringLiteral("rowid BETWEEN ? AND ? ORDER BY rowid");
    if (!query.prepare(
            QStringLiteral("SELECT %1 FROM %2 NOT INDEXED WHERE %3").arg(columns, table, which)))
        return std::nullopt;
    query.addBindValue(first);
    if (first != last)
        query.addBindValue(last);
    if (!query.exec())
        return std::nullopt;
    const int width = int(columns.count(u',') + 1);
    QList<Row> rows;
    while (query.next()) {
        Row row;
        for (int i = 0; i < width; ++i)
            row.append(query.value(i));
        rows.append(row);
    }
    if (query.lastError().isValid())
        return std::nullopt;
    return rows;
}

std::optional<qint64> HighestRow(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT max(rowid) FROM %1").arg(table)) || !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

// Reads a table range by range; a range that fails is halved until the rows that cannot be read
// are found one by one, so that a damaged page costs only its own rows and few reads.
class TableReader
{
public:
    TableReader(const QSqlDatabase& db, const QString& columns, const QString& table,
                const std::function<void(const Row&)>& each)
        : db(db), columns(columns), table(table), each(each)
    {
    }

    // Hands every row the file can still give to each, in row order; returns how many rows it
    // could not read, as far as the row numbers around them tell.
    int ReadAll()
    {
        const std::optional<qint64> highest = HighestRow(db, table);
        int barren = 0; // ranges in a row without a row read
        for (qint64 first = 1; barren < EmptyRangesAtTheEnd || (highest && first <= *highest);
             first += RowsPerRange) {
            const qint64 before = lastRead;
            Read(first, first + RowsPerRange - 1);
            barren = lastRead == before ? barren + 1 : 0;
            if (barren >= GiveUpAfterRanges)
                break;
        }
        // Row numbers beyond the last row read count only when the highest one is believable.
        const qint64 end = highest && *highest <= lastRead + EmptyRangesAtTheEnd * RowsPerRange
                               ? std::max(*highest, lastRead)
                               : lastRead;
        return int(
            std::count_if(failed.begin(), failed.end(), [end](qint64 id) { return id <= end; }));
    }

private:
    void Read(qint64 first, qint64 last)
    {
        if (const auto rows = RowsBetween(db, columns, table, first, last)) {
            for (const Row& row : *rows)
                each(row);
            if (!rows->isEmpty())
                lastRead = last;
            return;
        }
        if (first == last) {
            failed.append(first);
            return;
        }
        const qint64 middle = first + (last - first) / 2;
        Read(first, middle);
        Read(middle + 1, last);
    }

    // A damaged interior page can fail every range for a long way; past this, nothing more is
    // looked for.
    static constexpr int GiveUpAfterRanges = 4096;

    const QSqlDatabase& db;
    const QString columns;
    const QString table;
    const std::function<void(const Row&)>& each;
    qint64 lastRead = 0; // the end of the last range that gave rows
    QList<qint64> failed;
};

int ReadEveryRow(const QSqlDatabase& db, const QString& columns, const QString& table,
                 const std::function<void(const Row&)>& each)
{
    return TableReader(db, columns, table, each).ReadAll();
}

class Copy
{
public:
    Copy(const QSqlDatabase& from, const QSqlDatabase& into) : from(from), into(into) {}

    CopiedRows Run()
    {
        if (Readable(from, QStringLiteral("SELECT id FROM exams")))
            CopyExams();
        if (Readable(from, QStringLiteral("SELECT id FROM attempts")))
            CopyAnswers();
        if (Readable(from, QStringLiteral("SELECT bank FROM favourites")))
            CopyFavourites();
        RebuildWholeBook(into);
        return copied;
    }

private:
    void CopyExams()
    {
        Sql same(into,
                 QStringLiteral("SELECT bank = ? AND started_at = ? FROM exams WHERE id = ?"));
        // The same exam further along (finished or abandoned where the target has it started)
        // takes the target's row along with it.
        Sql further(into, QStringLiteral("UPDATE exams SET finished_at = ?, state = ?, score = ?, "
                                         "answered = ?, seconds_used = ? "
                                         "WHERE id = ? AND state = 'started' AND ? <> 'started'"));
        Sql insert(into, QStringLiteral("INSERT INTO exams (id, bank, started_at, finished_at, "
                                        "state, score, answered, seconds_used) "
                                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        const auto copy = [&](Row row) {
            const qint64 exam = row[0].toLongLong();
            const RowNumber number = Lookup(same, {row[1], row[2], row[0]});
            if (number == RowNumber::SameRow) {
                exams.insert(exam, exam);
                if (further.Run({row[3], row[4], row[5], row[6], row[7], row[0], row[4]})
                        .Changed() == 1)
                    ++copied.exams;
                else
                    ++copied.alreadyThere;
                return;
            }
            if (number == RowNumber::Taken)
                row[0] = NewRow;
            exams.insert(exam, insert.Run(row).InsertedId());
            ++copied.exams;
        };
        copied.unreadable += ReadEveryRow(
            from,
            QStringLiteral(
                "id, bank, started_at, finished_at, state, score, answered, seconds_used"),
            QStringLiteral("exams"), copy);
    }

    // A copied row keeps the row number it had, so that rows keep their order and a second copy
    // of the same record finds them, unless the target uses that number for another row.
    enum class RowNumber { Free, SameRow, Taken };
    // same: the row with the number, its columns compared with the values given.
    static RowNumber Lookup(Sql& same, const QVariantList& values)
    {
        if (!same.Run(values).Next())
            return RowNumber::Free;
        return same.Value(0).toBool() ? RowNumber::SameRow : RowNumber::Taken;
    }
    // The target numbers the row itself.
    inline static const QVariant NewRow = QVariant(QMetaType::fromType<qint64>());

    // An exam's answers whose exam row was lost go under an abandoned exam of their time.
    QVariant ExamOf(const QVariant& exam, const QVariant& bank, const QVariant& answeredAt)
    {
        if (exam.isNull())
            return exam;
        if (!exams.contains(exam.toLongLong())) {
            exams.insert(exam.toLongLong(),
                         Sql(into, QStringLiteral("INSERT INTO exams (bank, started_at, state) "
                                                  "VALUES (?, ?, 'abandoned')"))
                             .Run({bank, answeredAt})
                             .InsertedId());
        }
        return exams.value(exam.toLongLong());
    }

    void CopyAnswers()
    {
        Sql same(into, QStringLiteral("SELECT answered_at = ? AND bank = ? AND question_id = ? "
                                      "AND mode = ? AND letter IS ? AND correct = ? AND look = ? "
                                      "FROM attempts WHERE id = ?"));
        // An exam answer to a question its exam has already is the same answer shown again: the
        // one there stays.
        Sql insert(into, QStringLiteral("INSERT INTO attempts (id, answered_at, bank, question_id, "
                                        "chapter, mode, exam_id, letter, correct, look) "
                                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                        "ON CONFLICT DO NOTHING"));
        const auto copy = [&](Row row) {
            const RowNumber number =
                Lookup(same, {row[1], row[2], row[3], row[5], row[7], row[8], row[9], row[0]});
            if (number == RowNumber::SameRow) {
                ++copied.alreadyThere;
                return;
            }
            if (number == RowNumber::Taken)
                row[0] = NewRow;
            row[6] = ExamOf(row[6], row[2], row[1]);
            if (insert.Run(row).Changed() == 1)
                ++copied.answers;
            else
                ++copied.alreadyThere;
        };
        const bool looks = Readable(from, QStringLiteral("SELECT look FROM attempts"));
        copied.unreadable += ReadEveryRow(
            from,
            QStringLiteral("id, answered_at, bank, question_id, chapter, mode, exam_id, letter, "
                           "correct, %1")
                .arg(looks ? QStringLiteral("look") : QStringLiteral("0")),
            QStringLiteral("attempts"), copy);
    }

    void CopyFavourites()
    {
        Sql insert(into, QStringLiteral("INSERT OR IGNORE INTO favourites (bank, question_id, "
                                        "marked_at) VALUES (?, ?, ?)"));
        const auto copy = [&](const Row& row) {
            if (insert.Run(row).Changed() == 1)
                ++copied.favourites;
            else
                ++copied.alreadyThere;
        };
        copied.unreadable += ReadEveryRow(from, QStringLiteral("bank, question_id, marked_at"),
                                          QStringLiteral("favourites"), copy);
    }

    const QSqlDatabase& from;
    const QSqlDatabase& into;
    QHash<qint64, qint64> exams; // the source's exam row -> the target's
    CopiedRows copied;
};
} // namespace

CopiedRows CopyRows(const QSqlDatabase& from, const QSqlDatabase& into)
{
    Value(into, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const CopiedRows copied = Copy(from, into).Run();
        Value(into, QStringLiteral("COMMIT"));
        return copied;
    } catch (const SqlFailure&) {
        QSqlQuery(into).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}
