#include "search/SearchResults.h"

#include <QApplication>
#include <QPainter>
#include <QPoint>

namespace {
// Room for the text ahead of a match and in all, in characters.
constexpr qsizetype Before = 16;
constexpr qsizetype Width = 160; // a wide window shows more; a narrow one elides the rest
const QColor MatchBackground(255, 224, 96);
} // namespace

SearchResults::SearchResults(const SearchIndex& index, QObject* parent)
    : QAbstractListModel(parent), questions(index)
{
}

void SearchResults::Show(const QList<int>& shown, const QString& searched)
{
    beginResetModel();
    matches = shown;
    key = searched;
    endResetModel();
}

QStringList SearchResults::Ids() const
{
    QStringList ids;
    ids.reserve(matches.size());
    for (const int i : matches)
        ids.append(questions.At(i).id);
    return ids;
}

int SearchResults::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(matches.size());
}

QVariant SearchResults::data(const QModelIndex& row, int role) const
{
    if (!row.isValid() || row.row() >= matches.size())
        return {};
    const SearchDocument& document = questions.At(matches[row.row()]);
    if (role == IdRole)
        return document.id;
    if (role != Qt::DisplayRole && role != MatchRole)
        return {};
    const QString place =
        QStringLiteral("第%1章 第%2题　").arg(document.chapter).arg(document.position);
    const Snippet snippet =
        SnippetAround(document.text, FindInText(document.text, key), Before, Width);
    if (role == MatchRole)
        return QPoint(int(place.size() + snippet.matchStart), int(snippet.matchLength));
    return place + snippet.text;
}

void MatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget)
                           .adjusted(2, 0, -2, 0);
    const QPoint match = index.data(SearchResults::MatchRole).toPoint();
    const QString ahead = text.left(match.x());
    const QString matched = text.mid(match.x(), match.y());
    const QString after = text.mid(match.x() + match.y());
    const QFontMetrics metrics(item.font);
    const bool selected = item.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(item.font);
    painter->setClipRect(room);
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    QRect at = room;
    painter->drawText(at, Qt::AlignVCenter | Qt::AlignLeft, ahead);
    at.setLeft(at.left() + metrics.horizontalAdvance(ahead));
    const QRect marked(at.left(), room.top() + 1, metrics.horizontalAdvance(matched),
                       room.height() - 2);
    painter->fillRect(marked, MatchBackground);
    painter->setPen(Qt::black);
    painter->drawText(at, Qt::AlignVCenter | Qt::AlignLeft, matched);
    at.setLeft(marked.right() + 1);
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(at, Qt::AlignVCenter | Qt::AlignLeft,
                      metrics.elidedText(after, Qt::ElideRight, at.width()));
    painter->restore();
}
