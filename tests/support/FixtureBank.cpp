#include "support/FixtureBank.h"

#include "bank/BankTrailer.h"
#include "bank/Record.h"
#include "common/Platform.h"
#include "tools/BankSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <sys/stat.h>
#include <unistd.h>

QStringList Question(const QString& id, const QString& chapter, const QString& kind,
                     const QString& answer, const QString& text, const QString& picture,
                     const QString& explanation)
{
    QStringList fields = {id, chapter, kind, answer, text, picture};
    if (!explanation.isEmpty())
        fields.append(explanation);
    return fields;
}

QByteArray QuestionLine(const QStringList& fields)
{
    QStringList encoded = fields;
    for (const int i : {Record::QuestionText, Record::Explanation}) {
        if (i < encoded.size())
            encoded[i] = EncodeQuestionText(fields[i]).value();
    }
    return RawLine(encoded.join(Record::Separator));
}

QByteArray RawLine(const QString& recordText)
{
    return EncodeLine(recordText);
}

FixtureBank::FixtureBank() = default;

QString FixtureBank::FilePath(const QString& name) const
{
    return dir.filePath(name);
}

void FixtureBank::Write(const QList<QByteArray>& lines, const QByteArray& lineEnd,
                        const QString& name)
{
    QFile file(FilePath(name));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the fixture bank");
    for (const QByteArray& line : lines)
        file.write(line + lineEnd);
}

bool FixtureBank::MakeUnreadable(const QString& kind, const QList<QByteArray>& lines)
{
    const QString path = FilePath();
    bool made = false;
    if (kind == u"folder") {
        made = QDir().mkdir(path);
    } else if (kind == u"pipe") {
        made = mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    } else if (kind == u"no permission") {
        if (geteuid() == 0)
            return false;
        Write(lines);
        made = QFile::setPermissions(path, QFileDevice::WriteOwner);
    }
    if (!made)
        qFatal("cannot make the unreadable fixture bank: %s", qPrintable(kind));
    return true;
}

void FixtureBank::AddPicture(const QString& relativePath)
{
    const QString path = QDir(dir.filePath(QStringLiteral("pict"))).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    if (!image.save(path, "PNG"))
        qFatal("cannot write the fixture picture");
}

void FixtureBank::Use() const
{
    SetAppPath(dir.path());
    BankFile = QStringLiteral("beijing.dat");
}

QString FixtureBank::ChoiceAnswer(int n)
{
    return QStringList{"A", "B", "C"}[(n - 1) % 3];
}

QString FixtureBank::ChoiceExplanation(int n)
{
    return QStringLiteral("选择题 %1 的解释").arg(n);
}

QString FixtureBank::JudgeAnswer(int n)
{
    return n % 2 == 1 ? QStringLiteral("A") : QStringLiteral("B");
}

QList<QByteArray> FixtureBank::ExamLines(int choiceCount, int judgeCount)
{
    QList<QByteArray> lines;
    for (int n = 1; n <= qMax(choiceCount, judgeCount); ++n) {
        if (n <= choiceCount)
            lines.append(QuestionLine(Question(QStringLiteral("x%1").arg(n), "1", "1",
                                               ChoiceAnswer(n), QStringLiteral("选择题 %1").arg(n),
                                               {}, ChoiceExplanation(n))));
        if (n <= judgeCount)
            lines.append(QuestionLine(Question(QStringLiteral("p%1").arg(n), "2", "0",
                                               JudgeAnswer(n), QStringLiteral("判断题 %1").arg(n))));
    }
    return lines;
}

QByteArray FixtureBank::WithTrailer(const QList<QByteArray>& lines)
{
    QByteArray records;
    for (const QByteArray& line : lines)
        records += line + "\r\n";
    return records + TrailerAfter(records, lines.size());
}
