#pragma once

#include "bank/BankTrailer.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

class Cipher;
class QIODevice;

// A usable line of a bank file: its record text, fields separated by "(::)".
struct BankRecord {
    qsizetype line = 0; // 1-based line number in the file
    QString text;
    // Characters of the unwrapped line outside printable ASCII, which the descrambler drops.
    // No encoder writes them: a line that holds any was made by hand or damaged.
    qsizetype dropped = 0;
};

// Why a line was passed over instead of being loaded.
enum class SkipReason { TooLong, NotDecodable, TooFewFields };

struct SkippedLine {
    qsizetype line = 0;
    SkipReason reason = SkipReason::NotDecodable;
};

// How far reading a bank file got.
enum class BankStatus {
    Read,       // to its end or its first empty line
    Missing,    // nothing at that path
    NotAFile,   // a folder, a pipe or a device: never opened, so that nothing waits on it
    Unreadable, // the file could not be opened
    ReadFailed  // reading failed part-way: the records before the failure are not the bank
};

// What reading a bank file met besides its records. However many lines are skipped, only the
// first few are kept with their reasons, so a huge damaged file costs no memory for them.
struct BankReading {
    static constexpr qsizetype SkippedLinesKept = 20;

    BankStatus status = BankStatus::Missing;
    QString error;              // the system's words when opening or reading failed
    qsizetype lines = 0;        // lines read whole
    QList<SkippedLine> skipped; // the first SkippedLinesKept skipped lines
    qsizetype skippedCount = 0; // all of them
    qsizetype recordsRead = 0;  // records handed over
    qsizetype emptyLine = 0;    // the empty line that ends the records; 0 when none
    qsizetype unendedLine = 0;  // the last line when the file stops inside it, as a cut would

    // After the empty line: no records, only what the bank says of them.
    QByteArray recordsSha256;           // of every byte before the empty line; empty without one
    std::optional<BankTrailer> trailer; // the first trailer after the empty line
    qsizetype trailerLine = 0;
    qsizetype damagedTrailerLine = 0; // the first line that starts like a trailer but is none
    qsizetype unreadLines = 0;        // the other lines that hold something, never read

    bool Complete() const { return status == BankStatus::Read; }
    // The trailer counts the records read and hashes to what they were read from.
    bool TrailerAgrees() const
    {
        return trailer && trailer->records == recordsRead && trailer->sha256 == recordsSha256;
    }
    // What is read is not the bank as it was written: its trailer disagrees, or a bank without
    // one has lines skipped, lines never read or a damaged trailer. A bank whose trailer agrees
    // is whole, whatever lies after it.
    bool Damaged() const
    {
        if (trailer)
            return !TrailerAgrees();
        return skippedCount > 0 || unreadLines > 0 || damagedTrailerLine > 0;
    }
    // The records a damaged bank was written with but that were not read: by its trailer when
    // it has one, otherwise one for each line skipped or never read.
    qsizetype Lost() const
    {
        if (trailer)
            return std::max<qsizetype>(trailer->records - recordsRead, 0);
        return skippedCount + unreadLines;
    }
};

struct LoadedBank : BankReading {
    QList<BankRecord> records;
};

// What a question window says when the bank file is not there.
inline const QString MissingBankText = QStringLiteral("数据库不存在");

// The longest line the program reads; a longer one is skipped.
constexpr qsizetype MaxLineLength = 32767;

// Reads a bank file line by line up to its end or its first empty line, unwrapping each line
// with cipher and the descrambler, and hands each record to take as soon as it is read; then
// reads the trailer and counts the lines after the empty line. Reports instead of showing
// anything: the windows decide what to say.
BankReading ReadBank(const QString& path, Cipher& cipher,
                     const std::function<void(BankRecord&&)>& take);
// The same from a device open for reading; status is Read or ReadFailed.
BankReading ReadBank(QIODevice& device, Cipher& cipher,
                     const std::function<void(BankRecord&&)>& take);

// The same, keeping the records.
LoadedBank LoadBank(const QString& path, Cipher& cipher);

QString SkipReasonText(SkipReason reason);
// Why the bank at path was not read whole, for the bank tool; empty when it was.
QString BankStatusText(const BankReading& reading, const QString& path);
