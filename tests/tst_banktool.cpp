#include "bank/Descrambler.h"
#include "support/FixtureBank.h"
#include "tools/BankSource.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run Tool(const QStringList& arguments,
         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
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

// The environment in which reading path fails with EIO after its first bytes.
QProcessEnvironment FailingReadAfter(const QString& path, qsizetype bytes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
#ifdef JIAOGUI_READ_FAILURE
    environment.insert("LD_PRELOAD", QStringLiteral(JIAOGUI_READ_FAILURE));
    // A sanitizer build wants its runtime loaded first; the preloaded read() does not mind.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") +
                                           QStringLiteral(":verify_asan_link_order=0"));
    environment.insert("JIAOGUI_FAIL_READ_PATH", QFileInfo(path).canonicalFilePath());
    environment.insert("JIAOGUI_FAIL_READ_AFTER", QString::number(bytes));
#else
    Q_UNUSED(path);
    Q_UNUSED(bytes);
#endif
    return environment;
}

// The most memory the bank tool held while it ran, in KiB; its output is thrown away.
long PeakMemoryKiB(const QStringList& arguments)
{
    QList<QByteArray> words{QByteArray(JIAOGUI_BANK_TOOL)};
    for (const QString& argument : arguments)
        words.append(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
        return -1;
    return usage.ru_maxrss;
}

// The check's line for a topic: its name, padding, its count.
QRegularExpression TopicLine(const QString& name, int count)
{
    return QRegularExpression(QStringLiteral("\n%1[\\x{3000} ]* +%2\n").arg(name).arg(count));
}

QByteArray Sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The lines, each ending in CR LF.
QByteArray Joined(const QList<QByteArray>& lines)
{
    QByteArray joined;
    for (const QByteArray& line : lines)
        joined += line + "\r\n";
    return joined;
}

// The empty line and the trailer line for records, written out as an outside tool would.
QByteArray TrailerOf(QByteArrayView records, int count)
{
    return "\r\njiaogui-trailer records=" + QByteArray::number(count) +
           " sha256=" + Sha256Hex(records) + "\r\n";
}

// A line whose explanation is stored from these bytes as they are, whether GBK or not.
QByteArray LineWithExplanationBytes(const QByteArray& bytes)
{
    return RawLine("q(::)1(::)0(::)A(::)" + EncodeQuestionText("text").value() + "(::)(::)" +
                   EncodeText(QString::fromLatin1(bytes.toBase64()), BankKey));
}

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
    void buildWritesTheFields_data();
    void buildWritesTheFields();
    void buildRefuses_data();
    void buildRefuses();
    void checkFinds_data();
    void checkFinds();
    void checkNotesAGiveawayOption();
    void checkNotesNearDuplicatesOnce();
    void checkShowsTheFirstOfEachSort();
    void checkTellsWhatIsNeverRead_data();
    void checkTellsWhatIsNeverRead();
    void checkNamesTheLineTheFileEndsIn_data();
    void checkNamesTheLineTheFileEndsIn();
    void checkTellsOfTheTrailer_data();
    void checkTellsOfTheTrailer();
    void checkAndDumpSayWhyTheyCannotRead_data();
    void checkAndDumpSayWhyTheyCannotRead();
    void checkExplanations_data();
    void checkExplanations();
    void basisEnding_data();
    void basisEnding();
    void dumpReportsSkippedLines();
    void dumpSaysWhatIsNotAsWritten_data();
    void dumpSaysWhatIsNotAsWritten();
    void dumpEscapesControlCharacters_data();
    void dumpEscapesControlCharacters();
    void dumpMarksWhatItCannotShow_data();
    void dumpMarksWhatItCannotShow();
    void dumpKeepsNoRecords();
};

void TestBankTool::buildCheckDump()
{
    SourceTree tree;
    QJsonObject choice = ChoiceSource("04-001", QStringLiteral("图中标志表示什么？"));
    choice["topics"] = QJsonArray{QStringLiteral("交通标志")};
    tree.Questions("04.json", {choice});
    QJsonObject judge = JudgeSource("05-001", QStringLiteral("行经人行横道时可以加速通过。"));
    judge["explanation"] = Explanation;
    judge["topics"] = QJsonArray{QStringLiteral("通行与让行"), QStringLiteral("交通标志")};
    tree.Questions("05.json", {judge, JudgeSource("05-002", QStringLiteral("可以不带驾驶证。"))});
    QDir().mkpath(QFileInfo(tree.Out()).path());

    const Run build = Tool({"build", tree.Source(), tree.Out()});
    QCOMPARE(build.exitCode, 0);
    QVERIFY(QFileInfo(tree.dir.filePath("out/pict/yield.png")).isFile());

    const Run check = Tool({"check", tree.Out()});
    QCOMPARE(check.exitCode, 0);
    QVERIFY2(check.out.contains("3 records, 1 with a picture, 1 with an explanation"),
             qPrintable(check.out));
    QVERIFY(check.out.contains("no problems"));
    QVERIFY2(check.out.contains("the trailer agrees: 3 records, SHA-256 "), qPrintable(check.out));
    QVERIFY2(check.out.contains(TopicLine(QStringLiteral("交通标志"), 2)), qPrintable(check.out));
    QVERIFY(check.out.contains(TopicLine(QStringLiteral("通行与让行"), 1)));
    QVERIFY(check.out.contains(TopicLine(QStringLiteral("数字"), 0)));
    QVERIFY(check.out.contains(TopicLine(QStringLiteral("without a topic"), 1)));

    const Run dump = Tool({"dump", tree.Out()});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(
        dump.out,
        QStringLiteral("04-001\t4\t1\tB\t图中标志表示什么？\\r\\nA、停车让行\\r\\nB、减速让行\\r\\n"
                       "C、注意行人\tyield.png\t\t交通标志\n"
                       "05-001\t5\t0\tB\t行经人行横道时可以加速通过。\t\t") +
            Explanation +
            QStringLiteral("\t通行与让行,交通标志\n05-002\t5\t0\tB\t可以不带驾驶证。\t\t\t\n"));
    QCOMPARE(dump.err, QString());
}

// A source without topics gives the records it always gave, byte for byte; the trailer after
// them counts and hashes them.
void TestBankTool::buildWritesTheFields_data()
{
    QTest::addColumn<QJsonObject>("source");
    QTest::addColumn<QStringList>("record");
    const QString text = QStringLiteral("行经人行横道时可以加速通过。");
    const QJsonObject plain = JudgeSource("05-001", text);
    const QStringList six = {"05-001", "5", "0", "B", text, ""};
    QJsonObject explained = plain;
    explained["explanation"] = Explanation;
    QJsonObject topics = plain;
    topics["topics"] = QJsonArray{QStringLiteral("安全文明驾驶"), QStringLiteral("数字")};
    QJsonObject both = explained;
    both["topics"] = QJsonArray{QStringLiteral("罚款")};
    QTest::newRow("neither") << plain << six;
    QTest::newRow("explanation") << explained << six + QStringList{Explanation};
    QTest::newRow("topics") << topics << six + QStringList{"", "18,1"};
    QTest::newRow("both") << both << six + QStringList{Explanation, "2"};
}

void TestBankTool::buildWritesTheFields()
{
    QFETCH(QJsonObject, source);
    QFETCH(QStringList, record);
    SourceTree tree;
    tree.Questions("05.json", {source});
    QDir().mkpath(QFileInfo(tree.Out()).path());
    QCOMPARE(Tool({"build", tree.Source(), tree.Out()}).exitCode, 0);
    QFile bank(tree.Out());
    QVERIFY(bank.open(QIODevice::ReadOnly));
    const QByteArray records = QuestionLine(record) + "\r\n";
    QCOMPARE(bank.readAll(), records + TrailerOf(records, 1));
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
    QTest::newRow("escape in the text")
        << QJsonArray{with("text", QStringLiteral("按\x1b[2J喇叭。"))}
        << QStringLiteral("text holds control characters");
    QTest::newRow("bell in the explanation")
        << QJsonArray{with("explanation",
                           QStringLiteral("行人\a优先。（依据：道路交通安全法第四十七条）"))}
        << QStringLiteral("explanation holds control characters");
    const QString list = QStringLiteral("topics must be a list of one to three topic names");
    QTest::newRow("topics as text") << QJsonArray{with("topics", QStringLiteral("数字"))} << list;
    QTest::newRow("no topics in the list") << QJsonArray{with("topics", QJsonArray{})} << list;
    QTest::newRow("four topics")
        << QJsonArray{with("topics", QJsonArray{QStringLiteral("数字"), QStringLiteral("罚款"),
                                                QStringLiteral("记分"), QStringLiteral("停车")})}
        << list;
    QTest::newRow("topic not on the list")
        << QJsonArray{with("topics", QJsonArray{QStringLiteral("数字"), QStringLiteral("天气")})}
        << QStringLiteral("topic \"天气\" is not on the list");
    QTest::newRow("topic not text")
        << QJsonArray{with("topics", QJsonArray{4})} << QStringLiteral("is not on the list");
    QTest::newRow("topic twice") << QJsonArray{with("topics", QJsonArray{QStringLiteral("停车"),
                                                                         QStringLiteral("停车")})}
                                 << QStringLiteral("topic 停车 is named twice");
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
    QTest::newRow("nine fields") << QuestionLine({"q", "1", "1", "A", "text", "", "", "1", "extra"})
                                 << "9 fields";
    QTest::newRow("escape in the text")
        << QuestionLine(Question("q", "1", "0", "A", QStringLiteral("按\x1b[2J喇叭")))
        << "question text holds control characters";
    QTest::newRow("NUL in the text")
        << QuestionLine(Question("q", "1", "0", "A", QStringLiteral("空") + QChar(0) + "x"))
        << "question text holds control characters";
    const QString basis = QStringLiteral("（依据：道路交通安全法第十一条）");
    QTest::newRow("bell in the explanation")
        << QuestionLine({"q", "1", "0", "A", "text", "", QStringLiteral("响\a铃。") + basis})
        << "explanation holds control characters";
    QTest::newRow("explanation without its basis")
        << QuestionLine({"q", "1", "0", "A", "text", "", QStringLiteral("行人优先。")})
        << QStringLiteral("explanation does not end with its basis");
    // What a line cut just after a separator leaves.
    QTest::newRow("empty field 6 last")
        << QuestionLine({"q", "1", "0", "A", "text", "", ""}) << QStringLiteral("field 6 is empty");
    QTest::newRow("empty field 7")
        << QuestionLine({"q", "1", "0", "A", "text", "", "", ""}) << QStringLiteral("field 7 is empty");
    QTest::newRow("explanation with an empty basis")
        << QuestionLine({"q", "1", "0", "A", "text", "", QStringLiteral("行人优先。（依据：）")})
        << QStringLiteral("explanation does not end with its basis");
    QTest::newRow("topic not on the list")
        << QuestionLine({"q", "1", "0", "A", "text", "", "", "19"})
        << QStringLiteral("topic \"19\" is not on the list (1 to 18)");
    QTest::newRow("topic by name") << QuestionLine({"q", "1", "0", "A", "text", "", "", "x"})
                                   << QStringLiteral("topic \"x\" is not on the list");
    QTest::newRow("topic with a leading zero")
        << QuestionLine({"q", "1", "0", "A", "text", "", "", "2,03"})
        << QStringLiteral("topic \"03\" is not on the list");
    QTest::newRow("topic named twice")
        << QuestionLine({"q", "1", "0", "A", "text", "", "", "3,1,3"})
        << QStringLiteral("topic 3 (记分) is named twice");
    QTest::newRow("four topics") << QuestionLine({"q", "1", "0", "A", "text", "", "", "1,2,3,4"})
                                 << QStringLiteral("4 topics, at most 3");
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
        << "question text holds private-use characters";
    const QByteArray basisInGbk = QStringEncoder("GBK")(basis);
    QTest::newRow("private-use character in the explanation")
        << LineWithExplanationBytes("\xAA\xA1" + basisInGbk)
        << "explanation holds private-use characters";
    QTest::newRow("lone byte 0xFF in the explanation")
        << LineWithExplanationBytes("\xFF" + basisInGbk)
        << "explanation holds private-use characters";
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
    // One finding names both the line and the fault.
    const QRegularExpression finding("problem: line 2\\b[^\n]*" +
                                     QRegularExpression::escape(problem));
    QVERIFY2(check.out.contains(finding), qPrintable(check.out));
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
    const QString cutOff = QStringLiteral("line 2: the file ends inside it, without a line end");
    QTest::newRow("no line end after the last line") << a + "\r\n" + b << 0 << QStringList{cutOff};
    // What is left of a line cut inside its explanation can still decode.
    QTest::newRow("cut inside the explanation")
        << a + "\r\n" +
               QuestionLine({"c", "1", "0", "A", "text", "",
                             QStringLiteral("应当随车携带驾驶证。（依据：道路交通安全法实")})
        << 1 << QStringList{"line 2 (c): explanation does not end with its basis", cutOff};
}

void TestBankTool::checkAndDumpSayWhyTheyCannotRead_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("dumped");
    QTest::newRow("missing") << "nothing"
                             << "no such file" << QStringList{};
    QTest::newRow("folder") << "folder"
                            << "cannot be read: a folder" << QStringList{};
    QTest::newRow("pipe") << "pipe"
                          << "cannot be read: not a regular file (a pipe, socket or device)"
                          << QStringList{};
    QTest::newRow("no permission") << "no permission"
                                   << "cannot be read: Permission denied" << QStringList{};
    QTest::newRow("read error in line 3")
        << "read error"
        << "reading failed after line 2, the bank is not whole: Input/output error"
        << QStringList{"a", "b"};
}

void TestBankTool::checkAndDumpSayWhyTheyCannotRead()
{
    QFETCH(QString, make);
    QFETCH(QString, message);
    QFETCH(QStringList, dumped);
    FixtureBank bank;
    const QString path = bank.FilePath();
    const QByteArray a = QuestionLine(Question("a", "1", "0", "A", "text a"));
    const QByteArray b = QuestionLine(Question("b", "1", "0", "B", "text b"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (make == u"read error") {
#ifndef JIAOGUI_READ_FAILURE
        QSKIP("read errors are made on Linux only");
#endif
        bank.Write({a, b, a, b});
        environment = FailingReadAfter(path, 2 * (a.size() + 2) + 10);
    } else if (make != u"nothing" && !bank.MakeUnreadable(make, {a})) {
        QSKIP("the superuser reads any file");
    }
    const Run check = Tool({"check", path}, environment);
    QCOMPARE(check.exitCode, 1);
    QVERIFY2(check.out.contains("problem: " + path + ": " + message), qPrintable(check.out));
    const Run dump = Tool({"dump", path}, environment);
    QCOMPARE(dump.exitCode, 1);
    QVERIFY2(dump.err.contains(path + ": " + message), qPrintable(dump.err));
    QStringList ids;
    for (const QString& line : dump.out.split(u'\n', Qt::SkipEmptyParts))
        ids.append(line.section(u'\t', 0, 0));
    QCOMPARE(ids, dumped);
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

void TestBankTool::checkNamesTheLineTheFileEndsIn_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line"); // 0 when the file ends with a line end, or in its trailer
    const QByteArray a = QuestionLine(Question("a", "1", "0", "A", "text a"));
    const QByteArray b = QuestionLine(Question("b", "1", "0", "B", "text b"));
    const QByteArray mark = "\xEF\xBB\xBF";
    QTest::newRow("CRLF") << a + "\r\n" + b + "\r\n" + a << 3;
    QTest::newRow("LF") << a + "\n" + b + "\n" + a << 3;
    QTest::newRow("the only line") << a << 1;
    QTest::newRow("byte-order mark") << mark + a << 1;
    QTest::newRow("byte-order mark, then lines") << mark + a + "\r\n" + b << 2;
    QTest::newRow("CR at the end") << a + "\r\n" + b + "\r" << 2;
    QTest::newRow("after a skipped line") << a + "\r\nbad\r\n" + b << 3;
    QTest::newRow("too long") << a + "\r\n" + QByteArray(40000, 'A') << 2;
    QTest::newRow("past the first piece read") << QByteArray("x\r\n").repeated(30000) + a << 30001;
    QTest::newRow("after the trailer") << FixtureBank::WithTrailer({a, b}) + "more" << 5;
    QTest::newRow("in the trailer") << FixtureBank::WithTrailer({a, b}).chopped(2) << 0;
    QTest::newRow("line end at the end") << a + "\r\n" + b + "\r\n" << 0;
}

void TestBankTool::checkNamesTheLineTheFileEndsIn()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    FixtureBank bank;
    bank.Write({content}, "");
    const Run check = Tool({"check", bank.FilePath()});
    const QString note = QStringLiteral("the file ends inside it, without a line end");
    QCOMPARE(check.out.count(note), line > 0 ? 1 : 0);
    if (line > 0)
        QVERIFY2(check.out.contains(QStringLiteral("\nnote: line %1: ").arg(line) + note),
                 qPrintable(check.out));
}

void TestBankTool::checkTellsOfTheTrailer_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QStringList>("absent");
    const QByteArray a = QuestionLine(Question("a", "1", "0", "A", "text a"));
    const QByteArray b = QuestionLine(Question("b", "1", "0", "B", "text b"));
    const QByteArray c = QuestionLine(Question("c", "1", "0", "A", "text c"));
    const QByteArray records = Joined({a, b});
    const QByteArray trailer = TrailerOf(records, 2);
    const QString none = QStringLiteral("no trailer after the records");
    const QString agrees = QStringLiteral("the trailer agrees: 2 records, SHA-256 ") +
                           QString::fromLatin1(Sha256Hex(records));
    const QString damaged = QStringLiteral("problem: line 4: starts like a trailer but is not one");
    const QStringList required = {QStringLiteral("--require-trailer")};
    const QString path = QStringLiteral("<bank>"); // the bank's path, filled in by the test

    QTest::newRow("agrees") << records + trailer << required << 0 << QStringList{agrees}
                            << QStringList{none, "note:"};
    QTest::newRow("agrees, no line end after it")
        << records + trailer.chopped(2) << QStringList{} << 0 << QStringList{agrees}
        << QStringList{"note:"};
    QTest::newRow("none") << records << QStringList{} << 0
                          << QStringList{"note: " + path + ": " + none} << QStringList{"agrees"};
    QTest::newRow("none, required")
        << records << required << 1 << QStringList{"problem: " + path + ": " + none}
        << QStringList{"agrees"};
    QTest::newRow("a line lost")
        << Joined({a}) + trailer << QStringList{} << 1
        << QStringList{"problem: line 3: the trailer counts 2 records, 1 were read",
                       "problem: line 3: the trailer's SHA-256 is not that of lines 1 to 1"}
        << QStringList{"agrees"};
    QTest::newRow("a record changed")
        << Joined({a, c}) + trailer << QStringList{} << 1
        << QStringList{"problem: line 4: the trailer's SHA-256 is not that of lines 1 to 2"}
        << QStringList{"agrees", "counts"};
    QTest::newRow("damaged") << records + QByteArray(trailer).replace("=", ":") << required << 1
                             << QStringList{damaged} << QStringList{none, "agrees"};
    QTest::newRow("cut inside it")
        << records + trailer.chopped(10) << QStringList{} << 1
        << QStringList{damaged, "note: line 4: the file ends inside it"} << QStringList{none};
    QTest::newRow("a line before it")
        << Joined({a}) + "\r\n" + b + TrailerOf(Joined({a}), 1) << QStringList{} << 1
        << QStringList{"problem: line 3: never read, it comes after the empty line 2",
                       "the trailer agrees: 1 records"}
        << QStringList{"line 4: never read"};
    QTest::newRow("a line after it")
        << records + trailer + "more\r\n"
        << QStringList{} << 1 << QStringList{agrees, "problem: line 5: never read"}
        << QStringList{"line 4: never read"};
}

void TestBankTool::checkTellsOfTheTrailer()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QStringList, found);
    QFETCH(QStringList, absent);
    FixtureBank bank;
    bank.Write({content}, "");
    const Run check = Tool(QStringList{"check"} + options + QStringList{bank.FilePath()});
    QCOMPARE(check.exitCode, exitCode);
    for (QString finding : found) {
        finding.replace(QStringLiteral("<bank>"), bank.FilePath());
        QVERIFY2(check.out.contains(finding), qPrintable(check.out));
    }
    for (const QString& finding : absent)
        QVERIFY2(!check.out.contains(finding), qPrintable(check.out));
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
    bank.Write({FixtureBank::WithTrailer(lines)}, "");
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
    QCOMPARE(dump.exitCode, 1);
    QCOMPARE(dump.out, QStringLiteral("a\t1\t0\tA\ttab\\there\\\\\t\t\t\nb\t2\t0\tB\tok\t\t\t\n"));
    QVERIFY(dump.err.contains("line 2 skipped"));
}

void TestBankTool::dumpSaysWhatIsNotAsWritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("err"); // empty when the bank is as written
    const QByteArray a = QuestionLine(Question("a", "1", "0", "A", "text a"));
    const QByteArray b = QuestionLine(Question("b", "1", "0", "B", "text b"));
    const QByteArray trailer = TrailerOf(Joined({a, b}), 2);
    QTest::newRow("trailer agrees") << Joined({a, b}) + trailer << QString();
    QTest::newRow("no trailer") << Joined({a, b}) << QString();
    QTest::newRow("a line lost")
        << Joined({a}) + trailer
        << QStringLiteral("line 3: the trailer counts 2 records with SHA-256 %1, but 1 were read "
                          "from lines with SHA-256 %2")
               .arg(QString::fromLatin1(Sha256Hex(Joined({a, b}))),
                    QString::fromLatin1(Sha256Hex(Joined({a}))));
    QTest::newRow("damaged trailer") << Joined({a, b}) + QByteArray(trailer).replace(" ", "_")
                                     << QStringLiteral("line 4: a damaged trailer");
    QTest::newRow("lines after the empty line")
        << Joined({a, "", b}) << QStringLiteral("1 lines after the empty line 2 never read");
}

void TestBankTool::dumpSaysWhatIsNotAsWritten()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, err);
    FixtureBank bank;
    bank.Write({content}, "");
    const Run dump = Tool({"dump", bank.FilePath()});
    QCOMPARE(dump.exitCode, err.isEmpty() ? 0 : 1);
    QVERIFY(dump.out.startsWith("a\t1\t0\tA\ttext a\t"));
    QCOMPARE(dump.err.trimmed(), err);
}

void TestBankTool::dumpEscapesControlCharacters_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("out");
    const QString raw = QStringLiteral("a\x1b[2Jb\x07"
                                       "c\x7f\t\r\n\\");
    const QString escaped = QStringLiteral("a\\x1b[2Jb\\x07c\\x7f\\t\\r\\n\\\\");
    QTest::newRow("question text")
        << QuestionLine(Question("c", "1", "0", "A", raw)) << "c\t1\t0\tA\t" + escaped + "\t\t\t\n";
    QTest::newRow("explanation") << QuestionLine({"c", "1", "0", "A", "text", "", raw})
                                 << "c\t1\t0\tA\ttext\t\t" + escaped + "\t\n";
}

// Nothing a question holds reaches the terminal as a control sequence or splits its line.
void TestBankTool::dumpEscapesControlCharacters()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, out);
    FixtureBank bank;
    bank.Write({line});
    const Run dump = Tool({"dump", bank.FilePath()});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(dump.out, out);
}

void TestBankTool::dumpMarksWhatItCannotShow_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString text = EncodeQuestionText("text").value();
    QTest::newRow("question text")
        << RawLine("q(::)1(::)0(::)A(::)***(::)") << "q\t1\t0\tA\t\\?\t\t\t\n"
        << "line 1 (q): question text does not decode";
    QTest::newRow("explanation") << RawLine("q(::)1(::)0(::)A(::)" + text + "(::)(::)***")
                                 << "q\t1\t0\tA\ttext\t\t\\?\t\n"
                                 << "line 1 (q): explanation does not decode";
    QTest::newRow("topic") << QuestionLine({"q", "1", "0", "A", "text", "", "", "19,1"})
                           << QStringLiteral("q\t1\t0\tA\ttext\t\t\t\\?,数字\n")
                           << "line 1 (q): topic \"19\" is not on the list";
}

void TestBankTool::dumpMarksWhatItCannotShow()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, out);
    QFETCH(QString, err);
    FixtureBank bank;
    bank.Write({line});
    const Run dump = Tool({"dump", bank.FilePath()});
    QCOMPARE(dump.exitCode, 1);
    QCOMPARE(dump.out, out);
    QVERIFY2(dump.err.contains(err), qPrintable(dump.err));
}

// Each record is written as it is read: a large bank takes no more memory than a small one.
void TestBankTool::dumpKeepsNoRecords()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer holds freed memory back");
#endif
    const QByteArray line =
        QuestionLine(Question("s", "1", "0", "A", QStringLiteral("短题"))) + "\r\n";
    FixtureBank bank;
    bank.Write({line}, "", "small.dat");
    constexpr qsizetype BankSize = 16 * 1024 * 1024;
    bank.Write({line.repeated(BankSize / line.size())}, "", "large.dat");
    const long small = PeakMemoryKiB({"dump", bank.FilePath("small.dat")});
    const long large = PeakMemoryKiB({"dump", bank.FilePath("large.dat")});
    QVERIFY(small > 0 && large > 0);
    QVERIFY2(
        large - small < BankSize / 1024 / 4,
        qPrintable(
            QStringLiteral("%1 KiB for a small bank, %2 KiB for 16 MiB").arg(small).arg(large)));
}

QTEST_GUILESS_MAIN(TestBankTool)
#include "tst_banktool.moc"
