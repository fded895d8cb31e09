#include "bank/BankLoader.h"

#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/Record.h"

#include <QFile>
#include <QFileInfo>

namespace {
void Skip(BankReading& reading, qsizetype line, SkipReason reason)
{
    if (reading.skipped.size() < BankReading::SkippedLinesKept)
        reading.skipped.append({line, reason});
    ++reading.skippedCount;
}
} // namespace

BankReading ReadBank(const QString& path, Cipher& cipher,
                     const std::function<void(BankRecord&&)>& take)
{
    BankReading reading;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return reading;
    reading.found = true;

    LineReader lines(file, MaxLineLength);
    while (lines.Next()) {
        if (lines.TooLong()) {
            Skip(reading, lines.Number(), SkipReason::TooLong);
            continue;
        }
        if (lines.Line().isEmpty()) {
            reading.emptyLine = lines.Number();
            break;
        }
        const auto unwrapped = cipher.b64StrDec(lines.Line());
        if (!unwrapped) {
            Skip(reading, lines.Number(), SkipReason::NotDecodable);
            continue;
        }
        BankRecord record{lines.Number(), DecodeText(*unwrapped, BankKey), 0};
        if (Record::FieldsIn(record.text) < Record::MinimumFields) {
            Skip(reading, lines.Number(), SkipReason::TooFewFields);
            continue;
        }
        record.dropped = unwrapped->size() - record.text.size();
        take(std::move(record));
    }
    return reading;
}

LoadedBank LoadBank(const QString& path, Cipher& cipher)
{
    LoadedBank bank;
    static_cast<BankReading&>(bank) = ReadBank(
        path, cipher, [&](BankRecord&& record) { bank.records.append(std::move(record)); });
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
