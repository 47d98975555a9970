#pragma once
// Image files as the program opens them, and pictures from elsewhere (the clipboard).

#include "ImageBounds.h"
#include "ImageData.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <atomic>
#include <functional>
#include <string>

class QMimeData;

// A path as the file functions take it: in the locale's 8-bit encoding.
inline std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The file named from the working folder when the path is relative, kept as bytes: a cell's
// origin names its source wherever the program runs from.
inline QByteArray AbsoluteFile(const QByteArray& path) {
    return path.startsWith('/') || path.isEmpty()
               ? path
               : QFile::encodeName(QDir::currentPath()) + '/' + path;
}

// Decodes the file at path (as the file functions take it: its bytes) into a picture. Every
// file LoadTGA takes goes through LoadTGA; another one that Qt's own readers recognise by its
// content as PNG, JPEG, BMP, GIF, PBM/PGM/PPM, XBM or XPM becomes a picture of its pixels,
// converted as a pasted picture is. At most two copies of the pixels are held at any moment.
// Throws on failure (Failure, or std::bad_alloc), and passes on what check throws. Once
// *cancelled is set the read stops soon, with a Failure. Safe to call on another thread.
QImage LoadPicture(const std::string& path, const SizeCheck& check = {},
                   const std::atomic<bool>* cancelled = nullptr);

// What the clipboard holds as a picture: the first image/* entry Qt can read, still encoded,
// or an image this program put there. Taken from the clipboard on the window's thread; decoded
// by ClipboardPicture, which may run elsewhere.
struct ClipboardEntry {
    QString Format; // "image/png"; empty for an image
    QByteArray Encoded;
    QImage Image;
};
ClipboardEntry ClipboardImageEntry(const QMimeData& data);

// The entry's picture, checked as a file is: bounded, the check given the declared size
// before a pixel is decoded. Null when there is none. Once *cancelled is set the decoding
// stops soon, with a Failure. Safe to call on another thread.
QImage ClipboardPicture(const ClipboardEntry& entry, const SizeCheck& check = {},
                        const std::atomic<bool>* cancelled = nullptr);

// The whole image drawn into a new RGB32 picture of its size. Throws std::bad_alloc when the
// memory for it cannot be had.
QImage Drawn(const ImageData& image);

// The open dialog's entry for those formats, "description|patterns".
QString OtherImagesFilter();
// Its entry for every format an image opens from, TGA included; extra patterns (the target's
// layouts) are added after them.
QString AllImagesFilter(const QString& extra = {});

// A picture in the form the sheet and the views hold it: RGB32, whatever it came as (a
// one-colour PNG arrives as Format_Mono).
QImage AsPicture(QImage picture);
