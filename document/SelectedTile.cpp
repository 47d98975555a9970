#include "SelectedTile.h"

#include "TileGrid.h"

#include <QPainter>
#include <QTransform>

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
