// What a press starts and a drag continues. On the source, a drag widens the pick to the block
// of cells it spans. On the target, a plain press stamps and a drag stamps again at every place
// it enters; Ctrl picks from the sheet as the source would; Shift erases. A stroke, press to
// release, undoes as one step.

#include "MainWindow.h"

#include "TileGrid.h"

#include <QGuiApplication>

namespace {
// The cells from anchor to the one under at, limited to the image's cells.
QRect BlockBetween(const QRect& anchor, QPointF at, QSize image) {
    const QRect cells(0, 0, (image.width() + TileSize - 1) / TileSize * TileSize,
                      (image.height() + TileSize - 1) / TileSize * TileSize);
    return anchor.united(CellAt(at)).intersected(cells);
}
} // namespace

void MainWindow::PressSource(QPointF at) {
    EndDrag();
    if (!PickTile(at))
        return;
    drag_ = Drag::SourcePick;
    dragAnchor_ = sourceView->Mark();
}

void MainWindow::PressTarget(Qt::KeyboardModifiers modifiers, QPointF at) {
    EndDrag();
    if (modifiers & Qt::ControlModifier) {
        const QRect cell = CellAt(at);
        if (!Sheet().Image().rect().contains(cell.topLeft()))
            return;
        drag_ = Drag::SheetPick;
        dragAnchor_ = cell;
        PickBlock(Sheet().Image(), cell, at);
        sourceView->SetMark({});
        return;
    }
    const bool erase = modifiers & Qt::ShiftModifier;
    if (!erase && tile_.IsNull())
        return;
    drag_ = erase ? Drag::Erase : Drag::Paint;
    stroke_.emplace(at, erase ? QSize(TileSize, TileSize) : tile_.Cells() * TileSize);
    document_.StartStroke();
    StampOrErase(stroke_->Start());
}

void MainWindow::DragOnSource(Qt::MouseButtons buttons, QPointF at) {
    if (drag_ != Drag::SourcePick)
        return;
    if (buttons == Qt::NoButton) // the release went elsewhere
        return EndDrag();
    PickBlock(Source(), dragAnchor_, at);
}

void MainWindow::DragOnTarget(Qt::MouseButtons buttons, QPointF at) {
    if (drag_ == Drag::None || drag_ == Drag::SourcePick)
        return;
    if (buttons == Qt::NoButton)
        return EndDrag();
    if (drag_ == Drag::SheetPick)
        return PickBlock(Sheet().Image(), dragAnchor_, at);
    for (const QPoint place : stroke_->MoveTo(at))
        StampOrErase(place);
}

void MainWindow::EndDrag() {
    if (drag_ == Drag::SheetPick)
        targetView->SetMark({});
    if (stroke_)
        document_.EndStroke();
    stroke_.reset();
    drag_ = Drag::None;
    RefreshPreview(QGuiApplication::keyboardModifiers()); // the keys held may differ now
    // Sources that changed while the button was down are stamped again now, as a step of
    // their own.
    for (const QByteArray& file : std::exchange(changedDuringDrag_, {}))
        FileChangedOnDisk(file);
}

// The block is copied again only when the pointer reaches another cell, with the origins of
// its cells: the source's cells, or those the sheet's cells came from.
void MainWindow::PickBlock(const QImage& from, const QRect& anchor, QPointF at) {
    const SourceImage* shown = sources_.Shown();
    const bool fromSource = shown && &from == &shown->Picture;
    ImageView* view = fromSource ? sourceView : targetView;
    const QRect block = BlockBetween(anchor, at, from.size());
    if (block == view->Mark())
        return;
    tile_.Pick(from, block, TargetSheet::Blank(),
               fromSource ? OriginGrid::OfSource(shown->File, QRect(block.topLeft() / TileSize,
                                                                    block.size() / TileSize))
                          : document_.OriginsOf(block));
    ShowTile();
    view->SetMark(block);
}

void MainWindow::StampOrErase(QPoint topLeft) {
    if (drag_ == Drag::Erase)
        document_.Erase(topLeft);
    else
        document_.Stamp(tile_, topLeft);
}
