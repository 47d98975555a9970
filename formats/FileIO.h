#pragma once
// What the file readers and the writer share: a descriptor closed on every path out, the
// readers' open and read, error text, and little-endian fields.

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string>

#include "Failure.h"
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// "cannot open /x.tga: No such file or directory", from errno.
inline Failure SystemError(const std::string& action, const std::string& path) {
    return Failure(action + " " + path, std::strerror(errno));
}

// Opens a file for reading. Only a regular file is taken: a FIFO, a device or a folder would
// block the window or never end, so it is refused at once. O_NONBLOCK keeps the open itself from
// waiting for a FIFO's writer; for a regular file it changes nothing.
inline FileDescriptor OpenForReading(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        throw SystemError("cannot open", path);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw SystemError("cannot read", path);
    if (!S_ISREG(info.st_mode))
        throw Failure("cannot open " + path, "not a regular file");
    return file;
}

// Reads until count bytes arrived or the file ended; returns how many arrived.
inline size_t ReadFully(int fd, uint8_t* buffer, size_t count, off_t offset,
                        const std::string& path) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, buffer + done, count - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw SystemError("cannot read", path);
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline int32_t Le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

// Asks for 2 MB pages where the buffer spans them: a fresh 48 MB image otherwise costs 12,000
// page faults, more than its copying. Only a hint; refused, it changes nothing.
inline void AdviseHugePages(const uint8_t* data, size_t size) {
    constexpr uintptr_t Huge = uintptr_t{2} << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + Huge - 1) & ~(Huge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(Huge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace fileio
