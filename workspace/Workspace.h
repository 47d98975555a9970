#pragma once
// Small helpers shared by the main window's workspace commands.

#include <QFile>
#include <QString>

#include <string>

// A path as the file functions take it: in the locale's 8-bit encoding.
inline std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The program's title, used as the caption of its message boxes.
inline QString ProgramTitle() {
    return QStringLiteral("Patchery");
}

// Viewing area of the source and the target view, and the views' resting places.
constexpr int ViewWidth = 256;
constexpr int ViewHeight = 477;
constexpr int ViewTop = 20;
constexpr int TargetLeft = 450;
constexpr int TileSize = 64;
