#pragma once

// The wrong-question book as the store keeps it: every entry follows from the question's answers
// by the book's rule (study/WrongBook.h), so it can always be filed again from them.

#include <QSqlDatabase>
#include <QString>
#include <optional>

// Replays the question's answers through the book's rule and files the outcome.
void RefreshBook(const QSqlDatabase& db, const QString& bank, const QString& questionId,
                 std::optional<int> chapter);

// Replays only the questions in the book: leaving out answers can only take a question out of it
// or move its entry.
void RebuildBook(const QSqlDatabase& db);

// Files the whole book again from every answered question, each under the chapter of its latest
// answer: for answers that came from elsewhere.
void RebuildWholeBook(const QSqlDatabase& db);
