#include "imaging/TGALS.h"

#include "imaging/Checked.h"
#include "imaging/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
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
    return fileio::ReadFully<TgaError>(fd, buffer, count, offset, path);
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
                              const std::string& path) {
    const size_t size = rowBytes * rows;
    std::vector<uint8_t> pixels;
    pixels.reserve(size);
    AdviseHugePages(pixels.data(), size);
    const size_t chunkRows = std::max<size_t>(1, ChunkBytes / rowBytes);
    const auto scratch = std::make_unique_for_overwrite<uint8_t[]>(
        bottomUp ? std::min(chunkRows, rows) * rowBytes : 0);
    for (size_t top = 0; top < rows; top += chunkRows) {
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

// Writes every byte of the iovecs, resuming after partial writes.
void WriteFully(int fd, iovec* parts, int count, const std::string& path) {
    while (count > 0) {
        const ssize_t n = ::writev(fd, parts, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw TgaSaveError(path, std::strerror(errno));
        auto left = static_cast<size_t>(n);
        while (count > 0 && left >= parts->iov_len) {
            left -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<uint8_t*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
    }
}

// Where a save writes: the destination with its symbolic links followed to the file they end
// at, which need not exist yet, and the folder that holds that file.
struct Destination {
    std::string File, Folder;
    std::optional<mode_t> Mode; // of the file to be replaced
};

// Anything at the end of the links but a regular file, or nothing, is refused.
Destination Resolve(const std::string& path) {
    Destination to{path, {}, {}};
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(to.File.c_str(), &info) != 0) {
            if (errno != ENOENT)
                throw TgaSaveError(path, std::strerror(errno));
            break; // a missing folder is found when the file is made
        }
        if (S_ISDIR(info.st_mode))
            throw TgaSaveError(path, std::strerror(EISDIR));
        if (S_ISREG(info.st_mode)) {
            to.Mode = info.st_mode & 07777;
            break;
        }
        if (!S_ISLNK(info.st_mode))
            throw TgaSaveError(path, "not a regular file");
        if (hops == 40)
            throw TgaSaveError(path, std::strerror(ELOOP));
        char link[PATH_MAX]; // a link holds less than PATH_MAX bytes
        const ssize_t n = ::readlink(to.File.c_str(), link, sizeof link);
        if (n < 0)
            throw TgaSaveError(path, std::strerror(errno));
        // A relative link starts from the folder that holds it; an absolute one replaces it all.
        to.File =
            (std::filesystem::path(to.File).parent_path() / std::string(link, size_t(n))).string();
    }
    const std::filesystem::path folder = std::filesystem::path(to.File).parent_path();
    to.Folder = folder.empty() ? std::string(".") : folder.string();
    return to;
}

// Waits until what was written to fd is on the disk. A filesystem that cannot sync at all
// (EINVAL) has nothing better to offer.
void SyncToDisk(int fd, const std::string& path) {
    if (SaveSyncs && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        throw TgaSaveError(path, std::strerror(errno));
}

// The new sheet's temporary file in the destination's folder, removed unless it was renamed
// over the destination. Its name is short whatever the destination is called, hidden, and
// says whose it is: ".patchery-save-" and six letters.
class TemporaryFile {
  public:
    // O_EXCL with mode 0666 lets the kernel apply the umask, which mkstemp's 0600 would hide.
    TemporaryFile(const std::string& folder, const std::string& destination) {
        std::random_device entropy;
        std::uniform_int_distribution<int> letter(0, 25);
        for (int attempt = 0; attempt < 100; ++attempt) {
            name_ = folder + "/.patchery-save-";
            for (int i = 0; i < 6; ++i)
                name_ += static_cast<char>('a' + letter(entropy));
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0 || errno != EEXIST)
                break;
        }
        if (fd_ < 0)
            throw TgaSaveError(destination, std::strerror(errno));
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!renamed_)
            ::unlink(name_.c_str());
    }
    int fd() const { return fd_; }

    // The data reaches the disk before the rename and the rename after it, so that a crash
    // at any point leaves the old file or the whole new one, on any filesystem.
    void CommitAs(const std::string& target, const std::string& folder,
                  const std::string& destination) {
        SyncToDisk(fd_, destination);
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0 || ::rename(name_.c_str(), target.c_str()) != 0)
            throw TgaSaveError(destination, std::strerror(errno));
        renamed_ = true;
        // A folder that cannot be opened for reading cannot be synced either.
        const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0)
            SyncToDisk(dir.get(), destination);
    }

  private:
    std::string name_;
    int fd_ = -1;
    bool renamed_ = false;
};

void CheckSaveable(const std::string& path, const ImageData& image) {
    if (image.Bits != 24 && image.Bits != 8)
        throw TgaSaveError(path, "an image of " + std::to_string(image.Bits) +
                                     " bits per pixel cannot be saved");
    const auto fits = [&](const char* name, int32_t value) {
        try {
            checked::ToInt16(value);
        } catch (const std::overflow_error&) {
            throw TgaSaveError(path, std::string(name) + " " + std::to_string(value) +
                                         " does not fit a TGA header");
        }
        if (value <= 0)
            throw TgaSaveError(path, std::string(name) + " " + std::to_string(value));
    };
    fits("width", image.Width);
    fits("height", image.Height);
    const int64_t expected = int64_t{image.Width} * image.Height * image.Bits / 8;
    if (image.Pixels.size() != static_cast<uint64_t>(expected))
        throw TgaSaveError(path, "the image holds " + std::to_string(image.Pixels.size()) +
                                     " bytes of pixels, not " + std::to_string(expected));
    if (image.Bits == 8 && image.Palette.size() != 256)
        throw TgaSaveError(path, "the palette has " + std::to_string(image.Palette.size()) +
                                     " entries, not 256");
}

} // namespace

bool SaveSyncs = true;

void LoadTGA(const std::string& path, ImageData& image) {
    const FileDescriptor file = fileio::OpenForReading<TgaError>(path);

    uint8_t header[HeaderSize];
    const size_t got = ReadFully(file.get(), header, HeaderSize, 0, path);
    if (got < HeaderSize)
        throw TgaError("file of " + std::to_string(got) + " bytes is too short for a TGA header");

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
        throw TgaError("image type " + std::to_string(imageType) +
                       " is not uncompressed true-colour");
    if (depth != 24)
        throw TgaError("pixel depth " + std::to_string(depth) + " is not 24 bits");
    if (width <= 0)
        throw TgaError("width " + std::to_string(width));
    if (height <= 0)
        throw TgaError("height " + std::to_string(height));
    int32_t size = 0;
    try {
        size = checked::Mul32({3, width, height});
    } catch (const std::overflow_error&) {
        throw TgaError("image of " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels is too large");
    }

    off_t pixelOffset = HeaderSize + idLength;
    if (mapType == 1)
        pixelOffset += off_t{mapLength} * ((mapEntryBits + 7) / 8);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw TgaError(SystemError("cannot read", path));
    if (info.st_size < pixelOffset)
        throw TgaError("file ends inside its ID field or colour map");
    const auto present = static_cast<uint64_t>(info.st_size - pixelOffset);
    const auto wanted = static_cast<uint64_t>(size);
    if (present < wanted && wanted - present > MaxMissingBytes)
        throw TgaError("file holds " + std::to_string(present) + " of the " + std::to_string(size) +
                       " bytes of its pixels");

    std::vector<uint8_t> pixels =
        ReadRows(file.get(), pixelOffset, size_t{3} * width, static_cast<size_t>(height),
                 !(descriptor & TopOrigin), path);
    if (descriptor & RightOrigin)
        MirrorRows(pixels, static_cast<size_t>(width), static_cast<size_t>(height));

    image.Width = width;
    image.Height = height;
    image.Bits = 24;
    image.Palette.clear();
    image.Pixels.swap(pixels);
}

void SaveTGA(const std::string& path, const ImageData& image) {
    CheckSaveable(path, image);

    uint8_t header[HeaderSize] = {0, 0, TrueColour};
    PutLe16(header + 12, static_cast<int16_t>(image.Width));
    PutLe16(header + 14, static_cast<int16_t>(image.Height));
    header[16] = 24;
    header[17] = TopOrigin;

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

    const Destination to = Resolve(path);
    TemporaryFile temporary(to.Folder, path);
    if (to.Mode && ::fchmod(temporary.fd(), *to.Mode) != 0)
        throw TgaSaveError(path, std::strerror(errno));
    iovec parts[2] = {{header, HeaderSize}, {const_cast<uint8_t*>(body.data()), body.size()}};
    WriteFully(temporary.fd(), parts, 2, path);
    temporary.CommitAs(to.File, to.Folder, path);
}
