#include "common/Platform.h"
#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/OrderedDict.h"
#include "bank/Record.h"
#include "exam/FormEx.h"
#include "practice/FormLen.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "tools/BankSource.h"

#include <QBuffer>
#include <QTest>

using Lines = QList<QByteArray>;

namespace {
QByteArray Choice(const QString& id, const QString& chapter = "1")
{
    return QuestionLine(Question(id, chapter, "1", "A", QStringLiteral("选择 ") + id));
}

QByteArray Judge(const QString& id, const QString& chapter = "1")
{
    return QuestionLine(Question(id, chapter, "0", "B", QStringLiteral("判断 ") + id));
}

QStringList Ids(const LoadedBank& bank)
{
    QStringList ids;
    for (const BankRecord& record : bank.records)
        ids.append(Record::FieldAt(record.text, Record::Id).toString());
    return ids;
}

QStringList Skips(const LoadedBank& bank)
{
    QStringList skips;
    for (const SkippedLine& line : bank.skipped)
        skips.append(QStringLiteral("%1:%2").arg(line.line).arg(int(line.reason)));
    return skips;
}

QString Skip(int line, SkipReason reason)
{
    return QStringLiteral("%1:%2").arg(line).arg(int(reason));
}

// A line of exactly length characters holding a record that loads: the record is padded with
// an extra field, which the program ignores. length must be a multiple of 4.
QByteArray RecordLineOfLength(qsizetype length)
{
    const QString record = QStringLiteral("long(::)1(::)0(::)A(::)") +
                           EncodeQuestionText(QStringLiteral("长行")).value() +
                           QStringLiteral("(::)(::)");
    const QByteArray line = RawLine(record + QString(length / 4 * 3 - record.size(), u'x'));
    Q_ASSERT(line.size() == length);
    return line;
}

// A line whose record layer holds one byte past ASCII: GBK reads a lone 0xFF as a private-use
// character, which the descrambler drops.
QByteArray LineWithPrivateUseByte(const QString& record)
{
    return (EncodeText(record, BankKey).toLatin1() + '\xFF').toBase64();
}

// What a line reader gives, one entry per line: the line, or "<too long>".
QStringList ReadLines(const QByteArray& content, qsizetype maxLength, qsizetype chunkSize)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, maxLength, chunkSize);
    QStringList lines;
    while (reader.Next()) {
        lines.append(reader.TooLong() ? QStringLiteral("<too long>")
                                      : QString::fromLatin1(reader.Line()));
        if (reader.Number() != lines.size())
            return {QStringLiteral("line %1 numbered %2").arg(lines.size()).arg(reader.Number())};
    }
    return lines;
}
} // namespace

class TestLoader : public QObject {
    Q_OBJECT
private slots:
    void poolsKeepInsertionOrder();
    void loads_data();
    void loads();
    void keepsTheFirstSkippedLines();
    void readsLinesAcrossChunks_data();
    void readsLinesAcrossChunks();
    void missingFile();
    void keepsWholeRecordText();
    void examFilesByKind();
    void practiceFilesByChapter();
    void windowsReportMissingFile();
};

void TestLoader::loads_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("skips");
    QTest::addColumn<int>("emptyLine");

    const QByteArray a = Choice("a"), b = Judge("b"), c = Choice("c");
    QTest::newRow("CRLF") << a + "\r\n" + b + "\r\n" + c + "\r\n"
                          << QStringList{"a", "b", "c"} << QStringList{} << 0;
    QTest::newRow("LF, no final line end")
        << a + "\n" + b + "\n" + c << QStringList{"a", "b", "c"} << QStringList{} << 0;
    QTest::newRow("byte-order mark")
        << "\xEF\xBB\xBF" + a + "\r\n" + b << QStringList{"a", "b"} << QStringList{} << 0;
    QTest::newRow("empty third line stops") << a + "\r\n" + b + "\r\n\r\n" + c + "\r\n"
                                            << QStringList{"a", "b"} << QStringList{} << 3;
    QTest::newRow("empty first line") << "\r\n" + a << QStringList{} << QStringList{} << 1;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QStringList{} << 0;
    QTest::newRow("not base64") << a + "\r\nnot base64!\r\n" + c << QStringList{"a", "c"}
                                << QStringList{Skip(2, SkipReason::NotDecodable)} << 0;
    // The longest line is judged on what it holds; one character more is never decoded.
    QTest::newRow("record of 32764 characters")
        << a + "\r\n" + RecordLineOfLength(32764) + "\r\n" + c << QStringList{"a", "long", "c"}
        << QStringList{} << 0;
    QTest::newRow("32767 characters")
        << a + "\r\n" + QByteArray(32767, 'A') + "\r\n" + c << QStringList{"a", "c"}
        << QStringList{Skip(2, SkipReason::NotDecodable)} << 0;
    QTest::newRow("32768 characters")
        << a + "\r\n" + QByteArray(32768, 'A') + "\r\n" + c << QStringList{"a", "c"}
        << QStringList{Skip(2, SkipReason::TooLong)} << 0;
    QTest::newRow("no question text")
        << a + "\r\n" + RawLine("x(::)1(::)1(::)A") + "\r\n" + c << QStringList{"a", "c"}
        << QStringList{Skip(2, SkipReason::TooFewFields)} << 0;
    QTest::newRow("no picture field")
        << QuestionLine({"five", "1", "0", "A", QStringLiteral("五个字段")}) << QStringList{"five"}
        << QStringList{} << 0;
    // Stored banks may hold such lines: they keep loading as they always have.
    QTest::newRow("private-use character in the line")
        << LineWithPrivateUseByte("pua(::)1(::)0(::)A(::)x(::)") << QStringList{"pua"}
        << QStringList{} << 0;
}

void TestLoader::loads()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, skips);
    QFETCH(int, emptyLine);
    FixtureBank fixture;
    fixture.Write({content}, "");
    Cipher cipher;
    const LoadedBank bank = LoadBank(fixture.FilePath(), cipher);
    QVERIFY(bank.found);
    QCOMPARE(Ids(bank), ids);
    QCOMPARE(Skips(bank), skips);
    QCOMPARE(bank.skippedCount, skips.size());
    QCOMPARE(bank.emptyLine, emptyLine);
}

void TestLoader::keepsTheFirstSkippedLines()
{
    FixtureBank fixture;
    Lines lines(BankReading::SkippedLinesKept + 5, "bad");
    lines.append(Choice("last"));
    fixture.Write(lines);
    Cipher cipher;
    const LoadedBank bank = LoadBank(fixture.FilePath(), cipher);
    QCOMPARE(Ids(bank), QStringList{"last"});
    QCOMPARE(bank.skippedCount, BankReading::SkippedLinesKept + 5);
    QCOMPARE(bank.skipped.size(), BankReading::SkippedLinesKept);
    QCOMPARE(bank.skipped.last().line, BankReading::SkippedLinesKept);
}

void TestLoader::readsLinesAcrossChunks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    // The longest line wanted is 4 characters.
    QTest::newRow("CRLF and LF") << QByteArray("ab\r\ncd\nef") << QStringList{"ab", "cd", "ef"};
    QTest::newRow("final line end") << QByteArray("ab\r\n") << QStringList{"ab"};
    QTest::newRow("empty lines kept") << QByteArray("\r\n\nx\n") << QStringList{"", "", "x"};
    QTest::newRow("CR before the end of the file") << QByteArray("ab\r") << QStringList{"ab"};
    const QByteArray mark = "\xEF\xBB\xBF";
    QTest::newRow("byte-order mark") << mark + "abcd\r\n" << QStringList{"abcd"};
    QTest::newRow("byte-order mark alone") << mark << QStringList{};
    QTest::newRow("part of a mark is text")
        << mark.first(2) << QStringList{QString::fromLatin1(mark.first(2))};
    QTest::newRow("mark after the start is text")
        << "a\n" + mark << QStringList{"a", QString::fromLatin1(mark)};
    QTest::newRow("longest line") << QByteArray("abcd\r\nabcd") << QStringList{"abcd", "abcd"};
    QTest::newRow("one too long") << QByteArray("abcde\r\nx\nabcde")
                                  << QStringList{"<too long>", "x", "<too long>"};
    QTest::newRow("far too long") << QByteArray(40, 'y') + "\nx" << QStringList{"<too long>", "x"};
    QTest::newRow("CR inside a line is kept") << QByteArray("a\rb\r\n") << QStringList{"a\rb"};
    QTest::newRow("nothing") << QByteArray() << QStringList{};
}

// However the file arrives in pieces, the lines are the same.
void TestLoader::readsLinesAcrossChunks()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    for (const qsizetype chunk : {1, 2, 3, 5, 64 * 1024})
        QVERIFY2(ReadLines(content, 4, chunk) == lines,
                 qPrintable(QStringLiteral("chunks of %1: ").arg(chunk) +
                            ReadLines(content, 4, chunk).join(u'|')));
}

void TestLoader::missingFile()
{
    FixtureBank fixture;
    Cipher cipher;
    const LoadedBank bank = LoadBank(fixture.FilePath(), cipher);
    QVERIFY(!bank.found);
    QVERIFY(bank.records.isEmpty());
}

void TestLoader::keepsWholeRecordText()
{
    FixtureBank fixture;
    const QString record = "r1(::)4(::)1(::)C(::)encoded(::)x.png(::)extra";
    fixture.Write({RawLine(record)});
    Cipher cipher;
    const LoadedBank bank = LoadBank(fixture.FilePath(), cipher);
    QCOMPARE(bank.records.size(), 1);
    QCOMPARE(bank.records[0].text, record);
    QCOMPARE(Record::FieldAt(bank.records[0].text, Record::Picture), u"x.png");
    QCOMPARE(Record::FieldAt(bank.records[0].text, 7), QStringView());
}

void TestLoader::examFilesByKind()
{
    FixtureBank fixture;
    fixture.Write({Judge("j1"), Choice("c1"), Judge("j2"), Choice("c2"), Judge("j3")});
    fixture.Use();
    MessageBoxCatcher boxes;
    FormEx exam;
    QVERIFY(!exam.ReadData()); // too few questions for an exam, but the pools are filled
    QCOMPARE(exam.mdictpd.Keys(), QStringList({"k_1", "k_2", "k_3"}));
    QCOMPARE(exam.mdictxz.Keys(), QStringList({"k_1", "k_2"}));
    QVERIFY(exam.mdictpd.Item("k_2").startsWith("j2(::)1(::)0(::)B(::)"));
    QVERIFY(exam.mdictxz.Item("k_2").startsWith("c2(::)"));
}

void TestLoader::practiceFilesByChapter()
{
    FixtureBank fixture;
    fixture.Write({Choice("a", "3"), Judge("b", "3"), Choice("c", "1"), Choice("eleven", "11"),
                   Choice("zero", "0"), Choice("word", "x"), Choice("signed", "+2"),
                   Choice("padded", "01"), Choice("ten", "10")});
    fixture.Use();
    FormLen practice;
    QCOMPARE(practice.maryzs, (std::array<int, 10>{2, 0, 2, 0, 0, 0, 0, 0, 0, 1}));
    QCOMPARE(practice.mdictzj[2].Keys(), QStringList({"k_1", "k_2"}));
    QVERIFY(practice.mdictzj[2].Item("k_2").startsWith("b(::)"));
    QVERIFY(practice.mdictzj[0].Item("k_2").startsWith("padded(::)"));
    QVERIFY(practice.mdictzj[9].Item("k_1").startsWith("ten(::)"));
}

void TestLoader::windowsReportMissingFile()
{
    FixtureBank fixture;
    fixture.Use();
    MessageBoxCatcher boxes;
    FormLen practice;
    FormEx exam;
    exam.cmdStart_Click();
    QCOMPARE(boxes.seen.size(), 2);
    for (const auto& box : boxes.seen) {
        QCOMPARE(box.text, QStringLiteral("数据库不存在"));
        QCOMPARE(box.caption, QStringLiteral("提示信息"));
        QCOMPARE(box.icon, QMessageBox::Warning);
    }
    QCOMPARE(practice.maryzs, (std::array<int, 10>{}));
}

void TestLoader::poolsKeepInsertionOrder()
{
    OrderedDict dict;
    QVERIFY(dict.Add("k_1", "one"));
    QVERIFY(dict.Add("k_2", "two"));
    QVERIFY(!dict.Add("k_1", "again"));
    QCOMPARE(dict.Item("k_1"), "one");
    QCOMPARE(dict.Item("k_9"), QString());
    QVERIFY(dict.Remove("k_1"));
    QVERIFY(!dict.Remove("k_1"));
    QVERIFY(dict.Add("k_1", "back"));
    QCOMPARE(dict.Keys(), QStringList({"k_2", "k_1"}));
    QCOMPARE(dict.Count(), 2);
    QVERIFY(dict.Exists("k_2"));
}

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
