#pragma once

#include <QString>
#include <QVariant>

class QSqlDatabase;

// The first value of the first row of a statement run on db; a statement that fails ends the test.
QVariant Scalar(const QSqlDatabase& db, const QString& statement);

// The study record the windows open, in Qt's test folder for this test program: emptied (the
// store closed first) so that each case starts without any record.
class StudyFixture {
public:
    StudyFixture();
    ~StudyFixture();

    static QString Folder();
    static QString FilePath();
    // The first value of the first row of a statement run on the record the windows write.
    static QVariant Scalar(const QString& statement);
};
