// LoadPNG, which reads the PNG sources of a build and the cells of layouts from other people:
// any input is either declined, the record left alone, or read into 24-bit pixels of the size
// the check was given; the file and the same bytes in memory read alike.

#include "FuzzInput.h"

#include "Failure.h"
#include "PngFile.h"

namespace {
struct TooLarge {};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageData image = Sentinel();
    int32_t width = -1, height = -1;
    // As every caller bounds a read: a size beyond the bound ends it before any pixel is taken.
    const auto check = [&](int32_t w, int32_t h) {
        width = w;
        height = h;
        if (int64_t{w} * h > int64_t{1} << 22)
            throw TooLarge{};
    };
    PngRead read;
    try {
        read = LoadPNG(data, size, image, check);
    } catch (const TooLarge&) {
        Check(Same(image, Sentinel()), "a refused size changed the record");
        return 0;
    }
    if (read == PngRead::Declined) {
        Check(Same(image, Sentinel()), "a declined PNG changed the record");
    } else {
        Check(image.Width == width && image.Height == height, "read at another size than checked");
        Check(width >= 1 && width <= 32767 && height >= 1 && height <= 32767,
              "a size out of bounds");
        Check(image.Bits == 24 && image.Palette.empty(), "not 24 bits");
        Check(image.Pixels.size() == size_t{3} * size_t(width) * size_t(height),
              "wrong number of pixel bytes");
    }
    ImageData fromFile = Sentinel();
    try {
        Check(LoadPNG(InputFile(data, size), fromFile, check) == read, "the file reads otherwise");
    } catch (const Failure&) {
        Fail("the file could not be read");
    }
    Check(Same(fromFile, image), "the file's pixels differ from the memory's");
    return 0;
}
