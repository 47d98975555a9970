#pragma once
// The blit of decoded pixels into a view's persistent image.

#include "imaging/ImageData.h"

#include <cstdint>

// Plain description of a 32-bit surface: each pixel is blue, green, red, unused (0xFF).
struct DeviceContext {
    uint8_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Stride = 0; // bytes from one row to the next
};

// Draws the whole image unscaled at the surface's origin, top row at the top, clipped to
// the surface. Fails before touching the surface when the image has no pixels.
void DrawImage(const DeviceContext& hdc, const ImageData& image);
