#include "study/WriteAheadLog.h"

#include <QtEndian>
#include <array>

namespace
{
constexpr qsizetype HeaderSize = 32;
constexpr qsizetype FrameHeaderSize = 24;
constexpr quint32 MagicLittleEndian = 0x377f0682; // the checksums' words in little-endian order
constexpr quint32 MagicBigEndian = 0x377f0683;
constexpr qsizetype UserVersionOffset = 60;

quint32 BigEndianAt(const QByteArray& bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

// SQLite's running checksum: over pairs of 32-bit words, carried from frame to frame.
class Checksum
{
public:
    explicit Checksum(bool bigEndian) : bigEndian(bigEndian) {}

    void Add(const char* bytes, qsizetype size)
    {
        for (qsizetype i = 0; i + 8 <= size; i += 8) {
            sums[0] += Word(bytes + i) + sums[1];
            sums[1] += Word(bytes + i + 4) + sums[0];
        }
    }
    bool Matches(const QByteArray& bytes, qsizetype at) const
    {
        return sums[0] == BigEndianAt(bytes, at) && sums[1] == BigEndianAt(bytes, at + 4);
    }

private:
    quint32 Word(const char* at) const
    {
        return bigEndian ? qFromBigEndian<quint32>(at) : qFromLittleEndian<quint32>(at);
    }

    bool bigEndian;
    std::array<quint32, 2> sums{0, 0};
};
} // namespace

LogReading ReadLog(const QByteArray& log)
{
    LogReading reading;
    if (log.size() < HeaderSize)
        return reading;
    const quint32 magic = BigEndianAt(log, 0);
    if (magic != MagicLittleEndian && magic != MagicBigEndian)
        return reading;
    Checksum checksum(magic == MagicBigEndian);
    checksum.Add(log.constData(), 24);
    const qsizetype pageSize = BigEndianAt(log, 8) == 1 ? 65536 : BigEndianAt(log, 8);
    if (!checksum.Matches(log, 24) || pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return reading;
    const QByteArray salts = log.mid(16, 8);
    const qsizetype frameSize = FrameHeaderSize + pageSize;
    std::optional<QByteArray> firstPageOfTheTransaction;
    bool whole = true;
    for (qsizetype at = HeaderSize; at + frameSize <= log.size(); at += frameSize) {
        const bool ours = log.mid(at + 8, 8) == salts;
        const bool commit = BigEndianAt(log, at + 4) != 0;
        if (whole) {
            checksum.Add(log.constData() + at, 8);
            checksum.Add(log.constData() + at + FrameHeaderSize, pageSize);
            whole = ours && checksum.Matches(log, at + 16);
        }
        if (!whole) {
            reading.droppedTransactions += ours && commit;
            continue;
        }
        if (BigEndianAt(log, at) == 1)
            firstPageOfTheTransaction = log.mid(at + FrameHeaderSize, pageSize);
        if (commit) {
            ++reading.wholeTransactions;
            if (firstPageOfTheTransaction)
                reading.firstPage = firstPageOfTheTransaction;
        }
    }
    return reading;
}

int UserVersionIn(const QByteArray& firstPage)
{
    if (firstPage.size() < UserVersionOffset + 4)
        return 0;
    return int(BigEndianAt(firstPage, UserVersionOffset));
}
