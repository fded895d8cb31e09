// Loading a bank from a file's bytes, against loading it the plain way: the whole file in
// memory, split on LF. The line reader is also run alone on the same bytes with a chunk size
// and longest line taken from the first two bytes, so that lines cross chunk edges.

#include "FuzzSupport.h"

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/Record.h"

#include <QBuffer>

namespace {
struct Line {
    QByteArray text;
    bool tooLong = false;
};

QList<Line> LinesOf(QByteArray content, qsizetype maxLength)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    QList<Line> lines;
    for (qsizetype start = 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArray line = content.mid(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const bool tooLong = line.size() > maxLength;
        lines.append({tooLong ? QByteArray() : line, tooLong});
    }
    return lines;
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
    const QList<Line> expected = LinesOf(content, maxLength);
    qsizetype n = 0;
    while (reader.Next()) {
        Fuzz::Expect(n < expected.size(), "no more lines than splitting finds");
        Fuzz::Expect(reader.Number() == n + 1, "lines are numbered from 1");
        Fuzz::Expect(reader.TooLong() == expected[n].tooLong, "the same lines are too long");
        Fuzz::Expect(reader.Line() == expected[n].text, "the same line");
        ++n;
    }
    Fuzz::Expect(n == expected.size(), "as many lines as splitting finds");
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
    for (const Line& line : LinesOf(input, MaxLineLength)) {
        ++number;
        if (!line.tooLong && line.text.isEmpty()) {
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
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = Fuzz::Bytes(data, size);
    ReaderMatchesSplitting(input);
    LoadingMatchesThePlainWay(input);
    return 0;
}
