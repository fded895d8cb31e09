// The descrambler against its inverse: any text comes back as its printable ASCII characters,
// and bytes decode as the same text read into a QString.

#include "FuzzSupport.h"

#include "bank/Descrambler.h"
#include "bank/Generator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = Fuzz::Bytes(data, size);
    const QString text = QString::fromUtf8(input);
    QString printable;
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() <= 126)
            printable += c;
    }

    const QString encoded = EncodeText(text, BankKey);
    const std::uint32_t afterEncoding = Generator::Shared().State();
    Fuzz::Expect(encoded.size() == printable.size(), "one character out for each printable one");
    Fuzz::Expect(encoded == EncodeText(printable, BankKey), "other characters draw no number");
    Fuzz::Expect(DecodeText(encoded, BankKey) == printable, "decoding undoes encoding");
    Fuzz::Expect(Generator::Shared().State() == afterEncoding,
                 "both leave the generator after as many draws");

    Fuzz::Expect(DecodeText(QLatin1StringView(input), BankKey) ==
                     DecodeText(QString::fromLatin1(input), BankKey),
                 "bytes decode as the text they spell");
    return 0;
}
