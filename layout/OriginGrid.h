#pragma once
// The origin of every cell of an image, column by column and row by row: of the sheet, or of a
// picked block. A cell at a partial edge counts as a whole cell.

#include "CellOrigin.h"

#include <QRect>
#include <QSize>

#include <vector>

class OriginGrid {
  public:
    OriginGrid() = default;
    // cells: columns and rows, every cell given the same origin.
    explicit OriginGrid(QSize cells, const CellOrigin& origin = {});
    // The cells of an image of that many pixels, a partial edge cell counted.
    static QSize CellsOf(QSize pixels);
    // Cells of a source file: each names its own column and row of the file, unturned.
    static OriginGrid OfSource(const QByteArray& file, const QRect& cells);
    // Every cell of a picture at its own place.
    static OriginGrid OfPicture(QSize cells);

    QSize Cells() const { return cells_; }
    bool IsEmpty() const { return cells_.isEmpty(); }
    const CellOrigin& At(QPoint cell) const { return origins_[Index(cell)]; }
    void Set(QPoint cell, const CellOrigin& origin) { origins_[Index(cell)] = origin; }

    // The cells within the rectangle (in cells), clipped to the grid, as a grid of their own.
    OriginGrid Copy(const QRect& cells) const;
    // Copies the grid's cells to topLeft (in cells), clipped to this grid.
    void Put(const OriginGrid& grid, QPoint topLeft);

    // As the picture they describe is flipped or turned: the cells move, and each cell's own
    // orientation turns with them.
    OriginGrid FlippedHorizontally() const;
    OriginGrid FlippedVertically() const;
    OriginGrid RotatedClockwise() const;

    bool operator==(const OriginGrid&) const = default;

  private:
    int Index(QPoint cell) const { return cell.y() * cells_.width() + cell.x(); }

    QSize cells_{0, 0};
    std::vector<CellOrigin> origins_;
};
