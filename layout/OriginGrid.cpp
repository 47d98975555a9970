#include "OriginGrid.h"

#include "TileGrid.h"

namespace {
// Blank and pasted pixels look the same however they lie; only cells taken from a file turn.
bool Turns(const CellOrigin& origin) {
    return origin.Type == CellOrigin::Kind::Source || origin.Type == CellOrigin::Kind::Picture;
}
} // namespace

OriginGrid::OriginGrid(QSize cells, const CellOrigin& origin)
    : cells_(cells.expandedTo(QSize(0, 0))),
      origins_(static_cast<size_t>(cells_.width()) * cells_.height(), origin) {}

QSize OriginGrid::CellsOf(QSize pixels) {
    return {(pixels.width() + TileSize - 1) / TileSize,
            (pixels.height() + TileSize - 1) / TileSize};
}

OriginGrid OriginGrid::OfSource(const QByteArray& file, const QRect& cells) {
    OriginGrid grid(cells.size());
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x)
            grid.Set({x, y}, CellOrigin::OfSource(file, cells.topLeft() + QPoint(x, y)));
    return grid;
}

OriginGrid OriginGrid::OfPicture(QSize cells) {
    OriginGrid grid(cells);
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x)
            grid.Set({x, y}, CellOrigin::OfPicture({x, y}));
    return grid;
}

OriginGrid OriginGrid::Copy(const QRect& cells) const {
    const QRect part = cells.intersected(QRect(QPoint(0, 0), cells_));
    OriginGrid copy(part.size());
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            copy.Set({x, y}, At(part.topLeft() + QPoint(x, y)));
    return copy;
}

void OriginGrid::Put(const OriginGrid& grid, QPoint topLeft) {
    const QRect part = QRect(topLeft, grid.cells_).intersected(QRect(QPoint(0, 0), cells_));
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            Set({x, y}, grid.At(QPoint(x, y) - topLeft));
}

OriginGrid OriginGrid::FlippedHorizontally() const {
    OriginGrid flipped(cells_);
    for (int y = 0; y < cells_.height(); ++y)
        for (int x = 0; x < cells_.width(); ++x) {
            CellOrigin origin = At({cells_.width() - 1 - x, y});
            if (Turns(origin))
                origin.Orient = origin.Orient.FlippedHorizontally();
            flipped.Set({x, y}, origin);
        }
    return flipped;
}

OriginGrid OriginGrid::FlippedVertically() const {
    OriginGrid flipped(cells_);
    for (int y = 0; y < cells_.height(); ++y)
        for (int x = 0; x < cells_.width(); ++x) {
            CellOrigin origin = At({x, cells_.height() - 1 - y});
            if (Turns(origin))
                origin.Orient = origin.Orient.FlippedVertically();
            flipped.Set({x, y}, origin);
        }
    return flipped;
}

// Turned clockwise, the new column x is the old row counted from the bottom.
OriginGrid OriginGrid::RotatedClockwise() const {
    OriginGrid turned(cells_.transposed());
    for (int y = 0; y < turned.cells_.height(); ++y)
        for (int x = 0; x < turned.cells_.width(); ++x) {
            CellOrigin origin = At({y, cells_.height() - 1 - x});
            if (Turns(origin))
                origin.Orient = origin.Orient.RotatedClockwise();
            turned.Set({x, y}, origin);
        }
    return turned;
}
