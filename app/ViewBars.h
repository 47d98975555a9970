#pragma once
// How a view's bars range over its image: in image pixels, whatever the zoom, so that at the
// bar's maximum the image's last pixel shows whole at the end of the viewing area.

#include "Checked.h"

#include <cmath>
#include <cstdint>

// Whether the image seen at the zoom exceeds the viewing area that way.
inline bool BarNeeded(int imageLength, int areaLength, double zoom) {
    return imageLength * zoom > areaLength;
}

inline int16_t BarMax(int imageLength, int areaLength, double zoom) {
    return checked::ToInt16(static_cast<int>(std::ceil(imageLength - areaLength / zoom)));
}
