#pragma once
// A layout file, NAME.patchery: the sheet it builds and, for every cell that is not blank,
// where the cell comes from, as JSON. Written deterministically (the same layout gives the same
// bytes, cells in row order, keys in a fixed order), so that it diffs and merges well; read
// strictly, refusing what it cannot honour with a Failure that names the file, the entry and
// what is wrong. Paths are kept as written: relative to the layout's folder, with '/'.

#include "Orientation.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <map>
#include <vector>

class SheetLayout {
  public:
    static constexpr int Version = 1;

    struct Cell {
        enum class Kind { Source, Blank, Pixels };
        QPoint At; // the sheet's column and row
        Kind Type = Kind::Blank;
        QString From;      // Source: the name of one of Sources
        QPoint SourceCell; // Source: column and row in that file
        Orientation Orient;
        QImage Pixels; // Pixels: 64 x 64, RGB32
    };

    QSize Size;
    QString Sheet;
    QString Background;                 // empty: none, the cells not listed are blank
    std::map<QString, QString> Sources; // name: path
    std::vector<Cell> Cells;            // in row order once written or read

    // Whether a file's first bytes look like a layout: a JSON object whose first key is
    // "patchery" (as the program writes it), or that names the key near its start.
    static bool LooksLike(const QByteArray& start);
    // fileName: how messages name the file.
    static SheetLayout Parse(const QByteArray& text, const QString& fileName);
    QByteArray Text() const;
};
