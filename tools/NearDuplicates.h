#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

// Texts that share most of their neighbouring letter pairs: the pairs of each text, punctuation
// and spaces left out, form a set, and two texts whose sets have a Jaccard similarity of at
// least 90% are near-duplicates.
//
// Finding them does not compare every two texts: texts with the same set are grouped, and the
// sets left are matched through an index of their rarest pairs (prefix filtering: two sets
// that similar must share one of the first few pairs of each, in order of rarity). That finds
// exactly what comparing all of them would, in a small part of the time.
//
// Unless texts are alike by the hundred: long, nearly identical texts all share their rarest
// pairs, and comparing each with all the others would take hours on a large bank. So each text
// is compared with at most MaxComparedPerText others, found among the MaxScannedPerPair latest
// texts indexed under each of its rarest pairs (the ones nearest to it in size), and the texts
// for which that cut the search short are counted.
class NearDuplicates {
public:
    static constexpr qsizetype MaxComparedPerText = 64;
    static constexpr qsizetype MaxScannedPerPair = 256;

    // Texts are numbered from 0 in the order they are added.
    void Add(const QString& text);

    struct Pair {
        qsizetype first = 0; // first < second
        qsizetype second = 0;
        int percent = 0; // the similarity, rounded
    };
    struct Found {
        QList<Pair> first; // the first pairs in order of (first, second), at most `shown`
        qsizetype count = 0;
        qsizetype cutShort = 0; // texts not compared with every candidate: count is a floor
    };
    Found Find(qsizetype shown) const;

private:
    using PairSet = std::vector<std::uint32_t>; // sorted, each pair once
    std::vector<PairSet> sets;
};
