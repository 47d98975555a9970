#include "OpenSources.h"

#include <sys/stat.h>

namespace {
// Device and inode: two names of one file, a hard link or a symbolic link, are one source.
std::optional<std::pair<dev_t, ino_t>> Identity(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return std::pair(info.st_dev, info.st_ino);
}
} // namespace

std::optional<int> OpenSources::IndexOf(const QByteArray& path) const {
    const auto wanted = Identity(path);
    for (int i = 0; i < Count(); ++i) {
        const QByteArray& file = sources_[size_t(i)]->File;
        if (file == path || (wanted && Identity(file) == wanted))
            return i;
    }
    return std::nullopt;
}

void OpenSources::Add(SourceImage source) {
    sources_.push_back(std::make_unique<SourceImage>(std::move(source)));
    shown_ = Count() - 1;
}

void OpenSources::Show(int index) {
    if (index >= 0 && index < Count())
        shown_ = index;
}

int OpenSources::StepsAway(int steps) const {
    if (IsEmpty())
        return -1;
    return ((shown_ + steps) % Count() + Count()) % Count();
}

void OpenSources::CloseShown() {
    if (shown_ < 0)
        return;
    sources_.erase(sources_.begin() + shown_);
    if (IsEmpty())
        shown_ = -1;
    else if (shown_ >= Count())
        shown_ = 0;
}

QList<QByteArray> OpenSources::Files() const {
    QList<QByteArray> files;
    for (const auto& source : sources_)
        files << source->File;
    return files;
}
