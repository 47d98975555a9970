#pragma once
// Image files as the program opens them, and pictures from elsewhere (the clipboard).

#include "ImageData.h"

#include <QFile>
#include <QImage>
#include <QString>

#include <string>

// A path as the file functions take it: in the locale's 8-bit encoding.
inline std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Decodes the file. A file that Qt's own readers recognise by its content as PNG, JPEG, BMP,
// GIF, PBM/PGM/PPM, XBM or XPM becomes a 24-bit image of its pixels, converted as a pasted
// picture is; every other file, every TGA included, goes through LoadTGA. Throws on failure
// (Failure, or std::bad_alloc).
ImageData LoadImageFile(const QString& path);

// The whole image drawn into a new RGB32 picture of its size. Throws std::bad_alloc when the
// memory for it cannot be had.
QImage Drawn(const ImageData& image);

// The open dialog's entry for those formats, "description|patterns".
QString OtherImagesFilter();

// A picture in the form the sheet and the views hold it: RGB32, whatever it came as (a
// one-colour PNG arrives as Format_Mono).
QImage AsPicture(QImage picture);
