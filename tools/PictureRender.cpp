#include "tools/PictureRender.h"

#include "bank/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <utility>

namespace {
bool IsUpToDate(const QFileInfo& source, const QFileInfo& target)
{
    return target.exists() && target.lastModified() >= source.lastModified();
}

QFileInfoList FilesOf(const QString& dir, const QStringList& patterns)
{
    return QDir(dir).entryInfoList(patterns, QDir::Files, QDir::Name);
}

QImage Render(QSvgRenderer& renderer, int scale)
{
    QImage image(renderer.defaultSize() * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}
} // namespace

// Each picture at its own size and, as its high-density twin, at twice that size.
QStringList RenderPictures(const QString& svgDir, const QString& outDir)
{
    QStringList failures;
    QDir().mkpath(outDir);
    for (const QFileInfo& svg : FilesOf(svgDir, {QStringLiteral("*.svg")})) {
        const QString png = QDir(outDir).filePath(svg.completeBaseName() + QStringLiteral(".png"));
        const QString twin = HighDensityTwin(png);
        if (IsUpToDate(svg, QFileInfo(png)) && IsUpToDate(svg, QFileInfo(twin)))
            continue;
        QSvgRenderer renderer(svg.filePath());
        if (!renderer.isValid()) {
            failures.append(QStringLiteral("%1: not a valid SVG picture").arg(svg.fileName()));
            continue;
        }
        for (const auto& [path, scale] : {std::pair{png, 1}, std::pair{twin, 2}}) {
            if (!Render(renderer, scale).save(path))
                failures.append(QStringLiteral("%1: cannot be written").arg(path));
        }
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
