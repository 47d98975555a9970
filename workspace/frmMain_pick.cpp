// A press on the source picks the 64 x 64 cell under the pointer; a press on the target
// stamps the selected tile into the cell under the pointer. Any button, any modifiers.
// While the pointer is over a view, the cell a press there would take or fill is outlined.

#include "app/frmMain.h"

#include "workspace/Workspace.h"

#include <cmath>

namespace {
int CellEdge(float at) {
    return TileSize * static_cast<int>(std::floor(at / TileSize));
}

QRect Cell(float X, float Y) {
    return {CellEdge(X), CellEdge(Y), TileSize, TileSize};
}
} // namespace

void frmMain::pbox1_MouseDown(int16_t /*Button*/, int16_t /*Shift*/, float X, float Y) {
    if (pbox1->Picture().isNull())
        return;
    if (X > static_cast<float>(pbox1->Width()))
        return;
    const int cx = CellEdge(X);
    const int cy = CellEdge(Y);
    // Start from a blank tile, so a cell that runs past the image's edge shows the back
    // colour there rather than what the previous tile had.
    pboxsmall->setPicture(LoadPicture());
    pboxsmall->PaintPicture(pbox1->Picture(), 0, 0, TileSize, TileSize, cx, cy, TileSize, TileSize);
    pboxsmall->setPicture(pboxsmall->Image());
    pbox1->setMark(Cell(X, Y));
}

void frmMain::pbox2_MouseDown(int16_t /*Button*/, int16_t /*Shift*/, float X, float Y) {
    if (pboxsmall->Picture().isNull())
        return;
    const QRect cell = Cell(X, Y);
    TargetHistory::State before = History().Cell(cell);
    pbox2->PaintPicture(pboxsmall->Picture(), cell.x(), cell.y(), TileSize, TileSize, 0, 0,
                        TileSize, TileSize);
    History().Record(std::move(before));
}

// No outline where a press does nothing: no source image, or beyond the source's width.
void frmMain::pbox1_MouseMove(int16_t /*Button*/, int16_t /*Shift*/, float X, float Y) {
    const bool picks = !pbox1->Picture().isNull() && X <= static_cast<float>(pbox1->Width());
    pbox1->setOutline(picks ? Cell(X, Y) : QRect());
}

void frmMain::pbox2_MouseMove(int16_t /*Button*/, int16_t /*Shift*/, float X, float Y) {
    pbox2->setOutline(pboxsmall->Picture().isNull() ? QRect() : Cell(X, Y));
}
