#include "Blit.h"

#include "Failure.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string>

namespace {

void CheckDrawable(const ImageData& image) {
    if (image.Pixels.empty())
        throw Failure("no image to draw");
    if (image.Bits != 8 && image.Bits != 24)
        throw Failure("cannot draw an image of " + std::to_string(image.Bits) + " bits per pixel");
    if (image.Width <= 0 || image.Height <= 0)
        throw Failure("cannot draw an image of " + std::to_string(image.Width) + " x " +
                      std::to_string(image.Height) + " pixels");
    const int64_t expected = int64_t{image.Width} * image.Height * (image.Bits / 8);
    if (image.Pixels.size() != static_cast<uint64_t>(expected))
        throw Failure("image holds " + std::to_string(image.Pixels.size()) +
                      " bytes of pixels, not " + std::to_string(expected));
    if (image.Bits == 8 && image.Palette.size() != 256)
        throw Failure("palette has " + std::to_string(image.Palette.size()) + " entries, not 256");
}

// Four pixels from a 64- and a 32-bit word of the row at a time: two to three times the speed of
// a byte at a time, which the compiler does not vectorise for the 3-to-4 interleave.
void DrawRow24(const uint8_t* in, uint8_t* out, size_t columns) {
    size_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t Opaque = 0xFF000000FF000000;
        for (; x + 4 <= columns; x += 4, in += 12, out += 16) {
            uint64_t a;
            uint32_t b;
            std::memcpy(&a, in, 8);
            std::memcpy(&b, in + 8, 4);
            const uint64_t low = (a & 0xFFFFFF) | (a & 0xFFFFFF000000) << 8 | Opaque;
            const uint64_t high =
                a >> 48 | uint64_t{b & 0xFF} << 16 | uint64_t{b >> 8} << 32 | Opaque;
            std::memcpy(out, &low, 8);
            std::memcpy(out + 8, &high, 8);
        }
    }
    for (; x < columns; ++x, in += 3, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 0xFF;
    }
}

} // namespace

void DrawImage(const PixelSurface& surface, const ImageData& image) {
    CheckDrawable(image);
    if (surface.Bits == nullptr || surface.Width <= 0 || surface.Height <= 0)
        return;
    if (surface.Stride < int64_t{surface.Width} * 4)
        throw Failure("surface stride " + std::to_string(surface.Stride) +
                      " is shorter than its rows");

    const auto columns = static_cast<size_t>(std::min(image.Width, surface.Width));
    const auto rows = static_cast<size_t>(std::min(image.Height, surface.Height));
    const size_t sourceStride = static_cast<size_t>(image.Width) * (image.Bits / 8);
    const auto targetStride = static_cast<size_t>(surface.Stride);
    const PaletteEntry* palette = image.Palette.data();

    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* in = image.Pixels.data() + y * sourceStride;
        uint8_t* out = surface.Bits + y * targetStride;
        if (image.Bits == 24) {
            DrawRow24(in, out, columns);
        } else {
            for (size_t x = 0; x < columns; ++x, out += 4) {
                const PaletteEntry& entry = palette[in[x]];
                out[0] = entry.Blue;
                out[1] = entry.Green;
                out[2] = entry.Red;
                out[3] = 0xFF;
            }
        }
    }
}
