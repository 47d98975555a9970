#pragma once
// How far an image is read unasked: its declared size is checked before any of its pixels is
// decoded.

#include <QSize>
#include <QtGlobal>

#include <functional>

// An image's size as its file declares it, given before any of its pixels is decoded: what
// the check throws ends the read with nothing allocated for them.
using SizeCheck = std::function<void(QSize)>;

// Pixels beyond this many bytes (at 3 a pixel, as the sheet is saved) are worth a question.
constexpr qint64 LargeImageBytes = qint64{256} << 20;
inline qint64 PixelBytes(QSize size) {
    return qint64{3} * size.width() * size.height();
}
