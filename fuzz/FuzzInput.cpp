#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

const std::string& InputFile(const uint8_t* data, size_t size) {
    // Memory, not disk: the fuzzer runs thousands of inputs a second.
    static const int fd = ::memfd_create("fuzz-input", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0)
        Fail("cannot make the in-memory input file");
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            Fail("cannot write the in-memory input file");
        done += static_cast<size_t>(n);
    }
    return path;
}

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

ImageData Sentinel() {
    ImageData image;
    image.Width = 3;
    image.Height = 1;
    image.Bits = 8;
    image.Palette.assign(256, PaletteEntry{1, 2, 3, 4});
    image.Pixels = {7, 8, 9};
    return image;
}

bool Same(const ImageData& a, const ImageData& b) {
    if (a.Width != b.Width || a.Height != b.Height || a.Bits != b.Bits || a.Pixels != b.Pixels ||
        a.Palette.size() != b.Palette.size())
        return false;
    for (size_t i = 0; i < a.Palette.size(); ++i) {
        const PaletteEntry& x = a.Palette[i];
        const PaletteEntry& y = b.Palette[i];
        if (x.Blue != y.Blue || x.Green != y.Green || x.Red != y.Red || x.Reserved != y.Reserved)
            return false;
    }
    return true;
}

uint32_t Le(const uint8_t* data, size_t size, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        if (at + i < size)
            value |= static_cast<uint32_t>(data[at + i]) << (8 * i);
    }
    return value;
}
