// LoadBMP against a decoder written here from the file layout: 8- and 24-bit files whose
// headers, colour table and biSizeImage bytes of pixels are all there read exactly as the file
// says; every other file is refused with an exception that leaves the record alone, and bit
// counts other than 8 and 24 with UnsupportedBitmap.

#include "FuzzInput.h"

#include "BmpFile.h"
#include "Failure.h"

#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Expected {
    bool valid = false;
    bool unsupported = false; // bit count other than 8 or 24
    int32_t width = 0, height = 0;
    int bits = 0;
    uint64_t rowBytes = 0, storedBytes = 0, dataOffset = 0;
};

Expected Describe(const uint8_t* data, size_t size) {
    Expected e;
    if (size < 54)
        return e;
    e.width = static_cast<int32_t>(Le(data, size, 18, 4));
    e.height = static_cast<int32_t>(Le(data, size, 22, 4));
    e.bits = static_cast<int>(Le(data, size, 28, 2));
    const uint64_t sizeImage = Le(data, size, 34, 4);
    if (e.bits != 8 && e.bits != 24) {
        e.unsupported = true;
        return e;
    }
    e.dataOffset = 54 + (e.bits == 8 ? 1024 : 0);
    if (size < e.dataOffset || sizeImage == 0 || e.width <= 0 || e.height <= 0)
        return e;
    e.rowBytes = uint64_t(e.width) * (e.bits / 8);
    e.storedBytes = (e.rowBytes + 3) / 4 * 4;
    const uint64_t limit = INT32_MAX;
    if (e.rowBytes > limit || e.storedBytes > limit || e.storedBytes * e.height > limit)
        return e;
    if (sizeImage < e.storedBytes * e.height || size - e.dataOffset < sizeImage)
        return e;
    e.valid = true;
    return e;
}

std::vector<uint8_t> DrawnPixels(const ImageData& image) {
    std::vector<uint8_t> pixels(size_t{4} * size_t(image.Width) * size_t(image.Height));
    DrawImage({pixels.data(), image.Width, image.Height, image.Width * 4}, image);
    return pixels;
}

// Small pictures only: the writer's speed is not what is fuzzed.
void CheckWrittenBack(const ImageData& image) {
    if (int64_t{image.Width} * image.Height > (1 << 20))
        return;
    static const std::string path = "/tmp/fuzz_bmp-" + std::to_string(::getpid()) + ".bmp";
    std::vector<uint8_t> drawn = DrawnPixels(image);
    ::unlink(path.c_str());
    SaveBMP({drawn.data(), image.Width, image.Height, image.Width * 4}, path);
    ImageData again;
    LoadBMP(path, again);
    ::unlink(path.c_str());
    Check(again.Width == image.Width && again.Height == image.Height && again.Bits == 24,
          "the written file reads back at another size or depth");
    Check(DrawnPixels(again) == drawn, "the written file reads back as another picture");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Expected e = Describe(data, size);
    ImageData image = Sentinel();
    try {
        LoadBMP(InputFile(data, size), image);
    } catch (const std::exception& refusal) {
        const auto* failure = dynamic_cast<const Failure*>(&refusal);
        if (failure && failure->Type == Failure::Kind::Unsupported) {
            Check(e.unsupported, "refused as unsupported: an 8- or 24-bit file");
        } else {
            Check(!e.unsupported, "a bit count other than 8 or 24 was not refused as unsupported");
            Check(!e.valid, "a valid file was refused");
        }
        Check(Same(image, Sentinel()), "a refused file changed the record");
        return 0;
    }
    Check(e.valid, "an invalid file was accepted");
    Check(image.Width == e.width && image.Height == e.height && image.Bits == e.bits,
          "wrong size or depth");
    Check(image.Palette.size() == (e.bits == 8 ? 256u : 0u), "wrong palette size");
    for (size_t i = 0; i < image.Palette.size(); ++i) {
        const PaletteEntry& p = image.Palette[i];
        const uint8_t* q = data + 54 + 4 * i;
        Check(p.Blue == q[0] && p.Green == q[1] && p.Red == q[2] && p.Reserved == q[3],
              "palette entry differs from the file");
    }
    Check(image.Pixels.size() == e.rowBytes * e.height, "wrong number of pixel bytes");
    // Row y of the image is stored row height-1-y, its padding dropped.
    for (size_t y = 0; y < static_cast<size_t>(e.height); ++y) {
        const uint8_t* stored =
            data + e.dataOffset + (static_cast<size_t>(e.height) - 1 - y) * e.storedBytes;
        for (size_t i = 0; i < e.rowBytes; ++i)
            Check(image.Pixels[y * e.rowBytes + i] == stored[i], "pixel differs from the file");
    }
    CheckWrittenBack(image);
    return 0;
}
