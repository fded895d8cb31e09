#include "tools/NearDuplicates.h"

#include <QtGlobal>

#include <algorithm>
#include <numeric>
#include <optional>
#include <queue>
#include <span>

namespace {
using PairSet = std::vector<std::uint32_t>;
using Members = std::vector<qsizetype>; // text numbers, ascending

// Similar enough: shared / (a + b - shared) >= 9/10, in integers.
bool IsNearDuplicate(qsizetype shared, qsizetype a, qsizetype b)
{
    return 10 * shared >= 9 * (a + b - shared);
}

// The fewest pairs a set of n must share with a set no larger to be a near-duplicate of it:
// ceil(9n / 10).
qsizetype LeastShared(qsizetype n)
{
    return (9 * n + 9) / 10;
}

// Two near-duplicates share at least this many pairs among the rarest few of each (fewer only
// when a set is so small that one shared pair can be enough).
constexpr qsizetype MatchesInPrefix = 2;

// How many of its rarest pairs a set is indexed under: enough that any near-duplicate at least
// as large shares MatchesInPrefix of them. Sharing ceil(18m / 19) of its m pairs is the least
// a set can share with a larger one, and still be a near-duplicate of it.
qsizetype IndexedPrefix(qsizetype m)
{
    return std::min(m, m - (18 * m + 18) / 19 + MatchesInPrefix);
}

PairSet PairsOf(const QString& text)
{
    PairSet pairs;
    char16_t previous = 0;
    for (const QChar c : text) {
        if (!c.isLetterOrNumber())
            continue;
        if (previous != 0)
            pairs.push_back((std::uint32_t(previous) << 16) | c.unicode());
        previous = c.unicode();
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

// The pairs two sorted sets share, or nothing as soon as too few can be left to share.
std::optional<qsizetype> SharedPairs(std::span<const std::uint32_t> a,
                                     std::span<const std::uint32_t> b)
{
    const qsizetype needed = (9 * qsizetype(a.size() + b.size()) + 18) / 19;
    qsizetype shared = 0;
    for (auto i = a.begin(), j = b.begin(); i != a.end() && j != b.end();) {
        if (shared + std::min(a.end() - i, b.end() - j) < needed)
            return std::nullopt;
        if (*i < *j) {
            ++i;
        } else if (*j < *i) {
            ++j;
        } else {
            ++shared;
            ++i;
            ++j;
        }
    }
    return shared;
}

// The first pairs in order of (first, second), however many are offered.
class FirstPairs {
public:
    explicit FirstPairs(qsizetype shown) : shown(shown) {}

    void Offer(qsizetype a, qsizetype b, int percent)
    {
        const NearDuplicates::Pair pair{std::min(a, b), std::max(a, b), percent};
        if (shown == 0)
            return;
        if (qsizetype(heap.size()) == shown) {
            if (!Before(pair, heap.top()))
                return;
            heap.pop();
        }
        heap.push(pair);
    }

    QList<NearDuplicates::Pair> Sorted()
    {
        QList<NearDuplicates::Pair> pairs;
        for (; !heap.empty(); heap.pop())
            pairs.prepend(heap.top());
        return pairs;
    }

private:
    static bool Before(const NearDuplicates::Pair& x, const NearDuplicates::Pair& y)
    {
        return std::pair(x.first, x.second) < std::pair(y.first, y.second);
    }
    struct Later {
        bool operator()(const NearDuplicates::Pair& x, const NearDuplicates::Pair& y) const
        {
            return Before(x, y);
        }
    };

    qsizetype shown;
    std::priority_queue<NearDuplicates::Pair, std::vector<NearDuplicates::Pair>, Later> heap;
};

// Every pair of texts with the same set: the first `shown` of a group in order, all counted.
void OfferGroup(const Members& group, qsizetype shown, FirstPairs& first, qsizetype& count)
{
    const auto k = qsizetype(group.size());
    count += k * (k - 1) / 2;
    qsizetype offered = 0;
    for (qsizetype a = 0; a < k && offered < shown; ++a) {
        for (qsizetype b = a + 1; b < k && offered < shown; ++b, ++offered)
            first.Offer(group[a], group[b], 100);
    }
}

// Every text of one group against every text of another. A pair among the first `shown`
// overall has both its texts among the first `shown` of their groups.
void OfferGroups(const Members& x, const Members& y, int percent, qsizetype shown,
                 FirstPairs& first, qsizetype& count)
{
    count += qsizetype(x.size()) * qsizetype(y.size());
    for (qsizetype a = 0; a < qsizetype(x.size()) && a < shown; ++a) {
        for (qsizetype b = 0; b < qsizetype(y.size()) && b < shown; ++b)
            first.Offer(x[a], y[b], percent);
    }
}

// Sets with each pair replaced by its rank in rarity (0 for the rarest) and sorted that way,
// held one after another for a quick walk through them.
class RankedSets {
public:
    explicit RankedSets(const std::vector<const PairSet*>& sets)
    {
        PairSet all;
        for (const PairSet* set : sets)
            all.insert(all.end(), set->begin(), set->end());
        std::sort(all.begin(), all.end());
        PairSet distinct;
        std::vector<qsizetype> frequency;
        for (std::size_t i = 0; i < all.size();) {
            std::size_t j = i;
            while (j < all.size() && all[j] == all[i])
                ++j;
            distinct.push_back(all[i]);
            frequency.push_back(qsizetype(j - i));
            i = j;
        }
        std::vector<std::uint32_t> byRarity(distinct.size());
        std::iota(byRarity.begin(), byRarity.end(), 0);
        std::stable_sort(byRarity.begin(), byRarity.end(), [&](std::uint32_t a, std::uint32_t b) {
            return frequency[a] < frequency[b];
        });
        std::vector<std::uint32_t> rank(distinct.size());
        for (std::uint32_t r = 0; r < byRarity.size(); ++r)
            rank[byRarity[r]] = r;
        ranks = distinct.size();

        starts.push_back(0);
        for (const PairSet* set : sets) {
            for (const std::uint32_t pair : *set)
                pairs.push_back(rank[std::lower_bound(distinct.begin(), distinct.end(), pair) -
                                     distinct.begin()]);
            std::sort(pairs.begin() + qsizetype(starts.back()), pairs.end());
            starts.push_back(pairs.size());
        }
    }

    std::size_t Count() const { return starts.size() - 1; }
    std::size_t Ranks() const { return ranks; }
    std::span<const std::uint32_t> Set(std::size_t k) const
    {
        return {pairs.data() + starts[k], starts[k + 1] - starts[k]};
    }
    qsizetype Size(std::size_t k) const { return qsizetype(starts[k + 1] - starts[k]); }

private:
    std::vector<std::uint32_t> pairs;
    std::vector<std::size_t> starts;
    std::size_t ranks = 0;
};
} // namespace

void NearDuplicates::Add(const QString& text)
{
    sets.push_back(PairsOf(text));
}

NearDuplicates::Found NearDuplicates::Find(qsizetype shown) const
{
    FirstPairs first(shown);
    Found found;

    // Texts with the same set: one group each, its members in text order; the groups ordered
    // by the size of their set.
    std::vector<qsizetype> order(sets.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return sets[a].size() != sets[b].size() ? sets[a].size() < sets[b].size()
                                                : sets[a] < sets[b];
    });
    std::vector<const PairSet*> distinct;
    std::vector<Members> groups;
    for (const qsizetype i : order) {
        if (distinct.empty() || *distinct.back() != sets[i]) {
            distinct.push_back(&sets[i]);
            groups.emplace_back();
        }
        groups.back().push_back(i);
    }
    for (const Members& group : groups)
        OfferGroup(group, shown, first, found.count);

    // The distinct sets, smallest first, each matched against the earlier ones that share two
    // of its rarest pairs (one, for a set of one pair), then indexed under its own rarest. An
    // index list thus runs from small sets to large, and the ones too small for the sets still
    // to come are passed for good.
    const RankedSets ranked(distinct);
    std::vector<std::vector<std::size_t>> index(ranked.Ranks());
    std::vector<std::size_t> tooSmall(ranked.Ranks(), 0); // of each index list, from its start
    std::vector<std::uint32_t> sharedInPrefix(ranked.Count(), 0);
    std::vector<std::size_t> candidates;
    for (std::size_t x = 0; x < ranked.Count(); ++x) {
        const auto set = ranked.Set(x);
        const qsizetype n = ranked.Size(x);
        const qsizetype least = LeastShared(n);
        const auto needed = std::uint32_t(std::min<qsizetype>(MatchesInPrefix, least));
        bool cutShort = false;
        for (qsizetype i = 0; i < std::min(n, n - least + needed); ++i) {
            const std::vector<std::size_t>& list = index[set[i]];
            std::size_t& skip = tooSmall[set[i]];
            while (skip < list.size() && ranked.Size(list[skip]) < least)
                ++skip;
            const std::size_t latest =
                list.size() - std::min<std::size_t>(list.size(), MaxScannedPerPair);
            cutShort = cutShort || latest > skip;
            for (std::size_t k = std::max(skip, latest); k < list.size(); ++k) {
                if (sharedInPrefix[list[k]]++ == 0)
                    candidates.push_back(list[k]);
            }
        }
        qsizetype compared = 0;
        for (const std::size_t y : candidates) {
            const bool enough = sharedInPrefix[y] >= needed;
            sharedInPrefix[y] = 0;
            if (!enough)
                continue;
            if (compared == MaxComparedPerText) {
                cutShort = true;
                continue;
            }
            ++compared;
            const auto shared = SharedPairs(set, ranked.Set(y));
            const qsizetype m = ranked.Size(y);
            if (!shared || !IsNearDuplicate(*shared, n, m))
                continue;
            const int percent = qRound(double(*shared) / double(n + m - *shared) * 100);
            OfferGroups(groups[x], groups[y], percent, shown, first, found.count);
        }
        candidates.clear();
        found.cutShort += cutShort ? qsizetype(groups[x].size()) : 0;
        for (qsizetype i = 0; i < IndexedPrefix(n); ++i)
            index[set[i]].push_back(x);
    }
    found.first = first.Sorted();
    return found;
}
