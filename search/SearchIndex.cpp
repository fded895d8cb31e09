#include "search/SearchIndex.h"

#include <algorithm>

namespace {
constexpr char16_t LineBreak = u'\n';
constexpr char16_t FirstFullWidth = 0xFF01; // ！, the full-width twin of !
constexpr char16_t LastFullWidth = 0xFF5E;  // ～
constexpr char16_t FullWidthOffset = 0xFEE0;

bool Dropped(QChar c)
{
    switch (c.category()) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return true;
    default:
        return false;
    }
}

// The character a key holds for c; a null character when the key leaves c out.
QChar Folded(QChar c)
{
    char16_t u = c.unicode();
    if (u == LineBreak)
        return c;
    if (u >= FirstFullWidth && u <= LastFullWidth)
        u -= FullWidthOffset;
    const QChar half(u);
    if (Dropped(half))
        return {};
    return half.toLower();
}
} // namespace

QString SearchKey(QStringView text)
{
    QString key;
    key.reserve(text.size());
    for (const QChar c : text) {
        if (const QChar folded = Folded(c); !folded.isNull())
            key.append(folded);
    }
    return key;
}

TextMatch FindInText(QStringView text, QStringView key)
{
    if (key.isEmpty())
        return {};
    QString folded;
    QList<qsizetype> source; // the text's index of each character of folded
    folded.reserve(text.size());
    source.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const QChar c = Folded(text[i]); !c.isNull()) {
            folded.append(c);
            source.append(i);
        }
    }
    const qsizetype at = folded.indexOf(key);
    if (at < 0)
        return {};
    const qsizetype start = source[at];
    return {start, source[at + key.size() - 1] + 1 - start};
}

Snippet SnippetAround(QStringView text, TextMatch match, qsizetype before, qsizetype width)
{
    const qsizetype matchEnd = match.start + match.length;
    const qsizetype from = std::max<qsizetype>(0, match.start - before);
    const qsizetype to = std::min(text.size(), std::max(from + width, matchEnd));
    Snippet snippet;
    if (from > 0)
        snippet.text = QStringLiteral("…");
    for (qsizetype i = from; i < to; ++i) {
        if (i == match.start)
            snippet.matchStart = snippet.text.size();
        if (i == matchEnd)
            snippet.matchLength = snippet.text.size() - snippet.matchStart;
        if (text[i] == u'\r' && i + 1 < to && text[i + 1] == u'\n')
            continue; // one space for a Windows line break
        snippet.text.append(text[i] == u'\n' || text[i] == u'\r' ? QChar(u' ') : text[i]);
    }
    if (matchEnd == to)
        snippet.matchLength = snippet.text.size() - snippet.matchStart;
    if (to < text.size())
        snippet.text.append(QStringLiteral("…"));
    return snippet;
}

void SearchIndex::Add(SearchDocument document)
{
    const int number = static_cast<int>(documents.size());
    QString key = SearchKey(document.text);
    for (const QChar c : std::as_const(key)) {
        QList<int>& holding = holders[c.unicode()];
        if (holding.isEmpty() || holding.last() != number)
            holding.append(number);
    }
    keys.append(std::move(key));
    documents.append(std::move(document));
}

const QList<int>* SearchIndex::RarestCharacter(const QString& key) const
{
    const QList<int>* rarest = nullptr;
    for (const QChar c : key) {
        const auto holding = holders.constFind(c.unicode());
        if (holding == holders.cend())
            return nullptr;
        if (!rarest || holding->size() < rarest->size())
            rarest = &*holding;
    }
    return rarest;
}

QList<int> SearchIndex::Verified(const QList<int>& candidates, const QString& key) const
{
    QList<int> found;
    for (const int i : candidates) {
        if (keys[i].contains(key))
            found.append(i);
    }
    return found;
}

QList<int> SearchIndex::Find(const QString& key) const
{
    if (key.isEmpty())
        return {};
    const QList<int>* rarest = RarestCharacter(key);
    if (!rarest)
        return {};
    // A document holds a one-character key exactly when it holds the character.
    return key.size() == 1 ? *rarest : Verified(*rarest, key);
}

QList<int> SearchIndex::FindWithin(const QString& key, const QList<int>& within) const
{
    if (key.isEmpty())
        return {};
    const QList<int>* rarest = RarestCharacter(key);
    if (!rarest)
        return {};
    return Verified(rarest->size() < within.size() ? *rarest : within, key);
}

const QList<int>& IncrementalSearch::Update(const QString& query)
{
    QString next = SearchKey(query);
    if (next == key)
        return matches;
    const bool narrows = !key.isEmpty() && next.contains(key);
    matches = narrows ? index.FindWithin(next, matches) : index.Find(next);
    key = std::move(next);
    return matches;
}
