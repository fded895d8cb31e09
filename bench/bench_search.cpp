// The search's speed on a bank of 100,000 generated questions: each keystroke of a query typed
// on, a first keystroke of the commonest character, a query edited in its middle (no narrowing),
// and building the index as the search window does when it opens.

#include "search/SearchIndex.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <random>

namespace {
constexpr int Questions = 100000;

// Words of the kind the questions are made of; the mix gives common and rare characters alike.
const QStringList Words = {
    QStringLiteral("机动车"),     QStringLiteral("驾驶人"),    QStringLiteral("道路"),
    QStringLiteral("行驶"),       QStringLiteral("高速公路"),  QStringLiteral("最高车速"),
    QStringLiteral("不得超过"),   QStringLiteral("公里/小时"), QStringLiteral("应当"),
    QStringLiteral("减速"),       QStringLiteral("停车"),      QStringLiteral("让行"),
    QStringLiteral("交通信号灯"), QStringLiteral("绿灯"),      QStringLiteral("红灯"),
    QStringLiteral("黄灯闪烁"),   QStringLiteral("人行横道"),  QStringLiteral("行人"),
    QStringLiteral("非机动车"),   QStringLiteral("交通警察"),  QStringLiteral("指挥"),
    QStringLiteral("罚款"),       QStringLiteral("记分"),      QStringLiteral("吊销"),
    QStringLiteral("暂扣"),       QStringLiteral("驾驶证"),    QStringLiteral("行驶证"),
    QStringLiteral("饮酒后"),     QStringLiteral("醉酒"),      QStringLiteral("事故"),
    QStringLiteral("现场"),       QStringLiteral("报警"),      QStringLiteral("标志"),
    QStringLiteral("标线"),       QStringLiteral("路口"),      QStringLiteral("转弯"),
    QStringLiteral("掉头"),       QStringLiteral("超车"),      QStringLiteral("会车"),
    QStringLiteral("夜间"),       QStringLiteral("远光灯"),    QStringLiteral("近光灯"),
    QStringLiteral("雨天"),       QStringLiteral("雾天"),      QStringLiteral("冰雪路面"),
    QStringLiteral("安全距离"),   QStringLiteral("车道"),      QStringLiteral("应急车道"),
    QStringLiteral("检验"),       QStringLiteral("登记"),      QStringLiteral("号牌"),
    QStringLiteral("年"),         QStringLiteral("个月"),      QStringLiteral("米"),
    QStringLiteral("的"),         QStringLiteral("在"),        QStringLiteral("时"),
    QStringLiteral("，"),         QStringLiteral("。"),        QStringLiteral("？"),
};

QString Sentence(std::mt19937& random, int words)
{
    std::uniform_int_distribution<qsizetype> word(0, Words.size() - 1);
    std::uniform_int_distribution<int> number(1, 500);
    QString text;
    for (int i = 0; i < words; ++i) {
        text += Words[word(random)];
        if (i % 5 == 4)
            text += QString::number(number(random));
    }
    return text;
}

// A question of about 150 characters: stem, three options, explanation.
QString QuestionText(std::mt19937& random)
{
    return Sentence(random, 12) + QStringLiteral("\r\nA、") + Sentence(random, 3) +
           QStringLiteral("\r\nB、") + Sentence(random, 3) + QStringLiteral("\r\nC、") +
           Sentence(random, 3) + QStringLiteral("\r\n") + Sentence(random, 15);
}

QList<SearchDocument> Documents()
{
    std::mt19937 random(20261210);
    QList<SearchDocument> documents;
    for (int n = 0; n < Questions; ++n)
        documents.append({QString::number(n), n % 10 + 1, n / 10 + 1, QuestionText(random)});
    return documents;
}

const SearchIndex& Index()
{
    static const SearchIndex index = [] {
        SearchIndex built;
        for (SearchDocument& document : Documents())
            built.Add(std::move(document));
        return built;
    }();
    return index;
}

// Keystroke n of the query: the search holds the first n - 1 characters, as the window does.
void Keystroke(benchmark::State& state)
{
    const QString query = QStringLiteral("机动车驾驶人饮酒后");
    const int n = static_cast<int>(state.range(0));
    IncrementalSearch typed(Index());
    typed.Update(query.left(n - 1));
    const QString next = query.left(n);
    qsizetype found = 0;
    for (auto _ : state) {
        IncrementalSearch search = typed; // shares the matches until it narrows them
        found = search.Update(next).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = double(found);
}
BENCHMARK(Keystroke)->DenseRange(1, 9)->Unit(benchmark::kMillisecond);

// A character in most questions, typed into an empty field: every match listed.
void FirstKeystrokeCommonest(benchmark::State& state)
{
    const SearchIndex& index = Index();
    qsizetype found = 0;
    for (auto _ : state) {
        IncrementalSearch search(index);
        found = search.Update(QStringLiteral("的")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = double(found);
}
BENCHMARK(FirstKeystrokeCommonest)->Unit(benchmark::kMillisecond);

// A character changed inside the query: nothing to narrow, a search of the whole bank.
void EditInTheMiddle(benchmark::State& state)
{
    IncrementalSearch typed(Index());
    typed.Update(QStringLiteral("车道的"));
    const QString edited = QStringLiteral("车速的");
    qsizetype found = 0;
    for (auto _ : state) {
        IncrementalSearch search = typed;
        found = search.Update(edited).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = double(found);
}
BENCHMARK(EditInTheMiddle)->Unit(benchmark::kMillisecond);

void BuildIndex(benchmark::State& state)
{
    const QList<SearchDocument> documents = Documents();
    for (auto _ : state) {
        SearchIndex index;
        for (const SearchDocument& document : documents)
            index.Add(document);
        benchmark::DoNotOptimize(index.Size());
    }
}
BENCHMARK(BuildIndex)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

BENCHMARK_MAIN();
