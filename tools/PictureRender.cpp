#include "tools/PictureRender.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {
bool IsUpToDate(const QFileInfo& source, const QFileInfo& target)
{
    return target.exists() && target.lastModified() >= source.lastModified();
}

QFileInfoList FilesOf(const QString& dir, const QStringList& patterns)
{
    return QDir(dir).entryInfoList(patterns, QDir::Files, QDir::Name);
}
} // namespace

QStringList RenderPictures(const QString& svgDir, const QString& outDir)
{
    QStringList failures;
    QDir().mkpath(outDir);
    for (const QFileInfo& svg : FilesOf(svgDir, {QStringLiteral("*.svg")})) {
        const QFileInfo png(QDir(outDir).filePath(svg.completeBaseName() + QStringLiteral(".png")));
        if (IsUpToDate(svg, png))
            continue;
        QSvgRenderer renderer(svg.filePath());
        if (!renderer.isValid()) {
            failures.append(QStringLiteral("%1: not a valid SVG picture").arg(svg.fileName()));
            continue;
        }
        QImage image(renderer.defaultSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        if (!image.save(png.filePath()))
            failures.append(QStringLiteral("%1: cannot be written").arg(png.filePath()));
    }
    return failures;
}

QStringList CopyPictures(const QString& dir, const QString& outDir)
{
    QStringList failures;
    QDir().mkpath(outDir);
    for (const QFileInfo& picture : FilesOf(dir, {})) {
        const QFileInfo target(QDir(outDir).filePath(picture.fileName()));
        if (IsUpToDate(picture, target))
            continue;
        QFile::remove(target.filePath());
        if (!QFile::copy(picture.filePath(), target.filePath()))
            failures.append(QStringLiteral("%1: cannot be copied").arg(picture.fileName()));
    }
    return failures;
}
