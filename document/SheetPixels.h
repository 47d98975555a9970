#pragma once
// The sheet's pixels as the TGA writer takes them: the one conversion from the sheet's picture
// to what is saved, so that every save of the same pixels writes the same bytes.

#include "ImageData.h"

#include <QImage>

// The picture composed over the blank colour at its own size, as 24 bits (blue, green, red),
// top row first: what a save of the sheet writes. Throws std::bad_alloc without the memory.
ImageData SheetPixels(const QImage& sheet);
