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
    void decodeLeavesTheSharedGenerator_data();
    void decodeLeavesTheSharedGenerator();
    void decodesBytesAsText();
    void droppedCharactersKeepTheSequence();
    void encodeInvertsDecode_data();
    void encodeInvertsDecode();
};

// Check values from docs/bank-format.md, worked out apart from this code.
void TestDescrambler::generatorSequence()
{
    Generator generator;
    QCOMPARE(generator.State(), 0x50000u);
    QCOMPARE(generator.Next(), 0.7055475115776062f);
    QCOMPARE(generator.State(), 0xB49EC3u);
    generator.Next();
    QCOMPARE(generator.State(), 0x888E7Au);

    // A negative draw fixes the state whatever came before: -1 gives 0x8000BF, then a draw.
    QCOMPARE(generator.Draw(-1.0f), 0.2240070104598999f);
    QCOMPARE(generator.State(), 0x395886u);
    QCOMPARE(Generator().Draw(-1.0f), 0.2240070104598999f);
    Generator other;
    other.Draw(-2.5f);
    QCOMPARE(other.State(), 0x569C83u);

    // Reseeding keeps the low byte and mixes the number into bits 8..23.
    generator.Reseed(1423464.0);
    QCOMPARE(generator.State(), 0xF95D86u);
    Generator seeded(0x123456);
    seeded.Reseed(12345.0);
    QCOMPARE(seeded.State(), 0x5C4856u);

    // The shifts of a scramble with the key qvm.
    QList<quint32> shifts;
    for (int i = 0; i < 8; ++i) {
        generator.Next();
        shifts.append(generator.Scaled(96));
    }
    QCOMPARE(shifts, QList<quint32>({10, 83, 74, 47, 18, 87, 3, 74}));
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

// The program's generator ends where drawing one number per character leaves it, however long
// the text: 70,000 characters go past the table of states the descrambler keeps.
void TestDescrambler::decodeLeavesTheSharedGenerator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<quint32>("state");
    QTest::newRow("short") << "~~~"
                           << "t+4"
                           << "t+4" << 0xC58633u;
    QTest::newRow("longer than the table") << QString(70000, u'~') << "t+4Ol"
                                           << "HD]mT" << 0x7134F6u;
    QTest::newRow("nothing to decode") << "\t"
                                       << ""
                                       << "" << 0xF95D86u;
}

void TestDescrambler::decodeLeavesTheSharedGenerator()
{
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(quint32, state);
    const QString decoded = DecodeText(text, BankKey);
    QVERIFY(decoded.startsWith(start));
    QVERIFY(decoded.endsWith(end));
    QCOMPARE(Generator::Shared().State(), state);
    if (decoded.size() > 65540)
        QCOMPARE(decoded.mid(65534, 6), QStringLiteral("2i]p'x"));
}

// Bank lines are decoded from their bytes: the same result as from the text.
void TestDescrambler::decodesBytesAsText()
{
    QByteArray bytes;
    for (int c = 0; c < 256; ++c)
        bytes.append(char(c));
    QCOMPARE(DecodeText(QLatin1StringView(bytes), BankKey),
             DecodeText(QString::fromLatin1(bytes), BankKey));
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
