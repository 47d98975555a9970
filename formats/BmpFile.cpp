#include "BmpFile.h"

#include "Checked.h"
#include "FileIO.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    return fileio::ReadFully(fd, buffer, count, offset, path);
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
    } catch (const Failure&) {
        throw Failure("image of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels is too large");
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
            throw Failure("file holds fewer than the " + std::to_string(sizeImage) +
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
    const FileDescriptor file = fileio::OpenForReading(path);

    uint8_t headers[HeadersSize];
    if (ReadFully(file.get(), headers, HeadersSize, 0, path) < HeadersSize)
        throw Failure("file is too short for BMP headers");
    // The pixel data offset and biSize are not trusted: the data always follows the headers.
    const int32_t width = Le32(headers + 18);
    const int32_t height = Le32(headers + 22);
    const uint16_t bits = Le16(headers + 28);
    const auto sizeImage = static_cast<uint32_t>(Le32(headers + 34));

    if (bits != 8 && bits != 24)
        throw Failure("image format unsupported", std::to_string(bits) + " bits per pixel",
                      Failure::Kind::Unsupported);
    std::vector<PaletteEntry> palette;
    if (bits == 8) {
        palette.resize(256);
        if (ReadFully(file.get(), reinterpret_cast<uint8_t*>(palette.data()), ColourTableSize,
                      HeadersSize, path) < ColourTableSize)
            throw Failure("file is too short for its colour table");
    }
    if (sizeImage == 0)
        throw Failure("pixel data size 0");
    if (width <= 0)
        throw Failure("width " + std::to_string(width));
    if (height <= 0)
        throw Failure("height " + std::to_string(height));
    const Layout layout = Measure(width, height, bits);
    if (sizeImage < int64_t{layout.storedBytes} * height)
        throw Failure("pixel data too short: " + std::to_string(sizeImage) + " bytes for " +
                      std::to_string(height) + " rows of " + std::to_string(layout.storedBytes));

    // Checked before allocating so that a wild size in the header costs nothing.
    const off_t dataOffset = HeadersSize + (bits == 8 ? ColourTableSize : 0);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw SystemError("cannot read", path);
    if (info.st_size - dataOffset < off_t{sizeImage})
        throw Failure("file holds fewer than the " + std::to_string(sizeImage) +
                      " bytes of pixel data its header promises");

    std::vector<uint8_t> pixels = ReadRows(file.get(), dataOffset, layout, height, sizeImage, path);

    image.Width = width;
    image.Height = height;
    image.Bits = static_cast<uint8_t>(bits);
    image.Palette.swap(palette);
    image.Pixels.swap(pixels);
}

namespace {
void PutLe(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// One row of 32-bit pixels (blue, green, red, unused) as 24-bit ones, four pixels from two
// 64-bit words at a time: twice the speed of a byte at a time. (Packing into an array of 32-bit
// words and copying that out is slower than bytes: the copy waits on the array's stores.)
void PackRow(const uint8_t* from, uint8_t* to, int width) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= width; x += 4, from += 16, to += 12) {
            uint64_t a, b;
            std::memcpy(&a, from, 8);
            std::memcpy(&b, from + 8, 8);
            const uint64_t low = (a & 0xFFFFFF) | (a >> 8 & 0xFFFFFF000000) | b << 48;
            const auto high = static_cast<uint32_t>((b >> 16 & 0xFF) | (b >> 32 & 0xFFFFFF) << 8);
            std::memcpy(to, &low, 8);
            std::memcpy(to + 8, &high, 4);
        }
    }
    for (; x < width; ++x, from += 4, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
    }
}

// Writes every byte, resuming after partial writes; a short write (disk full, file-size limit)
// is followed by one more, whose failure says why.
void WriteAll(int fd, const uint8_t* bytes, size_t size, const std::string& path) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw SystemError("cannot write", path);
        done += static_cast<size_t>(n);
    }
}
} // namespace

void SaveBMP(const PixelSurface& surface, const std::string& path) {
    if (surface.Bits == nullptr || surface.Width <= 0 || surface.Height <= 0)
        throw Failure("cannot save an empty picture");
    const int width = surface.Width;
    const int height = surface.Height;
    const int32_t stored = checked::Mul32({(3LL * width + 3) / 4, 4});
    const int32_t sizeImage = checked::Mul32({stored, height});
    const int32_t fileSize = checked::ToInt32(54LL + sizeImage);

    uint8_t h[HeadersSize] = {'B', 'M'};
    PutLe(h + 2, static_cast<uint32_t>(fileSize), 4);
    PutLe(h + 10, HeadersSize, 4);
    PutLe(h + 14, 40, 4);
    PutLe(h + 18, static_cast<uint32_t>(width), 4);
    PutLe(h + 22, static_cast<uint32_t>(height), 4);
    PutLe(h + 26, 1, 2);
    PutLe(h + 28, 24, 2);
    PutLe(h + 34, static_cast<uint32_t>(sizeImage), 4);
    PutLe(h + 38, 3780, 4); // 96 dots per inch
    PutLe(h + 42, 3780, 4);

    // Rows converted per write: a buffer the size of the file would be fresh memory at every
    // save, whose page faults cost more than the conversion.
    const auto rowBytes = static_cast<size_t>(stored);
    const int chunkRows =
        static_cast<int>(std::min<size_t>(height, std::max<size_t>(1, ChunkBytes / rowBytes)));
    // Zeroed once: the rows' padding stays 0.
    std::vector<uint8_t> chunk(static_cast<size_t>(chunkRows) * rowBytes, 0);

    // Always a new file: a link or file planted at the path is refused, never written through.
    const FileDescriptor out(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0)
        throw SystemError("cannot write", path);
    WriteAll(out.get(), h, sizeof h, path);
    // Bottom row first.
    for (int y = height - 1; y >= 0; y -= chunkRows) {
        const int count = std::min(chunkRows, y + 1);
        for (int k = 0; k < count; ++k)
            PackRow(surface.Bits + static_cast<size_t>(y - k) * static_cast<size_t>(surface.Stride),
                    chunk.data() + static_cast<size_t>(k) * rowBytes, width);
        WriteAll(out.get(), chunk.data(), static_cast<size_t>(count) * rowBytes, path);
    }
}
