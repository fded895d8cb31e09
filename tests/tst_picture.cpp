#include "bank/Picture.h"

#include <QDir>
#include <QTest>

// A picture reference comes from the bank file, which anyone can write: it must never name a
// file outside the pict folder.
class TestPicture : public QObject {
    Q_OBJECT
private slots:
    void staysInTheFolder_data();
    void staysInTheFolder();
    void pathInProgramFolder();
};

void TestPicture::staysInTheFolder_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("inFolder");
    QTest::newRow("file name") << "x.png" << QStringLiteral("x.png");
    QTest::newRow("dots in a name") << "..x.png" << QStringLiteral("..x.png");
    QTest::newRow("one backslash keeps the subfolder")
        << R"(signs\x.png)" << QStringLiteral("signs/x.png");
    QTest::newRow("Windows path: its last part")
        << R"(d:\bank\pict\x.png)" << QStringLiteral("x.png");
    QTest::newRow("network path: its last part") << R"(\\server\x.png)" << QStringLiteral("x.png");
    QTest::newRow("climbing, then the last part") << R"(a\..\x.png)" << QStringLiteral("x.png");

    const QString refused;
    QTest::newRow("no picture") << "" << refused;
    QTest::newRow("the folder itself") << "." << refused;
    QTest::newRow("a subfolder itself") << R"(signs\.)" << refused;
    QTest::newRow("parent") << ".." << refused;
    QTest::newRow("parent, slash") << "../x.png" << refused;
    QTest::newRow("down and up") << "a/../../x.png" << refused;
    QTest::newRow("absolute") << "/etc/x" << refused;
    QTest::newRow("drive, backslash") << R"(C:\x.png)" << refused;
    QTest::newRow("drive, relative") << "C:x.png" << refused;
    QTest::newRow("parent, backslash") << R"(..\x.png)" << refused;
    QTest::newRow("mixed separators") << R"(sub\../../x.png)" << refused;
    QTest::newRow("slash in the subfolder") << R"(sub/..\x.png)" << refused;
    QTest::newRow("leading backslash") << R"(\x.png)" << refused;
    QTest::newRow("trailing backslash") << R"(x.png\)" << refused;
    QTest::newRow("Windows path to the parent") << R"(d:\bank\..)" << refused;
}

void TestPicture::staysInTheFolder()
{
    QFETCH(QString, reference);
    QFETCH(QString, inFolder);
    const auto found = PictureInFolder(reference);
    QCOMPARE(found.value_or(QString()), inFolder);
    if (found)
        QVERIFY(QDir::cleanPath(QStringLiteral("pict/") + *found).startsWith(u"pict/"));
}

void TestPicture::pathInProgramFolder()
{
    QCOMPARE(PicturePath(QStringLiteral("/opt/jiaogui"), QStringLiteral(R"(signs\x.png)")),
             std::optional<QString>(QStringLiteral("/opt/jiaogui/pict/signs/x.png")));
    QCOMPARE(PicturePath(QStringLiteral("/opt/jiaogui"), QStringLiteral("../x.png")), std::nullopt);
}

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
