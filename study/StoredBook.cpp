#include "study/StoredBook.h"

#include "study/Sql.h"
#include "study/StudyQueries.h"
#include "study/WrongBook.h"

#include <QList>
#include <tuple>

namespace
{
using BookQuestion = std::tuple<QString, QString, std::optional<int>>; // bank, id, chapter

QList<BookQuestion> QuestionsOf(Sql& rows)
{
    rows.Run();
    QList<BookQuestion> questions;
    while (rows.Next()) {
        const QVariant chapter = rows.Value(2);
        questions.append({rows.Value(0).toString(), rows.Value(1).toString(),
                          chapter.isNull() ? std::nullopt : std::optional(chapter.toInt())});
    }
    return questions;
}

void Refresh(const QSqlDatabase& db, const QList<BookQuestion>& questions)
{
    for (const auto& [bank, id, chapter] : questions)
        RefreshBook(db, bank, id, chapter);
}
} // namespace

void RefreshBook(const QSqlDatabase& db, const QString& bank, const QString& questionId,
                 std::optional<int> chapter)
{
    Sql attempts(db, QStringLiteral("SELECT id, correct FROM attempts "
                                    "WHERE bank = ? AND question_id = ? AND %1 ORDER BY id")
                         .arg(IsAnswer));
    attempts.Run({bank, questionId});
    BookState state;
    while (attempts.Next())
        state = NextBookState(state, attempts.Value(0).toLongLong(), attempts.Value(1).toBool());
    if (!state.InBook()) {
        Sql(db, QStringLiteral("DELETE FROM wrong_book WHERE bank = ? AND question_id = ?"))
            .Run({bank, questionId});
        return;
    }
    Sql(db, QStringLiteral(
                "INSERT INTO wrong_book (bank, question_id, chapter, entered_attempt, "
                "right_in_a_row) VALUES (?, ?, ?, ?, ?) ON CONFLICT (bank, question_id) DO UPDATE "
                "SET chapter = excluded.chapter, entered_attempt = excluded.entered_attempt, "
                "right_in_a_row = excluded.right_in_a_row"))
        .Run({bank, questionId, IntOrNull(chapter), *state.entered, state.rightInARow});
}

void RebuildBook(const QSqlDatabase& db)
{
    Sql inBook(db, QStringLiteral("SELECT bank, question_id, chapter FROM wrong_book"));
    Refresh(db, QuestionsOf(inBook));
}

void RebuildWholeBook(const QSqlDatabase& db)
{
    Sql(db, QStringLiteral("DELETE FROM wrong_book")).Run();
    Sql answered(db, QStringLiteral("SELECT bank, question_id, chapter FROM attempts "
                                    "WHERE id IN (SELECT max(id) FROM attempts "
                                    "GROUP BY bank, question_id)"));
    Refresh(db, QuestionsOf(answered));
}
