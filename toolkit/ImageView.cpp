#include "ImageView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

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

QImage ImageView::Rendered() const {
    QImage shown(size(), QImage::Format_RGB32);
    shown.fill(BackColor());
    if (image_) {
        QPainter painter(&shown);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, *image_);
    }
    return shown;
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Only the exposed parts: a tall sheet shows 256 x 477 of itself.
    const QRect drawn = image_ ? image_->rect() : QRect();
    for (const QRect& exposed : event->region()) {
        const QRect inside = exposed.intersected(drawn);
        if (inside != exposed) {
            const QRegion outside = QRegion(exposed).subtracted(inside);
            for (const QRect& blank : outside)
                painter.fillRect(blank, BackColor());
        }
        if (!inside.isEmpty())
            painter.drawImage(inside, *image_, inside);
    }
    if (!mark_.isEmpty()) {
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(mark_.adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(mark_.adjusted(1, 1, -2, -2));
    }
    if (!outline_.isEmpty()) {
        // Black dashes on white: seen on any colour.
        const QRect ring = outline_.adjusted(-1, -1, 0, 0);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(ring);
        QPen dashes(Qt::black, 0, Qt::CustomDashLine);
        dashes.setDashPattern({4, 4});
        painter.setPen(dashes);
        painter.drawRect(ring);
    }
}

namespace {
// Moves a ring drawn around a cell, repainting only what it covered and what it will cover.
void MoveRing(QWidget* widget, QRect& ring, const QRect& cell) {
    if (cell == ring)
        return;
    const auto covered = [](const QRect& r) {
        return r.isEmpty() ? QRect() : r.adjusted(-1, -1, 1, 1);
    };
    widget->update(covered(ring));
    ring = cell;
    widget->update(covered(ring));
}
} // namespace

void ImageView::SetOutline(const QRect& cell) {
    MoveRing(this, outline_, cell);
}

void ImageView::SetMark(const QRect& cell) {
    MoveRing(this, mark_, cell);
}

void ImageView::resizeEvent(QResizeEvent* event) {
    if (pointer_ && hasMouseTracking())
        RaisePointerMoved(*pointer_);
    QWidget::resizeEvent(event);
}

void ImageView::RaisePointerMoved(QPointF at) {
    pointer_ = at;
    emit PointerMoved(QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers(), at);
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    RaisePointerMoved(event->position());
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
    pointer_ = event->position();
    emit Pressed(event->button(), event->modifiers(), event->position());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    emit Released(event->button(), event->modifiers(), event->position());
}

// A quick second press arrives as a double click; it is a press all the same.
void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}
