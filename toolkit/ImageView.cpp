#include "ImageView.h"

#include <QGuiApplication>
#include <QLineF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr int CellSize = 64; // the grid's cells, in image pixels
} // namespace

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

QSize ImageView::Zoomed(QSize imageSize) const {
    return {Zoomed(imageSize.width()), Zoomed(imageSize.height())};
}

int ImageView::Zoomed(int imagePixels) const {
    return static_cast<int>(std::floor(imagePixels * zoom_));
}

// Every screen pixel that shows some of the rectangle.
QRect ImageView::OnScreen(const QRect& imageRect) const {
    if (zoom_ == 1.0)
        return imageRect;
    const auto right = [this](int end) { return static_cast<int>(std::ceil(end * zoom_)); };
    const QPoint topLeft(Zoomed(imageRect.left()), Zoomed(imageRect.top()));
    return {topLeft, QPoint(right(imageRect.left() + imageRect.width()) - 1,
                            right(imageRect.top() + imageRect.height()) - 1)};
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
        if (zoom_ < 1.0 && image_->depth() == 32) {
            DrawReduced(painter, inside);
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

// Each screen pixel shows the top-left image pixel of the block it stands for: the pixel a
// press there acts on.
void ImageView::DrawReduced(QPainter& painter, const QRect& inside) const {
    const int step = qRound(1.0 / zoom_);
    QImage part(inside.size(), image_->format());
    for (int y = 0; y < part.height(); ++y) {
        const auto* from =
            reinterpret_cast<const QRgb*>(image_->constScanLine((inside.top() + y) * step)) +
            inside.left() * step;
        auto* to = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            to[x] = from[x * step];
    }
    painter.drawImage(inside.topLeft(), part);
}

// A line along the top and left edge of every cell but the first, over the image alone.
void ImageView::DrawGrid(QPainter& painter, const QRect& exposed) const {
    if (!image_ || image_->isNull())
        return;
    const QRect drawn = OnScreen(image_->rect()).intersected(exposed);
    if (drawn.isEmpty())
        return;
    painter.setPen(QPen(QColor(128, 128, 128, 160), 0));
    for (int x = CellSize; x < image_->width(); x += CellSize) {
        const int at = Zoomed(x);
        if (at >= drawn.left() && at <= drawn.right())
            painter.drawLine(at, drawn.top(), at, drawn.bottom());
    }
    for (int y = CellSize; y < image_->height(); y += CellSize) {
        const int at = Zoomed(y);
        if (at >= drawn.top() && at <= drawn.bottom())
            painter.drawLine(drawn.left(), at, drawn.right(), at);
    }
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    DrawImage(painter, event->region());
    if (grid_)
        DrawGrid(painter, event->rect());
    if (!mark_.isEmpty()) {
        const QRect mark = OnScreen(mark_);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(mark.adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(mark.adjusted(1, 1, -2, -2));
    }
    if (!outline_.isEmpty()) {
        // Black dashes on white: seen on any colour.
        const QRect ring = OnScreen(outline_).adjusted(-1, -1, 0, 0);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(ring);
        QPen dashes(Qt::black, 0, Qt::CustomDashLine);
        dashes.setDashPattern({4, 4});
        painter.setPen(dashes);
        painter.drawRect(ring);
    }
}

// Moves a ring drawn around a cell, repainting only what it covered and what it will cover.
void ImageView::MoveRing(QRect& ring, const QRect& cell) {
    if (cell == ring)
        return;
    const auto covered = [this](const QRect& r) {
        return r.isEmpty() ? QRect() : OnScreen(r).adjusted(-1, -1, 1, 1);
    };
    update(covered(ring));
    ring = cell;
    update(covered(ring));
}

void ImageView::SetOutline(const QRect& cell) {
    MoveRing(outline_, cell);
}

void ImageView::SetMark(const QRect& cell) {
    MoveRing(mark_, cell);
}

void ImageView::SetGrid(bool shown) {
    if (shown == grid_)
        return;
    grid_ = shown;
    update();
}

void ImageView::resizeEvent(QResizeEvent* event) {
    if (pointer_ && hasMouseTracking())
        RaisePointerMoved(*pointer_);
    QWidget::resizeEvent(event);
}

void ImageView::RaisePointerMoved(QPointF at) {
    pointer_ = at;
    emit PointerMoved(QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers(),
                      InImage(at));
}

// Under a scale factor the window system's device pixels arrive as fractions of a pixel; the
// local position may have been rounded to a whole pixel on the way, the global one keeps them.
QPointF ImageView::PointerAt(const QMouseEvent* event) const {
    const QPointF local = event->position();
    const QPointF precise = event->globalPosition() - mapToGlobal(QPointF(0, 0));
    const bool rounded = local == QPointF(local.toPoint()) && precise != local;
    return rounded && QLineF(precise, local).length() < 1.0 ? precise : local;
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    RaisePointerMoved(PointerAt(event));
}

void ImageView::leaveEvent(QEvent* event) {
    pointer_.reset();
    SetOutline({});
    QWidget::leaveEvent(event);
}

// Scrolling moves the view under a pointer that stays put: it now rests on another pixel.
void ImageView::moveEvent(QMoveEvent* event) {
    if (pointer_ && hasMouseTracking())
        RaisePointerMoved(*pointer_ - QPointF(event->pos() - event->oldPos()));
    QWidget::moveEvent(event);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    pointer_ = PointerAt(event);
    emit Pressed(event->button(), event->modifiers(), InImage(*pointer_));
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    emit Released(event->button(), event->modifiers(), InImage(PointerAt(event)));
}

// A quick second press arrives as a double click; it is a press all the same.
void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}
