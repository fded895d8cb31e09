#include "bank/Numbering.h"

#include "bank/Record.h"

#include <array>

QList<NumberedQuestion> NumberQuestions(const QList<BankRecord>& records)
{
    std::array<int, Record::ChapterCount> counts{};
    QList<NumberedQuestion> questions;
    questions.reserve(records.size());
    for (const BankRecord& record : records) {
        const auto chapter = Record::ChapterNumber(Record::FieldAt(record.text, Record::Chapter));
        if (!chapter)
            continue;
        const int position = ++counts[*chapter - Record::FirstChapter];
        questions.append(
            {Record::FieldAt(record.text, Record::Id).toString(), *chapter, position, record.text});
    }
    return questions;
}
