// jiaogui-bank: builds a bank file from its readable sources, checks one, or dumps one.

#include "bank/BankLoader.h"
#include "bank/BankTrailer.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Record.h"
#include "bank/Topics.h"
#include "tools/BankCheck.h"
#include "tools/BankSource.h"
#include "tools/BasisArticles.h"
#include "tools/PictureRender.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include <memory>

namespace {
QTextStream& Out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& Err()
{
    static QTextStream stream(stderr);
    return stream;
}

int Usage()
{
    Err() << "usage:\n"
             "  jiaogui-bank build SRC_DIR OUT.dat   encode the *.json questions of SRC_DIR\n"
             "  jiaogui-bank check [--require-explanations] [--require-trailer] FILE\n"
             "                                      check a bank file and its pict folder\n"
             "  jiaogui-bank dump FILE               print the records the program would load\n"
             "  jiaogui-bank render SVG_DIR OUT_DIR  render SVG pictures to PNG\n"
             "  jiaogui-bank articles LAWS_DIR SRC_DIR  list bases naming articles the laws lack\n";
    return 2;
}

int Failed(const QStringList& problems)
{
    for (const QString& problem : problems)
        Err() << problem << '\n';
    return problems.isEmpty() ? 0 : 1;
}

int Build(const QString& sourceDir, const QString& outFile)
{
    const BankSource source = ReadBankSource(sourceDir);
    if (!source.problems.isEmpty())
        return Failed(source.problems);

    QByteArray records;
    for (const SourceQuestion& question : source.questions)
        records += EncodeLine(RecordFields(question).join(Record::Separator)) + "\r\n";
    QSaveFile file(outFile);
    if (!file.open(QIODevice::WriteOnly))
        return Failed({QStringLiteral("%1: cannot be written").arg(outFile)});
    file.write(records);
    file.write(TrailerAfter(records, source.questions.size()));
    if (!file.commit())
        return Failed({QStringLiteral("%1: cannot be written").arg(outFile)});

    const QDir bankRoot = QFileInfo(QDir(sourceDir).absolutePath()).dir();
    const QString pictures = QFileInfo(outFile).absoluteDir().filePath(QStringLiteral("pict"));
    QStringList failures = RenderPictures(bankRoot.filePath(QStringLiteral("pict-src")), pictures);
    failures += CopyPictures(bankRoot.filePath(QStringLiteral("pict")), pictures);
    Out() << source.questions.size() << " questions written to " << outFile << '\n';
    return Failed(failures);
}

void PrintCounts(const BankReport& report)
{
    Out() << "chapter  choice (A/B/C)       true/false (对/错)\n";
    for (int i = 0; i < Record::ChapterCount; ++i) {
        const auto& c = report.chapters[i];
        Out() << QStringLiteral("%1  %2 (%3/%4/%5)  %6 (%7/%8)\n")
                     .arg(i + Record::FirstChapter, 7)
                     .arg(c.choices(), 6)
                     .arg(c.choiceAnswers[0])
                     .arg(c.choiceAnswers[1])
                     .arg(c.choiceAnswers[2])
                     .arg(c.judges(), 8)
                     .arg(c.judgeAnswers[0])
                     .arg(c.judgeAnswers[1]);
    }
    Out() << report.records << " records, " << report.pictures << " with a picture, "
          << report.explanations << " with an explanation\n";
}

// The questions per topic, names padded with ideographic spaces so that the counts line up.
void PrintTopics(const BankReport& report)
{
    if (report.withoutTopic == report.records) {
        Out() << "no record names a topic\n";
        return;
    }
    constexpr int NameWidth = 8; // the longest name, each character two columns wide
    Out() << "topic            questions\n";
    for (qsizetype i = 0; i < Topics::Names.size(); ++i)
        Out() << QStringLiteral("%1 %2\n")
                     .arg(Topics::Names[i], -NameWidth, QChar(0x3000))
                     .arg(report.topics[i], 9);
    Out() << QStringLiteral("%1 %2\n")
                 .arg(QStringLiteral("without a topic"), -2 * NameWidth)
                 .arg(report.withoutTopic, 9);
}

// The options, then the file.
int Check(QStringList args)
{
    const QString file = args.takeLast();
    Explanations explanations = Explanations::Optional;
    Trailers trailers = Trailers::Optional;
    for (const QString& option : args) {
        if (option == u"--require-explanations")
            explanations = Explanations::Required;
        else if (option == u"--require-trailer")
            trailers = Trailers::Required;
        else
            return Usage();
    }
    const BankReport report = CheckBank(file, explanations, trailers);
    PrintCounts(report);
    PrintTopics(report);
    if (report.trailer)
        Out() << "the trailer agrees: " << report.trailer->records << " records, SHA-256 "
              << report.trailer->sha256.toHex() << '\n';
    for (const QString& observation : report.observations.Lines())
        Out() << "note: " << observation << '\n';
    for (const QString& problem : report.problems.Lines())
        Out() << "problem: " << problem << '\n';
    Out() << (report.problems.IsEmpty() ? "no problems\n" : "");
    return report.problems.IsEmpty() ? 0 : 1;
}

// A text on one line that writes nothing to the terminal but characters: the usual escapes
// for CR, LF, tab and backslash, \xHH for any other control character.
QString Escaped(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        default:
            if (c.category() == QChar::Other_Control)
                escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    return escaped;
}

// Prints each record as soon as it is read, so that a bank of any size costs no memory. What
// cannot be shown as the program would (a text that does not decode, a topic not on the list)
// is written "\?" and named on standard error, and makes the exit status 1, as a skipped line,
// a line never read, a trailer damaged or at odds with the records, or a file not read whole
// does.
int Dump(const QString& file)
{
    Cipher cipher;
    qsizetype unshown = 0;
    const auto dumpRecord = [&](BankRecord&& record) {
        const QStringList f = Record::Split(record.text);
        const auto unreadable = [&](const QString& what) {
            Err() << "line " << record.line << " (" << f[Record::Id] << "): " << what << '\n';
            ++unshown;
            return QStringLiteral("\\?");
        };
        const auto shown = [&](const std::optional<QString>& text, const QString& what) {
            return text ? Escaped(*text) : unreadable(what + QStringLiteral(" does not decode"));
        };
        QStringList topics;
        const QString topicField = Record::FieldOf(f, Record::Topics);
        for (const QString& entry :
             topicField.isEmpty() ? QStringList() : topicField.split(Topics::Separator)) {
            const auto name = Topics::NameOf(entry);
            topics.append(
                name ? *name
                     : unreadable(
                           QStringLiteral("topic \"%1\" is not on the list").arg(Escaped(entry))));
        }
        Out() << QStringList{f[Record::Id],
                             f[Record::Chapter],
                             f[Record::Kind],
                             f[Record::Answer],
                             shown(Record::ProtectedText(f[Record::QuestionText], cipher),
                                   QStringLiteral("question text")),
                             Record::FieldOf(f, Record::Picture),
                             shown(Record::ExplanationText(f, cipher),
                                   QStringLiteral("explanation")),
                             topics.join(Topics::Separator)}
                     .join(u'\t')
              << '\n';
    };
    const BankReading reading = ReadBank(file, cipher, dumpRecord);
    Out().flush();
    for (const SkippedLine& skipped : reading.skipped)
        Err() << "line " << skipped.line << " skipped: " << SkipReasonText(skipped.reason) << '\n';
    if (reading.skippedCount > reading.skipped.size())
        Err() << reading.skippedCount - reading.skipped.size() << " more lines skipped\n";
    if (reading.unreadLines > 0)
        Err() << reading.unreadLines << " lines after the empty line " << reading.emptyLine
              << " never read\n";
    if (reading.damagedTrailerLine > 0)
        Err() << "line " << reading.damagedTrailerLine << ": a damaged trailer\n";
    if (reading.trailer && !reading.TrailerAgrees())
        Err() << "line " << reading.trailerLine << ": the trailer counts "
              << reading.trailer->records << " records with SHA-256 "
              << reading.trailer->sha256.toHex() << ", but " << reading.recordsRead
              << " were read from lines with SHA-256 " << reading.recordsSha256.toHex() << '\n';
    if (!reading.Complete())
        Err() << BankStatusText(reading, file) << '\n';
    const bool asWritten = reading.skippedCount == 0 && reading.unreadLines == 0 &&
                           reading.damagedTrailerLine == 0 &&
                           (!reading.trailer || reading.TrailerAgrees());
    return reading.Complete() && asWritten && unshown == 0 ? 0 : 1;
}

int Articles(const QString& lawsDir, const QString& sourceDir)
{
    const BasisArticlesReport report = CheckBasisArticles(lawsDir, sourceDir);
    for (const QString& missing : report.missing)
        Out() << missing << '\n';
    Out() << report.checked << " basis parts checked, " << report.missing.size()
          << " articles missing, " << report.notCheckable
          << " not checkable (a standard, common sense or a law with no text in the folder)\n";
    Failed(report.problems);
    return report.missing.isEmpty() && report.problems.isEmpty() ? 0 : 1;
}

// Rendering pictures needs fonts, not a screen; reading a bank needs neither.
std::unique_ptr<QCoreApplication> Application(int& argc, char* argv[])
{
    const bool renders = argc > 1 && (qstrcmp(argv[1], "build") == 0 || qstrcmp(argv[1], "render") == 0);
    if (!renders)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}
} // namespace

int main(int argc, char* argv[])
{
    const auto app = Application(argc, argv);
    const QStringList args = app->arguments().mid(1);
    Out().setEncoding(QStringConverter::Utf8);
    Err().setEncoding(QStringConverter::Utf8);

    const QString command = args.value(0);
    if (command == u"build" && args.size() == 3)
        return Build(args[1], args[2]);
    if (command == u"check" && args.size() >= 2)
        return Check(args.mid(1));
    if (command == u"dump" && args.size() == 2)
        return Dump(args[1]);
    if (command == u"render" && args.size() == 3)
        return Failed(RenderPictures(args[1], args[2]));
    if (command == u"articles" && args.size() == 3)
        return Articles(args[1], args[2]);
    return Usage();
}
