#include "TargetSheet.h"

#include "TileGrid.h"

#include <QFileInfo>
#include <QPainter>

#include <new>

namespace {
// A new image of the size: the drawing where it fits, the picture or the blank colour
// elsewhere. Made aside, so that a failure changes nothing.
QImage AtSize(QSize size, QColor blank, const QImage& picture, const QImage& drawing) {
    QImage grown(size, QImage::Format_RGB32);
    if (grown.isNull() && !size.isEmpty())
        throw std::bad_alloc();
    grown.fill(blank);
    QPainter painter(&grown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!picture.isNull())
        painter.drawImage(0, 0, picture);
    if (!drawing.isNull())
        painter.drawImage(0, 0, drawing);
    return grown;
}
} // namespace

TargetSheet::TargetSheet(QSize size) : image_(AtSize(size, Blank(), {}, {})) {}

void TargetSheet::SetTitle(const QString& title, const QString& filePath) {
    title_ = title;
    filePath_ = filePath;
    ChangedWhole();
}

void TargetSheet::Saved(const QString& filePath) {
    title_ = QFileInfo(filePath).fileName();
    filePath_ = filePath;
    savedRevision_ = revision_ + 1; // this change is the one saved
    ChangedWhole();
}

void TargetSheet::Resize(QSize size) {
    if (image_.size() == size)
        return;
    image_ = AtSize(size, Blank(), picture_, image_);
    ChangedWhole();
}

void TargetSheet::Open(const QImage& picture, const QString& filePath) {
    QImage image = picture.copy(); // stamps go into the drawing, never into the picture
    if (image.isNull() && !picture.isNull())
        throw std::bad_alloc();
    QString title = QFileInfo(filePath).fileName();
    image_.swap(image);
    picture_ = picture;
    title_.swap(title);
    filePath_ = filePath;
    ChangedWhole();
}

QRect TargetSheet::Stamp(const QImage& tile, QPoint topLeft, QSize cells) {
    const QRect block(topLeft, cells * TileSize);
    if (tile.isNull() || image_.isNull())
        return {};
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(block, tile, QRect(QPoint(0, 0), block.size()));
    painter.end();
    const QRect drawn = block.intersected(image_.rect());
    Changed(drawn);
    return drawn;
}

QRect TargetSheet::Erase(QPoint topLeft) {
    const QRect drawn = QRect(topLeft, QSize(TileSize, TileSize)).intersected(image_.rect());
    if (drawn.isEmpty())
        return {};
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(drawn, Blank());
    painter.end();
    Changed(drawn);
    return drawn;
}

void TargetSheet::Put(const QImage& pixels, QPoint topLeft) {
    if (pixels.isNull())
        return;
    const QRect area(topLeft, pixels.size());
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area, pixels, pixels.rect());
    painter.end();
    Changed(area.intersected(image_.rect()));
}

TargetSheet::State TargetSheet::Whole() const {
    return {image_, picture_, autoSize_, title_, filePath_};
}

void TargetSheet::Restore(const State& state) {
    image_ = state.Image;
    picture_ = state.Picture;
    autoSize_ = state.AutoSize;
    title_ = state.Title;
    filePath_ = state.FilePath;
    ChangedWhole();
}

void TargetSheet::Changed(const QRect& area) {
    if (area.isEmpty())
        return;
    ++revision_;
    if (changed_)
        changed_(area);
}

void TargetSheet::ChangedWhole() {
    ++revision_;
    if (changed_)
        changed_(image_.rect());
}
