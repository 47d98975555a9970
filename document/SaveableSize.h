#pragma once
// The one bound on a target sheet's size: what a save can write. Every place a size is chosen
// (an opened target, "Custom...") refuses one beyond it.

#include <QSize>

#include <cstdint>
#include <limits>

// Each side 1 to 32767 (a TGA header's fields), and the pixel data, also with rows padded to 4
// bytes as the save's bitmap holds them, within the signed 32-bit range.
inline bool SaveableSize(QSize size) {
    constexpr int MaxSide = std::numeric_limits<int16_t>::max();
    if (size.width() < 1 || size.width() > MaxSide || size.height() < 1 || size.height() > MaxSide)
        return false;
    const int64_t padded = (int64_t{3} * size.width() + 3) / 4 * 4;
    return padded * size.height() <= std::numeric_limits<int32_t>::max();
}

// The bound in words, as the messages that refuse a size give it.
inline const char* SaveableSizeRule() {
    return "Width and height must each be from 1 to 32767, and 3 x width x height at most "
           "2147483647.";
}
