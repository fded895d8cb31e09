#include "app/Platform.h"
#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/OrderedDict.h"
#include "bank/Record.h"
#include "exam/FormEx.h"
#include "practice/FormLen.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"

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
} // namespace

class TestLoader : public QObject {
    Q_OBJECT
private slots:
    void poolsKeepInsertionOrder();
    void loads_data();
    void loads();
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

    const QByteArray a = Choice("a"), b = Judge("b"), c = Choice("c");
    QTest::newRow("CRLF") << a + "\r\n" + b + "\r\n" + c + "\r\n" << QStringList{"a", "b", "c"}
                          << QStringList{};
    QTest::newRow("LF, no final line end") << a + "\n" + b + "\n" + c << QStringList{"a", "b", "c"}
                                           << QStringList{};
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + a + "\r\n" + b << QStringList{"a", "b"}
                                     << QStringList{};
    QTest::newRow("empty third line stops") << a + "\r\n" + b + "\r\n\r\n" + c + "\r\n"
                                            << QStringList{"a", "b"} << QStringList{};
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QStringList{};
    QTest::newRow("not base64") << a + "\r\nnot base64!\r\n" + c << QStringList{"a", "c"}
                                << QStringList{Skip(2, SkipReason::NotDecodable)};
    QTest::newRow("longer than 32767")
        << a + "\r\n" + QByteArray(32768, 'A') + "\r\n" + c << QStringList{"a", "c"}
        << QStringList{Skip(2, SkipReason::TooLong)};
    QTest::newRow("no question text")
        << a + "\r\n" + RawLine("x(::)1(::)1(::)A") + "\r\n" + c << QStringList{"a", "c"}
        << QStringList{Skip(2, SkipReason::TooFewFields)};
    QTest::newRow("no picture field")
        << QuestionLine({"five", "1", "0", "A", QStringLiteral("五个字段")}) << QStringList{"five"}
        << QStringList{};
}

void TestLoader::loads()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, skips);
    FixtureBank fixture;
    fixture.Write({content}, "");
    Cipher cipher;
    const LoadedBank bank = LoadBank(fixture.FilePath(), cipher);
    QVERIFY(bank.found);
    QCOMPARE(Ids(bank), ids);
    QCOMPARE(Skips(bank), skips);
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
