// Loading a bank from a file's bytes, against loading it the plain way: the whole file in
// memory, split on LF, the trailer matched by a pattern and the records' bytes hashed whole.
// The line reader is also run alone on the same bytes with a chunk size and longest line taken
// from the first two bytes, so that lines cross chunk edges.

#include "FuzzSupport.h"

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/Record.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QRegularExpression>

namespace {
struct Line {
    QByteArray text;
    bool tooLong = false;
    qsizetype offset = 0; // of its first byte in the file

    bool IsEmpty() const { return !tooLong && text.isEmpty(); }
};

QList<Line> LinesOf(const QByteArray& content, qsizetype maxLength)
{
    QList<Line> lines;
    for (qsizetype start = content.startsWith("\xEF\xBB\xBF") ? 3 : 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArray line = content.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        const bool tooLong = line.size() > maxLength;
        lines.append({tooLong ? QByteArray() : line, tooLong, start});
        start = end + 1;
    }
    return lines;
}

QByteArray Sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Hashed by the reader: every byte before the first empty line, or the whole file.
QByteArray RecordsPart(const QByteArray& content, const QList<Line>& lines)
{
    for (const Line& line : lines) {
        if (line.IsEmpty())
            return content.first(line.offset);
    }
    return content;
}

void ReaderMatchesSplitting(const QByteArray& input)
{
    if (input.size() < 2)
        return;
    const qsizetype chunk = 1 + static_cast<unsigned char>(input[0]) % 16;
    const qsizetype maxLength = static_cast<unsigned char>(input[1]) % 64;
    const QByteArray content = input.mid(2);
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, maxLength, chunk);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    reader.HashInto(&hash);
    const QList<Line> expected = LinesOf(content, maxLength);
    qsizetype n = 0;
    while (reader.Next()) {
        Fuzz::Expect(n < expected.size(), "no more lines than splitting finds");
        Fuzz::Expect(reader.Number() == n + 1, "lines are numbered from 1");
        Fuzz::Expect(reader.TooLong() == expected[n].tooLong, "the same lines are too long");
        Fuzz::Expect(reader.Line() == expected[n].text, "the same line");
        if (expected[n].IsEmpty())
            reader.HashInto(nullptr);
        ++n;
    }
    Fuzz::Expect(n == expected.size(), "as many lines as splitting finds");
    Fuzz::Expect(hash.result() == Sha256(RecordsPart(content, expected)),
                 "the bytes before the first empty line are hashed");
}

void TrailerMatchesThePlainWay(const QByteArray& input, const QList<Line>& lines,
                               qsizetype emptyLine, const LoadedBank& bank)
{
    static const QRegularExpression trailerPattern(
        QStringLiteral("^jiaogui-trailer records=(0|[1-9][0-9]{0,14}) sha256=([0-9a-f]{64})$"));
    qsizetype trailerLine = 0;
    qsizetype records = 0;
    QByteArray digest;
    qsizetype damagedLine = 0;
    qsizetype unread = 0;
    for (qsizetype n = emptyLine; emptyLine > 0 && n < lines.size(); ++n) {
        const Line& line = lines[n];
        if (line.IsEmpty())
            continue;
        const auto match = trailerPattern.match(QString::fromLatin1(line.text));
        if (match.hasMatch() && trailerLine == 0) {
            trailerLine = n + 1;
            records = match.captured(1).toLongLong();
            digest = QByteArray::fromHex(match.captured(2).toLatin1());
        } else if (!match.hasMatch() && line.text.startsWith("jiaogui-trailer")) {
            damagedLine = damagedLine > 0 ? damagedLine : n + 1;
        } else {
            ++unread;
        }
    }
    Fuzz::Expect(bank.recordsSha256 ==
                     (emptyLine > 0 ? Sha256(RecordsPart(input, lines)) : QByteArray()),
                 "the bytes before the empty line are hashed");
    Fuzz::Expect(bank.trailerLine == trailerLine, "the same trailer is found");
    Fuzz::Expect(!bank.trailer ||
                     (bank.trailer->records == records && bank.trailer->sha256 == digest),
                 "the trailer reads the same");
    Fuzz::Expect(bank.damagedTrailerLine == damagedLine, "the same damaged trailer is found");
    Fuzz::Expect(bank.unreadLines == unread, "the same lines are never read");
    Fuzz::Expect(bank.Lost() >= 0 && (bank.Damaged() || bank.Lost() == 0),
                 "only a damaged bank loses records");
}

void LoadingMatchesThePlainWay(const QByteArray& input)
{
    Cipher cipher;
    const LoadedBank bank = LoadBank(Fuzz::AsBankFile(input), cipher);
    Fuzz::Expect(bank.Complete(), "the bank is read whole");

    Cipher plain;
    qsizetype record = 0;
    qsizetype skipped = 0;
    qsizetype number = 0;
    qsizetype emptyLine = 0;
    const QList<Line> lines = LinesOf(input, MaxLineLength);
    for (const Line& line : lines) {
        ++number;
        if (line.IsEmpty()) {
            emptyLine = number;
            break;
        }
        const auto unwrapped =
            line.tooLong ? std::nullopt : plain.Decode(QByteArrayView(line.text));
        const QString text = unwrapped ? DecodeText(*unwrapped, BankKey) : QString();
        if (line.tooLong || !unwrapped || Record::FieldsIn(text) < Record::MinimumFields) {
            if (skipped < bank.skipped.size())
                Fuzz::Expect(bank.skipped[skipped].line == number, "the same lines are skipped");
            ++skipped;
            continue;
        }
        Fuzz::Expect(record < bank.records.size(), "no record is missing");
        const BankRecord& loaded = bank.records[record++];
        Fuzz::Expect(loaded.line == number, "the record comes from the same line");
        Fuzz::Expect(loaded.text == text, "the record reads the same");
        Fuzz::Expect(loaded.dropped == unwrapped->size() - text.size(),
                     "the same characters are dropped");
    }
    Fuzz::Expect(record == bank.records.size(), "no record is added");
    Fuzz::Expect(skipped == bank.skippedCount, "every skipped line is counted");
    Fuzz::Expect(bank.skipped.size() == std::min(skipped, BankReading::SkippedLinesKept),
                 "the first skipped lines are kept");
    Fuzz::Expect(emptyLine == bank.emptyLine, "reading stops at the same empty line");
    Fuzz::Expect(record == bank.recordsRead, "the records are counted");
    TrailerMatchesThePlainWay(input, lines, emptyLine, bank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = Fuzz::Bytes(data, size);
    ReaderMatchesSplitting(input);
    LoadingMatchesThePlainWay(input);
    return 0;
}
