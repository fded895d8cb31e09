#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Record fields as a test writes them: fields 4 and 6 (the explanation, left out when empty) in
// plain text, encoded on the way into the file.
QStringList Question(const QString& id, const QString& chapter, const QString& kind,
                     const QString& answer, const QString& text, const QString& picture = {},
                     const QString& explanation = {});

// A bank line holding a record whose question text (field 4) and explanation (field 6, when
// there is one) are encoded like the shipped bank.
QByteArray QuestionLine(const QStringList& fields);
// A bank line holding exactly this record text, for records no source could produce.
QByteArray RawLine(const QString& recordText);

// A program folder in a temporary directory, with a bank file and its pict folder; the
// windows find it through SetAppPath and BankFile.
class FixtureBank {
public:
    FixtureBank();

    QString Dir() const { return dir.path(); }
    QString FilePath(const QString& name = QStringLiteral("beijing.dat")) const;

    void Write(const QList<QByteArray>& lines, const QByteArray& lineEnd = "\r\n",
               const QString& name = QStringLiteral("beijing.dat"));
    // A small picture at pict/<relativePath>.
    void AddPicture(const QString& relativePath);
    // Puts at FilePath() what no reader can take for a bank file: a "folder", a "pipe", or a
    // file holding lines that its owner has "no permission" to read. Returns false where that
    // cannot be made: the superuser reads any file.
    bool MakeUnreadable(const QString& kind, const QList<QByteArray>& lines);
    // Points the program's folder and BankFile at this bank.
    void Use() const;

    // A bank of choiceCount choice questions "选择题 n" (right answer cycling A, B, C, each with
    // an explanation) and judgeCount true/false questions "判断题 n" (A, B alternating, six fields
    // as in banks from before explanations), interleaved.
    static QList<QByteArray> ExamLines(int choiceCount, int judgeCount);
    // A bank file's content as the bank tool writes it: the lines, each ending in CR LF, then
    // the empty line and the trailer that counts and hashes them. Write it with no line end.
    static QByteArray WithTrailer(const QList<QByteArray>& lines);
    static QString ChoiceAnswer(int n);
    static QString ChoiceExplanation(int n);
    static QString JudgeAnswer(int n);

private:
    QTemporaryDir dir;
};
