#include "support/StudyFixture.h"

#include "common/Study.h"
#include "study/StudyStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
// Qt's test folders (~/.qttest) are one per program name, so two runs of a test at once, or the
// same test in two build folders, would empty and lay out each other's record: every test process
// gets a home of its own, from its start.
void UseAHomeOfItsOwn()
{
    static QTemporaryDir home(QDir::temp().filePath(QStringLiteral("jiaogui-test-home-XXXXXX")));
    if (!home.isValid())
        qFatal("cannot make a home for the test");
    qputenv("HOME", QFile::encodeName(home.path()));
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(UseAHomeOfItsOwn)

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
