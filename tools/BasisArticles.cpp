#include "tools/BasisArticles.h"

#include "tools/BankSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
const QString Numeral = QStringLiteral("[0-9零〇一二两三四五六七八九十百千]+");
const QString Separator = QStringLiteral("；");

int ChineseDigit(QChar c)
{
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    if (c == u'〇')
        return 0;
    if (c == u'两')
        return 2;
    return int(digits.indexOf(c));
}

int ChineseUnit(QChar c)
{
    switch (c.unicode()) {
    case u'十':
        return 10;
    case u'百':
        return 100;
    case u'千':
        return 1000;
    default:
        return 0;
    }
}

std::optional<int> ParseChineseNumber(const QString& text)
{
    int total = 0;
    int pending = -1; // the digit waiting for its unit; -1 when none
    for (const QChar c : text) {
        if (const int digit = ChineseDigit(c); digit >= 0) {
            if (pending > 0)
                return std::nullopt; // two digits in a row: not a number
            pending = digit;
        } else if (const int unit = ChineseUnit(c); unit > 0) {
            // "十二" leaves out the one before 十
            total += (pending < 0 ? 1 : pending) * unit;
            pending = -1;
        } else {
            return std::nullopt;
        }
    }
    return total + std::max(pending, 0);
}

// "47" or "133之一": how an article is keyed, whatever numerals it was written in.
std::optional<QString> ArticleKey(const QString& number, const QString& suffix)
{
    const auto n = ParseNumber(number);
    if (!n)
        return std::nullopt;
    return QString::number(*n) + suffix;
}

// Everything but the title's own characters: the brackets of a title inside a title are written
// 《》 in file names and 〈〉 in a basis.
QString TitleKey(const QString& title)
{
    QString key;
    for (const QChar c : title) {
        if (c.isLetterOrNumber())
            key.append(c);
    }
    return key;
}

struct LawFile {
    QString date;
    QString path;
};

QMap<QString, LawFile> LawFiles(const QString& lawsDir, QStringList& problems)
{
    static const QRegularExpression name(QStringLiteral("^(.+)\\((\\d{4}-\\d{2}-\\d{2})\\)\\.md$"));
    QMap<QString, LawFile> files;
    const QFileInfoList entries =
        QDir(lawsDir).entryInfoList({QStringLiteral("*.md")}, QDir::Files);
    for (const QFileInfo& entry : entries) {
        const auto m = name.match(entry.fileName());
        if (!m.hasMatch())
            continue; // a README, not a law text
        LawFile& file = files[TitleKey(m.captured(1))];
        if (m.captured(2) > file.date)
            file = {m.captured(2), entry.filePath()};
    }
    if (files.isEmpty())
        problems.append(
            QStringLiteral("%1: no law texts named \"<title>(<date>).md\"").arg(lawsDir));
    return files;
}

std::optional<QString> ReadUtf8(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}
} // namespace

std::optional<int> ParseNumber(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int arabic = text.toInt(&ok);
    if (ok)
        return arabic >= 0 ? std::optional(arabic) : std::nullopt;
    return ParseChineseNumber(text);
}

LawText ReadLawText(const QString& markdown)
{
    static const QRegularExpression heading(
        QStringLiteral("^第(%1)条(之[一二三四五六七八九十]+)?(?:\\s|$)").arg(Numeral),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression annex(QStringLiteral("附件(%1)").arg(Numeral));
    static const QString infoEnd = QStringLiteral("<!-- INFO END -->");

    LawText law;
    const QStringList lines = markdown.split(u'\n');
    const bool hasInfo = lines.contains(infoEnd);
    bool inInfo = hasInfo;
    QString article; // the article whose paragraphs are being counted
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        for (auto it = annex.globalMatch(line); it.hasNext();) {
            if (const auto n = ParseNumber(it.next().captured(1)))
                law.annexes.insert(*n);
        }
        if (line.isEmpty())
            continue;
        if (inInfo) {
            inInfo = line != infoEnd;
            law.titleNote = law.titleNote || (inInfo && !line.startsWith(u'#'));
            continue;
        }
        if (line.startsWith(u'#') || line.startsWith(u'<')) {
            article.clear();
            continue;
        }
        if (const auto m = heading.match(line); m.hasMatch()) {
            article = ArticleKey(m.captured(1), m.captured(2)).value_or(QString());
            if (!article.isEmpty())
                law.articles[article] = 1;
        } else if (!article.isEmpty() && !line.startsWith(u'（')) {
            ++law.articles[article];
        }
    }
    return law;
}

QStringList MissingArticles(const QString& reference, const LawText& law)
{
    static const QRegularExpression part(
        QStringLiteral("(至)?第(%1)条(之[一二三四五六七八九十]+)?(?:第(%1)款)?|附件(%1)|题注")
            .arg(Numeral));
    QStringList missing;
    std::optional<int> previous; // the article before a "至"
    for (auto it = part.globalMatch(reference); it.hasNext();) {
        const auto m = it.next();
        const QString text = m.captured(0).remove(u'至');
        if (text == u"题注") {
            if (!law.titleNote)
                missing.append(text);
        } else if (!m.captured(5).isEmpty()) {
            const auto n = ParseNumber(m.captured(5));
            if (!n || !law.annexes.contains(*n))
                missing.append(text);
        } else {
            const auto n = ParseNumber(m.captured(2));
            if (n && previous && !m.captured(1).isEmpty()) {
                for (int between = *previous + 1; between < *n; ++between) {
                    if (!law.articles.contains(QString::number(between)))
                        missing.append(QStringLiteral("第%1条").arg(between));
                }
            }
            const auto key = ArticleKey(m.captured(2), m.captured(3));
            const int paragraphs = key ? law.articles.value(*key) : 0;
            const auto paragraph =
                m.captured(4).isEmpty() ? std::optional(1) : ParseNumber(m.captured(4));
            if (paragraphs == 0 || !paragraph || *paragraph < 1 || *paragraph > paragraphs)
                missing.append(text);
            previous = m.captured(3).isEmpty() ? n : std::nullopt;
        }
    }
    return missing;
}

BasisArticlesReport CheckBasisArticles(const QString& lawsDir, const QString& sourceDir)
{
    static const QRegularExpression titled(QStringLiteral("^《(.+?)》(.*)$"));
    BasisArticlesReport report;
    const QMap<QString, LawFile> files = LawFiles(lawsDir, report.problems);
    QMap<QString, LawText> laws; // read once, by title
    const BankSource source = ReadBankSource(sourceDir);
    report.problems += source.problems;
    for (const SourceQuestion& question : source.questions) {
        for (const QString& raw : question.basis.split(Separator)) {
            const QString basisPart = raw.trimmed();
            const auto m = titled.match(basisPart);
            const QString title = TitleKey(m.captured(1));
            if (!m.hasMatch() || !files.contains(title)) {
                ++report.notCheckable;
                continue;
            }
            if (!laws.contains(title)) {
                const auto text = ReadUtf8(files[title].path);
                if (!text)
                    report.problems.append(
                        QStringLiteral("%1: cannot be read").arg(files[title].path));
                laws.insert(title, ReadLawText(text.value_or(QString())));
            }
            ++report.checked;
            for (const QString& missing : MissingArticles(m.captured(2), laws[title]))
                report.missing.append(QStringList{question.id, basisPart, missing}.join(u'\t'));
        }
    }
    return report;
}
