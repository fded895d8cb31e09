#include "support/StudyFixture.h"

#include "common/Study.h"
#include "study/StudyStore.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QStandardPaths>

StudyFixture::StudyFixture()
{
    QStandardPaths::setTestModeEnabled(true);
    CloseStudy();
    // What a case laid out in place of the folder goes too: a file, a read-only folder.
    QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(Folder());
    QDir(Folder()).removeRecursively();
}

StudyFixture::~StudyFixture()
{
    CloseStudy();
}

QString StudyFixture::Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString StudyFixture::FilePath()
{
    return QDir(Folder()).filePath(StudyStore::FileName);
}

QVariant Scalar(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        qFatal("%s", qPrintable(statement));
    return query.next() ? query.value(0) : QVariant();
}

QVariant StudyFixture::Scalar(const QString& statement)
{
    return ::Scalar(Study().Database(), statement);
}
