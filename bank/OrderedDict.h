#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <list>
#include <utility>

// Texts under unique text keys, kept in insertion order. Adding a key that is present is
// refused, so re-recording a key means Remove then Add, which moves it to the end.
class OrderedDict {
public:
    // False (and nothing changes) when the key is present already.
    bool Add(const QString& key, const QString& item);
    // False when the key is absent.
    bool Remove(const QString& key);
    bool Exists(const QString& key) const { return index.contains(key); }
    // The item under key, or an empty text when the key is absent.
    QString Item(const QString& key) const;
    qsizetype Count() const { return index.size(); }
    QStringList Keys() const;

private:
    using Entries = std::list<std::pair<QString, QString>>;
    Entries entries;
    QHash<QString, Entries::iterator> index;
};
