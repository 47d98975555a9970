#include "imaging/modFileBMP.h"

#include "imaging/Checked.h"
#include "imaging/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using fileio::AdviseHugePages;
using fileio::FileDescriptor;
using fileio::Le16;
using fileio::Le32;
using fileio::SystemError;

constexpr size_t HeadersSize = 54; // file header and a 40-byte info header
constexpr size_t ColourTableSize = 256 * sizeof(PaletteEntry);
constexpr size_t ChunkBytes = size_t{256} << 10;

size_t ReadFully(int fd, uint8_t* buffer, size_t count, off_t offset, const std::string& path) {
    return fileio::ReadFully<std::runtime_error>(fd, buffer, count, offset, path);
}

struct Layout {
    int32_t rowBytes;    // one row in the image record
    int32_t storedBytes; // one row in the file, padded to 4 bytes
    int32_t imageBytes;  // the whole image record
};

Layout Measure(int32_t width, int32_t height, int32_t bits) {
    try {
        const int32_t row = checked::Mul32({width, bits / 8});
        const int32_t stored = checked::ToInt32((int64_t{row} + 3) / 4 * 4);
        checked::Mul32({stored, height});
        return {row, stored, checked::Mul32({row, height})};
    } catch (const std::overflow_error&) {
        throw std::overflow_error("image of " + std::to_string(width) + " x " +
                                  std::to_string(height) + " pixels is too large");
    }
}

// The file stores the bottom row first, each padded; the record is top row first, unpadded. The
// record grows a quarter megabyte at a time, each part zeroed and filled from a scratch buffer
// while it is in the cache: one pass over the image's memory, and no buffer the size of the file.
std::vector<uint8_t> ReadRows(int fd, off_t dataOffset, const Layout& layout, int32_t height,
                              uint32_t sizeImage, const std::string& path) {
    const auto rowBytes = static_cast<size_t>(layout.rowBytes);
    const auto storedBytes = static_cast<size_t>(layout.storedBytes);
    const auto rows = static_cast<size_t>(height);
    const size_t chunkRows = std::min(rows, std::max<size_t>(1, ChunkBytes / storedBytes));
    const auto scratch = std::make_unique_for_overwrite<uint8_t[]>(chunkRows * storedBytes);
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(layout.imageBytes));
    AdviseHugePages(pixels.data(), static_cast<size_t>(layout.imageBytes));
    for (size_t top = 0; top < rows; top += chunkRows) {
        const size_t count = std::min(chunkRows, rows - top);
        const size_t first = rows - top - count; // stored row of the chunk's bottom row
        if (ReadFully(fd, scratch.get(), count * storedBytes,
                      dataOffset + static_cast<off_t>(first * storedBytes),
                      path) < count * storedBytes)
            throw std::runtime_error("file holds fewer than the " + std::to_string(sizeImage) +
                                     " bytes of pixel data its header promises");
        pixels.resize((top + count) * rowBytes);
        uint8_t* chunk = pixels.data() + top * rowBytes;
        for (size_t k = 0; k < count; ++k)
            std::memcpy(chunk + (count - 1 - k) * rowBytes, scratch.get() + k * storedBytes,
                        rowBytes);
    }
    return pixels;
}

} // namespace

void LoadBMP(const std::string& path, ImageData& image) {
    const FileDescriptor file = fileio::OpenForReading<std::runtime_error>(path);

    uint8_t headers[HeadersSize];
    if (ReadFully(file.get(), headers, HeadersSize, 0, path) < HeadersSize)
        throw std::runtime_error("file is too short for BMP headers");
    // The pixel data offset and biSize are not trusted: the data always follows the headers.
    const int32_t width = Le32(headers + 18);
    const int32_t height = Le32(headers + 22);
    const uint16_t bits = Le16(headers + 28);
    const auto sizeImage = static_cast<uint32_t>(Le32(headers + 34));

    if (bits != 8 && bits != 24)
        throw UnsupportedBitmap("image format unsupported: " + std::to_string(bits) +
                                " bits per pixel");
    std::vector<PaletteEntry> palette;
    if (bits == 8) {
        palette.resize(256);
        if (ReadFully(file.get(), reinterpret_cast<uint8_t*>(palette.data()), ColourTableSize,
                      HeadersSize, path) < ColourTableSize)
            throw std::runtime_error("file is too short for its colour table");
    }
    if (sizeImage == 0)
        throw std::runtime_error("pixel data size 0");
    if (width <= 0)
        throw std::runtime_error("width " + std::to_string(width));
    if (height <= 0)
        throw std::runtime_error("height " + std::to_string(height));
    const Layout layout = Measure(width, height, bits);
    if (sizeImage < int64_t{layout.storedBytes} * height)
        throw std::runtime_error("pixel data too short: " + std::to_string(sizeImage) +
                                 " bytes for " + std::to_string(height) + " rows of " +
                                 std::to_string(layout.storedBytes));

    // Checked before allocating so that a wild size in the header costs nothing.
    const off_t dataOffset = HeadersSize + (bits == 8 ? ColourTableSize : 0);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw std::runtime_error(SystemError("cannot read", path));
    if (info.st_size - dataOffset < off_t{sizeImage})
        throw std::runtime_error("file holds fewer than the " + std::to_string(sizeImage) +
                                 " bytes of pixel data its header promises");

    std::vector<uint8_t> pixels = ReadRows(file.get(), dataOffset, layout, height, sizeImage, path);

    image.Width = width;
    image.Height = height;
    image.Bits = static_cast<uint8_t>(bits);
    image.Palette.swap(palette);
    image.Pixels.swap(pixels);
}
