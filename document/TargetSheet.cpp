#include "TargetSheet.h"

#include "TileGrid.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <new>

namespace {
// A new image of the size: the drawing where it fits, the picture or the blank colour
// elsewhere. Made aside, so that a failure changes nothing, and in bands of rows, so that
// *cancelled stops it soon (giving a null image).
QImage AtSize(QSize size, QColor blank, const QImage& picture, const QImage& drawing,
              const std::atomic<bool>* cancelled = nullptr) {
    QImage grown(size, QImage::Format_RGB32);
    if (grown.isNull() && !size.isEmpty())
        throw std::bad_alloc();
    QPainter painter(&grown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    constexpr int BandBytes = 4 << 20;
    const int rows = std::max(1, BandBytes / std::max(1, 4 * size.width()));
    for (int top = 0; top < size.height(); top += rows) {
        if (cancelled && *cancelled)
            return {};
        const QRect band(0, top, size.width(), std::min(rows, size.height() - top));
        painter.fillRect(band, blank);
        for (const QImage* layer : {&picture, &drawing}) {
            const QRect part = band.intersected(layer->rect());
            if (!part.isEmpty())
                painter.drawImage(part.topLeft(), *layer, part);
        }
    }
    return grown;
}

// Versions are never used twice, so that a new change after an undo never reads as saved.
uint64_t NextVersion() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

// The origins at a new size: each cell keeps its own where it still lies on the sheet; what
// the size adds shows the picture, else the blank colour. A cell cut at the old edge that the
// new size completes holds two kinds of pixels: it counts as pixels of no file.
OriginGrid OriginsAtSize(const OriginGrid& old, QSize oldSize, QSize size, QSize picture) {
    const QSize cells = OriginGrid::CellsOf(size);
    const QRect pictureCells(QPoint(0, 0), OriginGrid::CellsOf(picture));
    OriginGrid grid(cells);
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x) {
            const QRect cell(x * TileSize, y * TileSize, TileSize, TileSize);
            const QRect kept = cell.intersected(QRect(QPoint(0, 0), oldSize));
            const QRect now = cell.intersected(QRect(QPoint(0, 0), size));
            const bool onPicture = pictureCells.contains(x, y);
            CellOrigin origin = onPicture ? CellOrigin::OfPicture({x, y}) : CellOrigin::Blank();
            if (!kept.isEmpty()) {
                origin = old.At({x, y});
                const bool completed = !kept.contains(now);
                if (completed && !(origin == CellOrigin::OfPicture({x, y})) &&
                    !(origin.Type == CellOrigin::Kind::Blank && !onPicture))
                    origin = CellOrigin::OfPixels();
            }
            grid.Set({x, y}, origin);
        }
    return grid;
}
} // namespace

QString TargetSheet::FileName(const QByteArray& path) {
    return QFileInfo(QFile::decodeName(path)).fileName();
}

TargetSheet::TargetSheet(QSize size)
    : image_(AtSize(size, Blank(), {}, {})), origins_(OriginGrid::CellsOf(size)) {}

void TargetSheet::SetTitle(const QString& title) {
    title_ = title;
    ChangedWhole();
}

void TargetSheet::Saved(const QByteArray& filePath) {
    title_ = FileName(filePath);
    filePath_ = filePath;
    savedVersion_ = version_;
    Notify(image_.rect());
}

void TargetSheet::Resize(QSize size) {
    if (image_.size() != size)
        SetResized(Resized(size));
}

QImage TargetSheet::Resized(QSize size, const std::atomic<bool>* cancelled) const {
    return AtSize(size, Blank(), picture_, image_, cancelled);
}

void TargetSheet::SetResized(QImage resized) {
    OriginGrid origins = OriginsAtSize(origins_, image_.size(), resized.size(), picture_.size());
    image_ = std::move(resized);
    origins_ = std::move(origins);
    ChangedWhole();
}

void TargetSheet::Open(const QImage& picture, const QByteArray& filePath) {
    QImage image = picture.copy(); // stamps go into the drawing, never into the picture
    if (image.isNull() && !picture.isNull())
        throw std::bad_alloc();
    QString title = FileName(filePath);
    OriginGrid origins = OriginGrid::OfPicture(OriginGrid::CellsOf(picture.size()));
    image_.swap(image);
    picture_ = picture;
    title_.swap(title);
    filePath_ = filePath;
    background_ = filePath;
    layoutFile_.clear();
    origins_ = std::move(origins);
    version_ = NextVersion();
    savedVersion_ = version_;
    Notify(image_.rect());
}

// The painter stamps as much of the block as the tile reaches.
QRect TargetSheet::Stamped(QSize tile, QPoint topLeft, QSize cells) const {
    return QRect(topLeft, cells * TileSize)
        .intersected(QRect(topLeft, tile))
        .intersected(image_.rect());
}

QRect TargetSheet::Erased(QPoint topLeft) const {
    return QRect(topLeft, QSize(TileSize, TileSize)).intersected(image_.rect());
}

QRect TargetSheet::Stamp(const QImage& tile, QPoint topLeft, QSize cells,
                         const OriginGrid& origins) {
    const QRect block(topLeft, cells * TileSize);
    if (tile.isNull() || image_.isNull())
        return {};
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(block, tile, QRect(QPoint(0, 0), block.size()));
    painter.end();
    OriginGrid placed(cells, CellOrigin::OfPixels());
    placed.Put(origins, {0, 0});
    origins_.Put(placed, CellAt(topLeft).topLeft() / TileSize);
    const QRect drawn = Stamped(tile.size(), topLeft, cells);
    Changed(drawn);
    return drawn;
}

QRect TargetSheet::Erase(QPoint topLeft) {
    const QRect drawn = Erased(topLeft);
    if (drawn.isEmpty())
        return {};
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(drawn, Blank());
    painter.end();
    origins_.Put(OriginGrid(QSize(1, 1)), CellAt(topLeft).topLeft() / TileSize);
    Changed(drawn);
    return drawn;
}

void TargetSheet::Put(const QImage& pixels, const OriginGrid& origins, QPoint topLeft) {
    if (pixels.isNull())
        return;
    const QRect area(topLeft, pixels.size());
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area, pixels, pixels.rect());
    painter.end();
    origins_.Put(origins, CellAt(topLeft).topLeft() / TileSize);
    Notify(area.intersected(image_.rect()));
}

void TargetSheet::SavedLayout(const QByteArray& layoutFile, const QByteArray& sheetFile) {
    layoutFile_ = layoutFile;
    Saved(sheetFile);
}

TargetSheet::State TargetSheet::Whole() const {
    return {image_, picture_, autoSize_, title_, filePath_, origins_, background_, layoutFile_};
}

void TargetSheet::Restore(const State& state) {
    Assign(state);
    Notify(image_.rect());
}

// Saved before it is told, so that whoever is told sees the sheet as saved.
void TargetSheet::Replace(const State& state, bool saved) {
    Assign(state);
    version_ = NextVersion();
    if (saved)
        savedVersion_ = version_;
    Notify(image_.rect());
}

void TargetSheet::Assign(const State& state) {
    image_ = state.Image;
    picture_ = state.Picture;
    autoSize_ = state.AutoSize;
    title_ = state.Title;
    filePath_ = state.FilePath;
    origins_ = state.Origins;
    background_ = state.Background;
    layoutFile_ = state.LayoutFile;
}

void TargetSheet::Changed(const QRect& area) {
    if (area.isEmpty())
        return;
    version_ = NextVersion();
    Notify(area);
}

void TargetSheet::ChangedWhole() {
    version_ = NextVersion();
    Notify(image_.rect());
}

void TargetSheet::Notify(const QRect& area) {
    if (changed_ && !area.isEmpty())
        changed_(area);
}
