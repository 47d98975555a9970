#include "WatchedFiles.h"

#include <QFile>

#include <sys/stat.h>

WatchedFiles::WatchedFiles(QObject* parent, int settleMs) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    connect(&settle_, &QTimer::timeout, this, &WatchedFiles::Settle);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
            [this](const QString& path) { Touched(QFile::encodeName(path)); });
    // A rename over the file, or its removal, shows in its folder.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& dir) {
        const QByteArray folder = QFile::encodeName(dir);
        for (const auto& [path, file] : files_) {
            if (FolderOf(path) == folder)
                Touched(path);
        }
    });
}

WatchedFiles::Signature WatchedFiles::Read(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QByteArray WatchedFiles::FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

void WatchedFiles::Watch(const QByteArray& path) {
    File& file = files_[path];
    if (file.Uses++ > 0)
        return;
    file.Seen = Read(path);
    if (file.Seen.Exists)
        watcher_.addPath(QFile::decodeName(path));
    if (folders_[FolderOf(path)]++ == 0)
        watcher_.addPath(QFile::decodeName(FolderOf(path)));
}

void WatchedFiles::Unwatch(const QByteArray& path) {
    const auto it = files_.find(path);
    if (it == files_.end() || --it->second.Uses > 0)
        return;
    files_.erase(it);
    pending_.erase(path);
    watcher_.removePath(QFile::decodeName(path));
    const QByteArray folder = FolderOf(path);
    if (--folders_[folder] == 0) {
        folders_.erase(folder);
        watcher_.removePath(QFile::decodeName(folder));
    }
}

void WatchedFiles::Ignore(const QByteArray& path) {
    const auto it = files_.find(path);
    if (it != files_.end())
        it->second.Seen = Read(path);
}

void WatchedFiles::Touched(const QByteArray& path) {
    if (!files_.count(path))
        return;
    pending_.insert(path);
    settle_.start(); // again: a burst is reported once it is over
}

void WatchedFiles::Settle() {
    const std::set<QByteArray> pending = std::move(pending_);
    pending_.clear();
    for (const QByteArray& path : pending) {
        const auto it = files_.find(path);
        if (it == files_.end())
            continue;
        const Signature now = Read(path);
        // A file replaced by another is a new inode, no longer watched itself.
        if (now.Exists && !watcher_.files().contains(QFile::decodeName(path)))
            watcher_.addPath(QFile::decodeName(path));
        if (now == it->second.Seen)
            continue;
        it->second.Seen = now;
        if (now.Exists)
            emit Changed(path);
        else
            emit Removed(path);
    }
}
