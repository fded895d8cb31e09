#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QCryptographicHash;
class QIODevice;

// The lines of a file, read a piece at a time so that memory stays bounded whatever the file
// holds: a line longer than the longest one wanted is passed over, never kept.
class LineReader {
public:
    static constexpr qsizetype DefaultChunkSize = 64 * 1024;

    // Reads chunkSize bytes at a time; tests make it small to try lines across chunks.
    LineReader(QIODevice& device, qsizetype maxLength, qsizetype chunkSize = DefaultChunkSize);

    // Moves to the next line; false at the end of the file, or when reading failed (Failed()).
    // Lines end in LF or CR LF, the last one may have none, and a UTF-8 byte-order mark at the
    // very start is left out.
    bool Next();
    // The line without its line end; valid until the next call of Next(), empty when too long.
    QByteArrayView Line() const { return line; }
    // The line was longer than maxLength characters (its line end not counted).
    bool TooLong() const { return tooLong; }
    // 1-based number of the line.
    qsizetype Number() const { return number; }
    // The line ended in LF (or CR LF); false for a last line the file stops in, which may have
    // been cut off. A CR alone at the end of the file is no line end.
    bool Ended() const { return ended; }
    // Reading failed: what was read before is all there is, and the last line may be part of
    // one. A line cut off by the failure is not given.
    bool Failed() const { return failed; }
    QString Error() const { return error; }

    // Adds the bytes the reader passes from now on to hash (a byte-order mark and line ends
    // included) until it is given another hash or none. Given before the first Next(): once
    // Next() has given a line that is not too long, every byte before that line is in hash, and
    // none of the line.
    void HashInto(QCryptographicHash* hash) { this->hash = hash; }

private:
    bool Fill();
    void HashPassed();
    void SkipByteOrderMark();
    void Take(qsizetype length, qsizetype lineEndLength);

    QIODevice& device;
    qsizetype maxLength;
    qsizetype chunkSize;
    QByteArray buffer;
    qsizetype start = 0; // the unread bytes are buffer[start, end)
    qsizetype end = 0;
    qsizetype hashed = 0; // buffer[0, hashed) has been handed to the hash, or passed without one
    QCryptographicHash* hash = nullptr;
    QByteArrayView line;
    bool tooLong = false;
    bool ended = false;
    bool failed = false;
    QString error;
    bool atFileStart = true;
    qsizetype number = 0;
};
