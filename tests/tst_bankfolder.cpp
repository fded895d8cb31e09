#include "common/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
void Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the fixture file");
}
} // namespace

class TestBankFolder : public QObject {
    Q_OBJECT
private slots:
    void findsTheBank_data();
    void findsTheBank();
};

void TestBankFolder::findsTheBank_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<QString>("bankDir");

    QTest::addRow("build folder: beside the executable")
        << QStringList{"jiaogui", "beijing.dat", "pict/a.png"} << "."
        << ".";
    QTest::addRow("installed: share/jiaogui")
        << QStringList{"usr/bin/jiaogui", "usr/share/jiaogui/beijing.dat",
                       "usr/share/jiaogui/pict/a.png"}
        << "usr/bin"
        << "usr/share/jiaogui";
    QTest::addRow("a bank beside wins over the installed one")
        << QStringList{"bin/jiaogui", "bin/beijing.dat", "share/jiaogui/beijing.dat"} << "bin"
        << "bin";
    QTest::addRow("any bank file counts, not only Beijing's")
        << QStringList{"bin/jiaogui", "bin/other.dat", "share/jiaogui/beijing.dat"} << "bin"
        << "bin";
    QTest::addRow("pictures alone are no bank")
        << QStringList{"bin/jiaogui", "bin/pict/a.png", "share/jiaogui/beijing.dat"} << "bin"
        << "share/jiaogui";
}

void TestBankFolder::findsTheBank()
{
    QFETCH(QStringList, files);
    QFETCH(QString, executableDir);
    QFETCH(QString, bankDir);
    QTemporaryDir root;
    for (const QString& file : files)
        Touch(root.filePath(file));

    const QString found = BankFolder(root.filePath(executableDir));

    QCOMPARE(QDir::cleanPath(found), QDir::cleanPath(root.filePath(bankDir)));
}

QTEST_GUILESS_MAIN(TestBankFolder)
#include "tst_bankfolder.moc"
