#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

// The form a search compares: full-width letters, digits and signs as their half-width twins,
// letters in lower case, spaces, punctuation and symbols left out. A line break stays, so that
// no match runs from one line (an option, the explanation) into the next.
QString SearchKey(QStringView text);

// Where a match lies in a text, in the text's own characters.
struct TextMatch {
    qsizetype start = -1; // -1: no match
    qsizetype length = 0;
    bool operator==(const TextMatch&) const = default;
};
// The first place text holds key (a SearchKey), however text writes it.
TextMatch FindInText(QStringView text, QStringView key);

// The stretch of a text to show on one line around a match: line breaks as spaces, at most
// `before` characters ahead of the match, `width` in all unless the match is longer, and "…"
// where the text was cut.
struct Snippet {
    QString text;
    qsizetype matchStart = 0;
    qsizetype matchLength = 0;
};
Snippet SnippetAround(QStringView text, TextMatch match, qsizetype before, qsizetype width);

// A question as the search finds and shows it.
struct SearchDocument {
    QString id;
    int chapter = 0;
    int position = 0;
    QString text; // the question with its options, and its explanation, as the learner reads them
};

// Every document's key, and for each character the documents whose key holds it: a query
// looks only at the documents that hold its rarest character.
class SearchIndex {
public:
    void Add(SearchDocument document);
    qsizetype Size() const { return documents.size(); }
    const SearchDocument& At(int i) const { return documents[i]; }

    // The documents whose text holds key, by their number in the order added.
    QList<int> Find(const QString& key) const;
    // The same, knowing that every match is among within (the matches of a part of key).
    QList<int> FindWithin(const QString& key, const QList<int>& within) const;

private:
    // The shortest list of documents holding a character of key; nullptr when one holds none.
    const QList<int>* RarestCharacter(const QString& key) const;
    QList<int> Verified(const QList<int>& candidates, const QString& key) const;

    QList<SearchDocument> documents;
    QList<QString> keys;
    QHash<char16_t, QList<int>> holders; // in order, each document once
};

// A search as the learner types: a query whose key holds the last one can only narrow the last
// matches, so it looks among those alone.
class IncrementalSearch {
public:
    explicit IncrementalSearch(const SearchIndex& index) : index(index) {}

    const QList<int>& Update(const QString& query);
    const QList<int>& Matches() const { return matches; }
    const QString& Key() const { return key; }

private:
    const SearchIndex& index;
    QString key;
    QList<int> matches;
};
