#pragma once

#include "bank/Record.h"

#include <QString>
#include <QStringList>

// The kinds of question a learner drills apart from the chapters. The names are part of the bank
// format: a bank names a question's topics in field 7, by these names and no others.
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
// Between the names in field 7.
inline const QString Separator = QStringLiteral(",");
constexpr int MaximumPerQuestion = 3;

inline bool IsTopic(const QString& name) { return Names.contains(name); }

// The topics a record names, in its order; a name not on the list is left out (the bank tool's
// check refuses it), and so is a record without field 7.
inline QStringList Of(const QStringList& fields)
{
    QStringList topics;
    const QString field = Record::FieldOf(fields, Record::Topics);
    if (field.isEmpty())
        return topics;
    for (const QString& name : field.split(Separator)) {
        if (IsTopic(name) && !topics.contains(name))
            topics.append(name);
    }
    return topics;
}
} // namespace Topics
