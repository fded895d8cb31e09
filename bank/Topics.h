#pragma once

#include "bank/Record.h"

#include <QString>
#include <QStringList>
#include <optional>

// The kinds of question a learner drills apart from the chapters. The list is part of the bank
// format: field 7 names a question's topics by their numbers in it (1 for the first), since the
// record layer carries printable ASCII alone. Names are only ever added at the end.
namespace Topics {
inline const QStringList Names = {
    QStringLiteral("数字"),           QStringLiteral("罚款"),
    QStringLiteral("记分"),           QStringLiteral("交通标志"),
    QStringLiteral("交通标线"),       QStringLiteral("信号灯"),
    QStringLiteral("交警手势"),       QStringLiteral("仪表与指示灯"),
    QStringLiteral("车辆灯光"),       QStringLiteral("高速公路"),
    QStringLiteral("通行与让行"),     QStringLiteral("停车"),
    QStringLiteral("特殊路段与天气"), QStringLiteral("酒驾与毒驾"),
    QStringLiteral("事故处理"),       QStringLiteral("驾驶证"),
    QStringLiteral("机动车登记与检验"), QStringLiteral("安全文明驾驶"),
};
// Between the numbers in field 7.
inline const QString Separator = QStringLiteral(",");
constexpr int MaximumPerQuestion = 3;

inline bool IsTopic(const QString& name) { return Names.contains(name); }

// The name an entry of field 7 stands for: whole decimal digits, 1 to the number of names,
// without sign, spaces or leading zeros. Nothing for anything else.
inline std::optional<QString> NameOf(QStringView entry)
{
    bool ok = false;
    const int number = entry.toInt(&ok);
    if (!ok || number < 1 || number > Names.size() || entry != QString::number(number))
        return std::nullopt;
    return Names[number - 1];
}

// Field 7 as stored for these names, which must be on the list.
inline QString Field(const QStringList& names)
{
    QStringList numbers;
    for (const QString& name : names)
        numbers.append(QString::number(Names.indexOf(name) + 1));
    return numbers.join(Separator);
}

// The topics a record names, in its order; an entry that names no topic is left out (the bank
// tool's check refuses it), and so is a record without field 7.
inline QStringList Of(const QStringList& fields)
{
    QStringList topics;
    const QString field = Record::FieldOf(fields, Record::Topics);
    if (field.isEmpty())
        return topics;
    for (const QString& entry : field.split(Separator)) {
        const auto name = NameOf(entry);
        if (name && !topics.contains(*name))
            topics.append(*name);
    }
    return topics;
}
} // namespace Topics
