#pragma once
// Where the pixels of one 64 x 64 cell of the sheet came from.

#include "Orientation.h"

#include <QByteArray>
#include <QPoint>

struct CellOrigin {
    enum class Kind : unsigned char {
        Blank,   // the blank colour
        Picture, // the picture the sheet was opened from (its background), at Cell
        Source,  // a source file's cell, turned as Orient says
        Pixels,  // pixels that came from no file (a pasted picture); the sheet holds them
    };
    Kind Type = Kind::Blank;
    QByteArray File; // Source: the file, as its name's bytes
    QPoint Cell;     // Source, Picture: column and row of the cell it was taken from
    Orientation Orient;

    bool operator==(const CellOrigin&) const = default;

    static CellOrigin Blank() { return {}; }
    static CellOrigin OfPicture(QPoint cell) { return {Kind::Picture, {}, cell, {}}; }
    static CellOrigin OfSource(const QByteArray& file, QPoint cell, Orientation orient = {}) {
        return {Kind::Source, file, cell, orient};
    }
    static CellOrigin OfPixels() { return {Kind::Pixels, {}, {}, {}}; }
};
