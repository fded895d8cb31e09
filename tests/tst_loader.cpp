#include "app/MainWindow.h"
#include "bank/BankLoader.h"
#include "bank/BankTrailer.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/OrderedDict.h"
#include "bank/Record.h"
#include "bank/Topics.h"
#include "common/Platform.h"
#include "exam/ExamWindow.h"
#include "practice/PracticeWindow.h"
#include "progress/StudyWindow.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/QuestionWindows.h"
#include "tools/BankSource.h"

#include <QBuffer>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cstring>
#include <numeric>

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

// The bank a file of exactly these bytes loads as.
LoadedBank LoadedFrom(const QByteArray& content)
{
    FixtureBank fixture;
    fixture.Write({content}, "");
    Cipher cipher;
    return LoadBank(fixture.FilePath(), cipher);
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

// What a line reader gives, one entry per line: the line, or "<too long>", followed by
// "<no line end>" when the file stops inside it.
QStringList ReadLines(QIODevice& device, qsizetype maxLength, qsizetype chunkSize)
{
    LineReader reader(device, maxLength, chunkSize);
    QStringList lines;
    while (reader.Next()) {
        lines.append(reader.TooLong() ? QStringLiteral("<too long>")
                                      : QString::fromLatin1(reader.Line()));
        if (!reader.Ended())
            lines.last() += QStringLiteral("<no line end>");
        if (reader.Number() != lines.size())
            return {QStringLiteral("line %1 numbered %2").arg(lines.size()).arg(reader.Number())};
    }
    return lines;
}

QStringList ReadLines(const QByteArray& content, qsizetype maxLength, qsizetype chunkSize)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    return ReadLines(buffer, maxLength, chunkSize);
}

QByteArray Sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// The trailer line for records, written out as an outside tool would, without its line end.
QByteArray TrailerOf(QByteArrayView records, int count)
{
    return "jiaogui-trailer records=" + QByteArray::number(count) +
           " sha256=" + Sha256(records).toHex();
}

QByteArray Joined(const Lines& lines, const QByteArray& lineEnd = "\r\n")
{
    QByteArray joined;
    for (const QByteArray& line : lines)
        joined += line + lineEnd;
    return joined;
}

// Gives its content, then fails as a disk with a bad sector does.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(const QByteArray& content) : content(content) { open(ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (at == content.size()) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = std::min<qint64>(maxSize, content.size() - at);
        std::memcpy(data, content.constData() + at, std::size_t(n));
        at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray content;
    qint64 at = 0;
};
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
    void readErrorEndsTheLines_data();
    void readErrorEndsTheLines();
    void readErrorEndsLoading();
    void missingFile();
    void keepsWholeRecordText();
    void topicsOfARecord_data();
    void topicsOfARecord();
    void examFilesByKind();
    void practiceFilesByChapter();
    void windowsTellWhyTheBankCannotBeRead_data();
    void windowsTellWhyTheBankCannotBeRead();
    void parsesTrailerLines_data();
    void parsesTrailerLines();
    void hashesTheBytesBeforeTheEmptyLine_data();
    void hashesTheBytesBeforeTheEmptyLine();
    void readsTheTrailer_data();
    void readsTheTrailer();
    void windowsTellOfADamagedBankOnce_data();
    void windowsTellOfADamagedBankOnce();
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
    QTest::newRow("topics in field 7")
        << QuestionLine({"topics", "1", "0", "A", QStringLiteral("有专项"), "", "", "1,4"}) +
               "\r\n" + a
        << QStringList{"topics", "a"} << QStringList{} << 0;
}

void TestLoader::loads()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, skips);
    QFETCH(int, emptyLine);
    const LoadedBank bank = LoadedFrom(content);
    QCOMPARE(bank.status, BankStatus::Read);
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
    const QString unended = QStringLiteral("<no line end>");
    QTest::newRow("CRLF and LF") << QByteArray("ab\r\ncd\nef")
                                 << QStringList{"ab", "cd", "ef" + unended};
    QTest::newRow("final line end") << QByteArray("ab\r\n") << QStringList{"ab"};
    QTest::newRow("empty lines kept") << QByteArray("\r\n\nx\n") << QStringList{"", "", "x"};
    // A cut between CR and LF.
    QTest::newRow("CR before the end of the file")
        << QByteArray("ab\r") << QStringList{"ab" + unended};
    const QByteArray mark = "\xEF\xBB\xBF";
    QTest::newRow("byte-order mark") << mark + "abcd\r\n" << QStringList{"abcd"};
    QTest::newRow("byte-order mark alone") << mark << QStringList{};
    QTest::newRow("part of a mark is text")
        << mark.first(2) << QStringList{QString::fromLatin1(mark.first(2)) + unended};
    QTest::newRow("mark after the start is text")
        << "a\n" + mark << QStringList{"a", QString::fromLatin1(mark) + unended};
    QTest::newRow("longest line") << QByteArray("abcd\r\nabcd")
                                  << QStringList{"abcd", "abcd" + unended};
    QTest::newRow("one too long") << QByteArray("abcde\r\nx\nabcde")
                                  << QStringList{"<too long>", "x", "<too long>" + unended};
    QTest::newRow("far too long") << QByteArray(40, 'y') + "\nx"
                                  << QStringList{"<too long>", "x" + unended};
    QTest::newRow("far too long at the end")
        << "x\n" + QByteArray(40, 'y') << QStringList{"x", "<too long>" + unended};
    QTest::newRow("too long at the end with a line end") << "x\n" + QByteArray(40, 'y') + "\r\n"
                                                         << QStringList{"x", "<too long>"};
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

void TestLoader::readErrorEndsTheLines_data()
{
    QTest::addColumn<QByteArray>("beforeError");
    QTest::addColumn<QStringList>("lines");
    // The longest line wanted is 4 characters. A line the error cuts off is not given: it
    // would pass for a whole one.
    QTest::newRow("at the start") << QByteArray() << QStringList{};
    QTest::newRow("inside the second line") << QByteArray("ab\ncd") << QStringList{"ab"};
    QTest::newRow("after a line end") << QByteArray("ab\r\ncd\r\n") << QStringList{"ab", "cd"};
    QTest::newRow("between CR and LF") << QByteArray("ab\r") << QStringList{};
    QTest::newRow("inside a line too long") << QByteArray("ab\nabcdefgh") << QStringList{"ab"};
}

void TestLoader::readErrorEndsTheLines()
{
    QFETCH(QByteArray, beforeError);
    QFETCH(QStringList, lines);
    for (const qsizetype chunk : {1, 3, 64 * 1024}) {
        FailingDevice device(beforeError);
        LineReader reader(device, 4, chunk);
        QStringList read;
        while (reader.Next())
            read.append(QString::fromLatin1(reader.Line()));
        QCOMPARE(read, lines);
        QVERIFY(reader.Failed());
        QCOMPARE(reader.Error(), QStringLiteral("Input/output error"));
        QVERIFY(!reader.Next());
    }
}

// A bank whose reading fails half-way is not a smaller bank.
void TestLoader::readErrorEndsLoading()
{
    const QByteArray c = Choice("c");
    FailingDevice device(Choice("a") + "\r\n" + Judge("b") + "\r\n" + c.first(c.size() / 2));
    Cipher cipher;
    QStringList ids;
    const BankReading reading = ReadBank(device, cipher, [&](BankRecord&& record) {
        ids.append(Record::FieldAt(record.text, Record::Id).toString());
    });
    QCOMPARE(ids, QStringList({"a", "b"}));
    QCOMPARE(reading.status, BankStatus::ReadFailed);
    QVERIFY(!reading.Complete());
    QCOMPARE(reading.lines, 2);
    QCOMPARE(BankStatusText(reading, "x.dat"),
             QStringLiteral("x.dat: reading failed after line 2, the bank is not whole: "
                            "Input/output error"));
}

void TestLoader::missingFile()
{
    FixtureBank fixture;
    Cipher cipher;
    const LoadedBank bank = LoadBank(fixture.FilePath(), cipher);
    QCOMPARE(bank.status, BankStatus::Missing);
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

void TestLoader::topicsOfARecord_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("topics");
    const QStringList six = {"t", "1", "0", "A", "text", ""};
    QTest::newRow("six fields") << six << QStringList{};
    QTest::newRow("explanation, no topics") << six + QStringList{"why"} << QStringList{};
    QTest::newRow("empty field 7") << six + QStringList{"", ""} << QStringList{};
    QTest::newRow("first and last")
        << six + QStringList{"", "1,18"}
        << QStringList{QStringLiteral("数字"), QStringLiteral("安全文明驾驶")};
    QTest::newRow("in the record's order")
        << six + QStringList{"why", "4,2"}
        << QStringList{QStringLiteral("交通标志"), QStringLiteral("罚款")};
    QTest::newRow("what names no topic is left out")
        << six + QStringList{"", "0,19,01,+2, 3,x,,3"} << QStringList{QStringLiteral("记分")};
    QTest::newRow("named twice") << six + QStringList{"", "5,5"}
                                 << QStringList{QStringLiteral("交通标线")};
}

void TestLoader::topicsOfARecord()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, topics);
    QCOMPARE(Topics::Of(fields), topics);
}

void TestLoader::examFilesByKind()
{
    FixtureBank fixture;
    fixture.Write({Judge("j1"), Choice("c1"), Judge("j2"), Choice("c2"), Judge("j3")});
    fixture.Use();
    MessageBoxCatcher boxes;
    ExamWindow exam;
    QVERIFY(!exam.ReadData()); // too few questions for an exam, but the pools are filled
    QCOMPARE(exam.trueFalsePool.Keys(), QStringList({"k_1", "k_2", "k_3"}));
    QCOMPARE(exam.choicePool.Keys(), QStringList({"k_1", "k_2"}));
    QVERIFY(exam.trueFalsePool.Item("k_2").startsWith("j2(::)1(::)0(::)B(::)"));
    QVERIFY(exam.choicePool.Item("k_2").startsWith("c2(::)"));
}

void TestLoader::practiceFilesByChapter()
{
    FixtureBank fixture;
    fixture.Write({Choice("a", "3"), Judge("b", "3"), Choice("c", "1"), Choice("eleven", "11"),
                   Choice("zero", "0"), Choice("word", "x"), Choice("signed", "+2"),
                   Choice("padded", "01"), Choice("ten", "10")});
    fixture.Use();
    PracticeWindow practice;
    QCOMPARE(practice.chapterSizes, (std::array<int, 10>{2, 0, 2, 0, 0, 0, 0, 0, 0, 1}));
    QCOMPARE(practice.chapterPools[2].Keys(), QStringList({"k_1", "k_2"}));
    QVERIFY(practice.chapterPools[2].Item("k_2").startsWith("b(::)"));
    QVERIFY(practice.chapterPools[0].Item("k_2").startsWith("padded(::)"));
    QVERIFY(practice.chapterPools[9].Item("k_1").startsWith("ten(::)"));
}

void TestLoader::windowsTellWhyTheBankCannotBeRead_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("notice");
    QTest::newRow("missing") << "nothing" << QStringLiteral("数据库不存在");
    QTest::newRow("folder") << "folder" << QStringLiteral("题库不是一个文件，无法读取：");
    QTest::newRow("pipe") << "pipe" << QStringLiteral("题库不是一个文件，无法读取：");
    QTest::newRow("no permission") << "no permission" << QStringLiteral("题库文件无法打开：");
    // Reading the process's own memory from address 0 fails with EIO: a read error that
    // needs no faulty disk.
    QTest::newRow("read error") << "read error"
                                << QStringLiteral(
                                       "读取题库文件时出错，只读到第 0 行，题库不完整，无法使用：");
}

void TestLoader::windowsTellWhyTheBankCannotBeRead()
{
    QFETCH(QString, make);
    QFETCH(QString, notice);
    FixtureBank fixture;
    if (make == u"read error") {
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), fixture.FilePath()));
    } else if (make != u"nothing"
               && !fixture.MakeUnreadable(make, FixtureBank::ExamLines(60, 60))) {
        QSKIP("the superuser reads any file");
    }
    fixture.Use();
    MessageBoxCatcher boxes;
    PracticeWindow practice;
    ExamWindow exam;
    exam.StartExam();
    StudyWindow study;
    MainWindow main; // its pass forecast reads the bank chosen
    main.findChild<QComboBox*>(QStringLiteral("cboBank"))->setCurrentIndex(0);
    main.BankChanged(); // told once, not at every return to the main window
    QCOMPARE(boxes.seen.size(), 4);
    for (const auto& box : boxes.seen) {
        QVERIFY2(box.text.startsWith(notice), qPrintable(box.text));
        QCOMPARE(box.caption, QStringLiteral("提示信息"));
        QCOMPARE(box.icon, QMessageBox::Warning);
    }
    QCOMPARE(practice.chapterSizes, (std::array<int, 10>{}));
    QCOMPARE(exam.choicePool.Count(), 0);
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

void TestLoader::parsesTrailerLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("records"); // -1 when the line holds no trailer
    QTest::addColumn<bool>("looksLikeOne");
    const QByteArray digest = QByteArray("0123456789abcdef").repeated(4);
    const QByteArray start = "jiaogui-trailer records=";
    QTest::newRow("trailer") << start + "1200 sha256=" + digest << 1200 << true;
    QTest::newRow("no records") << start + "0 sha256=" + digest << 0 << true;
    QTest::newRow("leading zero") << start + "01 sha256=" + digest << -1 << true;
    QTest::newRow("sign") << start + "+1 sha256=" + digest << -1 << true;
    QTest::newRow("no count") << start + " sha256=" + digest << -1 << true;
    QTest::newRow("sixteen digits") << start + "1234567890123456 sha256=" + digest << -1 << true;
    QTest::newRow("upper-case digest") << start + "3 sha256=" + digest.toUpper() << -1 << true;
    QTest::newRow("digest a digit short") << start + "3 sha256=" + digest.chopped(1) << -1 << true;
    QTest::newRow("digest a digit long") << start + "3 sha256=" + digest + "0" << -1 << true;
    QTest::newRow("two spaces") << start + "3  sha256=" + digest << -1 << true;
    QTest::newRow("space at the end") << start + "3 sha256=" + digest + " " << -1 << true;
    QTest::newRow("another digest") << start + "3 sha265=" + digest << -1 << true;
    QTest::newRow("another word") << "Jiaogui-trailer records=3 sha256=" + digest << -1 << false;
    QTest::newRow("a record") << Choice("a") << -1 << false;
}

void TestLoader::parsesTrailerLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, records);
    QFETCH(bool, looksLikeOne);
    const auto trailer = ParseTrailer(line);
    QCOMPARE(trailer ? int(trailer->records) : -1, records);
    QCOMPARE(LooksLikeTrailer(line), looksLikeOne);
    if (trailer) {
        QCOMPARE(trailer->sha256.toHex(), line.sliced(line.indexOf("sha256=") + 7));
        QCOMPARE(TrailerLine(*trailer), line);
    }
}

void TestLoader::hashesTheBytesBeforeTheEmptyLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("hashed"); // the bytes before the first empty line, or all of them
    // The longest line wanted is 4 characters.
    const QByteArray mark = "\xEF\xBB\xBF";
    QTest::newRow("CRLF") << QByteArray("ab\r\ncd\r\n\r\nxy\r\n") << 8;
    QTest::newRow("LF") << QByteArray("ab\ncd\n\nxy") << 6;
    QTest::newRow("byte-order mark") << mark + "ab\r\n\r\nxy" << 7;
    QTest::newRow("empty first line") << QByteArray("\r\nab\r\n") << 0;
    QTest::newRow("byte-order mark and an empty line") << mark + "\n" << 3;
    QTest::newRow("lines too long") << QByteArray("abcdefgh\r\nx\r\nabcdefghij\n\nxy") << 24;
    QTest::newRow("CR inside a line") << QByteArray("a\rb\n\r\n") << 4;
    QTest::newRow("no empty line") << QByteArray("ab\r\ncd") << 6;
}

// However the file arrives in pieces, the hash covers exactly what comes before the empty line.
void TestLoader::hashesTheBytesBeforeTheEmptyLine()
{
    QFETCH(QByteArray, content);
    QFETCH(int, hashed);
    for (const qsizetype chunk : {1, 2, 3, 5, 64 * 1024}) {
        QBuffer buffer(&content);
        buffer.open(QIODevice::ReadOnly);
        LineReader reader(buffer, 4, chunk);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        reader.HashInto(&hash);
        while (reader.Next()) {
            if (!reader.TooLong() && reader.Line().isEmpty())
                reader.HashInto(nullptr);
        }
        QVERIFY2(hash.result() == Sha256(content.first(hashed)),
                 qPrintable(QStringLiteral("chunks of %1").arg(chunk)));
    }
}

void TestLoader::readsTheTrailer_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<int>("trailerLine"); // 0 when there is none
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<int>("lost");
    const QByteArray a = Choice("a"), b = Judge("b"), c = Choice("c");
    const QByteArray records = Joined({a, b, c});
    const QByteArray trailer = "\r\n" + TrailerOf(records, 3) + "\r\n";
    const QByteArray mark = "\xEF\xBB\xBF";
    const QStringList abc = {"a", "b", "c"};

    QTest::newRow("none") << records << abc << 0 << false << 0;
    QTest::newRow("as the bank tool writes it")
        << FixtureBank::WithTrailer({a, b, c}) << abc << 5 << false << 0;
    QTest::newRow("LF, no line end after the trailer")
        << Joined({a, b, c}, "\n") + "\n" + TrailerOf(Joined({a, b, c}, "\n"), 3) << abc << 5
        << false << 0;
    QTest::newRow("byte-order mark hashed")
        << mark + records + "\r\n" + TrailerOf(mark + records, 3) << abc << 5 << false << 0;
    QTest::newRow("byte-order mark not hashed")
        << mark + records + trailer << abc << 5 << true << 0;
    QTest::newRow("empty line at the end, no trailer") << records + "\r\n"
                                                       << abc << 0 << false << 0;
    QTest::newRow("more after the trailer") << records + trailer + "more\r\n"
                                            << abc << 5 << false << 0;
    QTest::newRow("a line lost") << Joined({a, c}) + trailer << QStringList{"a", "c"} << 4 << true
                                 << 1;
    QTest::newRow("a line damaged")
        << Joined({a, "!" + b.sliced(1), c}) + trailer << QStringList{"a", "c"} << 5 << true << 1;
    QTest::newRow("a record changed")
        << Joined({a, Judge("d"), c}) + trailer << QStringList{"a", "d", "c"} << 5 << true << 0;
    QTest::newRow("a record added") << Joined({a, b, c, Judge("d")}) + trailer
                                    << QStringList{"a", "b", "c", "d"} << 6 << true << 0;
    QTest::newRow("an empty line put in")
        << Joined({a, "", b, c}) + trailer << QStringList{"a"} << 6 << true << 2;
    QTest::newRow("damaged trailer")
        << records + QByteArray(trailer).replace("sha256", "sha265") << abc << 0 << true << 0;
    QTest::newRow("a line damaged, no trailer")
        << Joined({a, "!" + b.sliced(1), c}) << QStringList{"a", "c"} << 0 << true << 1;
    QTest::newRow("lines after an empty line, no trailer")
        << Joined({a, "", b, c}) << QStringList{"a"} << 0 << true << 2;
}

void TestLoader::readsTheTrailer()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, ids);
    QFETCH(int, trailerLine);
    QFETCH(bool, damaged);
    QFETCH(int, lost);
    const LoadedBank bank = LoadedFrom(content);
    QCOMPARE(bank.status, BankStatus::Read);
    QCOMPARE(Ids(bank), ids);
    QCOMPARE(bank.recordsRead, ids.size());
    QCOMPARE(bank.trailerLine, trailerLine);
    QCOMPARE(bank.trailer.has_value(), trailerLine > 0);
    QCOMPARE(bank.Damaged(), damaged);
    QCOMPARE(bank.TrailerAgrees(), trailerLine > 0 && !damaged);
    QCOMPARE(bank.Lost(), lost);
}

void TestLoader::windowsTellOfADamagedBankOnce_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("notice"); // its first line; empty when nothing is told
    QTest::addColumn<int>("records");
    const Lines lines = FixtureBank::ExamLines(60, 60);
    const QByteArray whole = FixtureBank::WithTrailer(lines);
    const QByteArray trailer = whole.sliced(Joined(lines).size());
    Lines damaged = lines;
    damaged[4] = "!" + damaged[4].sliced(1);
    Lines changed = lines;
    changed[0] = QuestionLine(Question("x1", "1", "1", "A", QStringLiteral("改过的题目")));
    const QString unreadable = QStringLiteral("题库文件已损坏或不完整，有 %1 道题无法读取：");

    QTest::newRow("whole") << whole << QString() << 120;
    QTest::newRow("whole, without a trailer") << Joined(lines) << QString() << 120;
    QTest::newRow("a line damaged") << Joined(damaged) + trailer << unreadable.arg(1) << 119;
    QTest::newRow("a line damaged, without a trailer")
        << Joined(damaged) << unreadable.arg(1) << 119;
    QTest::newRow("ten lines lost")
        << Joined(lines.first(50) + lines.sliced(60)) + trailer << unreadable.arg(10) << 110;
    QTest::newRow("lines after an empty line, without a trailer")
        << Joined(lines.first(115) + Lines{""} + lines.sliced(115)) << unreadable.arg(5) << 115;
    QTest::newRow("a record changed")
        << Joined(changed) + trailer
        << QStringLiteral(
               "题库文件的内容与文件末尾记录的校验值不符，可能已损坏，个别题目可能有误：")
        << 120;
    QTest::newRow("trailer damaged")
        << QByteArray(whole).replace("sha256=", "sha256:")
        << QStringLiteral("题库文件末尾的校验信息已损坏，无法确认题库是否完整：") << 120;
}

// Every window uses what could be read; the learner hears of the damage once, whichever window
// loads the bank first, and again only for another bank.
void TestLoader::windowsTellOfADamagedBankOnce()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, notice);
    QFETCH(int, records);
    FixtureBank fixture;
    fixture.Write({content}, "");
    fixture.Use();
    MessageBoxCatcher boxes;
    {
        MainWindow main; // its pass forecast reads the bank chosen
        main.findChild<QComboBox*>(QStringLiteral("cboBank"))->setCurrentIndex(0);
        main.BankChanged();
        PracticeDriver practice;
        practice.Chapter(1);
        practice.Start();
        QVERIFY(!practice.Question().isEmpty());
        const auto& sizes = practice.window.chapterSizes;
        QCOMPARE(std::accumulate(sizes.begin(), sizes.end(), 0), records);
        ExamDriver exam;
        exam.Start();
        QVERIFY(!exam.Question().isEmpty());
        QCOMPARE(exam.window.choicePool.Count() + exam.window.trueFalsePool.Count(), records);
        StudyWindow study;
    }
    if (notice.isEmpty()) {
        QCOMPARE(boxes.seen.size(), 0);
        return;
    }
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text,
             notice + u'\n' + QDir::toNativeSeparators(fixture.FilePath()) + u'\n' +
                 QStringLiteral("练习和考试照常进行，使用读到的 %1 道题。").arg(records));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);

    FixtureBank other;
    other.Write({content}, "");
    other.Use();
    PracticeWindow another;
    QCOMPARE(boxes.seen.size(), 2);
    QVERIFY(boxes.seen[1].text.contains(QDir::toNativeSeparators(other.FilePath())));
}

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
