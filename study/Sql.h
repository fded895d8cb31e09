#pragma once

// Statements that throw instead of returning false, for the study library's sources: a write
// then reads as its steps, and one failure undoes the whole transaction around it.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>

// SQLite's primary result codes, as the driver reports them.
constexpr int SqliteBusy = 5;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteConstraint = 19;
constexpr int SqliteNotADatabase = 26;

struct SqlFailure {
    int code = 0; // SQLite's primary result code, 0 when the driver gave none
    QString text;
};

SqlFailure FailureOf(const QSqlError& error);

class Sql
{
public:
    Sql(const QSqlDatabase& db, const QString& statement);
    // Runs the statement with these values for its placeholders, in their order.
    Sql& Run(const QVariantList& values = {});
    bool Next();
    QVariant Value(int i) const { return query.value(i); }
    qint64 InsertedId() const { return query.lastInsertId().toLongLong(); }
    // The rows the last run inserted, changed or deleted.
    int Changed() const { return query.numRowsAffected(); }

private:
    QSqlQuery query;
};

// The first column of the statement's first row; null when it has none.
QVariant Value(const QSqlDatabase& db, const QString& statement);

// A nullable integer column's value.
QVariant IntOrNull(std::optional<int> value);
