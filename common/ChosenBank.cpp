#include "common/ChosenBank.h"

#include "common/Platform.h"

#include <QDir>

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

std::optional<LoadedBank> LoadChosenBank(QWidget* window, Cipher& cipher)
{
    LoadedBank bank = LoadBank(BankPath(), cipher);
    if (!bank.Complete()) {
        Notice(window, BankNoticeText(bank));
        return std::nullopt;
    }
    return bank;
}
