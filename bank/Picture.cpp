#include "bank/Picture.h"

#include <QDir>
#include <QStringList>

namespace {
const QString PictureFolder = QStringLiteral("pict");
}

QString PictureFileName(const QString& reference)
{
    const QStringList parts = reference.split(u'\\');
    return parts.size() >= 3 ? parts.last() : reference;
}

std::optional<QString> PictureInFolder(const QString& reference)
{
    if (reference.isEmpty())
        return std::nullopt;
    // "\" becomes the platform's separator; a part that names no file below the folder
    // (".", "..") or could start a path of its own ("/", a drive letter) keeps the picture
    // from loading.
    const QStringList parts = PictureFileName(reference).split(u'\\');
    for (const QString& part : parts) {
        if (part.isEmpty() || part == u"." || part == u".." || part.contains(u'/') ||
            part.contains(u':'))
            return std::nullopt;
    }
    return parts.join(u'/');
}

std::optional<QString> PicturePath(const QString& programDir, const QString& reference)
{
    const auto inFolder = PictureInFolder(reference);
    if (!inFolder)
        return std::nullopt;
    return QDir(programDir).filePath(PictureFolder + u'/' + *inFolder);
}

QString HighDensityTwin(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype cut = dot > slash ? dot : path.size();
    return path.left(cut) + QStringLiteral("@2x") + path.mid(cut);
}
