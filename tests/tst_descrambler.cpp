#include "bank/Descrambler.h"
#include "bank/Generator.h"

#include <QTest>

class TestDescrambler : public QObject {
    Q_OBJECT
private slots:
    void generatorSequence();
    void keySeed_data();
    void keySeed();
    void decodeText_data();
    void decodeText();
    void decodeIgnoresEarlierDraws();
    void droppedCharactersKeepTheSequence();
    void encodeInvertsDecode_data();
    void encodeInvertsDecode();
};

void TestDescrambler::generatorSequence()
{
    Generator generator;
    QCOMPARE(generator.State(), 0x50000u);
    // First value from the initial state: (0x50000 * 0x43FD43FD + 0xC39EC3) mod 2^24.
    const float first = generator.Next();
    QCOMPARE(generator.State(), (0x50000u * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu);
    QCOMPARE(first, float(generator.State()) / float(1 << 24));

    // A negative draw fixes the state whatever came before.
    Generator other;
    other.Next();
    other.Next();
    QCOMPARE(other.Draw(-1.0f), generator.Draw(-1.0f));

    // Reseeding keeps the low byte and mixes the number into bits 8..23.
    generator.Reseed(1423464.0);
    QCOMPARE(generator.State() & 0xFF, other.State() & 0xFF);
}

void TestDescrambler::keySeed_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint32>("seed");
    QTest::newRow("abc") << "abc" << 1356312;
    QTest::newRow("qvm, the bank key") << "qvm" << 1423464;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("one character contributes nothing") << "z" << 0;
}

void TestDescrambler::keySeed()
{
    QFETCH(QString, key);
    QFETCH(qint32, seed);
    QCOMPARE(KeySeed(key), seed);
}

void TestDescrambler::decodeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("sentence") << "Hello, world!" << R"(>q"=]4|-L;*]')";
    QTest::newRow("short") << "abc" << "Wnx";
    QTest::newRow("tildes") << "~~~~~" << "t+4Ol";
    QTest::newRow("line feed dropped") << "A\nB" << "7N";
    QTest::newRow("no line feed") << "AB" << "7N";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("only unprintable") << "\t\r\n\x7f" << "";
    QTest::newRow("Chinese character dropped whole") << QStringLiteral("A题B") << "7N";
}

void TestDescrambler::decodeText()
{
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    QCOMPARE(DecodeText(text, BankKey), decoded);
}

void TestDescrambler::decodeIgnoresEarlierDraws()
{
    const QString first = DecodeText(QStringLiteral("Hello, world!"), BankKey);
    Generator::Shared().ReseedFromClock();
    Generator::Shared().Next();
    QCOMPARE(DecodeText(QStringLiteral("Hello, world!"), BankKey), first);
}

void TestDescrambler::droppedCharactersKeepTheSequence()
{
    // Every printable character keeps its place in the sequence whatever is dropped around it.
    const QString plain = QStringLiteral("The quick brown fox");
    QString noisy;
    for (const QChar c : plain)
        noisy += c + QStringLiteral("\r\n题");
    QCOMPARE(DecodeText(noisy, BankKey), DecodeText(plain, BankKey));
    QCOMPARE(DecodeText(plain, BankKey).size(), plain.size());
}

void TestDescrambler::encodeInvertsDecode_data()
{
    QTest::addColumn<QString>("text");
    QString everyPrintable;
    for (char16_t c = 32; c <= 126; ++c)
        everyPrintable += QChar(c);
    QTest::newRow("every printable character") << everyPrintable;
    QTest::newRow("record") << "04-001(::)4(::)1(::)A(::)c2VjcmV0(::)sign.png";
    QTest::newRow("long") << QString(5000, u'~');
}

void TestDescrambler::encodeInvertsDecode()
{
    QFETCH(QString, text);
    const QString encoded = EncodeText(text, BankKey);
    QCOMPARE(encoded.size(), text.size());
    for (const QChar c : encoded)
        QVERIFY(c.unicode() >= 32 && c.unicode() <= 126);
    QCOMPARE(DecodeText(encoded, BankKey), text);
}

QTEST_GUILESS_MAIN(TestDescrambler)
#include "tst_descrambler.moc"
