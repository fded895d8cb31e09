#pragma once

#include <QString>
#include <QStringDecoder>
#include <optional>

// The bank's outer layer: base64 (RFC 4648, standard alphabet, '=' padding) over bytes in the
// GBK code page. Each question window owns one.
class Cipher {
public:
    Cipher();

    // The decoded text, or nothing when the input is not valid base64 or its bytes are not GBK.
    std::optional<QString> b64StrDec(const QString& text);
    // The same for text held as bytes, as a bank line is read.
    std::optional<QString> b64StrDec(QByteArrayView text);

    // The inverse, for the bank tool and test fixtures; nothing when text has no GBK encoding.
    static std::optional<QString> b64StrEnc(const QString& text);

private:
    QStringDecoder gbk;
};
