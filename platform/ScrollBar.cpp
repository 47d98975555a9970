#include "platform/ScrollBar.h"

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

void ScrollBar::setMax(int16_t max) {
    max_ = max;
    setRange(std::min<int>(0, max), std::max<int>(0, max));
}
