#pragma once

#include <QString>
#include <QStringList>

// Renders every SVG of svgDir to a PNG of the same stem in outDir, at the size the SVG gives,
// skipping pictures already newer than their source. Returns one line per failure.
QStringList RenderPictures(const QString& svgDir, const QString& outDir);

// Copies the ready-made pictures of dir (if it exists) into outDir. Returns failures.
QStringList CopyPictures(const QString& dir, const QString& outDir);
