#pragma once
// How a view's bars range over its image: in image pixels, whatever the zoom, so that at the
// bar's maximum the image's last pixel shows whole at the end of the viewing area.

#include "Checked.h"
#include "ScrollBar.h"

#include <QSize>

#include <cmath>
#include <cstdint>

// Whether the image seen at the zoom exceeds the viewing area that way.
inline bool BarNeeded(int imageLength, int areaLength, double zoom) {
    return imageLength * zoom > areaLength;
}

inline int16_t BarMax(int imageLength, int areaLength, double zoom) {
    return checked::ToInt16(static_cast<int>(std::ceil(imageLength - areaLength / zoom)));
}

// Ranges a view's bars to its image; a bar is on exactly when the image, as the view shows it,
// exceeds the viewing area that way.
inline void FitBars(QSize size, double zoom, int areaWidth, int areaHeight, ScrollBar* vertical,
                    ScrollBar* horizontal) {
    vertical->setEnabled(BarNeeded(size.height(), areaHeight, zoom));
    horizontal->setEnabled(BarNeeded(size.width(), areaWidth, zoom));
    vertical->setMax(BarMax(size.height(), areaHeight, zoom));
    horizontal->setMax(BarMax(size.width(), areaWidth, zoom));
}
