#pragma once

#include <QString>

// The key every bank text is scrambled with.
inline const QString BankKey = QStringLiteral("qvm");

// Seed for the generator, computed from the key's character codes.
qint32 KeySeed(const QString& key);

// Undoes the keyed shift over the printable ASCII characters 32..126. Characters outside that
// range are dropped and draw no number. Resets the shared generator first.
QString DecodeText(const QString& text, const QString& key);
// The same for text held as Latin-1 bytes, as a bank line is after base64: decodes exactly what
// the text read into a QString first would.
QString DecodeText(QLatin1StringView text, const QString& key);

// The inverse, for the bank tool and test fixtures: DecodeText(EncodeText(x)) == x for any x
// made of printable ASCII characters.
QString EncodeText(const QString& text, const QString& key);
