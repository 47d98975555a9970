#include "DurableFile.h"

#include "Failure.h"
#include "FileIO.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

bool SaveSyncs = true;

namespace {
Failure SaveFailure(const std::string& destination, const std::string& reason) {
    return Failure("cannot save " + destination, reason);
}

Failure SaveFailure(const std::string& destination, int error) {
    return SaveFailure(destination, std::strerror(error));
}

// Waits until what was written to fd is on the disk. A filesystem that cannot sync at all
// (EINVAL) has nothing better to offer.
void SyncToDisk(int fd, const std::string& destination) {
    if (SaveSyncs && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        throw SaveFailure(destination, errno);
}
} // namespace

DurableFile::DurableFile(const std::string& destination) : destination_(destination) {
    // Anything at the end of the links but a regular file, or nothing, is refused.
    std::optional<mode_t> mode; // of the file to be replaced
    file_ = destination;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(file_.c_str(), &info) != 0) {
            if (errno != ENOENT)
                throw SaveFailure(destination, errno);
            break; // a missing folder is found when the file is made
        }
        if (S_ISDIR(info.st_mode))
            throw SaveFailure(destination, EISDIR);
        if (S_ISREG(info.st_mode)) {
            mode = info.st_mode & 07777;
            break;
        }
        if (!S_ISLNK(info.st_mode))
            throw SaveFailure(destination, "not a regular file");
        if (hops == 40)
            throw SaveFailure(destination, ELOOP);
        char link[PATH_MAX]; // a link holds less than PATH_MAX bytes
        const ssize_t n = ::readlink(file_.c_str(), link, sizeof link);
        if (n < 0)
            throw SaveFailure(destination, errno);
        // A relative link starts from the folder that holds it; an absolute one replaces it all.
        file_ =
            (std::filesystem::path(file_).parent_path() / std::string(link, size_t(n))).string();
    }
    const std::filesystem::path folder = std::filesystem::path(file_).parent_path();
    folder_ = folder.empty() ? std::string(".") : folder.string();

    // A short name whatever the destination is called, hidden, and saying whose it is. O_EXCL
    // with mode 0666 lets the kernel apply the umask, which mkstemp's 0600 would hide.
    std::random_device entropy;
    std::uniform_int_distribution<int> letter(0, 25);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = folder_ + "/.patchery-save-";
        for (int i = 0; i < 6; ++i)
            temporary_ += static_cast<char>('a' + letter(entropy));
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0)
        throw SaveFailure(destination, errno);
    if (mode && ::fchmod(fd_, *mode) != 0) {
        const int error = errno;
        ::close(fd_);
        ::unlink(temporary_.c_str());
        throw SaveFailure(destination, error);
    }
}

DurableFile::~DurableFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_)
        ::unlink(temporary_.c_str());
}

void DurableFile::Write(iovec* parts, int count) {
    while (count > 0) {
        const ssize_t n = ::writev(fd_, parts, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw SaveFailure(destination_, errno);
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

// A crash at any point leaves the old file or the whole new one, on any filesystem.
void DurableFile::Commit() {
    SyncToDisk(fd_, destination_);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), file_.c_str()) != 0)
        throw SaveFailure(destination_, errno);
    committed_ = true;
    // A folder that cannot be opened for reading cannot be synced either.
    const fileio::FileDescriptor dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        SyncToDisk(dir.get(), destination_);
}
