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
class NearDuplicates {
public:
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
    };
    Found Find(qsizetype shown) const;

private:
    using PairSet = std::vector<std::uint32_t>; // sorted, each pair once
    std::vector<PairSet> sets;
};
