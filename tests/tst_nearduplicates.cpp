#include "tools/NearDuplicates.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {
using Found = QList<std::tuple<qsizetype, qsizetype, int>>;

Found Pairs(const NearDuplicates::Found& found)
{
    Found pairs;
    for (const NearDuplicates::Pair& pair : found.first)
        pairs.append({pair.first, pair.second, pair.percent});
    return pairs;
}

std::vector<int> LetterPairs(const QString& text)
{
    std::vector<int> pairs;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        pairs.push_back(text[i].unicode() << 16 | text[i + 1].unicode());
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

// Every pair of texts compared, the way the search must agree with. Texts of letters only.
Found ComparedOneByOne(const QStringList& texts)
{
    std::vector<std::vector<int>> sets;
    for (const QString& text : texts)
        sets.push_back(LetterPairs(text));
    Found pairs;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        for (std::size_t j = i + 1; j < sets.size(); ++j) {
            std::vector<int> common;
            std::set_intersection(sets[i].begin(), sets[i].end(), sets[j].begin(), sets[j].end(),
                                  std::back_inserter(common));
            const auto shared = qsizetype(common.size());
            const auto all = qsizetype(sets[i].size() + sets[j].size()) - shared;
            if (all == 0 || 10 * shared >= 9 * all)
                pairs.append({qsizetype(i), qsizetype(j),
                              all == 0 ? 100 : qRound(100.0 * double(shared) / double(all))});
        }
    }
    return pairs;
}

// A text a few random edits away from text.
QString Edited(QString text, QRandomGenerator& random)
{
    const int edits = int(random.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const auto at = qsizetype(random.bounded(int(text.size())));
        const QChar letter(u'a' + random.bounded(8));
        switch (random.bounded(3)) {
        case 0:
            text[at] = letter;
            break;
        case 1:
            text.insert(at, letter);
            break;
        default:
            text.remove(at, 1);
        }
    }
    return text;
}
} // namespace

class TestNearDuplicates : public QObject {
    Q_OBJECT
private slots:
    void finds_data();
    void finds();
    void agreesWithComparingEveryPair();
    void boundsTheWorkOnTextsAllAlike();
};

void TestNearDuplicates::finds_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<Found>("pairs");
    QTest::newRow("punctuation and spaces")
        << QStringList{"abc, def!", "abc def", "xyz"} << Found{{0, 1, 100}};
    // "abcdefghijk" has ten letter pairs, nine of them shared with "abcdefghij".
    QTest::newRow("90% is enough") << QStringList{"abcdefghijk", "abcdefghij"} << Found{{0, 1, 90}};
    QTest::newRow("89% is not") << QStringList{"abcdefghij", "abcdefghi"} << Found{};
    QTest::newRow("the same text three times")
        << QStringList{"same text", "other", "same text", "same, text"}
        << Found{{0, 2, 100}, {0, 3, 100}, {2, 3, 100}};
    // Nineteen pairs each, eighteen of them shared: the same pairs in another order.
    QTest::newRow("pairs, not their order")
        << QStringList{"abcdefghijklmnopqrst", "klmnopqrstabcdefghij"} << Found{{0, 1, 90}};
}

void TestNearDuplicates::finds()
{
    QFETCH(QStringList, texts);
    QFETCH(Found, pairs);
    NearDuplicates search;
    for (const QString& text : texts)
        search.Add(text);
    const NearDuplicates::Found found = search.Find(100);
    QCOMPARE(Pairs(found), pairs);
    QCOMPARE(found.count, pairs.size());
}

// Families of texts a few edits apart, over eight letters: groups of the same text, sets of
// many sizes, plenty of pairs either side of 90%.
void TestNearDuplicates::agreesWithComparingEveryPair()
{
    QRandomGenerator random(20261210);
    QStringList texts;
    for (int family = 0; family < 30; ++family) {
        QString base;
        const int length = 2 + int(random.bounded(40));
        for (int k = 0; k < length; ++k)
            base += QChar(u'a' + random.bounded(8));
        for (int member = 0; member < 20; ++member)
            texts.append(Edited(base, random));
    }
    std::shuffle(texts.begin(), texts.end(), random);
    NearDuplicates search;
    for (const QString& text : texts)
        search.Add(text);
    const Found expected = ComparedOneByOne(texts);
    QVERIFY(expected.size() > 500);
    const NearDuplicates::Found all = search.Find(expected.size());
    QCOMPARE(all.cutShort, 0);
    QCOMPARE(all.count, expected.size());
    QCOMPARE(Pairs(all), expected);
    const NearDuplicates::Found first = search.Find(20);
    QCOMPARE(first.count, expected.size());
    QCOMPARE(Pairs(first), expected.first(20));
}

// Long texts one edit apart all share their rarest pairs: comparing each with every other
// grows with the square of their number. Each is compared with a bounded number of others, and
// the search says for how many texts that was too few.
void TestNearDuplicates::boundsTheWorkOnTextsAllAlike()
{
    QRandomGenerator random(20261210);
    QString base;
    for (int k = 0; k < 300; ++k)
        base += QChar(u'a' + random.bounded(26));
    constexpr qsizetype Texts = 1000;
    NearDuplicates search;
    for (qsizetype i = 0; i < Texts; ++i) {
        QString text = base;
        text[i % base.size()] = QChar(u'A' + random.bounded(26));
        search.Add(text);
    }
    const NearDuplicates::Found found = search.Find(20);
    QVERIFY(found.cutShort > Texts / 2);
    QVERIFY(found.count >= Texts);
    // Every two of them are near-duplicates; far from all were compared.
    QVERIFY2(found.count < Texts * (Texts - 1) / 2 / 4, qPrintable(QString::number(found.count)));
    QCOMPARE(found.first.size(), 20);
}

QTEST_GUILESS_MAIN(TestNearDuplicates)
#include "tst_nearduplicates.moc"
