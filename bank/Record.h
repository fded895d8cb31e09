#pragma once

#include "bank/Cipher.h"
#include "bank/Descrambler.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <optional>

// One decoded bank line: fields separated by "(::)".
namespace Record {
inline const QString Separator = QStringLiteral("(::)");

enum Field {
    Id = 0,
    Chapter = 1,
    Kind = 2,
    Answer = 3,
    QuestionText = 4,
    Picture = 5,
    Explanation = 6, // protected like the question text; banks written before it lack it
    Topics = 7       // topic numbers (bank/Topics.h); banks written before it lack it
};
// A record needs its question text to be of any use.
constexpr int MinimumFields = QuestionText + 1;
// A record written in full: six fields, seven with an explanation, eight with topics.
constexpr int FieldCount = Picture + 1;
constexpr int FieldCountWithExplanation = Explanation + 1;
constexpr int FieldCountWithTopics = Topics + 1;

// The answer letters of options 0, 1, 2; a true/false question uses the first two.
inline const QStringList AnswerLetters = {QStringLiteral("A"), QStringLiteral("B"),
                                          QStringLiteral("C")};
// A choice question's text is its stem and its option lines, joined by this.
inline const QString LineBreak = QStringLiteral("\r\n");

inline const QString ChoiceKind = QStringLiteral("1");
inline const QString JudgeKind = QStringLiteral("0");

constexpr int FirstChapter = 1;
constexpr int ChapterCount = 10;

// The chapter a field names: whole decimal digits with a value from 1 to 10.
inline std::optional<int> ChapterNumber(QStringView field)
{
    const auto isAsciiDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (field.isEmpty() || !std::all_of(field.begin(), field.end(), isAsciiDigit))
        return std::nullopt;
    const int chapter = field.toInt();
    if (chapter < FirstChapter || chapter >= FirstChapter + ChapterCount)
        return std::nullopt;
    return chapter;
}

inline QStringList Split(const QString& record) { return record.split(Separator); }

// Counted by hand: a plain scan costs a fraction of a general search for every record loaded.
// No two separators can overlap, so this counts what QString::count(Separator) would.
inline qsizetype FieldsIn(QStringView record)
{
    qsizetype fields = 1;
    for (qsizetype i = 0; i + 3 < record.size(); ++i) {
        if (record[i] == u'(' && record[i + 1] == u':' && record[i + 2] == u':' &&
            record[i + 3] == u')') {
            ++fields;
            i += 3;
        }
    }
    return fields;
}

// Field i of a record text, read without splitting the whole record; empty when it is shorter.
inline QStringView FieldAt(QStringView record, int i)
{
    qsizetype start = 0;
    for (int k = 0; k < i; ++k) {
        start = record.indexOf(Separator, start);
        if (start < 0)
            return {};
        start += Separator.size();
    }
    const qsizetype end = record.indexOf(Separator, start);
    return record.sliced(start, (end < 0 ? record.size() : end) - start);
}

// Field i, or an empty text when the record is shorter (a missing picture means none).
inline QString FieldOf(const QStringList& fields, Field i)
{
    return i < fields.size() ? fields[i] : QString();
}

// A protected field (the question text, the explanation) as the learner reads it: descrambled,
// then base64 over GBK. Nothing when it does not decode.
inline std::optional<QString> ProtectedText(const QString& field, Cipher& cipher)
{
    return cipher.Decode(DecodeText(field, BankKey));
}

// The explanation of a record as the learner reads it: empty when the record has none,
// nothing when it does not decode.
inline std::optional<QString> ExplanationText(const QStringList& fields, Cipher& cipher)
{
    const QString stored = FieldOf(fields, Explanation);
    if (stored.isEmpty())
        return QString();
    return ProtectedText(stored, cipher);
}

// Pool keys are "k_1", "k_2", ... in file order.
inline QString PoolKey(int number) { return QStringLiteral("k_") + QString::number(number); }
inline QString PoolKey(const QString& number) { return QStringLiteral("k_") + number; }
} // namespace Record
