#include "common/Platform.h"
#include "practice/PracticeWindow.h"
#include "search/SearchIndex.h"
#include "search/SearchResults.h"
#include "search/SearchWindow.h"
#include "support/FixtureBank.h"
#include "support/TopLevelWindows.h"
#include "support/WindowDriver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPoint>
#include <QTest>

namespace {
// A match written into its text as [brackets], to read a table at a glance.
QString Marked(const QString& text, qsizetype start, qsizetype length)
{
    if (start < 0)
        return text;
    return text.left(start) + u'[' + text.mid(start, length) + u']' + text.mid(start + length);
}

SearchIndex IndexOf(const QStringList& texts)
{
    SearchIndex index;
    for (const QString& text : texts)
        index.Add({QString::number(index.Size()), 1, int(index.Size()) + 1, text});
    return index;
}

const QStringList Texts = {
    QStringLiteral("在高速公路上行驶，最高车速不得超过１２０公里／小时。"),
    QStringLiteral("驾驶机动车在道路上违反道路通行规定应当接受什么处理？\r\nA、罚款\r\nB、记分"),
    QStringLiteral("饮酒后驾驶机动车的，处暂扣六个月机动车驾驶证。\r\n饮酒后不得驾驶。"),
    QStringLiteral("ETC 车道：不停车收费。"),
};

struct SearchDriver : WindowDriver<SearchWindow> {
    QListView* List() const { return Get<QListView>("lstResults"); }
    int Rows() const { return List()->model()->rowCount(); }
    QString Row(int i) const { return List()->model()->index(i, 0).data().toString(); }
    QString MarkedRow(int i) const
    {
        const QPoint match = List()->model()->index(i, 0).data(SearchResults::MatchRole).toPoint();
        return Marked(Row(i), match.x(), match.y());
    }
    // Key by key, as typed; QTest's own key clicks know only Latin keys.
    void Type(const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(Get<QLineEdit>("txtSearch"), &key);
        }
    }
    QString Count() const { return Get<QLabel>("lblCount")->text(); }
};
} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void searchKey_data();
    void searchKey();
    void findInText_data();
    void findInText();
    void snippet_data();
    void snippet();
    void find_data();
    void find();
    void typingGivesWhatAFreshSearchGives_data();
    void typingGivesWhatAFreshSearchGives();
    void window();
    void cleanup();

private:
    std::unique_ptr<FixtureBank> fixture;
};

void TestSearch::searchKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("plain Chinese stays") << QStringLiteral("机动车") << QStringLiteral("机动车");
    QTest::newRow("full-width digits and letters")
        << QStringLiteral("１２０ｋｍ ＥＴＣ") << QStringLiteral("120kmetc");
    QTest::newRow("upper case") << QStringLiteral("ETC") << QStringLiteral("etc");
    QTest::newRow("Chinese punctuation")
        << QStringLiteral("“停车”、让行：（一）！？。") << QStringLiteral("停车让行一");
    QTest::newRow("ASCII punctuation and symbols")
        << QStringLiteral("120km/h, 50% (+)") << QStringLiteral("120kmh50");
    QTest::newRow("spaces of both widths") << QStringLiteral("安全　驾 驶\t") << QStringLiteral("安全驾驶");
    QTest::newRow("a line break stays, once")
        << QStringLiteral("罚款\r\n记分") << QStringLiteral("罚款\n记分");
    QTest::newRow("nothing but punctuation") << QStringLiteral("，。 !?") << QString();
}

void TestSearch::searchKey()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QCOMPARE(SearchKey(text), key);
}

void TestSearch::findInText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("marked");
    QTest::newRow("plain") << QStringLiteral("最高车速") << QStringLiteral("车速")
                           << QStringLiteral("最高[车速]");
    QTest::newRow("across punctuation in the text")
        << QStringLiteral("不得超过１２０公里／小时。") << QStringLiteral("公里小时")
        << QStringLiteral("不得超过１２０[公里／小时]。");
    QTest::newRow("half-width query, full-width text")
        << QStringLiteral("不得超过１２０公里") << QStringLiteral("120")
        << QStringLiteral("不得超过[１２０]公里");
    QTest::newRow("punctuation in the query")
        << QStringLiteral("暂扣六个月机动车驾驶证") << QStringLiteral("机动车，驾驶证")
        << QStringLiteral("暂扣六个月[机动车驾驶证]");
    QTest::newRow("the first of two") << QStringLiteral("饮酒，饮酒") << QStringLiteral("饮酒")
                                      << QStringLiteral("[饮酒]，饮酒");
    QTest::newRow("never across a line break")
        << QStringLiteral("A、罚款\r\nB、记分") << QStringLiteral("罚款记分")
        << QStringLiteral("A、罚款\r\nB、记分");
    QTest::newRow("absent") << QStringLiteral("机动车") << QStringLiteral("非机动车")
                            << QStringLiteral("机动车");
    QTest::newRow("empty query") << QStringLiteral("机动车") << QString() << QStringLiteral("机动车");
}

void TestSearch::findInText()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(QString, marked);
    const TextMatch match = FindInText(text, SearchKey(query));
    QCOMPARE(Marked(text, match.start, match.length), marked);
}

void TestSearch::snippet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short text whole") << QStringLiteral("最高车速") << QStringLiteral("车速") << 4
                                      << 10 << QStringLiteral("最高[车速]");
    QTest::newRow("cut ahead and after")
        << QStringLiteral("一二三四五六七八九十") << QStringLiteral("六") << 2 << 4
        << QStringLiteral("…四五[六]七…");
    QTest::newRow("a match longer than the width is shown whole")
        << QStringLiteral("一二三四五六七八九十") << QStringLiteral("三四五六") << 1 << 2
        << QStringLiteral("…二[三四五六]…");
    QTest::newRow("match at the end") << QStringLiteral("一二三四") << QStringLiteral("三四") << 1
                                      << 5 << QStringLiteral("…二[三四]");
    QTest::newRow("line breaks as spaces, the match after them")
        << QStringLiteral("问？\r\nA、罚款\r\nB、记分") << QStringLiteral("记分") << 20 << 40
        << QStringLiteral("问？ A、罚款 B、[记分]");
}

void TestSearch::snippet()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(int, before);
    QFETCH(int, width);
    QFETCH(QString, shown);
    const Snippet snippet = SnippetAround(text, FindInText(text, SearchKey(query)), before, width);
    QCOMPARE(Marked(snippet.text, snippet.matchStart, snippet.matchLength), shown);
}

void TestSearch::find_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<int>>("found");
    QTest::newRow("one character") << QStringLiteral("驶") << QList<int>{0, 1, 2};
    QTest::newRow("words") << QStringLiteral("机动车") << QList<int>{1, 2};
    QTest::newRow("its characters apart are no match") << QStringLiteral("车速公路") << QList<int>{};
    QTest::newRow("a character no text has") << QStringLiteral("飞机") << QList<int>{};
    QTest::newRow("full-width in the text") << QStringLiteral("120") << QList<int>{0};
    QTest::newRow("case and punctuation") << QStringLiteral("etc车道") << QList<int>{3};
    QTest::newRow("in an option") << QStringLiteral("记分") << QList<int>{1};
    QTest::newRow("only punctuation") << QStringLiteral("，") << QList<int>{};
}

void TestSearch::find()
{
    QFETCH(QString, query);
    QFETCH(QList<int>, found);
    const SearchIndex index = IndexOf(Texts);
    QCOMPARE(index.Find(SearchKey(query)), found);
}

// Each row: the queries in the order the field holds them, as typing, deleting and pasting
// leave it. After each, the matches must be those a fresh search finds.
void TestSearch::typingGivesWhatAFreshSearchGives_data()
{
    QTest::addColumn<QStringList>("queries");
    QTest::newRow("typing on") << QStringList{"驾", "驾驶", "驾驶证"};
    QTest::newRow("deleting back") << QStringList{"驾驶证", "驾驶", "驾"};
    QTest::newRow("a new word in place of the last")
        << QStringList{"饮酒", "罚款", "罚款记分"};
    QTest::newRow("typing ahead of the last") << QStringList{"车", "机动车"};
    QTest::newRow("through a miss and back") << QStringList{"机", "机x", "机"};
    QTest::newRow("punctuation typed changes nothing") << QStringList{"机动", "机动，", "机动，车"};
    QTest::newRow("cleared and typed again") << QStringList{"车速", "", "车"};
}

void TestSearch::typingGivesWhatAFreshSearchGives()
{
    QFETCH(QStringList, queries);
    const SearchIndex index = IndexOf(Texts);
    IncrementalSearch search(index);
    for (const QString& query : queries)
        QCOMPARE(search.Update(query), index.Find(SearchKey(query)));
}

// Typing shows the matches as they narrow; Enter opens the chosen one in practice.
void TestSearch::window()
{
    fixture = std::make_unique<FixtureBank>();
    fixture->Write({
        QuestionLine(Question("a", "2", "0", "A", Texts[0])),
        QuestionLine(Question("b", "1", "1", "A", Texts[1])),
        QuestionLine(Question("c", "2", "0", "B", QStringLiteral("普通题。"), {},
                              QStringLiteral("解释里提到机动车驾驶证。"))),
        QuestionLine(Question("d", "2", "0", "A", Texts[2])),
    });
    fixture->Use();
    SearchDriver s;
    QCOMPARE(s.window.windowTitle(), QStringLiteral("搜题"));
    QCOMPARE(s.Count(), QStringLiteral("在 4 题的题目、选项和解释中查找"));
    s.Type(QStringLiteral("机动"));
    QCOMPARE(s.Rows(), 3);
    s.Type(QStringLiteral("车驾驶证"));
    QCOMPARE(s.Count(), QStringLiteral("找到 2 题"));
    QCOMPARE(s.MarkedRow(0), QStringLiteral("第2章 第2题　普通题。 解释里提到[机动车驾驶证]。"));
    QCOMPARE(s.MarkedRow(1),
             QStringLiteral("第2章 第3题　饮酒后驾驶机动车的，处暂扣六个月[机动车驾驶证]。 饮酒后不得驾驶。"));
    QCOMPARE(s.List()->currentIndex().row(), 0);
    QTest::keyClick(s.Get<QLineEdit>("txtSearch"), Qt::Key_Down); // the field keeps the focus
    QCOMPARE(s.List()->currentIndex().row(), 1);
    QTest::keyClick(s.Get<QLineEdit>("txtSearch"), Qt::Key_Return);
    PracticeWindow* practice = ShownWindow<PracticeWindow>();
    QVERIFY(practice);
    QCOMPARE(practice->windowTitle(), QStringLiteral("搜题：机动车驾驶证"));
    QVERIFY(practice->findChild<QPlainTextEdit*>("txtQuestion")
                ->toPlainText()
                .startsWith(QStringLiteral("饮酒后驾驶机动车的")));
    QCOMPARE(practice->findChild<QLineEdit*>("txtPosition")->text(), QStringLiteral("第 2 题"));
    QCOMPARE(practice->findChild<QLineEdit*>("txtTotal")->text(), QStringLiteral("共 2 题"));

    s.Type(QStringLiteral("吗"));
    QCOMPARE(s.Rows(), 0);
    QCOMPARE(s.Count(), QStringLiteral("没有找到含“机动车驾驶证吗”的题目"));
}

void TestSearch::cleanup()
{
    CloseAllWindows();
    fixture.reset();
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
