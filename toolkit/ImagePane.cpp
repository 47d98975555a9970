#include "ImagePane.h"

#include "Checked.h"
#include "ImageView.h"
#include "ScrollBar.h"

#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
// A zoomed view stays within the window system's 16-bit coordinates.
constexpr int LargestZoomedLength = 32000;

bool BarNeeded(int imageLength, int areaLength, double zoom) {
    return imageLength * zoom > areaLength;
}

int16_t BarMax(int imageLength, int areaLength, double zoom) {
    return checked::ToInt16(static_cast<int>(std::ceil(imageLength - areaLength / zoom)));
}
} // namespace

ImagePane::ImagePane(ImageView* view, ScrollBar* horizontal, ScrollBar* vertical, QObject* parent)
    : QObject(parent), view_(view), horizontal_(horizontal), vertical_(vertical) {
    connect(horizontal_, &ScrollBar::Change, this, &ImagePane::PlaceHorizontally);
    connect(vertical_, &ScrollBar::Change, this, &ImagePane::PlaceVertically);
}

void ImagePane::SetArea(const QRect& area) {
    area_ = area;
    vertical_->setGeometry(area.right() + 1, area.top(), BarThickness, area.height());
    horizontal_->setGeometry(area.left(), area.bottom() + 1, area.width(), BarThickness);
    view_->SetViewingArea(area);
}

void ImagePane::Resize(const QRect& area) {
    SetArea(area);
    if (ImageSize().isEmpty()) {
        view_->setGeometry(area);
        return;
    }
    FitBars();
    PlaceHorizontally();
    PlaceVertically();
}

QSize ImagePane::ImageSize() const {
    const QImage* image = view_->Displayed();
    return image ? image->size() : QSize();
}

void ImagePane::FitBars() {
    const QSize image = ImageSize();
    const double zoom = view_->Zoom();
    vertical_->setEnabled(BarNeeded(image.height(), area_.height(), zoom));
    horizontal_->setEnabled(BarNeeded(image.width(), area_.width(), zoom));
    vertical_->setMax(BarMax(image.height(), area_.height(), zoom));
    horizontal_->setMax(BarMax(image.width(), area_.width(), zoom));
}

void ImagePane::PlaceHorizontally() {
    const int shift = view_->Zoomed(horizontal_->Value());
    if (!keepWithinRight_) {
        view_->move(checked::ToInt16(area_.left() - shift), view_->y());
        return;
    }
    view_->resize(area_.width(), view_->height());
    view_->move(area_.left() - shift, view_->y());
    view_->resize(checked::ToInt16(shift + view_->width()), view_->height());
}

void ImagePane::PlaceVertically() {
    view_->move(view_->x(), checked::ToInt16(area_.top() - view_->Zoomed(vertical_->Value())));
}

void ImagePane::ScrollIntoSight(const QRect& cell) {
    const auto keep = [this](ScrollBar* bar, int start, int end, int area) {
        if (!bar->isEnabled())
            return;
        const double seen = area / view_->Zoom(); // image pixels in sight
        int value = bar->Value();
        if (end > value + seen)
            value = static_cast<int>(std::ceil(end - seen));
        value = std::min(value, start);
        bar->setValue(static_cast<int16_t>(std::clamp<int>(value, 0, bar->Max())));
    };
    keep(horizontal_, cell.left(), cell.right() + 1, area_.width());
    keep(vertical_, cell.top(), cell.bottom() + 1, area_.height());
}

double ImagePane::Allowed(double wanted, double smallest) const {
    const QSize image = ImageSize();
    const int longest = std::max(image.width(), image.height());
    while (longest * wanted > LargestZoomedLength && wanted > smallest)
        wanted /= 2;
    return wanted;
}

void ImagePane::Zoom(double zoom, QPointF anchor) {
    const QSize image = ImageSize();
    const double was = view_->Zoom();
    if (image.isEmpty()) {
        view_->SetZoom(zoom);
        return;
    }
    // The image pixel under the anchor stays under it: enlarged, its left edge moves to at or
    // just left of the anchor; reduced, the screen pixel under the anchor shows some of it (the
    // view then moves by whole screen pixels, so by steps of 1 / zoom image pixels).
    const QPointF shown = anchor + QPointF(area_.topLeft() - view_->pos());
    const auto value = [&](ScrollBar* bar, double at, double onScreen, int length, int area) {
        const int16_t max = BarMax(length, area, zoom);
        const double pixel = std::floor(onScreen / was);
        const int wanted =
            static_cast<int>(zoom >= 1.0 ? pixel - std::floor(at / zoom)
                                         : (std::floor(pixel * zoom) - std::floor(at)) / zoom);
        bar->setEnabled(BarNeeded(length, area, zoom));
        bar->setMax(max);
        bar->setValue(static_cast<int16_t>(std::clamp(wanted, 0, std::max<int>(0, max))));
    };
    view_->SetZoom(zoom);
    value(horizontal_, anchor.x(), shown.x(), image.width(), area_.width());
    value(vertical_, anchor.y(), shown.y(), image.height(), area_.height());
    view_->resize(view_->Zoomed(image));
    if (!keepWithinRight_ || view_->width() > area_.width())
        PlaceHorizontally();
    PlaceVertically();
}

bool ImagePane::Wheel(const QWheelEvent& event, QPointF at) {
    if (!area_.contains(at.toPoint()))
        return false;
    const QPoint turn = event.angleDelta();
    if (event.modifiers() & Qt::ControlModifier) {
        zoomWheelRest_ += turn.y();
        const int notches = zoomWheelRest_ / 120;
        zoomWheelRest_ %= 120;
        if (notches != 0)
            emit ZoomTurned(notches, at - QPointF(area_.topLeft()));
        return true;
    }
    const bool shift = event.modifiers() & Qt::ShiftModifier;
    horizontal_->Wheel(turn.x() + (shift ? turn.y() : 0));
    vertical_->Wheel(shift ? 0 : turn.y());
    return true;
}
