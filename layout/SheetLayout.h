#pragma once
// A layout file, NAME.patchery: the sheet it builds and, for every cell that is not blank,
// where the cell comes from, as JSON. Written deterministically (the same layout gives the same
// bytes, cells in row order, keys in a fixed order), so that it diffs and merges well; read
// strictly, refusing what it cannot honour with a Failure that names the file, the entry and
// what is wrong. Paths are kept as written: relative to the layout's folder, with '/'.

#include "ImageData.h"
#include "Orientation.h"

#include <QByteArray>
#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <map>
#include <optional>
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
        ImageData Pixels; // Pixels: 64 x 64, 24 bits
        QByteArray Png;   // Pixels: the same, as the PNG the file holds
    };
    // Decodes a cell's PNG of a kind the program's own PNG reader leaves to others: its 64 x 64
    // pixels, or nothing when it holds no such picture.
    using PngDecoder = std::function<std::optional<ImageData>(const QByteArray& png)>;

    QSize Size;
    QString Sheet;
    QString Background;                 // empty: none, the cells not listed are blank
    std::map<QString, QString> Sources; // name: path
    std::vector<Cell> Cells;            // in row order once written or read

    // Whether a file's first bytes look like a layout: a JSON object whose first key is
    // "patchery" (as the program writes it), or that names the key near its start.
    static bool LooksLike(const QByteArray& start);
    // fileName: how messages name the file. Without otherPng, a cell's PNG of such a kind
    // throws OtherReaderNeeded.
    static SheetLayout Parse(const QByteArray& text, const QString& fileName,
                             const PngDecoder& otherPng = {});
    QByteArray Text() const;
};
