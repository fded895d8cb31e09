#include "bank/Cipher.h"

#include <QTest>

class TestCipher : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void refuses_data();
    void refuses();
    void encodesGbk();
    void refusesTextOutsideGbk();
};

void TestCipher::decodes_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("no padding") << "YWJj" << "abc";
    QTest::newRow("one pad") << "YWI=" << "ab";
    QTest::newRow("two pads") << "YQ==" << "a";
    QTest::newRow("empty") << "" << "";
    // 交规 in GBK: BD BB B9 E6.
    QTest::newRow("GBK") << "vbu55g==" << QStringLiteral("交规");
    QTest::newRow("GBK and ASCII") << "wrfP3zEyMw==" << QStringLiteral("路线123");
}

void TestCipher::decodes()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    Cipher cipher;
    QCOMPARE(cipher.b64StrDec(input), std::optional<QString>(output));
}

void TestCipher::refuses_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("missing padding") << "YWI";
    QTest::newRow("padding inside") << "YQ==YWJj";
    QTest::newRow("three pads") << "Y===";
    QTest::newRow("URL alphabet") << "-_-_";
    QTest::newRow("space") << "YW Jj";
    QTest::newRow("line break") << "YWJj\n";
    QTest::newRow("non-ASCII") << QStringLiteral("YWJ题");
    // 0x81 starts a two-byte character that 0x20 cannot end.
    QTest::newRow("broken GBK pair") << "gSA=";
    QTest::newRow("GBK lead byte at the end") << "YWK9";
}

void TestCipher::refuses()
{
    QFETCH(QString, input);
    Cipher cipher;
    QCOMPARE(cipher.b64StrDec(input), std::nullopt);
    // A refusal leaves the decoder ready for the next text.
    QCOMPARE(cipher.b64StrDec(QStringLiteral("vbu55g==")), std::optional<QString>(QStringLiteral("交规")));
}

void TestCipher::encodesGbk()
{
    const QString text = QStringLiteral("在没有道路中心线的道路上，机动车最高时速是多少？\r\nA、30公里");
    const auto encoded = Cipher::b64StrEnc(text);
    QVERIFY(encoded);
    Cipher cipher;
    QCOMPARE(cipher.b64StrDec(*encoded), std::optional<QString>(text));
}

void TestCipher::refusesTextOutsideGbk()
{
    QCOMPARE(Cipher::b64StrEnc(QStringLiteral("限速🚗")), std::nullopt);
}

QTEST_GUILESS_MAIN(TestCipher)
#include "tst_cipher.moc"
