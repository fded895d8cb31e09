#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One question as its author wrote it in data/bank/<bank>/*.json.
struct SourceQuestion {
    QString file;
    QString id;
    int chapter = 0;
    bool choice = true;
    QString text;
    QStringList options; // three, choice questions only
    QString answer;      // "A", "B", "C"; a true/false question stores true as "A", false as "B"
    QString picture;     // file name in the bank's pict folder, or empty
    QString basis;
    QString explanation; // why the answer is right, ending in its basis; may be empty
    QStringList topics;  // names from Topics::Names, at most three; may be empty
};

struct BankSource {
    QList<SourceQuestion> questions;
    QStringList problems; // one line each, naming the file and question
};

// Reads every *.json of dir in file-name order. Pictures are looked up in the pict and
// pict-src folders beside dir.
BankSource ReadBankSource(const QString& dir);

// The text the learner sees: the stem, then "A、", "B、", "C、" lines for a choice question.
QString DisplayText(const SourceQuestion& question);

// Field 4 as stored: the display text in GBK, base64, then scrambled. Nothing when the text
// has no GBK encoding. Field 6, the explanation, is stored the same way.
std::optional<QString> EncodeQuestionText(const QString& text);

// The record fields of a question read without problems: 0..5, 6 when it has an explanation
// or topics (empty without an explanation), 7 when it has topics; fields 4 and 6 encoded.
QStringList RecordFields(const SourceQuestion& question);

// The ending an explanation gives its basis in short: "（依据：道路交通安全法第四十七条）" for
// "《道路交通安全法》第47条", "（依据：GB 5768.2）" for a standard. Several bases, separated
// by "；", are shortened one by one.
QString BasisEnding(const QString& basis);

// Control characters other than CR and LF: a text shown to a learner must not carry them.
bool HasControlCharacters(const QString& text);

// A bank line: the record text scrambled, then base64.
QByteArray EncodeLine(const QString& recordText);
