#include "bank/Descrambler.h"
#include "support/FixtureBank.h"
#include "tools/BankSource.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run Tool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(JIAOGUI_BANK_TOOL), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QJsonObject ChoiceSource(const QString& id, const QString& text)
{
    return {{"id", id},
            {"chapter", 4},
            {"kind", "choice"},
            {"text", text},
            {"options", QJsonArray{QStringLiteral("停车让行"), QStringLiteral("减速让行"),
                                   QStringLiteral("注意行人")}},
            {"answer", "B"},
            {"picture", "yield.png"},
            {"basis", "GB 5768.2"}};
}

QJsonObject JudgeSource(const QString& id, const QString& text)
{
    return {{"id", id}, {"chapter", 5},          {"kind", "judge"},
            {"text", text}, {"answer", false}, {"basis", QStringLiteral("《道路交通安全法》第47条")}};
}

// An explanation of JudgeSource's question, ending in its basis in short.
const QString Explanation = QStringLiteral("行经人行横道应当减速行驶；遇行人正在通过人行横道，"
                                           "应当停车让行。（依据：道路交通安全法第四十七条）");

const QString YieldSvg = QStringLiteral(
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="300" height="160" viewBox="0 0 300 160">)"
    R"(<polygon points="90,10 210,10 150,150" fill="#FFFFFF" stroke="#D00000" stroke-width="12"/>)"
    R"(</svg>)");

// A bank source folder: <dir>/beijing/*.json with <dir>/pict-src/yield.svg.
class SourceTree {
public:
    SourceTree()
    {
        QDir(dir.path()).mkpath("beijing");
        QDir(dir.path()).mkpath("pict-src");
        Write("pict-src/yield.svg", YieldSvg.toUtf8());
    }
    void Write(const QString& name, const QByteArray& content)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void Questions(const QString& file, const QJsonArray& questions)
    {
        Write("beijing/" + file, QJsonDocument(questions).toJson());
    }
    QString Source() const { return dir.filePath("beijing"); }
    QString Out() const { return dir.filePath("out/beijing.dat"); }
    QTemporaryDir dir;
};
} // namespace

class TestBankTool : public QObject {
    Q_OBJECT
private slots:
    void buildCheckDump();
    void buildRefuses_data();
    void buildRefuses();
    void checkFinds_data();
    void checkFinds();
    void checkNotesAGiveawayOption();
    void checkNotesNearDuplicatesOnce();
    void checkShowsTheFirstOfEachSort();
    void checkTellsWhatIsNeverRead_data();
    void checkTellsWhatIsNeverRead();
    void checkExplanations_data();
    void checkExplanations();
    void basisEnding_data();
    void basisEnding();
    void dumpReportsSkippedLines();
    void dumpEscapesControlCharacters();
};

void TestBankTool::buildCheckDump()
{
    SourceTree tree;
    tree.Questions("04.json", {ChoiceSource("04-001", QStringLiteral("图中标志表示什么？"))});
    QJsonObject judge = JudgeSource("05-001", QStringLiteral("行经人行横道时可以加速通过。"));
    judge["explanation"] = Explanation;
    tree.Questions("05.json", {judge});
    QDir().mkpath(QFileInfo(tree.Out()).path());

    const Run build = Tool({"build", tree.Source(), tree.Out()});
    QCOMPARE(build.exitCode, 0);
    QVERIFY(QFileInfo(tree.dir.filePath("out/pict/yield.png")).isFile());

    const Run check = Tool({"check", tree.Out()});
    QCOMPARE(check.exitCode, 0);
    QVERIFY2(check.out.contains("2 records, 1 with a picture, 1 with an explanation"),
             qPrintable(check.out));
    QVERIFY(check.out.contains("no problems"));

    const Run dump = Tool({"dump", tree.Out()});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(
        dump.out,
        QStringLiteral("04-001\t4\t1\tB\t图中标志表示什么？\\r\\nA、停车让行\\r\\nB、减速让行\\r\\n"
                       "C、注意行人\tyield.png\t\n"
                       "05-001\t5\t0\tB\t行经人行横道时可以加速通过。\t\t") +
            Explanation + u'\n');
    QCOMPARE(dump.err, QString());
}

void TestBankTool::buildRefuses_data()
{
    QTest::addColumn<QJsonArray>("questions");
    QTest::addColumn<QString>("message");
    const QJsonObject good = JudgeSource("05-001", QStringLiteral("一个正确的题目。"));
    auto with = [&](const QString& key, const QJsonValue& value) {
        QJsonObject q = good;
        q[key] = value;
        return q;
    };
    QTest::newRow("duplicate id")
        << QJsonArray{good, with("text", QStringLiteral("另一个题目。"))} << "duplicate id";
    QTest::newRow("chapter 0") << QJsonArray{with("chapter", 0)} << "chapter";
    QTest::newRow("chapter 11") << QJsonArray{with("chapter", 11)} << "chapter";
    QTest::newRow("chapter as text") << QJsonArray{with("chapter", "5")} << "chapter";
    QTest::newRow("judge answer letter") << QJsonArray{with("answer", "A")} << "answer";
    QJsonObject choice = ChoiceSource("04-001", QStringLiteral("选择题？"));
    choice["answer"] = "D";
    QTest::newRow("choice answer D") << QJsonArray{choice} << "answer";
    choice = ChoiceSource("04-001", QStringLiteral("选择题？"));
    choice["options"] = QJsonArray{"A", "B"};
    QTest::newRow("two options") << QJsonArray{choice} << "three";
    QTest::newRow("missing picture") << QJsonArray{with("picture", "none.png")} << "missing";
    QTest::newRow("non-ASCII picture name")
        << QJsonArray{with("picture", QStringLiteral("标志.png"))} << "ASCII";
    QTest::newRow("text outside GBK") << QJsonArray{with("text", QStringLiteral("限速🚗"))}
                                      << "GBK";
    QTest::newRow("same text twice")
        << QJsonArray{good, with("id", "05-002")} << "same text as 05-001";
    QTest::newRow("no basis") << QJsonArray{with("basis", "")} << "basis";
    QTest::newRow("unknown kind") << QJsonArray{with("kind", "multi")} << "kind";
    QTest::newRow("explanation without its basis")
        << QJsonArray{with("explanation", QStringLiteral("行人优先。"))}
        << QStringLiteral("explanation must end with （依据：道路交通安全法第四十七条）");
    QTest::newRow("explanation with another basis")
        << QJsonArray{with("explanation",
                           QStringLiteral("行人优先。（依据：道路交通安全法第四十六条）"))}
        << QStringLiteral("（依据：道路交通安全法第四十七条）");
    QTest::newRow("explanation outside GBK")
        << QJsonArray{with("explanation", QStringLiteral("🚶（依据：道路交通安全法第四十七条）"))}
        << QStringLiteral("explanation has characters outside");
    QTest::newRow("explanation not text")
        << QJsonArray{with("explanation", 5)} << QStringLiteral("explanation must be text");
}

void TestBankTool::buildRefuses()
{
    QFETCH(QJsonArray, questions);
    QFETCH(QString, message);
    SourceTree tree;
    tree.Questions("05.json", questions);
    const Run build = Tool({"build", tree.Source(), tree.Out()});
    QCOMPARE(build.exitCode, 1);
    QVERIFY2(build.err.contains(message), qPrintable(build.err));
    QVERIFY2(build.err.contains("05.json: question"), qPrintable(build.err));
    QVERIFY(!QFileInfo::exists(tree.Out()));
}

void TestBankTool::checkFinds_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("problem");
    QTest::newRow("kind 2") << QuestionLine(Question("q", "1", "2", "A", "text")) << "kind";
    QTest::newRow("judge answer C") << QuestionLine(Question("q", "1", "0", "C", "text"))
                                    << "answer";
    QTest::newRow("chapter 11") << QuestionLine(Question("q", "11", "1", "A", "text"))
                                << "chapter";
    QTest::newRow("chapter 03") << QuestionLine(Question("q", "03", "1", "A", "text"))
                                << "chapter";
    QTest::newRow("missing picture") << QuestionLine(Question("q", "1", "1", "A", "text", "x.png"))
                                     << "picture x.png";
    QTest::newRow("picture outside pict")
        << QuestionLine(Question("q", "1", "1", "A", "text", R"(..\x.png)")) << "outside";
    QTest::newRow("five fields") << QuestionLine({"q", "1", "1", "A", "text"}) << "5 fields";
    QTest::newRow("eight fields") << QuestionLine({"q", "1", "1", "A", "text", "", "why", "extra"})
                                  << "8 fields";
    QTest::newRow("explanation not encoded")
        << RawLine("q(::)1(::)1(::)A(::)" + EncodeQuestionText("text").value() + "(::)(::)***")
        << "explanation does not decode";
    QTest::newRow("text not encoded") << RawLine("q(::)1(::)1(::)A(::)***(::)") << "decode";
    QTest::newRow("not base64") << QByteArray("???") << "base64";
    // GBK's user-defined rows and a lone 0xFF decode to characters no font has.
    QTest::newRow("private-use character in the text")
        << RawLine("q(::)1(::)0(::)A(::)" +
                   EncodeText(QString::fromLatin1(QByteArray("\xAA\xA1").toBase64()), BankKey) +
                   "(::)")
        << "private-use";
    QTest::newRow("character the program drops from the record")
        << (EncodeText("q(::)1(::)0(::)A(::)" + EncodeQuestionText("text").value() + "(::)",
                       BankKey)
                .toLatin1() +
            "\xFF")
               .toBase64()
        << "1 characters outside printable ASCII";
}

void TestBankTool::checkFinds()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, problem);
    FixtureBank bank;
    bank.Write({QuestionLine(Question("fine", "1", "1", "A", "text")), line});
    const Run check = Tool({"check", bank.FilePath()});
    QCOMPARE(check.exitCode, 1);
    QVERIFY2(check.out.contains("problem: line 2") && check.out.contains(problem),
             qPrintable(check.out));
}

void TestBankTool::checkNotesAGiveawayOption()
{
    FixtureBank bank;
    const QString stem = QStringLiteral("题目？\r\nA、甲\r\nB、乙\r\nC、");
    bank.Write({QuestionLine(Question("long", "1", "1", "C", stem + QStringLiteral("一个长得多的正确选项"))),
                QuestionLine(Question("even", "1", "1", "C", stem + QStringLiteral("丙")))});
    const Run check = Tool({"check", bank.FilePath()});
    QCOMPARE(check.exitCode, 0);
    QVERIFY2(check.out.contains("note: long: the right option is much longer"), qPrintable(check.out));
    QVERIFY(!check.out.contains("even:"));
}

void TestBankTool::checkNotesNearDuplicatesOnce()
{
    FixtureBank bank;
    bank.Write(
        {QuestionLine(
             Question("p1", "1", "0", "A", QStringLiteral("驾驶机动车，应当随车携带行驶证。"))),
         QuestionLine(Question("other", "1", "0", "A", QStringLiteral("夜间会车应当改用近光灯。"))),
         QuestionLine(
             Question("p2", "1", "0", "A", QStringLiteral("驾驶机动车应当随车携带行驶证！")))});
    const Run check = Tool({"check", bank.FilePath()});
    QCOMPARE(check.exitCode, 0);
    QCOMPARE(check.out.count("near-duplicate"), 1);
    QVERIFY2(check.out.contains("note: near-duplicate texts: p1 and p2 (100%)"),
             qPrintable(check.out));
}

// A bank of many alike faults shows the first few of each sort and counts the rest.
void TestBankTool::checkShowsTheFirstOfEachSort()
{
    FixtureBank bank;
    QList<QByteArray> lines;
    for (int i = 1; i <= 25; ++i)
        lines.append(QuestionLine(
            Question(QStringLiteral("s%1").arg(i), "1", "0", "A", QStringLiteral("同一个题目。"))));
    for (int i = 1; i <= 25; ++i)
        lines.append("bad");
    bank.Write(lines);
    const Run check = Tool({"check", bank.FilePath()});
    QCOMPARE(check.exitCode, 1);
    QCOMPARE(check.out.count("note: near-duplicate texts:"), 20);
    QVERIFY(check.out.contains("note: near-duplicate texts: s1 and s2 (100%)"));
    QVERIFY(check.out.contains("note: near-duplicate texts: s1 and s21 (100%)"));
    QVERIFY2(check.out.contains("note: 280 more near-duplicate pairs not shown"),
             qPrintable(check.out));
    QCOMPARE(check.out.count(": not valid base64 text"), 20);
    QVERIFY(check.out.contains("problem: line 45: not valid base64 text"));
    QVERIFY(check.out.contains("problem: 5 more skipped lines not shown"));
}

void TestBankTool::checkTellsWhatIsNeverRead_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("problems");
    const QByteArray a = QuestionLine(Question("a", "1", "0", "A", "text a"));
    const QByteArray b = QuestionLine(Question("b", "1", "0", "B", "text b"));
    QTest::newRow("empty file") << QByteArray() << 1
                                << QStringList{"no record the program could load"};
    QTest::newRow("empty first line")
        << "\r\n" + a + "\r\n" + b << 1
        << QStringList{"no record", "line 2: never read, it comes after the empty line 1",
                       "line 3: never read"};
    QTest::newRow("records after an empty line") << a + "\r\n\r\n" + b + "\r\n"
                                                 << 1 << QStringList{"line 3: never read"};
    QTest::newRow("empty line at the end") << a + "\r\n" + b + "\r\n\r\n" << 0 << QStringList{};
    QTest::newRow("cut inside a line")
        << a + "\r\n" + b.first(b.size() - 3) << 1 << QStringList{"line 2: not valid base64"};
}

void TestBankTool::checkTellsWhatIsNeverRead()
{
    QFETCH(QByteArray, content);
    QFETCH(int, exitCode);
    QFETCH(QStringList, problems);
    FixtureBank bank;
    bank.Write({content}, "");
    const Run check = Tool({"check", bank.FilePath()});
    QCOMPARE(check.exitCode, exitCode);
    QCOMPARE(check.out.contains("no problems"), exitCode == 0);
    for (const QString& problem : problems)
        QVERIFY2(check.out.contains(problem), qPrintable(check.out));
}

void TestBankTool::checkExplanations_data()
{
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("found");
    QTest::addColumn<bool>("noted");
    const QString statement = QStringLiteral("驾驶机动车可以不随车携带驾驶证。");
    const QString ending = QStringLiteral("（依据：道路交通安全法第十一条）");
    auto judge = [&](const QString& id, const QString& explanation) {
        return QuestionLine({id, "1", "0", "B", statement, "", explanation});
    };
    const QByteArray explained =
        judge("e", QStringLiteral("驾驶机动车上路，应当随车携带机动车驾驶证，否则会被扣留车辆。") +
                       ending);
    const QByteArray without = QuestionLine(Question("w", "1", "1", "A", QStringLiteral("选择？")));
    const QStringList required = {QStringLiteral("--require-explanations")};
    const QString saysNoMore =
        QStringLiteral("note: r: the explanation says no more than the statement");

    QTest::newRow("counted") << QList<QByteArray>{explained, without} << QStringList{} << 0
                             << "2 records, 0 with a picture, 1 with an explanation" << false;
    QTest::newRow("required, one missing") << QList<QByteArray>{explained, without} << required << 1
                                           << "problem: line 2 (w): no explanation" << false;
    QTest::newRow("required, none missing")
        << QList<QByteArray>{explained} << required << 0 << "1 with an explanation" << false;
    QTest::newRow("the statement again") << QList<QByteArray>{judge("r", statement + ending)}
                                         << QStringList{} << 0 << saysNoMore << true;
    QTest::newRow("the statement and a verdict")
        << QList<QByteArray>{judge(
               "r", QStringLiteral("驾驶机动车可以不随车携带驾驶证，这种说法错误。") + ending)}
        << QStringList{} << 0 << saysNoMore << true;
    QTest::newRow("only the basis")
        << QList<QByteArray>{judge("r", ending)} << QStringList{} << 0 << saysNoMore << true;
}

void TestBankTool::checkExplanations()
{
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, found);
    QFETCH(bool, noted);
    FixtureBank bank;
    bank.Write(lines);
    const Run check = Tool(QStringList{"check"} + options + QStringList{bank.FilePath()});
    QCOMPARE(check.exitCode, exitCode);
    QCOMPARE(check.out.contains("no problems"), exitCode == 0);
    QVERIFY2(check.out.contains(found), qPrintable(check.out));
    QCOMPARE(check.out.contains("note:"), noted);
}

// Endings worked out by the helper the explanations' authors use.
void TestBankTool::basisEnding_data()
{
    QTest::addColumn<QString>("basis");
    QTest::addColumn<QString>("ending");
    QTest::newRow("article") << QStringLiteral("《道路交通安全法》第47条")
                             << QStringLiteral("（依据：道路交通安全法第四十七条）");
    QTest::newRow("ten") << QStringLiteral("《北京市实施〈道路交通安全法〉办法》第10条")
                         << QStringLiteral("（依据：北京市实施〈道路交通安全法〉办法第十条）");
    QTest::newRow("a hundred and ten")
        << QStringLiteral("《道路交通安全法实施条例》第110条")
        << QStringLiteral("（依据：道路交通安全法实施条例第一百一十条）");
    QTest::newRow("a zero inside")
        << QStringLiteral("《道路交通事故处理程序规定》第105条")
        << QStringLiteral("（依据：道路交通事故处理程序规定第一百零五条）");
    QTest::newRow("thousands") << QStringLiteral("《道路交通安全法》第2010条")
                               << QStringLiteral("（依据：道路交通安全法第二千零一十条）");
    QTest::newRow("article of an article") << QStringLiteral("《刑法》第133条之一")
                                           << QStringLiteral("（依据：刑法第一百三十三条之一）");
    QTest::newRow("two articles")
        << QStringLiteral("《道路交通安全违法行为记分管理办法》第9条、第10条")
        << QStringLiteral("（依据：道路交通安全违法行为记分管理办法第九条、第十条）");
    QTest::newRow("no article") << QStringLiteral("《机动车驾驶证申领和使用规定》附件1")
                                << QStringLiteral("（依据：机动车驾驶证申领和使用规定附件1）");
    QTest::newRow("standard") << QStringLiteral(
                                     "GB 5768.2 道路交通标志和标线 第2部分：道路交通标志")
                              << QStringLiteral("（依据：GB 5768.2）");
    QTest::newRow("standard with a year") << QStringLiteral("GA 36-2018 中华人民共和国机动车号牌")
                                          << QStringLiteral("（依据：GA 36-2018）");
    QTest::newRow("safe driving") << QStringLiteral("安全驾驶常识：轮胎气压应在冷态下测量")
                                  << QStringLiteral("（依据：安全驾驶常识）");
    QTest::newRow("anything else") << QStringLiteral("公安部交通警察手势信号")
                                   << QStringLiteral("（依据：公安部交通警察手势信号）");
    QTest::newRow("two bases")
        << QStringLiteral("《道路交通安全法》第47条；《道路交通安全法实施条例》第51条")
        << QStringLiteral("（依据：道路交通安全法第四十七条；道路交通安全法实施条例第五十一条）");
}

void TestBankTool::basisEnding()
{
    QFETCH(QString, basis);
    QFETCH(QString, ending);
    QCOMPARE(BasisEnding(basis), ending);
}

void TestBankTool::dumpReportsSkippedLines()
{
    FixtureBank bank;
    bank.Write({QuestionLine(Question("a", "1", "0", "A", "tab\there\\")), "bad line",
                QuestionLine(Question("b", "2", "0", "B", "ok"))});
    const Run dump = Tool({"dump", bank.FilePath()});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(dump.out, QStringLiteral("a\t1\t0\tA\ttab\\there\\\\\t\t\nb\t2\t0\tB\tok\t\t\n"));
    QVERIFY(dump.err.contains("line 2 skipped"));
}

// Nothing a question holds reaches the terminal as a control sequence.
void TestBankTool::dumpEscapesControlCharacters()
{
    FixtureBank bank;
    bank.Write({QuestionLine(Question("c", "1", "0", "A",
                                      QStringLiteral("a\x1b[2Jb\x07"
                                                     "c\x7f\r\n\\")))});
    const Run dump = Tool({"dump", bank.FilePath()});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(dump.out, QStringLiteral("c\t1\t0\tA\ta\\x1b[2Jb\\x07c\\x7f\\r\\n\\\\\t\t\n"));
}

QTEST_GUILESS_MAIN(TestBankTool)
#include "tst_banktool.moc"
