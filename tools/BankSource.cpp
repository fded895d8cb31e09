#include "tools/BankSource.h"

#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {
const QStringList& ChoiceLetters = Record::AnswerLetters;

bool IsPrintableAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 32 && c.unicode() <= 126; });
}

bool IsPictureName(const QString& name)
{
    return !name.isEmpty() && IsPrintableAscii(name) && !name.contains(Record::Separator) &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.startsWith(u'.');
}

class SourceReader {
public:
    explicit SourceReader(const QString& dir) : root(QFileInfo(QDir(dir).absolutePath()).dir()) {}

    BankSource Read(const QString& dir)
    {
        const QFileInfoList files =
            QDir(dir).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            source.problems.append(QStringLiteral("%1: no *.json question files").arg(dir));
        for (const QFileInfo& file : files)
            ReadFile(file);
        return source;
    }

private:
    void ReadFile(const QFileInfo& info)
    {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            source.problems.append(QStringLiteral("%1: cannot be read").arg(info.fileName()));
            return;
        }
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        if (error.error != QJsonParseError::NoError || !document.isArray()) {
            source.problems.append(QStringLiteral("%1: not a JSON array of questions (%2 at %3)")
                                       .arg(info.fileName(), error.errorString())
                                       .arg(error.offset));
            return;
        }
        int position = 0;
        for (const QJsonValue& value : document.array())
            ReadQuestion(info.fileName(), ++position, value.toObject());
    }

    void ReadQuestion(const QString& file, int position, const QJsonObject& object)
    {
        SourceQuestion q;
        q.file = file;
        q.id = object.value(u"id").toString();
        const QString where = QStringLiteral("%1: question %2 (%3)")
                                  .arg(file)
                                  .arg(position)
                                  .arg(q.id.isEmpty() ? QStringLiteral("no id") : q.id);
        auto problem = [&](const QString& message) { source.problems.append(where + QStringLiteral(": ") + message); };

        if (q.id.isEmpty() || !IsPrintableAscii(q.id) || q.id.contains(Record::Separator))
            problem(QStringLiteral("id must be printable ASCII text without \"(::)\""));
        else if (ids.contains(q.id))
            problem(QStringLiteral("duplicate id"));
        ids.insert(q.id);

        const QJsonValue chapter = object.value(u"chapter");
        q.chapter = chapter.toInt();
        if (!chapter.isDouble() || chapter.toDouble() != q.chapter || q.chapter < Record::FirstChapter ||
            q.chapter >= Record::FirstChapter + Record::ChapterCount)
            problem(QStringLiteral("chapter must be a whole number from 1 to 10"));

        const QString kind = object.value(u"kind").toString();
        q.choice = kind == u"choice";
        if (!q.choice && kind != u"judge")
            problem(QStringLiteral("kind must be \"choice\" or \"judge\""));

        q.text = object.value(u"text").toString().trimmed();
        if (q.text.isEmpty())
            problem(QStringLiteral("no text"));

        const QJsonValue answer = object.value(u"answer");
        if (q.choice) {
            for (const QJsonValue& option : object.value(u"options").toArray())
                q.options.append(option.toString().trimmed());
            if (q.options.size() != 3 || q.options.contains(QString()))
                problem(QStringLiteral("a choice question needs three non-empty options"));
            q.answer = answer.toString();
            if (!ChoiceLetters.contains(q.answer))
                problem(QStringLiteral("answer must be \"A\", \"B\" or \"C\""));
        } else {
            if (object.contains(u"options"))
                problem(QStringLiteral("a true/false question has no options"));
            if (!answer.isBool())
                problem(QStringLiteral("answer must be true or false"));
            q.answer = answer.toBool() ? QStringLiteral("A") : QStringLiteral("B");
        }

        q.picture = object.value(u"picture").toString();
        if (object.contains(u"picture")) {
            if (!IsPictureName(q.picture))
                problem(QStringLiteral("picture must be a plain ASCII file name"));
            else if (!PictureExists(q.picture))
                problem(QStringLiteral("picture %1 is missing").arg(q.picture));
        }

        q.basis = object.value(u"basis").toString().trimmed();
        if (q.basis.isEmpty())
            problem(QStringLiteral("no basis (the law and article it rests on)"));

        const QString display = DisplayText(q);
        const auto encoded = EncodeQuestionText(display);
        if (!encoded)
            problem(QStringLiteral("text has characters outside the GBK code page"));
        else if (encoded->contains(Record::Separator))
            problem(QStringLiteral("encoded text happens to contain \"(::)\"; reword it slightly"));
        const QString normalised = Normalised(display);
        if (texts.contains(normalised))
            problem(QStringLiteral("same text as %1").arg(texts.value(normalised)));
        texts.insert(normalised, q.id);

        source.questions.append(q);
    }

    bool PictureExists(const QString& name) const
    {
        return QFileInfo(root.filePath(QStringLiteral("pict/") + name)).isFile() ||
               QFileInfo(root.filePath(QStringLiteral("pict-src/") + QFileInfo(name).completeBaseName() + QStringLiteral(".svg")))
                   .isFile();
    }

    // Punctuation and spacing do not make two questions different.
    static QString Normalised(const QString& text)
    {
        QString result;
        for (const QChar c : text) {
            if (c.isLetterOrNumber())
                result.append(c);
        }
        return result;
    }

    QDir root;
    BankSource source;
    QSet<QString> ids;
    QHash<QString, QString> texts;
};
} // namespace

BankSource ReadBankSource(const QString& dir)
{
    return SourceReader(dir).Read(dir);
}

QString DisplayText(const SourceQuestion& question)
{
    QStringList lines{question.text};
    for (int i = 0; i < question.options.size() && i < ChoiceLetters.size(); ++i)
        lines.append(ChoiceLetters[i] + QStringLiteral("、") + question.options[i]);
    return lines.join(Record::LineBreak);
}

std::optional<QString> EncodeQuestionText(const QString& text)
{
    const auto wrapped = Cipher::b64StrEnc(text);
    if (!wrapped)
        return std::nullopt;
    return EncodeText(*wrapped, BankKey);
}

QStringList RecordFields(const SourceQuestion& question, const QString& encodedText)
{
    return {question.id,
            QString::number(question.chapter),
            question.choice ? Record::ChoiceKind : Record::JudgeKind,
            question.answer,
            encodedText,
            question.picture};
}

QByteArray EncodeLine(const QString& recordText)
{
    return EncodeText(recordText, BankKey).toLatin1().toBase64();
}
