#include "bank/OrderedDict.h"

#include <iterator>

bool OrderedDict::Add(const QString& key, const QString& item)
{
    if (index.contains(key))
        return false;
    entries.emplace_back(key, item);
    index.insert(key, std::prev(entries.end()));
    return true;
}

bool OrderedDict::Remove(const QString& key)
{
    const auto found = index.constFind(key);
    if (found == index.constEnd())
        return false;
    entries.erase(*found);
    index.erase(found);
    return true;
}

QString OrderedDict::Item(const QString& key) const
{
    const auto found = index.constFind(key);
    return found == index.constEnd() ? QString() : (*found)->second;
}

QStringList OrderedDict::Keys() const
{
    QStringList keys;
    keys.reserve(Count());
    for (const auto& entry : entries)
        keys.append(entry.first);
    return keys;
}
