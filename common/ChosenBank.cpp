#include "common/ChosenBank.h"

#include "common/Platform.h"

#include <QDir>

#include <set>

QString BankNoticeText(const BankReading& reading)
{
    const QString path = QDir::toNativeSeparators(BankPath());
    switch (reading.status) {
    case BankStatus::Read:
        return {};
    case BankStatus::Missing:
        return MissingBankText;
    case BankStatus::NotAFile:
        return QStringLiteral("题库不是一个文件，无法读取：\n%1").arg(path);
    case BankStatus::Unreadable:
        return QStringLiteral("题库文件无法打开：\n%1\n（%2）").arg(path, reading.error);
    case BankStatus::ReadFailed:
        return QStringLiteral(
                   "读取题库文件时出错，只读到第 %1 行，题库不完整，无法使用：\n%2\n（%3）")
            .arg(reading.lines)
            .arg(path, reading.error);
    }
    return {};
}

QString DamagedBankText(const BankReading& reading)
{
    if (!reading.Complete() || !reading.Damaged())
        return {};
    const QString path = QDir::toNativeSeparators(BankPath());
    const QString goingOn =
        QStringLiteral("练习和考试照常进行，使用读到的 %1 道题。").arg(reading.recordsRead);
    QString what;
    if (reading.Lost() > 0)
        what = QStringLiteral("题库文件已损坏或不完整，有 %1 道题无法读取：").arg(reading.Lost());
    else if (reading.trailer)
        what = QStringLiteral("题库文件的内容与文件末尾记录的校验值不符，可能已损坏，"
                              "个别题目可能有误：");
    else
        what = QStringLiteral("题库文件末尾的校验信息已损坏，无法确认题库是否完整：");
    return what + u'\n' + path + u'\n' + goingOn;
}

namespace
{
// Once per bank and run: every window loads the bank, and a learner told that it is damaged
// need not hear it again at each one. The text names the bank and what is wrong with it, so
// another bank, or this one damaged anew, is told of.
void TellOnce(QWidget* window, const QString& text)
{
    static std::set<QString> told;
    if (!text.isEmpty() && told.insert(text).second)
        Notice(window, text);
}
} // namespace

std::optional<LoadedBank> LoadChosenBank(QWidget* window, Cipher& cipher)
{
    LoadedBank bank = LoadBank(BankPath(), cipher);
    if (!bank.Complete()) {
        Notice(window, BankNoticeText(bank));
        return std::nullopt;
    }
    TellOnce(window, DamagedBankText(bank));
    return bank;
}
