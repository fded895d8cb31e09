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
// has no GBK encoding.
std::optional<QString> EncodeQuestionText(const QString& text);

// The record fields 0..5 of a question, field 4 encoded.
QStringList RecordFields(const SourceQuestion& question, const QString& encodedText);

// A bank line: the record text scrambled, then base64.
QByteArray EncodeLine(const QString& recordText);
