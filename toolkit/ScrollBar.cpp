#include "ScrollBar.h"

#include <algorithm>

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setRange(0, 0);
    setSingleStep(16);
    setPageStep(64);
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, &ScrollBar::Change);
}

void ScrollBar::Wheel(int angleDelta) {
    constexpr int Notch = 120;
    constexpr int PixelsPerNotch = 48;
    if (angleDelta == 0 || !isEnabled())
        return;
    angleDelta = std::clamp(angleDelta, -1000 * Notch, 1000 * Notch); // no overflow below
    // A turn back starts afresh.
    if ((wheelRest_ < 0) != (angleDelta < 0))
        wheelRest_ = 0;
    wheelRest_ += angleDelta * PixelsPerNotch;
    const int pixels = wheelRest_ / Notch;
    wheelRest_ %= Notch;
    if (pixels != 0)
        setValue(static_cast<int16_t>(std::clamp(value() - pixels, minimum(), maximum())));
}

void ScrollBar::setMax(int16_t max) {
    max_ = max;
    setRange(std::min<int>(0, max), std::max<int>(0, max));
}
