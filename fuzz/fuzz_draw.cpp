// DrawImage of whatever LoadBMP accepts, into a surface sized by the input's first three bytes
// (width and height 1 to 256, 0 to 3 spare pixels a row); the rest of the input is the BMP. The
// surface is allocated to its last byte so the sanitizer sees any write past it, and every byte
// is checked: the drawn part holds the image's pixels, the rest what was there before.

#include "FuzzInput.h"

#include "Blit.h"
#include "BmpFile.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace {
constexpr uint8_t Untouched = 0xA5;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const int32_t width = 1 + data[0];
    const int32_t height = 1 + data[1];
    const int32_t stride = 4 * (width + data[2] % 4);
    ImageData image;
    try {
        LoadBMP(InputFile(data + 3, size - 3), image);
    } catch (const std::exception&) {
        return 0;
    }

    const size_t bytes = static_cast<size_t>(stride) * (height - 1) + 4 * width;
    const auto surface = std::make_unique<uint8_t[]>(bytes);
    std::fill_n(surface.get(), bytes, Untouched);
    DrawImage({surface.get(), width, height, stride}, image);

    const int32_t columns = std::min(width, image.Width);
    const int32_t rows = std::min(height, image.Height);
    const size_t sourceRow = static_cast<size_t>(image.Width) * (image.Bits / 8);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* out = surface.get() + static_cast<size_t>(y) * stride;
        const int32_t rowEnd = y == height - 1 ? 4 * width : stride;
        for (int32_t i = 0; i < rowEnd; ++i) {
            const int32_t x = i / 4;
            if (y >= rows || x >= columns) {
                Check(out[i] == Untouched, "a byte outside the image was written");
                continue;
            }
            uint8_t want = 0xFF;
            const uint8_t* in = image.Pixels.data() + y * sourceRow;
            if (i % 4 < 3) {
                if (image.Bits == 24) {
                    want = in[3 * x + i % 4];
                } else {
                    const PaletteEntry& p = image.Palette[in[x]];
                    want = i % 4 == 0 ? p.Blue : i % 4 == 1 ? p.Green : p.Red;
                }
            }
            Check(out[i] == want, "a drawn byte differs from the image");
        }
    }
    return 0;
}
