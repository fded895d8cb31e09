#pragma once

// Reading SQLite's write-ahead log (the `-wal` file) the way SQLite does when it opens it, without
// SQLite: to learn what SQLite will silently leave out, and to read the record's version without
// opening it (opening folds the log into the file). The format is SQLite's own, documented at
// sqlite.org/fileformat2.html ("The WAL file format"). Qt Core only.

#include <QByteArray>
#include <optional>

struct LogReading {
    // Transactions SQLite will take from the log: every frame up to the last commit before the
    // first frame whose checksum or salt fails.
    int wholeTransactions = 0;
    // Transactions committed after that frame (their commit frames carry the log's salt): SQLite
    // drops them without a word.
    int droppedTransactions = 0;
    // The record's first page as the last whole transaction left it, when one wrote it.
    std::optional<QByteArray> firstPage;
};

// What the log holds; all zero for a log too short or with a damaged header (SQLite ignores such
// a log).
LogReading ReadLog(const QByteArray& log);

// The record's version (PRAGMA user_version) in a first page or the file's header.
int UserVersionIn(const QByteArray& firstPage);
