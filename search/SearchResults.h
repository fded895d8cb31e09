#pragma once

#include "search/SearchIndex.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

// The matches of a search as rows of a list: each row its chapter, its number in the chapter
// and a stretch of its text around the match. Rows are made when the list asks for them, so
// that a query matching every question of a large bank costs no more than one matching a few.
class SearchResults : public QAbstractListModel {
    Q_OBJECT
public:
    // The match's place in the row's text, as a QPoint (start, length).
    static constexpr int MatchRole = Qt::UserRole;
    static constexpr int IdRole = Qt::UserRole + 1;

    explicit SearchResults(const SearchIndex& index, QObject* parent = nullptr);

    void Show(const QList<int>& matches, const QString& key);
    QStringList Ids() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const SearchIndex& questions;
    QList<int> matches;
    QString key;
};

// Draws a row's text with its match marked.
class MatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
