#include "bank/Cipher.h"

#include <QByteArray>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {
constexpr const char* CodePage = "GBK";

constexpr std::uint8_t NotBase64 = 0xFF;

// The value of each byte as a base64 character, or NotBase64.
constexpr std::array<std::uint8_t, 256> Base64Values = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(NotBase64);
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        values[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return values;
}();

// The 24 bits of a group of count characters (4, or 2 or 3 before padding), or nothing when
// one of them is not base64.
std::optional<std::uint32_t> Group(const unsigned char* in, int count)
{
    std::uint32_t bits = 0;
    std::uint32_t seen = 0;
    for (int k = 0; k < count; ++k) {
        const std::uint32_t value = Base64Values[in[k]];
        seen |= value;
        bits = (bits << 6) | value;
    }
    if ((seen & ~0x3Fu) != 0)
        return std::nullopt;
    return bits << (6 * (4 - count));
}
} // namespace

bool IsAscii(QByteArrayView bytes)
{
    // Eight bytes at a time: this runs over every line loaded.
    constexpr std::uint64_t HighBits = 0x8080808080808080ULL;
    std::uint64_t seen = 0;
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        seen |= word;
    }
    for (; i < bytes.size(); ++i)
        seen |= static_cast<unsigned char>(bytes[i]);
    return (seen & HighBits) == 0;
}

namespace {
} // namespace

Cipher::Cipher()
{
    gbk.emplace(CodePage, QStringDecoder::Flag::Stateless);
}

std::optional<QString> Cipher::Decode(const QString& text)
{
    // Anything outside Latin-1 is no base64 anyway; keep it from turning into '?'.
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    return Decode(QByteArrayView(text.toLatin1()));
}

std::optional<QString> Cipher::Decode(QByteArrayView text)
{
    const auto decoded = FromBase64(text);
    if (!decoded)
        return std::nullopt;
    // Whole bank lines are plain ASCII once unwrapped: skip the code-page converter for them.
    if (IsAscii(*decoded))
        return QString::fromLatin1(*decoded);
    auto result = FromGbk(*decoded);
    // Depending on the converter, a byte sequence outside GBK is an error or a replacement.
    if (result && result->contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return result;
}

std::optional<QByteArrayView> Cipher::FromBase64(QByteArrayView text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    const int padding = text.endsWith("==") ? 2 : text.endsWith('=') ? 1 : 0;
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const qsizetype characters = text.size() - padding;
    bytes.resize(characters * 3 / 4);
    char* out = bytes.data();
    qsizetype i = 0;
    for (; i + 4 <= characters; i += 4) {
        const auto group = Group(in + i, 4);
        if (!group)
            return std::nullopt;
        out[0] = static_cast<char>(*group >> 16);
        out[1] = static_cast<char>(*group >> 8);
        out[2] = static_cast<char>(*group);
        out += 3;
    }
    // A padded text ends in two or three characters, for one or two bytes.
    if (i < characters) {
        const int count = int(characters - i);
        const auto group = Group(in + i, count);
        if (!group)
            return std::nullopt;
        for (int k = 0; k < count - 1; ++k)
            *out++ = static_cast<char>(*group >> (16 - 8 * k));
    }
    return QByteArrayView(bytes);
}

std::optional<QString> Cipher::FromGbk(QByteArrayView bytes)
{
    if (!gbk->isValid())
        return std::nullopt;
    QString result = gbk->decode(bytes);
    if (gbk->hasError()) {
        // An error sticks to a converter, and resetState() does not clear it in Qt 6.4: make a
        // new one in the same place for the next text.
        gbk.emplace(CodePage, QStringDecoder::Flag::Stateless);
        return std::nullopt;
    }
    return result;
}

std::optional<QString> Cipher::Encode(const QString& text)
{
    QStringEncoder encoder(CodePage, QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return QString::fromLatin1(bytes.toBase64());
}
