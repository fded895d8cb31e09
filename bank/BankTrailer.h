#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// What a bank says of its records, on a line after the empty line that ends them: how many
// there are and the SHA-256 of their bytes. Readers stop at that empty line and never see it;
// one that reads it can tell a bank cut at a line end, or changed inside a line, from a whole
// one.
struct BankTrailer {
    qsizetype records = 0;
    QByteArray sha256; // the 32 bytes of the digest

    bool operator==(const BankTrailer&) const = default;
};

// The word a trailer line starts with.
inline constexpr QByteArrayView TrailerWord = "jiaogui-trailer";

// The trailer a line holds: exactly "jiaogui-trailer records=N sha256=H", single spaces, N in
// plain decimal without sign or leading zeros (at most 15 digits), H the digest in 64
// lower-case hex digits. Nothing for any other line.
std::optional<BankTrailer> ParseTrailer(QByteArrayView line);
// A line that starts with the trailer's word: when ParseTrailer takes nothing from it, it is a
// damaged trailer rather than a stray line.
bool LooksLikeTrailer(QByteArrayView line);
// The trailer line, without its line end.
QByteArray TrailerLine(const BankTrailer& trailer);
// What a writer puts after the records part (every byte of the file up to the end of the last
// record line): the empty line and the trailer line that counts records and hashes that part,
// each ending in CR LF.
QByteArray TrailerAfter(QByteArrayView recordsPart, qsizetype records);
