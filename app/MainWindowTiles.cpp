// A press on the source picks the 64 x 64 cell under the pointer; a press on the target
// stamps the selected tile into the cell under the pointer. While the pointer is over a view,
// the cell a press there would take or fill is outlined. The tile is traded with other
// programs through the system clipboard: a paste takes its top-left cell or, as a block, all of
// it.

#include "MainWindow.h"

#include "BackgroundWork.h"
#include "ImageFile.h"
#include "SizeQuestions.h"
#include "TileGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>

// The pixels and the origin both come from the shown source.
bool MainWindow::PickTile(QPointF at) {
    const SourceImage* shown = sources_.Shown();
    if (!shown || at.x() * sourceView->Zoom() > sourceView->width())
        return false;
    const QRect cell = CellAt(at);
    // A cell that runs past the image's edge shows the blank colour there.
    tile_.Pick(shown->Picture, cell, TargetSheet::Blank(),
               OriginGrid::OfSource(shown->File, QRect(cell.topLeft() / TileSize, QSize(1, 1))));
    ShowTile();
    sourceView->SetMark(cell);
    return true;
}

void MainWindow::StampTile(QPointF at) {
    if (tile_.IsNull())
        return;
    StampOrErase(TargetBlockAt(at).topLeft());
}

QRect MainWindow::TargetBlockAt(QPointF at) const {
    return {CellAt(at).topLeft(), tile_.Cells() * TileSize};
}

// No outline where a press does nothing: no source image, or beyond the source's width.
void MainWindow::OutlineSourceCell(QPointF at) {
    const bool picks = !Source().isNull() && at.x() * sourceView->Zoom() <= sourceView->width();
    sourceView->SetOutline(picks ? CellAt(at) : QRect());
}

// The whole block a press would stamp, and the pixels it would set: the tile's, or with Shift
// the blank cell an erase leaves; with Ctrl, which picks, none. A stroke goes on as it began.
void MainWindow::OutlineTargetCell(QPointF at, Qt::KeyboardModifiers modifiers) {
    if (tile_.IsNull()) {
        targetView->SetOutline({});
        targetView->SetPreview(nullptr, {});
        return;
    }
    const QRect block = TargetBlockAt(at);
    targetView->SetOutline(block);
    const bool stroke = drag_ == Drag::Paint || drag_ == Drag::Erase;
    if (drag_ == Drag::SheetPick || (!stroke && modifiers & Qt::ControlModifier)) {
        targetView->SetPreview(nullptr, {});
    } else if (drag_ == Drag::Erase || (!stroke && modifiers & Qt::ShiftModifier)) {
        static const QImage blank = [] {
            QImage cell(TileSize, TileSize, QImage::Format_RGB32);
            cell.fill(TargetSheet::Blank());
            return cell;
        }();
        targetView->SetPreview(&blank, document_.Erased(block.topLeft()));
    } else {
        targetView->SetPreview(&tile_.Picture(), document_.Stamped(tile_, block.topLeft()));
    }
}

void MainWindow::RefreshPreview(Qt::KeyboardModifiers modifiers) {
    if (const std::optional<QPointF> at = targetView->Pointer())
        OutlineTargetCell(*at, modifiers);
}

void MainWindow::CopyTile() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // With no tile the clipboard stays empty.
    if (!tile_.IsNull())
        clipboard->setImage(tile_.Picture());
}

// Paste moves the picture: the clipboard is emptied afterwards, whatever it held.
void MainWindow::PasteTile() {
    QImage picture;
    if (!FetchClipboardPicture(picture, false))
        return;
    tile_.Paste(std::move(picture));
    ShowTile();
    QGuiApplication::clipboard()->clear();
}

// The whole picture, and the clipboard keeps it; with no picture there, the tile stays.
void MainWindow::PasteAsBlock() {
    QImage picture;
    if (!FetchClipboardPicture(picture, true) || picture.isNull())
        return;
    tile_.PasteBlock(picture, TargetSheet::Blank());
    ShowTile();
}

bool MainWindow::FetchClipboardPicture(QImage& picture, bool wholeCells) {
    // Bounded as an opened file is, and decoded as one is, on a thread of its own; a picture
    // declined, or a paste cancelled, leaves the tile and the clipboard.
    try {
        ClipboardEntry entry;
        if (const QMimeData* data = QGuiApplication::clipboard()->mimeData()) {
            const BusyCursor busy; // another program may take its time to hand it over
            entry = ClipboardImageEntry(*data);
        }
        const SizeCheck check = AskBeforeLarge(this, tr("Paste it anyway?"));
        return RunInBackground(this, tr("Pasting..."), [&](const std::atomic<bool>& cancelled) {
            picture = ClipboardPicture(entry, check, &cancelled);
            if (wholeCells)
                picture = SelectedTile::InWholeCells(picture, TargetSheet::Blank());
        });
    } catch (const SizeDeclined&) {
        return false;
    } catch (const std::exception&) {
        picture = QImage(); // what cannot be read is no picture, as before
    }
    return true;
}

void MainWindow::FlipTileHorizontally() {
    tile_.FlipHorizontally();
    ShowTile();
}

void MainWindow::FlipTileVertically() {
    tile_.FlipVertically();
    ShowTile();
}

void MainWindow::RotateTile() {
    tile_.RotateClockwise();
    ShowTile();
}

// A tile shows pixel for pixel, as far as the preview reaches; a block of more than one cell
// shows whole, reduced to fit without smoothing, and says how many cells across and down just
// below the preview, where it hides none of the picture. The target shows the new tile too.
void MainWindow::ShowTile() {
    const QSize cells = tile_.Cells();
    const bool block = cells.width() * cells.height() > 1;
    tileShown_ = block ? tile_.Picture().scaled(tileView->size(), Qt::KeepAspectRatio,
                                                Qt::FastTransformation)
                       : QImage();
    tileView->Display(block ? &tileShown_ : &tile_.Picture());
    if (block) {
        tileCellsLabel->setText(QString::number(cells.width()) + QStringLiteral(" \u00D7 ") +
                                QString::number(cells.height()));
        tileCellsLabel->adjustSize();
        const QRect box = tileView->geometry();
        tileCellsLabel->move(box.right() + 1 - tileCellsLabel->width(), box.bottom() + 1);
    }
    tileCellsLabel->setVisible(block);
    targetView->SetPreview(nullptr, {}); // the same picture may hold new pixels
    RefreshPreview(QGuiApplication::keyboardModifiers());
}
