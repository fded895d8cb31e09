#pragma once

#include <QString>
#include <QStringDecoder>
#include <optional>

// The bank's outer layer: base64 (RFC 4648, standard alphabet, '=' padding) over bytes in the
// GBK code page. Each question window owns one.
//
// It holds its GBK converter where the converter was made and is never copied or moved: Qt
// 6.4's converter reports errors through its own address, so a moved one stops flagging bytes
// outside GBK.
class Cipher {
public:
    Cipher();
    Q_DISABLE_COPY_MOVE(Cipher)

    // The decoded text, or nothing when the input is not valid base64 or its bytes are not GBK.
    std::optional<QString> Decode(const QString& text);
    // The same for text held as bytes, as a bank line is read.
    std::optional<QString> Decode(QByteArrayView text);

    // The first step of that: the bytes, held by the cipher until its next call, or nothing
    // when text is not strict base64 (its length a multiple of 4, '=' only as padding).
    std::optional<QByteArrayView> FromBase64(QByteArrayView text);

    // Bytes read as GBK; nothing when the converter flags them as outside the code page.
    std::optional<QString> FromGbk(QByteArrayView bytes);

    // The inverse, for the bank tool and test fixtures; nothing when text has no GBK encoding.
    static std::optional<QString> Encode(const QString& text);

private:
    std::optional<QStringDecoder> gbk;
    QByteArray bytes;
};

// True when every byte is below 0x80.
bool IsAscii(QByteArrayView bytes);
