#include "study/Sql.h"

#include <QSqlError>

SqlFailure FailureOf(const QSqlError& error)
{
    return {error.nativeErrorCode().toInt() & 0xff, error.text()};
}

Sql::Sql(const QSqlDatabase& db, const QString& statement) : query(db)
{
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw FailureOf(query.lastError());
}

Sql& Sql::Run(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec())
        throw FailureOf(query.lastError());
    return *this;
}

// A row that cannot be read (a damaged page) fails like a statement instead of ending the rows
// as if there were no more.
bool Sql::Next()
{
    if (query.next())
        return true;
    if (query.lastError().isValid())
        throw FailureOf(query.lastError());
    return false;
}

QVariant Value(const QSqlDatabase& db, const QString& statement)
{
    Sql sql(db, statement);
    sql.Run();
    return sql.Next() ? sql.Value(0) : QVariant();
}

QVariant IntOrNull(std::optional<int> value)
{
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<int>());
}
