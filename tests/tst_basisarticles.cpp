#include "tools/BasisArticles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A law with a title note; article 1 has two paragraphs and two items, article 3 an added
// article 3之一 after it, article 4 is left out and article 12 is written with 十.
const QString TinyLaw = QStringLiteral("# 测试法\n\n"
                                       "2020年1月1日 公布\n\n"
                                       "<!-- INFO END -->\n\n"
                                       "## 第一章 总则\n\n"
                                       "第一条 车辆应当遵守本法。本条提到附件1。\n\n"
                                       "（一）第一项；\n\n"
                                       "（二）第二项。\n\n"
                                       "前款规定的车辆，按附件1执行。\n\n"
                                       "第二条 只有一款。\n\n"
                                       "## 第二章 通行\n\n"
                                       "第三条 只有一款。\n\n"
                                       "第三条之一 后加的条文。\n\n"
                                       "第五条 只有一款。\n\n"
                                       "第十二条 只有一款。\n");

const QString LawWithoutNote =
    QStringLiteral("# 无题注规定\n\n<!-- INFO END -->\n\n第一条 只有一款。\n");

struct Run {
    int exitCode = -1;
    QString out;
};

Run Tool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(JIAOGUI_BANK_TOOL), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

QJsonObject Question(int number, const QString& basis)
{
    return {{"id", QStringLiteral("01-%1").arg(number, 3, 10, QLatin1Char('0'))},
            {"chapter", 1},
            {"kind", "judge"},
            {"text", QStringLiteral("第%1题的题干。").arg(number)},
            {"answer", true},
            {"basis", basis}};
}

// A law folder and a source folder in one temporary folder.
class Folders {
public:
    Folders()
    {
        QDir(dir.path()).mkpath("laws");
        QDir(dir.path()).mkpath("src");
    }
    void Write(const QString& name, const QString& content)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content.toUtf8());
    }
    void Bases(const QStringList& bases)
    {
        QJsonArray questions;
        for (const QString& basis : bases)
            questions.append(Question(int(questions.size()) + 1, basis));
        Write("src/01.json", QString::fromUtf8(QJsonDocument(questions).toJson()));
    }
    QString Laws() const { return dir.filePath("laws"); }
    QString Sources() const { return dir.filePath("src"); }
    QTemporaryDir dir;
};
} // namespace

class TestBasisArticles : public QObject {
    Q_OBJECT

private slots:
    void parseNumber_data();
    void parseNumber();
    void missingArticles_data();
    void missingArticles();
    void toolListsWhatIsMissing_data();
    void toolListsWhatIsMissing();
};

void TestBasisArticles::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // -1: not a number

    QTest::addRow("arabic") << "108" << 108;
    QTest::addRow("one digit") << "七" << 7;
    QTest::addRow("ten alone") << "十" << 10;
    QTest::addRow("ten and a digit") << "十二" << 12;
    QTest::addRow("tens") << "四十七" << 47;
    QTest::addRow("hundred with a zero") << "一百零八" << 108;
    QTest::addRow("hundred and ten") << "一百一十" << 110;
    QTest::addRow("hundreds and tens") << "一百二十三" << 123;
    QTest::addRow("two as 两") << "两百" << 200;
    QTest::addRow("empty") << "" << -1;
    QTest::addRow("two digits in a row") << "一二" << -1;
    QTest::addRow("negative") << "-3" << -1;
    QTest::addRow("other text") << "条" << -1;
}

void TestBasisArticles::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(ParseNumber(text).value_or(-1), number);
}

void TestBasisArticles::missingArticles_data()
{
    QTest::addColumn<QString>("law");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QStringList>("missing");

    QTest::addRow("article there") << TinyLaw << "第1条" << QStringList{};
    QTest::addRow("article left out") << TinyLaw << "第4条" << QStringList{"第4条"};
    QTest::addRow("beyond the last") << TinyLaw << "第13条" << QStringList{"第13条"};
    QTest::addRow("heading with 十") << TinyLaw << "第12条" << QStringList{};
    QTest::addRow("reference in Chinese numerals") << TinyLaw << "第十二条" << QStringList{};
    QTest::addRow("second paragraph") << TinyLaw << "第1条第二款" << QStringList{};
    QTest::addRow("items are no paragraphs")
        << TinyLaw << "第1条第三款" << QStringList{"第1条第三款"};
    QTest::addRow("chapter heading is no paragraph")
        << TinyLaw << "第2条第二款" << QStringList{"第2条第二款"};
    QTest::addRow("added article") << TinyLaw << "第3条之一" << QStringList{};
    QTest::addRow("added article absent") << TinyLaw << "第2条之一" << QStringList{"第2条之一"};
    QTest::addRow("two articles") << TinyLaw << "第1条、第9条" << QStringList{"第9条"};
    QTest::addRow("range with a gap") << TinyLaw << "第2条至第5条" << QStringList{"第4条"};
    QTest::addRow("range all there") << TinyLaw << "第1条至第3条" << QStringList{};
    QTest::addRow("annex named in the text") << TinyLaw << "附件1" << QStringList{};
    QTest::addRow("annex not named") << TinyLaw << "附件2" << QStringList{"附件2"};
    QTest::addRow("title note") << TinyLaw << "题注" << QStringList{};
    QTest::addRow("no title note") << LawWithoutNote << "题注" << QStringList{"题注"};
    QTest::addRow("the law as a whole") << LawWithoutNote << "" << QStringList{};
}

void TestBasisArticles::missingArticles()
{
    QFETCH(QString, law);
    QFETCH(QString, reference);
    QFETCH(QStringList, missing);
    QCOMPARE(MissingArticles(reference, ReadLawText(law)), missing);
}

void TestBasisArticles::toolListsWhatIsMissing_data()
{
    QTest::addColumn<QStringList>("bases");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");

    const QString summary =
        QStringLiteral("%1 basis parts checked, %2 articles missing, %3 not checkable (a standard, "
                       "common sense or a law with no text in the folder)\n");
    QTest::addRow("all there") << QStringList{"《测试法》第1条",
                                              "《测试法》第12条；《测试法》第3条"}
                               << 0 << summary.arg(3).arg(0).arg(0);
    QTest::addRow("missing, one line each")
        << QStringList{"《测试法》第1条", "《测试法》第4条；《测试法》第2条、第9条"} << 1
        << "01-002\t《测试法》第4条\t第4条\n01-002\t《测试法》第2条、第9条\t第9条\n" +
               summary.arg(3).arg(2).arg(0);
    QTest::addRow("not checkable")
        << QStringList{"GB 5768.2 道路交通标志和标线", "安全驾驶常识：雾天减速",
                       "《没有文本的法》第99条"}
        << 0 << summary.arg(0).arg(0).arg(3);
    // The 2020 text still had article 9; the 2022 text, the one in force, has not.
    QTest::addRow("the latest text is read")
        << QStringList{"《测试法》第9条"} << 1
        << "01-001\t《测试法》第9条\t第9条\n" + summary.arg(1).arg(1).arg(0);
    QTest::addRow("brackets inside a title")
        << QStringList{"《北京市实施〈测试法〉办法》第1条"} << 0 << summary.arg(1).arg(0).arg(0);
}

void TestBasisArticles::toolListsWhatIsMissing()
{
    QFETCH(QStringList, bases);
    QFETCH(int, exitCode);
    QFETCH(QString, out);

    Folders folders;
    folders.Write("laws/测试法(2022-01-01).md", TinyLaw);
    folders.Write("laws/测试法(2020-01-01).md",
                  TinyLaw + QStringLiteral("\n第九条 后来删去的条文。\n"));
    folders.Write("laws/北京市实施《测试法》办法(2021-05-01).md", LawWithoutNote);
    folders.Write("laws/README.md", QStringLiteral("# 法规\n"));
    folders.Bases(bases);

    const Run run = Tool({"articles", folders.Laws(), folders.Sources()});
    QCOMPARE(run.out, out);
    QCOMPARE(run.exitCode, exitCode);
}

QTEST_GUILESS_MAIN(TestBasisArticles)
#include "tst_basisarticles.moc"
