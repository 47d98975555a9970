#include "ImageView.h"

#include "TileGrid.h"

#include <QAccessible>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::Display(const QImage* image) {
    image_ = image;
    update();
}

QColor ImageView::BackColor() const {
    return palette().color(QPalette::Button);
}

void ImageView::SetZoom(double zoom) {
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    update();
}

// Every screen pixel that shows some of the image: at x, the pixel x / zoom rounded down.
QSize ImageView::Zoomed(QSize imageSize) const {
    const auto length = [this](int pixels) { return static_cast<int>(std::ceil(pixels * zoom_)); };
    return {length(imageSize.width()), length(imageSize.height())};
}

int ImageView::Zoomed(int imagePixels) const {
    return static_cast<int>(std::floor(imagePixels * zoom_));
}

// Every screen pixel that shows some of the rectangle.
QRect ImageView::OnScreen(const QRect& imageRect) const {
    if (zoom_ == 1.0)
        return imageRect;
    // Screen pixel x shows image pixel x / zoom, rounded down.
    const auto first = [this](int pixel) { return static_cast<int>(std::ceil(pixel * zoom_)); };
    return {QPoint(first(imageRect.left()), first(imageRect.top())),
            QPoint(first(imageRect.left() + imageRect.width()) - 1,
                   first(imageRect.top() + imageRect.height()) - 1)};
}

QImage ImageView::Rendered() const {
    QImage shown(size(), QImage::Format_RGB32);
    shown.fill(BackColor());
    if (image_) {
        QPainter painter(&shown);
        DrawImage(painter, QRegion(rect()));
    }
    return shown;
}

// Only the exposed parts: a tall sheet shows 256 x 477 of itself. Enlarged without smoothing,
// each image pixel is a block of whole screen pixels.
void ImageView::DrawImage(QPainter& painter, const QRegion& exposed) const {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect drawn = image_ ? OnScreen(image_->rect()) : QRect();
    for (const QRect& area : exposed) {
        const QRect inside = area.intersected(drawn);
        if (inside != area) {
            const QRegion outside = QRegion(area).subtracted(inside);
            for (const QRect& blank : outside)
                painter.fillRect(blank, BackColor());
        }
        if (inside.isEmpty())
            continue;
        if (zoom_ == 1.0) {
            painter.drawImage(inside, *image_, inside);
            continue;
        }
        if (image_->depth() == 32 || image_->depth() == 24) {
            DrawSampled(painter, *image_, QPoint(), inside, false);
            continue;
        }
        // The whole image pixels under the area, drawn whole.
        const int left = static_cast<int>(std::floor(inside.left() / zoom_));
        const int top = static_cast<int>(std::floor(inside.top() / zoom_));
        const int right = static_cast<int>(std::ceil((inside.right() + 1) / zoom_));
        const int bottom = static_cast<int>(std::ceil((inside.bottom() + 1) / zoom_));
        const QRect pixels =
            QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(image_->rect());
        const QRectF target(pixels.left() * zoom_, pixels.top() * zoom_, pixels.width() * zoom_,
                            pixels.height() * zoom_);
        painter.drawImage(target, *image_, QRectF(pixels));
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Sampled at every zoom as the image is, shaded in the same pass: one write a screen pixel.
void ImageView::DrawPreview(QPainter& painter, const QRegion& exposed) const {
    const QImage* picture = preview_;
    QImage converted;
    if (picture->depth() != 32) {
        converted = picture->copy(QRect(QPoint(), previewArea_.size()))
                        .convertToFormat(QImage::Format_RGB32);
        picture = &converted;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& area : exposed)
        DrawSampled(painter, *picture, previewArea_.topLeft(), area, true);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Each screen pixel of inside shows the pixel a press there acts on, at x the image pixel at
// x / zoom rounded down, of the picture put with its top-left pixel on image pixel at; shaded,
// a quarter darker. Enlarged, a row repeats the one above it where they show the same pixels.
void ImageView::DrawSampled(QPainter& painter, const QImage& picture, QPoint at,
                            const QRect& inside, bool shaded) const {
    const int bytes = picture.depth() / 8;
    const auto source = [this](int screen) { return static_cast<int>(std::floor(screen / zoom_)); };
    std::vector<int> columns(inside.width());
    for (int x = 0; x < inside.width(); ++x)
        columns[x] = std::clamp(source(inside.left() + x) - at.x(), 0, picture.width() - 1) * bytes;
    const bool straight = columns.back() - columns.front() == (inside.width() - 1) * bytes;
    const QImage::Format format = bytes == 4 ? QImage::Format_RGB32 : picture.format();
    if (scratch_.format() != format || scratch_.width() < inside.width() ||
        scratch_.height() < inside.height())
        scratch_ = QImage(std::max(scratch_.width(), inside.width()),
                          std::max(scratch_.height(), inside.height()), format);
    const auto shade = [](QRgb pixel) { return pixel - ((pixel >> 2) & 0x3F3F3F); };
    int last = -1;
    for (int y = 0; y < inside.height(); ++y) {
        const int row = std::clamp(source(inside.top() + y) - at.y(), 0, picture.height() - 1);
        uchar* to = scratch_.scanLine(y);
        if (row == last) {
            std::memcpy(to, scratch_.constScanLine(y - 1), size_t(inside.width()) * bytes);
            continue;
        }
        last = row;
        const uchar* from = picture.constScanLine(row);
        auto* pixels = reinterpret_cast<QRgb*>(to);
        if (bytes != 4) {
            for (int x = 0; x < inside.width(); ++x)
                std::memcpy(to + x * bytes, from + columns[x], bytes);
        } else if (straight) { // whole rows of the picture, as at 100 %
            const auto* first = reinterpret_cast<const QRgb*>(from + columns.front());
            for (int x = 0; x < inside.width(); ++x)
                pixels[x] = shaded ? shade(first[x]) : first[x];
        } else {
            for (int x = 0; x < inside.width(); ++x) {
                const QRgb pixel = *reinterpret_cast<const QRgb*>(from + columns[x]);
                pixels[x] = shaded ? shade(pixel) : pixel;
            }
        }
    }
    painter.drawImage(inside.topLeft(), scratch_, QRect(QPoint(), inside.size()));
}

// A line along the top and left edge of every cell but the first, over the image alone.
void ImageView::DrawGrid(QPainter& painter, const QRect& exposed) const {
    if (!image_ || image_->isNull())
        return;
    const QRect drawn = OnScreen(image_->rect()).intersected(exposed);
    if (drawn.isEmpty())
        return;
    painter.setPen(QPen(QColor(128, 128, 128, 160), 0));
    for (int x = TileSize; x < image_->width(); x += TileSize) {
        const int at = static_cast<int>(std::ceil(x * zoom_)); // as OnScreen
        if (at >= drawn.left() && at <= drawn.right())
            painter.drawLine(at, drawn.top(), at, drawn.bottom());
    }
    for (int y = TileSize; y < image_->height(); y += TileSize) {
        const int at = static_cast<int>(std::ceil(y * zoom_));
        if (at >= drawn.top() && at <= drawn.bottom())
            painter.drawLine(drawn.left(), at, drawn.right(), at);
    }
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The preview hides the image beneath it: that is not drawn.
    const QRegion previewed =
        preview_ ? event->region().intersected(OnScreen(previewArea_)) : QRegion();
    DrawImage(painter,
              previewed.isEmpty() ? event->region() : event->region().subtracted(previewed));
    if (!previewed.isEmpty())
        DrawPreview(painter, previewed);
    if (grid_)
        DrawGrid(painter, event->rect());
    if (!mark_.isEmpty()) {
        // On the cell's outermost device pixels, white, and just inside them, black.
        const QRect mark = OnScreen(mark_);
        const qreal pixel = 1.0 / devicePixelRatioF();
        painter.setPen(QPen(Qt::white, 0));
        if (pixel == 1.0)
            painter.drawRect(mark.adjusted(0, 0, -1, -1));
        else
            painter.drawRect(QRectF(mark).adjusted(0, 0, -pixel, -pixel));
        painter.setPen(QPen(Qt::black, 0));
        if (pixel == 1.0)
            painter.drawRect(mark.adjusted(1, 1, -2, -2));
        else
            painter.drawRect(QRectF(mark).adjusted(pixel, pixel, -2 * pixel, -2 * pixel));
    }
    if (!outline_.isEmpty())
        DrawDashedRing(painter, outline_);
    if (!keyCursor_.isEmpty() && KeyboardFocus())
        DrawDashedRing(painter, keyCursor_);
}

// Black dashes on white: seen on any colour. One device pixel wide, on the device pixels just
// outside the cell, at any scale.
void ImageView::DrawDashedRing(QPainter& painter, const QRect& cell) const {
    const qreal pixel = 1.0 / devicePixelRatioF();
    const QRectF ring = QRectF(OnScreen(cell)).adjusted(-pixel, -pixel, 0, 0);
    QPen dashes(Qt::black, 0, Qt::CustomDashLine);
    dashes.setDashPattern({4, 4});
    for (const QPen& pen : {QPen(Qt::white, 0), dashes}) {
        painter.setPen(pen);
        if (pixel == 1.0)
            painter.drawRect(ring.toRect());
        else
            painter.drawRect(ring);
    }
}

// Moves a ring drawn around a cell, repainting only what it covered and what it will cover.
void ImageView::MoveRing(QRect& ring, const QRect& cell) {
    if (cell == ring)
        return;
    // The band from the dashed ring just outside to the frame's inner ring: enlarged, the
    // cell's inside is far the larger part, and stays as it was.
    const auto covered = [this](const QRect& r) {
        if (r.isEmpty())
            return QRegion();
        const QRect shown = OnScreen(r);
        return QRegion(shown.adjusted(-1, -1, 1, 1)).subtracted(shown.adjusted(2, 2, -2, -2));
    };
    UpdateSeen(covered(ring));
    ring = cell;
    UpdateSeen(covered(ring));
}

void ImageView::SetOutline(const QRect& cell) {
    MoveRing(outline_, cell);
}

void ImageView::SetMark(const QRect& cell) {
    MoveRing(mark_, cell);
}

void ImageView::SetPreview(const QImage* picture, const QRect& area) {
    if (!picture || area.isEmpty())
        picture = nullptr;
    const QRect shown = picture ? area : QRect();
    if (picture == preview_ && shown == previewArea_)
        return;
    if (preview_)
        UpdateSeen(OnScreen(previewArea_));
    preview_ = picture;
    previewArea_ = shown;
    if (preview_)
        UpdateSeen(OnScreen(previewArea_));
}

void ImageView::ShowChange(const QRect& area) {
    QRegion changed(OnScreen(area));
    if (preview_)
        changed -= OnScreen(previewArea_);
    UpdateSeen(changed);
}

std::optional<QPointF> ImageView::Pointer() const {
    if (!pointer_)
        return std::nullopt;
    return InImage(*pointer_);
}

void ImageView::SetKeyCursor(const QRect& cell) {
    if (cell == keyCursor_)
        return;
    if (KeyboardFocus())
        MoveRing(keyCursor_, cell);
    else
        keyCursor_ = cell;
    const QString where =
        cell.isEmpty() ? QString()
                       : tr("Column %1, row %2").arg(cell.x() / TileSize).arg(cell.y() / TileSize);
    setAccessibleDescription(where);
    QAccessibleEvent told(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&told);
}

void ImageView::SetViewingArea(const QRect& area) {
    viewingArea_ = area;
    if (!focusFrame_) {
        focusFrame_ = new QFrame(parentWidget());
        focusFrame_->setFrameStyle(QFrame::Box | QFrame::Plain);
        focusFrame_->setLineWidth(2);
        QPalette colours = focusFrame_->palette();
        colours.setColor(QPalette::WindowText, colours.color(QPalette::Highlight));
        focusFrame_->setPalette(colours);
        coordinates_ = new QLabel(parentWidget());
        coordinates_->setAutoFillBackground(true); // readable over any picture
        for (QWidget* overlay :
             {static_cast<QWidget*>(focusFrame_), static_cast<QWidget*>(coordinates_)}) {
            overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
            overlay->hide();
        }
    }
    focusFrame_->setGeometry(area);
}

QRect ImageView::Seen() const {
    return viewingArea_.translated(-pos());
}

// Enlarged, the view reaches far under the pane's bars and its neighbours: a repaint there
// would repaint them too, for nothing the user sees.
void ImageView::UpdateSeen(const QRegion& region) {
    update(viewingArea_.isEmpty() ? region : region.intersected(Seen()));
}

// The view's cells, from the top-left one; the cursor stays on them.
void ImageView::MoveKeyCursor(int columns, int rows) {
    if (!image_ || image_->isNull())
        return;
    const int lastColumn = (image_->width() - 1) / TileSize;
    const int lastRow = (image_->height() - 1) / TileSize;
    const QPoint from = keyCursor_.isEmpty() ? QPoint() : keyCursor_.topLeft() / TileSize;
    const QPoint to(std::clamp(from.x() + columns, 0, lastColumn),
                    std::clamp(from.y() + rows, 0, lastRow));
    SetKeyCursor(QRect(to * TileSize, QSize(TileSize, TileSize)));
    emit KeyCursorMoved(keyCursor_);
    // Once the owner has scrolled it into sight, the readout tells the cursor's cell.
    ShowCoordinates(keyCursor_.topLeft(), OnScreen(keyCursor_));
}

// Arrows move the cursor; Space or Return press the cell under it with the keys' modifiers, as
// the left button would there, and let go.
void ImageView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool presses = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    const QPoint step = key == Qt::Key_Left    ? QPoint(-1, 0)
                        : key == Qt::Key_Right ? QPoint(1, 0)
                        : key == Qt::Key_Up    ? QPoint(0, -1)
                        : key == Qt::Key_Down  ? QPoint(0, 1)
                                               : QPoint();
    if (step.isNull() && (!presses || keyCursor_.isEmpty()))
        return QWidget::keyPressEvent(event);
    if (!keysUsed_) {
        keysUsed_ = true;
        ShowKeyboardFocus();
    }
    if (!step.isNull())
        return MoveKeyCursor(step.x(), step.y());
    const QPointF at = QRectF(keyCursor_).center();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    emit Pressed(Qt::LeftButton, modifiers, at);
    emit Released(Qt::LeftButton, modifiers, at);
}

// Reached by the keyboard, the cursor starts on the first cell in sight.
void ImageView::focusInEvent(QFocusEvent* event) {
    if (keyCursor_.isEmpty() && image_ && !image_->isNull()) {
        const QPointF first =
            InImage(QPointF(std::max(0, Seen().left()), std::max(0, Seen().top())));
        const QRect cell = CellAt(first);
        if (image_->rect().contains(cell.topLeft()))
            SetKeyCursor(cell);
    }
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        keysUsed_ = true;
    else if (event->reason() == Qt::MouseFocusReason)
        keysUsed_ = false;
    ShowKeyboardFocus();
    QWidget::focusInEvent(event);
}

void ImageView::focusOutEvent(QFocusEvent* event) {
    ShowKeyboardFocus();
    if (!pointer_ && coordinates_) // it told the keyboard cursor's cell
        coordinates_->hide();
    QWidget::focusOutEvent(event);
}

// As for the desktop's own controls, the frame and the cursor show once the keyboard is in use,
// so that a press leaves the view looking as it did.
bool ImageView::KeyboardFocus() const {
    return keysUsed_ && hasFocus();
}

void ImageView::ShowKeyboardFocus() {
    if (!keyCursor_.isEmpty())
        UpdateSeen(OnScreen(keyCursor_).adjusted(-1, -1, 1, 1));
    if (!focusFrame_ || focusFrame_->isVisible() == KeyboardFocus())
        return;
    focusFrame_->setVisible(KeyboardFocus());
    focusFrame_->raise();
}

// The cell and the pixel under the pointer; none when it is off the image.
void ImageView::ShowCoordinates(std::optional<QPointF> at) {
    const QPointF inImage = at ? InImage(*at) : QPointF(-1, -1);
    const QPoint pixel(static_cast<int>(std::floor(inImage.x())),
                       static_cast<int>(std::floor(inImage.y())));
    ShowCoordinates(pixel, at ? QRect(at->toPoint(), QSize(1, 1)) : QRect());
}

// The column and row of the pixel's cell, and the pixel, in a corner of the viewing area: the
// bottom-left one, or the top-left one while what it must not hide (on the view) is near that.
void ImageView::ShowCoordinates(QPoint pixel, const QRect& avoided) {
    if (!coordinates_)
        return;
    if (avoided.isEmpty() || !image_ || !image_->rect().contains(pixel)) {
        coordinates_->hide();
        return;
    }
    const QString text = QLatin1Char(' ') +
                         tr("Column %1, row %2 · pixel %3, %4")
                             .arg(pixel.x() / TileSize)
                             .arg(pixel.y() / TileSize)
                             .arg(pixel.x())
                             .arg(pixel.y()) +
                         QLatin1Char(' ');
    if (coordinates_->text() != text) {
        coordinates_->setText(text);
        coordinates_->adjustSize();
    }
    QRect box(QPoint(), coordinates_->size());
    box.moveBottomLeft(viewingArea_.bottomLeft());
    if (box.adjusted(0, -16, 16, 0).intersects(avoided.translated(pos())))
        box.moveTopLeft(viewingArea_.topLeft());
    coordinates_->move(box.topLeft());
    if (coordinates_->isHidden()) {
        coordinates_->show();
        coordinates_->raise();
    }
}

void ImageView::SetGrid(bool shown) {
    if (shown == grid_)
        return;
    grid_ = shown;
    update();
}

void ImageView::resizeEvent(QResizeEvent* event) {
    if (pointer_ && hasMouseTracking())
        RaisePointerMoved(*pointer_, QGuiApplication::keyboardModifiers());
    QWidget::resizeEvent(event);
}

void ImageView::RaisePointerMoved(QPointF at, Qt::KeyboardModifiers modifiers) {
    pointer_ = at;
    ShowCoordinates(at);
    emit PointerMoved(QGuiApplication::mouseButtons(), modifiers, InImage(at));
}

// Under a scale factor a device pixel is a fraction of a pixel; the position in the window
// keeps that fraction, the local one has been rounded on the way. A device pixel acts where its
// centre lies, which is the image pixel it shows.
QPointF ImageView::PointerAt(const QMouseEvent* event) const {
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0)
        return event->position();
    const QPointF centre = event->scenePosition() + QPointF(0.5, 0.5) / ratio;
    return centre - QPointF(mapTo(window(), QPoint()));
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    RaisePointerMoved(PointerAt(event), event->modifiers());
}

void ImageView::leaveEvent(QEvent* event) {
    PointerGone();
    QWidget::leaveEvent(event);
}

// A modal dialog over the window: the pointer acts on the view no more, as if it had left.
bool ImageView::event(QEvent* event) {
    if (event->type() == QEvent::WindowBlocked)
        PointerGone();
    return QWidget::event(event);
}

void ImageView::PointerGone() {
    pointer_.reset();
    SetOutline({});
    SetPreview(nullptr, {});
    ShowCoordinates(std::nullopt);
}

// Scrolling moves the view under a pointer that stays put: it now rests on another pixel.
void ImageView::moveEvent(QMoveEvent* event) {
    if (pointer_ && hasMouseTracking())
        RaisePointerMoved(*pointer_ - QPointF(event->pos() - event->oldPos()),
                          QGuiApplication::keyboardModifiers());
    QWidget::moveEvent(event);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    pointer_ = PointerAt(event);
    const QPointF at = InImage(*pointer_);
    if (keysUsed_) {
        keysUsed_ = false;
        ShowKeyboardFocus();
    }
    // The keyboard goes on from the cell pressed.
    if (focusPolicy() & Qt::ClickFocus && image_ && image_->rect().contains(CellAt(at).topLeft()))
        SetKeyCursor(CellAt(at));
    emit Pressed(event->button(), event->modifiers(), at);
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    emit Released(event->button(), event->modifiers(), InImage(PointerAt(event)));
}

// A quick second press arrives as a double click; it is a press all the same.
void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}
