#include "bank/Cipher.h"

#include <QByteArray>
#include <QStringEncoder>
#include <algorithm>

namespace {
constexpr const char* CodePage = "GBK";

template <typename Text> bool IsStrictBase64(const Text& text)
{
    if (text.size() % 4 != 0)
        return false;
    const qsizetype padding = text.endsWith("==") ? 2 : text.endsWith('=') ? 1 : 0;
    for (qsizetype i = 0; i < text.size() - padding; ++i) {
        const char16_t c = static_cast<char16_t>(text[i]);
        const bool alphabet = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                              (c >= u'0' && c <= u'9') || c == u'+' || c == u'/';
        if (!alphabet)
            return false;
    }
    return true;
}

bool IsAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}
} // namespace

Cipher::Cipher()
{
    gbk.emplace(CodePage, QStringDecoder::Flag::Stateless);
}

std::optional<QString> Cipher::b64StrDec(const QString& text)
{
    // Anything outside Latin-1 is no base64 anyway; keep it from turning into '?'.
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    return b64StrDec(QByteArrayView(text.toLatin1()));
}

std::optional<QString> Cipher::b64StrDec(QByteArrayView text)
{
    if (!IsStrictBase64(text))
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(text.toByteArray(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
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

std::optional<QString> Cipher::b64StrEnc(const QString& text)
{
    QStringEncoder encoder(CodePage, QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return QString::fromLatin1(bytes.toBase64());
}
