#pragma once
// The blit of decoded pixels into a 32-bit picture.

#include "ImageData.h"

#include <cstdint>

// Plain description of a 32-bit picture's pixels: each pixel is blue, green, red, unused (0xFF).
struct PixelSurface {
    uint8_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Stride = 0; // bytes from one row to the next
};

// Draws the whole image unscaled at the surface's origin, top row at the top, clipped to
// the surface. Fails before touching the surface when the image has no pixels.
void DrawImage(const PixelSurface& surface, const ImageData& image);
