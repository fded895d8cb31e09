// The record helpers on any text, and picture references: whatever a bank holds, a picture
// path stays inside the pict folder.

#include "FuzzSupport.h"

#include "bank/Picture.h"
#include "bank/Record.h"

#include <QDir>

namespace {
void FieldsAgree(const QString& record)
{
    const QStringList fields = Record::Split(record);
    Fuzz::Expect(Record::FieldsIn(record) == fields.size(),
                 "counting fields agrees with splitting");
    for (int i = 0; i <= fields.size(); ++i)
        Fuzz::Expect(Record::FieldAt(record, i) == (i < fields.size() ? fields[i] : QString()),
                     "a field read alone is the split one");
    const auto chapter = Record::ChapterNumber(Record::FieldAt(record, Record::Chapter));
    Fuzz::Expect(!chapter || (*chapter >= Record::FirstChapter &&
                              *chapter < Record::FirstChapter + Record::ChapterCount),
                 "a chapter is 1 to 10");
}

void PictureStaysInside(const QString& reference)
{
    const auto inFolder = PictureInFolder(reference);
    const auto path = PicturePath(QStringLiteral("/program"), reference);
    Fuzz::Expect(inFolder.has_value() == path.has_value(), "path and folder agree");
    if (!inFolder)
        return;
    Fuzz::Expect(!inFolder->isEmpty() && !QDir::isAbsolutePath(*inFolder), "a relative path");
    for (const QString& part : inFolder->split(u'/'))
        Fuzz::Expect(!part.isEmpty() && part != u".." && !part.contains(u'\\') &&
                         !part.contains(u':'),
                     "no part climbs out or starts a path of its own");
    Fuzz::Expect(QDir::cleanPath(*path).startsWith(u"/program/pict/"), "inside pict");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A record as the descrambler leaves it is Latin-1 at most; wider characters cost nothing.
    const QByteArray input = Fuzz::Bytes(data, size);
    for (const QString& text : {QString::fromLatin1(input), QString::fromUtf8(input)}) {
        FieldsAgree(text);
        PictureStaysInside(text);
        PictureStaysInside(Record::FieldOf(Record::Split(text), Record::Picture));
    }
    return 0;
}
