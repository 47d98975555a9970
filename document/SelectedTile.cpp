#include "SelectedTile.h"

#include "TileGrid.h"

#include <QPainter>
#include <QTransform>

#include <new>

void SelectedTile::Pick(const QImage& from, QRect block, QColor blank, OriginGrid origins) {
    QImage picture(block.size(), QImage::Format_RGB32);
    picture.fill(blank);
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(picture.rect(), from, block);
    painter.end();
    picture_ = picture;
    cells_ = block.size() / TileSize;
    origins_ = std::move(origins);
}

void SelectedTile::Paste(QImage picture) {
    picture_ = std::move(picture);
    cells_ = picture_.isNull() ? QSize() : QSize(1, 1);
    origins_ = OriginGrid(cells_, CellOrigin::OfPixels());
}

void SelectedTile::PasteBlock(const QImage& picture, QColor blank) {
    QImage block = InWholeCells(picture, blank);
    cells_ = block.isNull() ? QSize() : OriginGrid::CellsOf(block.size());
    picture_ = std::move(block);
    origins_ = OriginGrid(cells_, CellOrigin::OfPixels());
}

QImage SelectedTile::InWholeCells(const QImage& picture, QColor blank) {
    const QSize whole = OriginGrid::CellsOf(picture.size()) * TileSize;
    if (picture.isNull() || picture.size() == whole)
        return picture;
    QImage block(whole, QImage::Format_RGB32);
    if (block.isNull())
        throw std::bad_alloc();
    block.fill(blank);
    QPainter painter(&block);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), picture);
    painter.end();
    return block;
}

void SelectedTile::FlipHorizontally() {
    picture_ = picture_.mirrored(true, false);
    origins_ = origins_.FlippedHorizontally();
}

void SelectedTile::FlipVertically() {
    picture_ = picture_.mirrored(false, true);
    origins_ = origins_.FlippedVertically();
}

// Qt turns by quarter turns exactly, moving pixels without resampling.
void SelectedTile::RotateClockwise() {
    picture_ = picture_.transformed(QTransform().rotate(90));
    cells_.transpose();
    origins_ = origins_.RotatedClockwise();
}
