#include "bank/LineReader.h"

#include <QCryptographicHash>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {
constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";
} // namespace

LineReader::LineReader(QIODevice& device, qsizetype maxLength, qsizetype chunkSize)
    : device(device), maxLength(maxLength), chunkSize(std::max<qsizetype>(chunkSize, 1))
{
}

bool LineReader::Next()
{
    if (atFileStart)
        SkipByteOrderMark();
    HashPassed(); // the line given last
    tooLong = false;
    qsizetype searched = 0; // bytes after start known to hold no LF
    for (;;) {
        const char* data = buffer.constData() + start;
        const auto* lf = static_cast<const char*>(
            std::memchr(data + searched, '\n', std::size_t(end - start - searched)));
        if (lf) {
            Take(lf - data, 1);
            return true;
        }
        // Even with a CR before its LF this line is too long: drop what is read of it.
        if (end - start > maxLength + 1) {
            tooLong = true;
            start = end;
        }
        searched = end - start;
        if (!Fill()) {
            if (failed || (start == end && !tooLong))
                return false;
            Take(end - start, 0);
            return true;
        }
    }
}

// The line is the next length bytes; the line end after them is lineEndLength bytes long.
void LineReader::Take(qsizetype length, qsizetype lineEndLength)
{
    line = QByteArrayView(buffer.constData() + start, length);
    start += length + lineEndLength;
    ++number;
    ended = lineEndLength > 0;
    if (line.endsWith('\r'))
        line.chop(1);
    if (tooLong || line.size() > maxLength) {
        tooLong = true;
        line = {};
    }
}

// Moves the unread bytes to the front and reads more after them; false at the end of the file
// and when reading fails.
bool LineReader::Fill()
{
    if (failed)
        return false;
    if (start > 0) {
        HashPassed();
        std::memmove(buffer.data(), buffer.constData() + start, std::size_t(end - start));
        end -= start;
        start = 0;
        hashed = 0;
    }
    if (buffer.size() - end < chunkSize)
        buffer.resize(end + chunkSize);
    const qint64 read = device.read(buffer.data() + end, chunkSize);
    if (read < 0) {
        failed = true;
        error = device.errorString();
    }
    if (read <= 0)
        return false;
    end += read;
    return true;
}

// The bytes passed since the last call: lines given, their line ends, a byte-order mark and the
// part read of a line too long.
void LineReader::HashPassed()
{
    if (hash && start > hashed)
        hash->addData(QByteArrayView(buffer.constData() + hashed, start - hashed));
    hashed = start;
}

void LineReader::SkipByteOrderMark()
{
    atFileStart = false;
    while (end - start < ByteOrderMark.size() && Fill()) {
    }
    if (QByteArrayView(buffer.constData() + start, end - start).startsWith(ByteOrderMark))
        start += ByteOrderMark.size();
}
