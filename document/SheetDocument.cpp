#include "SheetDocument.h"

#include "TileGrid.h"

SheetDocument::SheetDocument(QSize size, std::function<void()> historyChanged, int64_t historyLimit)
    : sheet_(size), history_(sheet_, std::move(historyChanged), historyLimit) {}

void SheetDocument::Open(const QImage& picture, const QByteArray& file) {
    SheetHistory::Step before = history_.Sheet();
    sheet_.Open(picture, file);
    sheet_.SetAutoSize(true);
    history_.Record(std::move(before));
}

void SheetDocument::Resize(QImage resized, const QString& title, bool autoSize) {
    SheetHistory::Step before = history_.Sheet();
    if (!resized.isNull() && resized.size() != sheet_.Size())
        sheet_.SetResized(std::move(resized));
    sheet_.SetAutoSize(autoSize);
    sheet_.SetTitle(title);
    history_.Record(std::move(before));
}

void SheetDocument::Stamp(const SelectedTile& tile, QPoint topLeft) {
    if (tile.IsNull())
        return;
    SheetHistory::Step before = history_.Cell(QRect(topLeft, tile.Cells() * TileSize));
    sheet_.Stamp(tile.Picture(), topLeft, tile.Cells(), tile.Origins());
    history_.Record(std::move(before));
}

void SheetDocument::Erase(QPoint topLeft) {
    SheetHistory::Step before = history_.Cell(QRect(topLeft, QSize(TileSize, TileSize)));
    sheet_.Erase(topLeft);
    history_.Record(std::move(before));
}

void SheetDocument::Restore(const QImage& image, const QByteArray& file,
                            const QString& untitledTitle, const OriginGrid& origins,
                            const QByteArray& background) {
    SheetHistory::Step before = history_.Sheet();
    TargetSheet::State state;
    state.Image = image.copy(); // stamps go into the drawing, never into the picture
    if (state.Image.isNull() && !image.isNull())
        throw std::bad_alloc();
    state.Picture = image;
    state.AutoSize = true;
    state.FilePath = file;
    state.Title = file.isEmpty() ? untitledTitle : TargetSheet::FileName(file);
    const QSize cells = OriginGrid::CellsOf(image.size());
    state.Origins = origins.Cells() == cells ? origins : OriginGrid(cells, CellOrigin::OfPixels());
    state.Background = background;
    sheet_.Replace(state);
    history_.Record(std::move(before));
}

OriginGrid SheetDocument::OriginsOf(const QRect& block) const {
    const QRect cells(block.topLeft() / TileSize, block.size() / TileSize);
    OriginGrid copy = sheet_.Origins().Copy(cells);
    for (int y = 0; y < copy.Cells().height(); ++y)
        for (int x = 0; x < copy.Cells().width(); ++x) {
            const QRect cell((cells.topLeft() + QPoint(x, y)) * TileSize,
                             QSize(TileSize, TileSize));
            if (!sheet_.Image().rect().contains(cell) &&
                copy.At({x, y}).Type != CellOrigin::Kind::Blank)
                copy.Set({x, y}, CellOrigin::OfPixels());
        }
    return copy;
}
