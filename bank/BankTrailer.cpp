#include "bank/BankTrailer.h"

#include <QCryptographicHash>

#include <algorithm>

namespace
{
constexpr QByteArrayView RecordsKey = " records=";
constexpr QByteArrayView DigestKey = " sha256=";
constexpr qsizetype DigestDigits = 64;
// More digits could overflow the count; no bank comes near it.
constexpr qsizetype MaxCountDigits = 15;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLowerHex(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f');
}
} // namespace

std::optional<BankTrailer> ParseTrailer(QByteArrayView line)
{
    if (!line.startsWith(TrailerWord))
        return std::nullopt;
    line = line.sliced(TrailerWord.size());
    if (!line.startsWith(RecordsKey))
        return std::nullopt;
    line = line.sliced(RecordsKey.size());
    const qsizetype digits = std::find_if_not(line.begin(), line.end(), IsDigit) - line.begin();
    if (digits == 0 || digits > MaxCountDigits || (digits > 1 && line[0] == '0'))
        return std::nullopt;
    const QByteArrayView count = line.first(digits);
    line = line.sliced(digits);
    if (!line.startsWith(DigestKey))
        return std::nullopt;
    const QByteArrayView hex = line.sliced(DigestKey.size());
    if (hex.size() != DigestDigits || !std::all_of(hex.begin(), hex.end(), IsLowerHex))
        return std::nullopt;
    return BankTrailer{count.toLongLong(), QByteArray::fromHex(hex.toByteArray())};
}

bool LooksLikeTrailer(QByteArrayView line)
{
    return line.startsWith(TrailerWord);
}

QByteArray TrailerLine(const BankTrailer& trailer)
{
    return TrailerWord.toByteArray() + RecordsKey.toByteArray() +
           QByteArray::number(trailer.records) + DigestKey.toByteArray() + trailer.sha256.toHex();
}

QByteArray TrailerAfter(QByteArrayView recordsPart, qsizetype records)
{
    const BankTrailer trailer{records,
                              QCryptographicHash::hash(recordsPart, QCryptographicHash::Sha256)};
    return "\r\n" + TrailerLine(trailer) + "\r\n";
}
