#include "bank/BankLoader.h"

#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Record.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr qsizetype MaxLineLength = 32767;

QByteArray WithoutByteOrderMark(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return bytes;
}
} // namespace

LoadedBank LoadBank(const QString& path, Cipher& cipher)
{
    LoadedBank bank;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return bank;
    bank.found = true;

    const QByteArray content = WithoutByteOrderMark(file.readAll());
    int lineNumber = 0;
    for (qsizetype start = 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArrayView rawLine = QByteArrayView(content).sliced(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (rawLine.endsWith('\r'))
            rawLine.chop(1);
        if (rawLine.isEmpty())
            break;
        if (rawLine.size() > MaxLineLength) {
            bank.skipped.append({lineNumber, SkipReason::TooLong});
            continue;
        }
        const auto unwrapped = cipher.b64StrDec(rawLine);
        if (!unwrapped) {
            bank.skipped.append({lineNumber, SkipReason::NotDecodable});
            continue;
        }
        BankRecord record{lineNumber, DecodeText(*unwrapped, BankKey)};
        if (Record::FieldsIn(record.text) < Record::MinimumFields) {
            bank.skipped.append({lineNumber, SkipReason::TooFewFields});
            continue;
        }
        bank.records.append(std::move(record));
    }
    return bank;
}

QString SkipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::TooLong:
        return QStringLiteral("line longer than 32767 characters");
    case SkipReason::NotDecodable:
        return QStringLiteral("not valid base64 text");
    case SkipReason::TooFewFields:
        return QStringLiteral("fewer than five fields");
    }
    return {};
}
