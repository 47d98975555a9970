// LoadTGA against a decoder written here from the file layout: a file either reads exactly as
// the decoder says or is refused with an exception that leaves the record alone. A well-formed
// file is read, its missing pixels as black, unless more than 64 MB of them are missing: a
// header must not make the reader allocate far beyond what the file holds.

#include "FuzzInput.h"

#include "TgaFile.h"

#include <cstring>
#include <exception>

namespace {

constexpr uint64_t MaxMissingBytes = uint64_t{64} << 20;

struct Expected {
    bool wellFormed = false; // header, type, depth, sizes, ID and colour map all fit
    int32_t width = 0, height = 0;
    uint64_t pixelOffset = 0;
    bool top = false, right = false;
    uint64_t missing = 0; // pixel bytes past the end of the file
};

Expected Describe(const uint8_t* data, size_t size) {
    Expected e;
    if (size < 18 || data[2] != 2 || data[16] != 24)
        return e;
    e.width = static_cast<int16_t>(Le(data, size, 12, 2));
    e.height = static_cast<int16_t>(Le(data, size, 14, 2));
    if (e.width <= 0 || e.height <= 0 || 3LL * e.width * e.height > INT32_MAX)
        return e;
    e.pixelOffset = 18u + data[0];
    if (data[1] == 1)
        e.pixelOffset += uint64_t{Le(data, size, 5, 2)} * ((data[7] + 7u) / 8);
    if (e.pixelOffset > size)
        return e;
    e.top = data[17] & 0x20;
    e.right = data[17] & 0x10;
    const uint64_t bytes = 3ULL * e.width * e.height;
    e.missing = size - e.pixelOffset >= bytes ? 0 : bytes - (size - e.pixelOffset);
    e.wellFormed = true;
    return e;
}

// Row y of the image as the file gives it: stored row y (top origin) or height-1-y, columns
// mirrored for the right origin, zero past the end of the file.
void CheckPixels(const uint8_t* data, size_t size, const Expected& e, const ImageData& image) {
    const size_t width = static_cast<size_t>(e.width);
    for (size_t y = 0; y < static_cast<size_t>(e.height); ++y) {
        const size_t stored = e.top ? y : static_cast<size_t>(e.height) - 1 - y;
        const uint64_t rowStart = e.pixelOffset + stored * width * 3;
        const uint8_t* row = image.Pixels.data() + y * width * 3;
        if (rowStart >= size) {
            // Past the end: all zero, checked quickly since a short file may describe 64 MB.
            Check(row[0] == 0 && std::memcmp(row, row + 1, width * 3 - 1) == 0,
                  "a pixel past the end of the file is not 0");
            continue;
        }
        for (size_t x = 0; x < width; ++x) {
            const size_t column = e.right ? width - 1 - x : x;
            for (size_t c = 0; c < 3; ++c) {
                const uint64_t at = rowStart + column * 3 + c;
                Check(row[x * 3 + c] == (at < size ? data[at] : 0), "pixel differs from the file");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Expected e = Describe(data, size);
    ImageData image = Sentinel();
    try {
        LoadTGA(InputFile(data, size), image);
    } catch (const std::exception&) {
        Check(Same(image, Sentinel()), "a refused file changed the record");
        Check(!e.wellFormed || e.missing > MaxMissingBytes,
              "a well-formed file missing at most 64 MB was refused");
        return 0;
    }
    Check(e.wellFormed, "a malformed file was accepted");
    Check(e.missing <= MaxMissingBytes, "a file missing more than 64 MB was accepted");
    Check(image.Width == e.width && image.Height == e.height, "wrong size");
    Check(image.Bits == 24 && image.Palette.empty(), "not a 24-bit record");
    Check(image.Pixels.size() == 3ULL * e.width * e.height, "wrong number of pixel bytes");
    CheckPixels(data, size, e, image);
    return 0;
}
