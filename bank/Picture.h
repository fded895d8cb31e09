#pragma once

#include <QString>
#include <optional>

// The file name a record's picture reference names in the pict folder: with two or more "\"
// only the part after the last one, otherwise the whole reference (one "\" keeps a subfolder).
QString PictureFileName(const QString& reference);

// Where a reference points inside the pict folder ("x.png", "signs/x.png"), or nothing for an
// empty reference or one that would lead outside the folder.
std::optional<QString> PictureInFolder(const QString& reference);

// The picture's path in the pict folder of programDir, or nothing as above.
std::optional<QString> PicturePath(const QString& programDir, const QString& reference);

// The picture drawn at twice the size for dense screens: "x.png" -> "x@2x.png", beside it.
QString HighDensityTwin(const QString& path);
