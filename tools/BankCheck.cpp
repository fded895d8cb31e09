#include "tools/BankCheck.h"

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/LineReader.h"
#include "bank/Picture.h"
#include "bank/Record.h"
#include "bank/Topics.h"
#include "tools/BankSource.h"
#include "tools/NearDuplicates.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {
// Sorts of finding, named for the line that counts those not shown.
const QString SkippedLines = QStringLiteral("skipped lines");
const QString UnreadLines = QStringLiteral("lines after the empty line");
const QString TrailerProblems = QStringLiteral("trailer problems");
const QString RecordProblems = QStringLiteral("record problems");
const QString PictureProblems = QStringLiteral("picture problems");
const QString NearDuplicateTexts = QStringLiteral("near-duplicate pairs");
const QString LongRightOptions = QStringLiteral("right options much longer than the others");
const QString UnusedPictures = QStringLiteral("pictures no question uses");
const QString RepeatingExplanations = QStringLiteral("explanations that only repeat the statement");
const QString ReadingNotes = QStringLiteral("notes on reading the file");
const QString SearchCutShort = QStringLiteral("texts searched for near-duplicates in part");

// How an explanation ends: its basis in short, "（依据：…）". Ours always do; a cut-off line
// whose remains still decode does not.
bool EndsWithBasis(const QString& explanation)
{
    static const QString opening = QStringLiteral("（依据：");
    const qsizetype at = explanation.lastIndexOf(opening);
    return at >= 0 && explanation.endsWith(u'）') && explanation.size() > at + opening.size() + 1;
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

// The letters and digits of a text, punctuation and spaces left out.
QString Letters(QStringView text)
{
    QString letters;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            letters += c;
    }
    return letters;
}

QSet<QStringView> LetterPairs(QStringView letters)
{
    QSet<QStringView> pairs;
    for (qsizetype i = 0; i + 1 < letters.size(); ++i)
        pairs.insert(letters.sliced(i, 2));
    return pairs;
}

// An explanation says no more than its true/false statement when, once its basis and a verdict
// at either end ("正确", "这种说法错误") are left out, it adds fewer than three letter pairs to
// the statement's.
bool OnlyRepeats(const QString& explanation, const QString& statement)
{
    static const QStringList verdicts = {QStringLiteral("这种说法是错误的"),
                                         QStringLiteral("这种说法是正确的"),
                                         QStringLiteral("这种说法错误"),
                                         QStringLiteral("这种说法正确"),
                                         QStringLiteral("说法错误"),
                                         QStringLiteral("说法正确"),
                                         QStringLiteral("是错误的"),
                                         QStringLiteral("是正确的"),
                                         QStringLiteral("不正确"),
                                         QStringLiteral("错误"),
                                         QStringLiteral("正确"),
                                         QStringLiteral("不对"),
                                         QStringLiteral("对"),
                                         QStringLiteral("错")};
    const qsizetype basis = explanation.lastIndexOf(QStringLiteral("（依据："));
    QString body = Letters(QStringView(explanation).first(basis < 0 ? explanation.size() : basis));
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const QString& verdict : verdicts) {
            if (body.startsWith(verdict))
                body.remove(0, verdict.size());
            else if (body.endsWith(verdict))
                body.chop(verdict.size());
            else
                continue;
            stripped = true;
        }
    }
    const QString said = Letters(statement);
    const QSet<QStringView> known = LetterPairs(said);
    qsizetype added = 0;
    for (const QStringView pair : LetterPairs(body))
        added += known.contains(pair) ? 0 : 1;
    return added < 3;
}

// Code points the converter gives bytes it has no character for (a lone 0xFF, GBK's
// user-defined rows): no font shows them.
bool HasPrivateUse(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_PrivateUse; });
}

class BankChecker {
public:
    BankChecker(const QString& path, Explanations explanations, Trailers trailers)
        : path(path), pictureDir(QFileInfo(path).absoluteDir().filePath(QStringLiteral("pict"))),
          explanations(explanations), trailers(trailers)
    {
    }

    BankReport Run()
    {
        Cipher cipher;
        report.topics.fill(0, Topics::Names.size());
        const BankReading reading =
            ReadBank(path, cipher, [&](BankRecord&& record) { CheckRecord(record, cipher); });
        const bool opened =
            reading.status == BankStatus::Read || reading.status == BankStatus::ReadFailed;
        if (!reading.Complete())
            report.problems.Add(RecordProblems, BankStatusText(reading, path));
        if (!opened)
            return report;
        ReportSkipped(reading);
        if (reading.emptyLine > 0)
            ReportLinesAfter(reading);
        ReportTrailer(reading);
        // A trailer that reads whole is all there, line end or not.
        if (reading.unendedLine > 0 && reading.unendedLine != reading.trailerLine)
            report.observations.Add(ReadingNotes,
                                    QStringLiteral("line %1: the file ends inside it, without a "
                                                   "line end: the file may have been cut off")
                                        .arg(reading.unendedLine));
        if (report.records == 0)
            report.problems.Add(RecordProblems,
                                QStringLiteral("%1: no record the program could load").arg(path));
        FindNearDuplicates();
        FindUnusedPictures();
        return report;
    }

private:
    void ReportSkipped(const BankReading& reading)
    {
        for (const SkippedLine& skipped : reading.skipped)
            report.problems.Add(SkippedLines, QStringLiteral("line %1: %2")
                                                  .arg(skipped.line)
                                                  .arg(SkipReasonText(skipped.reason)));
        report.problems.AddUnshown(SkippedLines, reading.skippedCount - reading.skipped.size());
    }

    // The program takes no records after the first empty line: whatever follows but the trailer
    // is lost.
    void ReportLinesAfter(const BankReading& reading)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        LineReader lines(file, MaxLineLength);
        while (lines.Next()) {
            const qsizetype n = lines.Number();
            if (n > reading.emptyLine && (lines.TooLong() || !lines.Line().isEmpty()) &&
                n != reading.trailerLine && n != reading.damagedTrailerLine)
                report.problems.Add(UnreadLines,
                                    QStringLiteral("line %1: never read, it comes after the "
                                                   "empty line %2")
                                        .arg(n)
                                        .arg(reading.emptyLine));
        }
        if (lines.Failed())
            report.problems.Add(UnreadLines, QStringLiteral("reading failed after line %1: %2")
                                                 .arg(lines.Number())
                                                 .arg(lines.Error()));
    }

    // The trailer is the bank's word on how many records it holds and what they hash to.
    void ReportTrailer(const BankReading& reading)
    {
        auto problem = [&](qsizetype line, const QString& message) {
            report.problems.Add(TrailerProblems, QStringLiteral("line %1: ").arg(line) + message);
        };
        if (reading.damagedTrailerLine > 0)
            problem(reading.damagedTrailerLine,
                    QStringLiteral("starts like a trailer but is not one, \"%1 records=N "
                                   "sha256=H\" with H in 64 lower-case hex digits")
                        .arg(QString::fromLatin1(TrailerWord)));
        if (!reading.trailer) {
            const QString missing =
                QStringLiteral("%1: no trailer after the records: a bank cut at a line end "
                               "cannot be told from a shorter one")
                    .arg(path);
            if (reading.damagedTrailerLine > 0)
                return; // said already
            if (trailers == Trailers::Required)
                report.problems.Add(TrailerProblems, missing);
            else
                report.observations.Add(ReadingNotes, missing);
            return;
        }
        const BankTrailer& trailer = *reading.trailer;
        if (trailer.records != reading.recordsRead)
            problem(reading.trailerLine,
                    QStringLiteral("the trailer counts %1 records, %2 were read")
                        .arg(trailer.records)
                        .arg(reading.recordsRead));
        if (trailer.sha256 != reading.recordsSha256)
            problem(reading.trailerLine,
                    QStringLiteral("the trailer's SHA-256 is not that of lines 1 to %1: they have "
                                   "changed since it was written")
                        .arg(reading.emptyLine - 1));
        if (reading.TrailerAgrees())
            report.trailer = trailer;
    }

    void CheckRecord(const BankRecord& record, Cipher& cipher)
    {
        ++report.records;
        const QStringList f = Record::Split(record.text);
        const QString where = QStringLiteral("line %1 (%2)").arg(record.line).arg(f[Record::Id]);
        auto problem = [&](const QString& message) {
            report.problems.Add(RecordProblems, where + QStringLiteral(": ") + message);
        };

        if (record.dropped > 0)
            problem(QStringLiteral("%1 characters outside printable ASCII, which the program "
                                   "drops from the record")
                        .arg(record.dropped));
        if (f.size() < Record::FieldCount || f.size() > Record::FieldCountWithTopics)
            problem(QStringLiteral("%1 fields instead of 6 to 8").arg(f.size()));
        // No encoder writes a last field empty; a line cut just after a separator ends so.
        if (f.size() > Record::FieldCount && f.last().isEmpty())
            problem(QStringLiteral("field %1 is empty: leave it out").arg(f.size() - 1));
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

        const auto text = Record::ProtectedText(f[Record::QuestionText], cipher);
        if (!text || text->trimmed().isEmpty()) {
            problem(QStringLiteral("question text does not decode"));
        } else {
            textIds.append(f[Record::Id]);
            nearDuplicates.Add(*text);
            if (HasPrivateUse(*text))
                problem(QStringLiteral("question text holds private-use characters, which "
                                       "show as empty boxes"));
            if (HasControlCharacters(*text))
                problem(QStringLiteral("question text holds control characters"));
        }
        if (text && choice && answerIndex >= 0 && RightOptionStandsOut(*text, answerIndex))
            report.observations.Add(
                LongRightOptions,
                QStringLiteral("%1: the right option is much longer than the others")
                    .arg(f[Record::Id]));

        CheckPicture(Record::FieldOf(f, Record::Picture), where);
        CheckExplanation(f, choice ? std::optional<QString>() : text, cipher, problem);
        CheckTopics(Record::FieldOf(f, Record::Topics), problem);

        if (chapterOk && answerIndex >= 0) {
            auto& counts = report.chapters[chapter - Record::FirstChapter];
            if (choice)
                ++counts.choiceAnswers[answerIndex];
            else
                ++counts.judgeAnswers[answerIndex];
        }
    }

    // statement: the text of a true/false question, which its explanation should go beyond.
    template <typename Problem>
    void CheckExplanation(const QStringList& f, const std::optional<QString>& statement,
                          Cipher& cipher, Problem problem)
    {
        const auto explanation = Record::ExplanationText(f, cipher);
        if (!explanation) {
            problem(QStringLiteral("explanation does not decode"));
            return;
        }
        if (explanation->isEmpty()) {
            if (explanations == Explanations::Required)
                problem(QStringLiteral("no explanation"));
            return;
        }
        ++report.explanations;
        if (HasPrivateUse(*explanation))
            problem(QStringLiteral("explanation holds private-use characters, which show as "
                                   "empty boxes"));
        if (HasControlCharacters(*explanation))
            problem(QStringLiteral("explanation holds control characters"));
        if (!EndsWithBasis(*explanation))
            problem(QStringLiteral("explanation does not end with its basis, \"（依据：…）\""));
        if (statement && OnlyRepeats(*explanation, *statement))
            report.observations.Add(
                RepeatingExplanations,
                QStringLiteral("%1: the explanation says no more than the statement")
                    .arg(f[Record::Id]));
    }

    // Field 7: one to three topic numbers, none twice; each topic named is counted.
    template <typename Problem> void CheckTopics(const QString& field, Problem problem)
    {
        const QStringList entries =
            field.isEmpty() ? QStringList() : field.split(Topics::Separator);
        if (entries.size() > Topics::MaximumPerQuestion)
            problem(QStringLiteral("%1 topics, at most %2")
                        .arg(entries.size())
                        .arg(Topics::MaximumPerQuestion));
        QStringList named;
        for (const QString& entry : entries) {
            const auto name = Topics::NameOf(entry);
            if (!name)
                problem(QStringLiteral("topic \"%1\" is not on the list (1 to %2)")
                            .arg(entry)
                            .arg(Topics::Names.size()));
            else if (named.contains(*name))
                problem(QStringLiteral("topic %1 (%2) is named twice").arg(entry, *name));
            else
                named.append(*name);
        }
        for (const QString& name : named)
            ++report.topics[Topics::Names.indexOf(name)];
        if (named.isEmpty())
            ++report.withoutTopic;
    }

    void CheckPicture(const QString& picture, const QString& where)
    {
        if (picture.isEmpty())
            return;
        ++report.pictures;
        const auto name = PictureInFolder(picture);
        if (!name) {
            report.problems.Add(PictureProblems,
                                QStringLiteral("%1: picture %2 would lead outside the pict folder")
                                    .arg(where, picture));
            return;
        }
        usedPictures.insert(*name);
        usedPictures.insert(HighDensityTwin(*name)); // drawn for dense screens
        if (!QFileInfo(QDir(pictureDir).filePath(*name)).isFile())
            report.problems.Add(
                PictureProblems,
                QStringLiteral("%1: picture %2 is not in %3").arg(where, picture, pictureDir));
    }

    void FindNearDuplicates()
    {
        const NearDuplicates::Found found = nearDuplicates.Find(Findings::ShownPerSort);
        for (const NearDuplicates::Pair& pair : found.first)
            report.observations.Add(NearDuplicateTexts,
                                    QStringLiteral("near-duplicate texts: %1 and %2 (%3%)")
                                        .arg(textIds[pair.first], textIds[pair.second])
                                        .arg(pair.percent));
        report.observations.AddUnshown(NearDuplicateTexts, found.count - found.first.size());
        if (found.cutShort > 0)
            report.observations.Add(
                SearchCutShort,
                QStringLiteral("%1 texts are like so many others that each was compared with "
                               "only %2 of them: more near-duplicate pairs may be missing")
                    .arg(found.cutShort)
                    .arg(NearDuplicates::MaxComparedPerText));
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
            report.observations.Add(UnusedPictures,
                                    QStringLiteral("picture no question uses: %1").arg(name));
    }

    QString path;
    QString pictureDir;
    Explanations explanations;
    Trailers trailers;
    BankReport report;
    QStringList textIds; // of the texts in nearDuplicates, in the same order
    NearDuplicates nearDuplicates;
    QSet<QString> usedPictures;
};
} // namespace

void Findings::Add(const QString& sort, const QString& text)
{
    Sort& s = SortNamed(sort);
    ++s.count;
    ++count;
    if (s.shown < ShownPerSort) {
        ++s.shown;
        shown.append(text);
    }
}

void Findings::AddUnshown(const QString& sort, qsizetype n)
{
    if (n <= 0)
        return;
    SortNamed(sort).count += n;
    count += n;
}

QStringList Findings::Lines() const
{
    QStringList lines = shown;
    for (const Sort& s : sorts) {
        if (s.count > s.shown)
            lines.append(QStringLiteral("%1 more %2 not shown").arg(s.count - s.shown).arg(s.name));
    }
    return lines;
}

Findings::Sort& Findings::SortNamed(const QString& name)
{
    const auto found = sortIndex.constFind(name);
    if (found != sortIndex.constEnd())
        return sorts[*found];
    sortIndex.insert(name, sorts.size());
    sorts.append({name});
    return sorts.last();
}

BankReport CheckBank(const QString& path, Explanations explanations, Trailers trailers)
{
    return BankChecker(path, explanations, trailers).Run();
}
