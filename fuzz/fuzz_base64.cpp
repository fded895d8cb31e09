// The bank's outer layer on raw bytes, against Qt's own strict base64 decoder and a fresh GBK
// converter for every text. One cipher serves the whole run, as one serves a whole bank.

#include "FuzzSupport.h"

#include "bank/Cipher.h"

#include <QStringDecoder>

namespace {
bool IsStrictBase64(QByteArrayView text)
{
    if (text.size() % 4 != 0)
        return false;
    const qsizetype padding = text.endsWith("==") ? 2 : text.endsWith('=') ? 1 : 0;
    for (qsizetype i = 0; i < text.size() - padding; ++i) {
        const char c = text[i];
        const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '+' || c == '/';
        if (!alphabet)
            return false;
    }
    return true;
}

std::optional<QString> Expected(QByteArrayView text)
{
    if (!IsStrictBase64(text))
        return std::nullopt;
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    if (IsAscii(*decoded))
        return QString::fromLatin1(*decoded);
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    const QString result = gbk.decode(*decoded);
    if (gbk.hasError() || result.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return result;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Cipher cipher;
    const QByteArray input = Fuzz::Bytes(data, size);
    const auto decoded = cipher.Decode(QByteArrayView(input));
    Fuzz::Expect(decoded == Expected(input), "decodes as Qt's decoder and a fresh converter do");
    const auto fromText = cipher.Decode(QString::fromLatin1(input));
    Fuzz::Expect(IsAscii(input) ? fromText == decoded : !fromText,
                 "a text decodes as its bytes, and nothing past ASCII is base64");
    return 0;
}
