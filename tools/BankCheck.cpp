#include "tools/BankCheck.h"

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Picture.h"
#include "bank/Record.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {
// Texts that share this much of their letter pairs are reported as near-duplicates.
constexpr double NearDuplicateSimilarity = 0.9;

// The text's neighbouring letter pairs, sorted, each once; punctuation and spaces left out.
using CharacterPairs = std::vector<quint32>;

CharacterPairs PairsOf(const QString& text)
{
    CharacterPairs pairs;
    char16_t previous = 0;
    for (const QChar c : text) {
        if (!c.isLetterOrNumber())
            continue;
        if (previous != 0)
            pairs.push_back((quint32(previous) << 16) | c.unicode());
        previous = c.unicode();
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

// A right option far longer than both wrong ones gives the answer away.
bool RightOptionStandsOut(const QString& text, qsizetype rightIndex)
{
    const QStringList lines = text.split(Record::LineBreak);
    if (lines.size() < 4)
        return false;
    const QStringList options = lines.mid(lines.size() - 3);
    const qsizetype right = options[rightIndex].size();
    qsizetype longestWrong = 0;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (i != rightIndex)
            longestWrong = qMax(longestWrong, options[i].size());
    }
    return right >= longestWrong * 3 / 2 && right - longestWrong >= 4;
}

double Jaccard(const CharacterPairs& a, const CharacterPairs& b)
{
    if (a.empty() && b.empty())
        return 1.0;
    std::size_t shared = 0;
    for (auto i = a.begin(), j = b.begin(); i != a.end() && j != b.end();) {
        if (*i < *j) {
            ++i;
        } else if (*j < *i) {
            ++j;
        } else {
            ++shared;
            ++i;
            ++j;
        }
    }
    return double(shared) / double(a.size() + b.size() - shared);
}

class BankChecker {
public:
    explicit BankChecker(const QString& path)
        : path(path), pictureDir(QFileInfo(path).absoluteDir().filePath(QStringLiteral("pict")))
    {
    }

    BankReport Run()
    {
        Cipher cipher;
        const LoadedBank bank = LoadBank(path, cipher);
        if (!bank.found) {
            report.problems.append(QStringLiteral("%1: no such file").arg(path));
            return report;
        }
        for (const SkippedLine& skipped : bank.skipped)
            report.problems.append(
                QStringLiteral("line %1: %2").arg(skipped.line).arg(SkipReasonText(skipped.reason)));
        for (const BankRecord& record : bank.records)
            CheckRecord(record, cipher);
        FindNearDuplicates();
        FindUnusedPictures();
        return report;
    }

private:
    struct Text {
        QString id;
        QString text;
        CharacterPairs pairs;
    };

    void CheckRecord(const BankRecord& record, Cipher& cipher)
    {
        ++report.records;
        const QStringList f = Record::Split(record.text);
        const QString where = QStringLiteral("line %1 (%2)").arg(record.line).arg(f[Record::Id]);
        auto problem = [&](const QString& message) { report.problems.append(where + QStringLiteral(": ") + message); };

        if (f.size() != Record::FieldCount)
            problem(QStringLiteral("%1 fields instead of 6").arg(f.size()));
        const auto chapterNumber = Record::ChapterNumber(f[Record::Chapter]);
        const int chapter = chapterNumber.value_or(0);
        const bool chapterOk = chapterNumber && f[Record::Chapter] == QString::number(chapter);
        if (!chapterOk)
            problem(QStringLiteral("chapter \"%1\" is not 1 to 10").arg(f[Record::Chapter]));

        const QString& kind = f[Record::Kind];
        const QString& answer = f[Record::Answer];
        const bool choice = kind == Record::ChoiceKind;
        if (!choice && kind != Record::JudgeKind)
            problem(QStringLiteral("kind \"%1\" is neither 1 (choice) nor 0 (true/false)").arg(kind));
        const QStringList answers = Record::AnswerLetters.mid(0, choice ? 3 : 2);
        const auto answerIndex = answers.indexOf(answer);
        if (answerIndex < 0)
            problem(QStringLiteral("answer \"%1\" does not fit the kind").arg(answer));

        const auto text = cipher.b64StrDec(DecodeText(f[Record::QuestionText], BankKey));
        if (!text || text->trimmed().isEmpty())
            problem(QStringLiteral("question text does not decode"));
        else
            texts.append({f[Record::Id], *text, PairsOf(*text)});
        if (text && choice && answerIndex >= 0 && RightOptionStandsOut(*text, answerIndex))
            report.observations.append(
                QStringLiteral("%1: the right option is much longer than the others").arg(f[Record::Id]));

        const QString picture = Record::FieldOf(f, Record::Picture);
        if (!picture.isEmpty()) {
            ++report.pictures;
            const auto name = PictureInFolder(picture);
            if (!name) {
                problem(QStringLiteral("picture %1 would lead outside the pict folder").arg(picture));
            } else {
                usedPictures.insert(*name);
                usedPictures.insert(HighDensityTwin(*name)); // drawn for dense screens
                if (!QFileInfo(QDir(pictureDir).filePath(*name)).isFile())
                    problem(QStringLiteral("picture %1 is not in %2").arg(picture, pictureDir));
            }
        }

        if (chapterOk && answerIndex >= 0) {
            auto& counts = report.chapters[chapter - Record::FirstChapter];
            if (choice)
                ++counts.choiceAnswers[answerIndex];
            else
                ++counts.judgeAnswers[answerIndex];
        }
    }

    void FindNearDuplicates()
    {
        for (qsizetype i = 0; i < texts.size(); ++i) {
            for (qsizetype j = i + 1; j < texts.size(); ++j) {
                const double similarity = Jaccard(texts[i].pairs, texts[j].pairs);
                if (similarity >= NearDuplicateSimilarity)
                    report.observations.append(QStringLiteral("near-duplicate texts: %1 and %2 (%3%)")
                                                   .arg(texts[i].id, texts[j].id)
                                                   .arg(qRound(similarity * 100)));
            }
        }
    }

    void FindUnusedPictures()
    {
        QDirIterator it(pictureDir, QDir::Files, QDirIterator::Subdirectories);
        QStringList unused;
        while (it.hasNext()) {
            const QString name = QDir(pictureDir).relativeFilePath(it.next());
            if (!usedPictures.contains(name))
                unused.append(name);
        }
        unused.sort();
        for (const QString& name : unused)
            report.observations.append(QStringLiteral("picture no question uses: %1").arg(name));
    }

    QString path;
    QString pictureDir;
    BankReport report;
    QList<Text> texts;
    QSet<QString> usedPictures;
};
} // namespace

BankReport CheckBank(const QString& path)
{
    return BankChecker(path).Run();
}
