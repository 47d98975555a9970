// A press on the source picks the 64 x 64 cell under the pointer; a press on the target
// stamps the selected tile into the cell under the pointer. While the pointer is over a view,
// the cell a press there would take or fill is outlined. The tile is traded with other
// programs through the system clipboard.

#include "MainWindow.h"

#include "ImageFile.h"
#include "TileGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

void MainWindow::PickTile(QPointF at) {
    if (source_.isNull() || at.x() * sourceView->Zoom() > sourceView->width())
        return;
    const QRect cell = CellAt(at);
    // Start from a blank tile, so a cell that runs past the image's edge shows the blank
    // colour there rather than what the previous tile had.
    QImage tile(TileSize, TileSize, QImage::Format_RGB32);
    tile.fill(sheet_.Blank());
    QPainter painter(&tile);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(tile.rect(), source_, cell);
    painter.end();
    tile_ = tile;
    tileView->update();
    sourceView->SetMark(cell);
}

void MainWindow::StampTile(QPointF at) {
    if (tile_.isNull())
        return;
    const QRect cell = CellAt(at);
    SheetHistory::Step before = history_.Cell(cell);
    sheet_.Stamp(tile_, cell.topLeft());
    history_.Record(std::move(before));
}

// No outline where a press does nothing: no source image, or beyond the source's width.
void MainWindow::OutlineSourceCell(QPointF at) {
    const bool picks = !source_.isNull() && at.x() * sourceView->Zoom() <= sourceView->width();
    sourceView->SetOutline(picks ? CellAt(at) : QRect());
}

void MainWindow::OutlineTargetCell(QPointF at) {
    targetView->SetOutline(tile_.isNull() ? QRect() : CellAt(at));
}

void MainWindow::CopyTile() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // With no tile the clipboard stays empty.
    if (!tile_.isNull())
        clipboard->setImage(tile_);
}

// Paste moves the picture: the clipboard is emptied afterwards, whatever it held.
void MainWindow::PasteTile() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QImage picture;
    const QMimeData* data = clipboard->mimeData();
    if (data && data->hasImage())
        picture = clipboard->image();
    // Other programs' pictures come in any format.
    tile_ = AsPicture(picture);
    tileView->update();
    clipboard->clear();
}
