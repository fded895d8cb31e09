#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Cipher;

// A usable line of a bank file: its record text, fields separated by "(::)".
struct BankRecord {
    int line = 0; // 1-based line number in the file
    QString text;
};

// Why a line was passed over instead of being loaded.
enum class SkipReason { TooLong, NotDecodable, TooFewFields };

struct SkippedLine {
    int line = 0;
    SkipReason reason = SkipReason::NotDecodable;
};

struct LoadedBank {
    bool found = false; // false: no file at that path
    QList<BankRecord> records;
    QList<SkippedLine> skipped;
};

// What a question window says when the bank file is not there.
inline const QString MissingBankText = QStringLiteral("数据库不存在");

// Reads a bank file up to its end or its first empty line, unwrapping each line with cipher
// and the descrambler. Reports instead of showing anything: the windows decide what to say.
LoadedBank LoadBank(const QString& path, Cipher& cipher);

QString SkipReasonText(SkipReason reason);
