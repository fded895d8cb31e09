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
    void reusedCipherMatchesAFreshOne();
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
    // The bits after the last whole byte are not looked at.
    QTest::newRow("leftover bits") << "YR=="
                                   << "a";
}

void TestCipher::decodes()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    Cipher cipher;
    QCOMPARE(cipher.Decode(input), std::optional<QString>(output));
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
    QCOMPARE(cipher.Decode(input), std::nullopt);
    // A refusal leaves the decoder ready for the next text.
    QCOMPARE(cipher.Decode(QStringLiteral("vbu55g==")),
             std::optional<QString>(QStringLiteral("交规")));
}

void TestCipher::encodesGbk()
{
    const QString text = QStringLiteral("在没有道路中心线的道路上，机动车最高时速是多少？\r\nA、30公里");
    const auto encoded = Cipher::Encode(text);
    QVERIFY(encoded);
    Cipher cipher;
    QCOMPARE(cipher.Decode(*encoded), std::optional<QString>(text));
}

void TestCipher::refusesTextOutsideGbk()
{
    QCOMPARE(Cipher::Encode(QStringLiteral("限速🚗")), std::nullopt);
}

// One cipher serves a whole bank, so whatever a text leaves in its converter must not change
// how the next one decodes: every one- and two-byte text, good or not GBK, then a good one.
void TestCipher::reusedCipherMatchesAFreshOne()
{
    const QByteArray good = QByteArrayLiteral("\xBD\xBB\xB9\xE6"); // 交规
    QList<QByteArray> texts;
    for (int a = 0; a < 256; ++a) {
        texts.append(QByteArray(1, char(a)));
        for (int b = 0; b < 256; ++b)
            texts.append(QByteArray(1, char(a)) + char(b));
        texts.append(good);
    }
    Cipher reused;
    for (const QByteArray& text : texts) {
        Cipher fresh;
        const auto reusedResult = reused.FromGbk(text);
        const auto freshResult = fresh.FromGbk(text);
        if (reusedResult != freshResult)
            QFAIL(qPrintable(QStringLiteral("GBK bytes %1 decode differently after other texts")
                                 .arg(QString::fromLatin1(text.toHex()))));
        if (reused.Decode(QByteArrayView(text.toBase64())) !=
            Cipher().Decode(QByteArrayView(text.toBase64())))
            QFAIL(qPrintable(QStringLiteral("base64 of %1 decodes differently after other texts")
                                 .arg(QString::fromLatin1(text.toHex()))));
    }
}

QTEST_GUILESS_MAIN(TestCipher)
#include "tst_cipher.moc"
