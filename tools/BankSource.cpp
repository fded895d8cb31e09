#include "tools/BankSource.h"

#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Record.h"
#include "bank/Topics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

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
        if (HasControlCharacters(q.text))
            problem(QStringLiteral("text holds control characters"));

        const QJsonValue answer = object.value(u"answer");
        if (q.choice) {
            for (const QJsonValue& option : object.value(u"options").toArray())
                q.options.append(option.toString().trimmed());
            if (q.options.size() != 3 || q.options.contains(QString()))
                problem(QStringLiteral("a choice question needs three non-empty options"));
            if (std::any_of(q.options.begin(), q.options.end(), HasControlCharacters))
                problem(QStringLiteral("an option holds control characters"));
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

        const QJsonValue explanation = object.value(u"explanation");
        if (!explanation.isUndefined() && !explanation.isString())
            problem(QStringLiteral("explanation must be text"));
        q.explanation = explanation.toString().trimmed();
        if (!q.explanation.isEmpty())
            CheckExplanation(q, problem);
        ReadTopics(object, q, problem);
        const QString normalised = Normalised(display);
        if (texts.contains(normalised))
            problem(QStringLiteral("same text as %1").arg(texts.value(normalised)));
        texts.insert(normalised, q.id);

        source.questions.append(q);
    }

    // "topics": one to three names from the list, none twice; no key means no topics.
    template <typename Problem>
    static void ReadTopics(const QJsonObject& object, SourceQuestion& q, Problem problem)
    {
        if (!object.contains(u"topics"))
            return;
        const QJsonValue value = object.value(u"topics");
        const QJsonArray names = value.toArray();
        if (!value.isArray() || names.isEmpty() || names.size() > Topics::MaximumPerQuestion) {
            problem(QStringLiteral("topics must be a list of one to three topic names"));
            return;
        }
        for (const QJsonValue& name : names) {
            const QString topic = name.toString();
            if (!name.isString() || !Topics::IsTopic(topic))
                problem(QStringLiteral("topic \"%1\" is not on the list of topics")
                            .arg(name.isString() ? topic : QStringLiteral("(not text)")));
            else if (q.topics.contains(topic))
                problem(QStringLiteral("topic %1 is named twice").arg(topic));
            else
                q.topics.append(topic);
        }
    }

    template <typename Problem>
    static void CheckExplanation(const SourceQuestion& q, Problem problem)
    {
        const QString ending = BasisEnding(q.basis);
        if (!q.explanation.endsWith(ending))
            problem(QStringLiteral("explanation must end with %1, its basis in short").arg(ending));
        const auto encoded = EncodeQuestionText(q.explanation);
        if (HasControlCharacters(q.explanation))
            problem(QStringLiteral("explanation holds control characters"));
        if (!encoded)
            problem(QStringLiteral("explanation has characters outside the GBK code page"));
        else if (encoded->contains(Record::Separator))
            problem(QStringLiteral(
                "encoded explanation happens to contain \"(::)\"; reword it slightly"));
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
    const auto wrapped = Cipher::Encode(text);
    if (!wrapped)
        return std::nullopt;
    return EncodeText(*wrapped, BankKey);
}

QStringList RecordFields(const SourceQuestion& question)
{
    QStringList fields = {question.id,
                          QString::number(question.chapter),
                          question.choice ? Record::ChoiceKind : Record::JudgeKind,
                          question.answer,
                          EncodeQuestionText(DisplayText(question)).value(),
                          question.picture};
    if (!question.explanation.isEmpty() || !question.topics.isEmpty())
        fields.append(question.explanation.isEmpty()
                          ? QString()
                          : EncodeQuestionText(question.explanation).value());
    if (!question.topics.isEmpty())
        fields.append(Topics::Field(question.topics));
    return fields;
}

namespace {
const QString BasisSeparator = QStringLiteral("；");
constexpr int MaxArticle = 9999;

// An article number up to MaxArticle as Chinese numerals: 47 is 四十七, 110 一百一十, 105
// 一百零五, 10 十.
QString ChineseNumber(int n)
{
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    if (n < 10)
        return digits[n];
    QString out;
    bool started = false;
    bool zero = false;
    const std::pair<int, QString> places[] = {{1000, QStringLiteral("千")},
                                              {100, QStringLiteral("百")},
                                              {10, QStringLiteral("十")},
                                              {1, QString()}};
    for (const auto& [value, unit] : places) {
        const int d = n / value % 10;
        if (d == 0) {
            zero = zero || started;
            continue;
        }
        if (zero)
            out += digits[0];
        zero = false;
        // "十一", not "一十一", at the start.
        if (!(d == 1 && value == 10 && !started))
            out += digits[d];
        out += unit;
        started = true;
    }
    return out;
}

// One basis in short: a law's title without its brackets and its articles in Chinese numerals
// ("《道路交通安全法》第47条" is 道路交通安全法第四十七条), a standard its code ("GB 5768.2"), a
// safe-driving basis 安全驾驶常识.
QString ShortBasis(const QString& basis)
{
    static const QRegularExpression article(QStringLiteral("第(\\d+)条"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression standard(QStringLiteral("^(G[AB] [0-9.\\-]+)"));
    const QString b = basis.trimmed();
    if (b.startsWith(u'《')) {
        const QString law = QString(b).remove(u'《').remove(u'》');
        QString out;
        qsizetype from = 0;
        for (auto it = article.globalMatch(law); it.hasNext();) {
            const auto m = it.next();
            int number = 0;
            for (const QChar digit : m.capturedView(1))
                number = std::min(number * 10 + digit.digitValue(), MaxArticle + 1);
            if (number > MaxArticle)
                continue; // no law has that many articles: left as written
            out += law.mid(from, m.capturedStart() - from) + QStringLiteral("第") +
                   ChineseNumber(number) + QStringLiteral("条");
            from = m.capturedEnd();
        }
        return out + law.mid(from);
    }
    if (const auto m = standard.match(b); m.hasMatch())
        return m.captured(1);
    if (b.startsWith(QStringLiteral("安全驾驶常识")))
        return QStringLiteral("安全驾驶常识");
    return b;
}
} // namespace

QString BasisEnding(const QString& basis)
{
    QStringList parts;
    for (const QString& one : basis.split(BasisSeparator))
        parts.append(ShortBasis(one));
    return QStringLiteral("（依据：") + parts.join(BasisSeparator) + QStringLiteral("）");
}

bool HasControlCharacters(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control && c != u'\r' && c != u'\n';
    });
}

QByteArray EncodeLine(const QString& recordText)
{
    return EncodeText(recordText, BankKey).toLatin1().toBase64();
}
