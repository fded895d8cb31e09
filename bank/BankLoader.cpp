#include "bank/BankLoader.h"

#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/Record.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
struct Unwrapped {
    QString text;
    qsizetype dropped = 0;
};

// A line's record text: base64, then the descrambler. Nearly every line is plain ASCII after
// base64; its bytes go to the descrambler as they are, which decodes exactly what reading them
// into a text first would.
std::optional<Unwrapped> Unwrap(QByteArrayView line, Cipher& cipher)
{
    const auto bytes = cipher.FromBase64(line);
    if (!bytes)
        return std::nullopt;
    if (IsAscii(*bytes)) {
        QString text = DecodeText(QLatin1StringView(*bytes), BankKey);
        const qsizetype dropped = bytes->size() - text.size();
        return Unwrapped{std::move(text), dropped};
    }
    const auto text = cipher.Decode(line);
    if (!text)
        return std::nullopt;
    QString record = DecodeText(*text, BankKey);
    const qsizetype dropped = text->size() - record.size();
    return Unwrapped{std::move(record), dropped};
}

void Skip(BankReading& reading, qsizetype line, SkipReason reason)
{
    if (reading.skipped.size() < BankReading::SkippedLinesKept)
        reading.skipped.append({line, reason});
    ++reading.skippedCount;
}

// Every line read counts, wherever it is: the last line, and one without a line end.
void CountLine(const LineReader& lines, BankReading& reading)
{
    reading.lines = lines.Number();
    if (!lines.Ended())
        reading.unendedLine = lines.Number();
}

// What follows the empty line that ends the records: the trailer, perhaps a damaged one, and
// lines no reader takes records from.
void ReadAfterRecords(LineReader& lines, BankReading& reading)
{
    while (lines.Next()) {
        CountLine(lines, reading);
        if (!lines.TooLong() && lines.Line().isEmpty())
            continue;
        const auto trailer = ParseTrailer(lines.Line());
        if (trailer && !reading.trailer) {
            reading.trailer = trailer;
            reading.trailerLine = lines.Number();
        } else if (!trailer && LooksLikeTrailer(lines.Line())) {
            if (reading.damagedTrailerLine == 0)
                reading.damagedTrailerLine = lines.Number();
        } else {
            ++reading.unreadLines;
        }
    }
}
} // namespace

BankReading ReadBank(const QString& path, Cipher& cipher,
                     const std::function<void(BankRecord&&)>& take)
{
    BankReading reading;
    const QFileInfo info(path);
    if (!info.exists())
        return reading;
    if (!info.isFile()) {
        reading.status = BankStatus::NotAFile;
        reading.error = info.isDir()
                            ? QStringLiteral("a folder")
                            : QStringLiteral("not a regular file (a pipe, socket or device)");
        return reading;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.status = BankStatus::Unreadable;
        reading.error = file.errorString();
        return reading;
    }
    return ReadBank(file, cipher, take);
}

BankReading ReadBank(QIODevice& device, Cipher& cipher,
                     const std::function<void(BankRecord&&)>& take)
{
    BankReading reading;
    reading.status = BankStatus::Read;
    LineReader lines(device, MaxLineLength);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    lines.HashInto(&hash);
    while (lines.Next()) {
        CountLine(lines, reading);
        if (lines.TooLong()) {
            Skip(reading, lines.Number(), SkipReason::TooLong);
            continue;
        }
        if (lines.Line().isEmpty()) {
            reading.emptyLine = lines.Number();
            lines.HashInto(nullptr);
            reading.recordsSha256 = hash.result();
            ReadAfterRecords(lines, reading);
            break;
        }
        auto unwrapped = Unwrap(lines.Line(), cipher);
        if (!unwrapped) {
            Skip(reading, lines.Number(), SkipReason::NotDecodable);
            continue;
        }
        if (Record::FieldsIn(unwrapped->text) < Record::MinimumFields) {
            Skip(reading, lines.Number(), SkipReason::TooFewFields);
            continue;
        }
        ++reading.recordsRead;
        take({lines.Number(), std::move(unwrapped->text), unwrapped->dropped});
    }
    if (lines.Failed()) {
        reading.status = BankStatus::ReadFailed;
        reading.error = lines.Error();
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

QString BankStatusText(const BankReading& reading, const QString& path)
{
    switch (reading.status) {
    case BankStatus::Read:
        return {};
    case BankStatus::Missing:
        return QStringLiteral("%1: no such file").arg(path);
    case BankStatus::NotAFile:
    case BankStatus::Unreadable:
        return QStringLiteral("%1: cannot be read: %2").arg(path, reading.error);
    case BankStatus::ReadFailed:
        return QStringLiteral("%1: reading failed after line %2, the bank is not whole: %3")
            .arg(path)
            .arg(reading.lines)
            .arg(reading.error);
    }
    return {};
}
