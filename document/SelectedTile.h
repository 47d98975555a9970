#pragma once
// The selected tile: what a press on the target stamps. A pick gives a block of whole cells;
// a pasted picture stamps its top-left cell, as far as it reaches, or, pasted as a block, all of
// it in whole cells. Flips and turns change the
// picture and the origins of its cells alike; a new pick or paste starts untransformed.

#include "OriginGrid.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

class SelectedTile {
  public:
    // Picks the block of whole cells from the image; where a cell runs past the image's edge
    // it holds the blank colour. origins: where the block's cells came from.
    void Pick(const QImage& from, QRect block, QColor blank, OriginGrid origins);
    // A picture from the clipboard, of any size; null leaves no tile. Its pixels come from no
    // file.
    void Paste(QImage picture);
    // A picture from the clipboard as a block of whole cells, ceil(width / 64) x
    // ceil(height / 64), the blank colour beyond its edges; null leaves no tile. Its pixels come
    // from no file. Throws std::bad_alloc, the tile unchanged, without the memory.
    void PasteBlock(const QImage& picture, QColor blank);
    // The picture as PasteBlock takes it: grown to whole cells with the blank colour (the
    // picture itself when it is whole cells already), so that another thread may make it.
    static QImage InWholeCells(const QImage& picture, QColor blank);

    bool IsNull() const { return picture_.isNull(); }
    const QImage& Picture() const { return picture_; }
    // The cells a stamp covers; one for a pasted picture, none without a tile.
    QSize Cells() const { return cells_; }
    // Where each of those cells came from.
    const OriginGrid& Origins() const { return origins_; }

    void FlipHorizontally();
    void FlipVertically();
    // A quarter turn clockwise: a block's width and height in cells swap.
    void RotateClockwise();

  private:
    QImage picture_;
    QSize cells_;
    OriginGrid origins_;
};
