#include "TgaFile.h"

#include "Checked.h"
#include "DurableFile.h"
#include "FileIO.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <sys/uio.h>
#include <utility>

namespace {

using fileio::AdviseHugePages;
using fileio::FileDescriptor;
using fileio::Le16;
using fileio::SystemError;

constexpr size_t HeaderSize = 18;
constexpr uint8_t TrueColour = 2;
constexpr uint8_t TopOrigin = 0x20;
constexpr uint8_t RightOrigin = 0x10;

void PutLe16(uint8_t* p, int16_t value) {
    const auto bits = static_cast<uint16_t>(value);
    p[0] = static_cast<uint8_t>(bits & 0xFF);
    p[1] = static_cast<uint8_t>(bits >> 8);
}

size_t ReadFully(int fd, uint8_t* buffer, size_t count, off_t offset, const std::string& path) {
    return fileio::ReadFully(fd, buffer, count, offset, path);
}

// Zeroed and filled a quarter megabyte at a time, so that each part is still in the cache when
// the file's bytes land on it: the image's memory is written out once, not twice.
constexpr size_t ChunkBytes = size_t{256} << 10;
// A file may end early, its missing pixels reading as black, but not by more than this: a header
// alone must not make the reader allocate a picture the file could never have held.
constexpr size_t MaxMissingBytes = size_t{64} << 20;

// Reads rows top row first; the file stores them top first or bottom first. Whatever the file
// lacks stays zero. Bottom-up rows pass through a small scratch buffer, since one scattered read
// per row costs more in the kernel than the extra copy from the cache.
std::vector<uint8_t> ReadRows(int fd, off_t offset, size_t rowBytes, size_t rows, bool bottomUp,
                              const std::string& path,
                              const std::function<void(size_t, size_t)>& read) {
    const size_t size = rowBytes * rows;
    std::vector<uint8_t> pixels;
    pixels.reserve(size);
    AdviseHugePages(pixels.data(), size);
    const size_t chunkRows = std::max<size_t>(1, ChunkBytes / rowBytes);
    const auto scratch = std::make_unique_for_overwrite<uint8_t[]>(
        bottomUp ? std::min(chunkRows, rows) * rowBytes : 0);
    for (size_t top = 0; top < rows; top += chunkRows) {
        if (read)
            read(top * rowBytes, size);
        const size_t count = std::min(chunkRows, rows - top);
        pixels.resize((top + count) * rowBytes);
        uint8_t* chunk = pixels.data() + top * rowBytes;
        if (!bottomUp) {
            if (ReadFully(fd, chunk, count * rowBytes, offset + static_cast<off_t>(top * rowBytes),
                          path) < count * rowBytes) {
                pixels.resize(size);
                break;
            }
            continue;
        }
        // Image rows top..top+count-1 are stored, last one first, from stored row `first` on.
        const size_t first = rows - top - count;
        const size_t got = ReadFully(fd, scratch.get(), count * rowBytes,
                                     offset + static_cast<off_t>(first * rowBytes), path);
        for (size_t k = 0; k < count && k * rowBytes < got; ++k)
            std::memcpy(chunk + (count - 1 - k) * rowBytes, scratch.get() + k * rowBytes,
                        std::min(rowBytes, got - k * rowBytes));
    }
    return pixels;
}

void MirrorRows(std::vector<uint8_t>& pixels, size_t width, size_t rows) {
    for (size_t y = 0; y < rows; ++y) {
        uint8_t* left = pixels.data() + y * width * 3;
        uint8_t* right = left + (width - 1) * 3;
        for (; left < right; left += 3, right -= 3)
            std::swap_ranges(left, left + 3, right);
    }
}

void CheckSaveable(const std::string& path, const ImageData& image) {
    if (image.Bits != 24 && image.Bits != 8)
        throw Failure("cannot save " + path, "an image of " + std::to_string(image.Bits) +
                                                 " bits per pixel cannot be saved");
    const auto fits = [&](const char* name, int32_t value) {
        try {
            checked::ToInt16(value);
        } catch (const Failure&) {
            throw Failure("cannot save " + path, std::string(name) + " " + std::to_string(value) +
                                                     " does not fit a TGA header");
        }
        if (value <= 0)
            throw Failure("cannot save " + path, std::string(name) + " " + std::to_string(value));
    };
    fits("width", image.Width);
    fits("height", image.Height);
    const int64_t expected = int64_t{image.Width} * image.Height * image.Bits / 8;
    if (image.Pixels.size() != static_cast<uint64_t>(expected))
        throw Failure("cannot save " + path,
                      "the image holds " + std::to_string(image.Pixels.size()) +
                          " bytes of pixels, not " + std::to_string(expected));
    if (image.Bits == 8 && image.Palette.size() != 256)
        throw Failure("cannot save " + path, "the palette has " +
                                                 std::to_string(image.Palette.size()) +
                                                 " entries, not 256");
}

} // namespace

void LoadTGA(const std::string& path, ImageData& image,
             const std::function<void(int width, int height)>& accepted,
             const std::function<void(size_t done, size_t total)>& read) {
    const FileDescriptor file = fileio::OpenForReading(path);

    uint8_t header[HeaderSize];
    const size_t got = ReadFully(file.get(), header, HeaderSize, 0, path);
    if (got < HeaderSize)
        throw Failure("file of " + std::to_string(got) + " bytes is too short for a TGA header");

    const uint8_t idLength = header[0];
    const uint8_t mapType = header[1];
    const uint8_t imageType = header[2];
    const uint16_t mapLength = Le16(header + 5);
    const uint8_t mapEntryBits = header[7];
    const int32_t width = static_cast<int16_t>(Le16(header + 12));
    const int32_t height = static_cast<int16_t>(Le16(header + 14));
    const uint8_t depth = header[16];
    const uint8_t descriptor = header[17];

    if (imageType != TrueColour)
        throw Failure("image type " + std::to_string(imageType) +
                      " is not uncompressed true-colour");
    if (depth != 24)
        throw Failure("pixel depth " + std::to_string(depth) + " is not 24 bits");
    if (width <= 0)
        throw Failure("width " + std::to_string(width));
    if (height <= 0)
        throw Failure("height " + std::to_string(height));
    // Each side is at most 32767: the pixels' size fits 64 bits. Whether so many can be held
    // is the caller's to say (and why not), as for any other format.
    const size_t size = size_t{3} * size_t(width) * size_t(height);

    off_t pixelOffset = HeaderSize + idLength;
    if (mapType == 1)
        pixelOffset += off_t{mapLength} * ((mapEntryBits + 7) / 8);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw SystemError("cannot read", path);
    if (info.st_size < pixelOffset)
        throw Failure("file ends inside its ID field or colour map");
    const auto present = static_cast<uint64_t>(info.st_size - pixelOffset);
    const uint64_t wanted = size;
    if (present < wanted && wanted - present > MaxMissingBytes)
        throw Failure("file holds " + std::to_string(present) + " of the " + std::to_string(size) +
                      " bytes of its pixels");
    if (accepted)
        accepted(width, height);

    std::vector<uint8_t> pixels =
        ReadRows(file.get(), pixelOffset, size_t{3} * width, static_cast<size_t>(height),
                 !(descriptor & TopOrigin), path, read);
    if (descriptor & RightOrigin)
        MirrorRows(pixels, static_cast<size_t>(width), static_cast<size_t>(height));

    image.Width = width;
    image.Height = height;
    image.Bits = 24;
    image.Palette.clear();
    image.Pixels.swap(pixels);
}

std::array<uint8_t, 18> SavedTgaHeader(int32_t width, int32_t height) {
    std::array<uint8_t, HeaderSize> header{0, 0, TrueColour};
    PutLe16(header.data() + 12, static_cast<int16_t>(width));
    PutLe16(header.data() + 14, static_cast<int16_t>(height));
    header[16] = 24;
    header[17] = TopOrigin;
    return header;
}

void SaveTGA(const std::string& path, const ImageData& image) {
    CheckSaveable(path, image);

    std::array<uint8_t, HeaderSize> header = SavedTgaHeader(image.Width, image.Height);

    // 8-bit pixels become the blue, green, red of their palette entries.
    std::vector<uint8_t> converted;
    if (image.Bits == 8) {
        converted.resize(image.Pixels.size() * 3);
        uint8_t* out = converted.data();
        const PaletteEntry* palette = image.Palette.data();
        for (const uint8_t index : image.Pixels) {
            const PaletteEntry& entry = palette[index];
            out[0] = entry.Blue;
            out[1] = entry.Green;
            out[2] = entry.Red;
            out += 3;
        }
    }
    const std::vector<uint8_t>& body = image.Bits == 8 ? converted : image.Pixels;

    DurableFile file(path);
    iovec parts[2] = {{header.data(), HeaderSize},
                      {const_cast<uint8_t*>(body.data()), body.size()}};
    file.Write(parts, 2);
    file.Commit();
}
