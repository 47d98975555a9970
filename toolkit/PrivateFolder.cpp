#include "PrivateFolder.h"

#include "Failure.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// TMPDIR when it names a folder, else /tmp.
QString TempRoot() {
    const QByteArray dir = qgetenv("TMPDIR");
    struct stat info {};
    if (!dir.isEmpty() && ::stat(dir.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return QFile::decodeName(dir);
    return QStringLiteral("/tmp");
}

// The private folder as it was made: a real folder, not a link, ours, open to nobody else.
bool StillPrivate(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700;
}
} // namespace

PrivateFolder::PrivateFolder() = default;
PrivateFolder::~PrivateFolder() = default;

QString PrivateFolder::FilePath(const QString& name) {
    if (dir_ && !StillPrivate(dir_->path())) {
        // Removed by a cleaner, or replaced: what is there now is not ours to delete.
        dir_->setAutoRemove(false);
        dir_.reset();
    }
    if (!dir_) {
        // QTemporaryDir makes the folder with mode 0700: no other user can read or replace
        // the file in it.
        const QString root = TempRoot();
        dir_ =
            std::make_unique<QTemporaryDir>(QDir(root).filePath(QStringLiteral("patchery-XXXXXX")));
        if (!dir_->isValid()) {
            const QString reason = dir_->errorString();
            dir_.reset();
            throw Failure("cannot make a temporary folder in " +
                              QFile::encodeName(root).toStdString(),
                          reason.toStdString());
        }
    }
    return dir_->filePath(name);
}

void PrivateFolder::Remove(const QString& name) {
    if (dir_ && StillPrivate(dir_->path()))
        QFile::remove(dir_->filePath(name));
}

QString PrivateFolder::Path() const {
    return dir_ ? dir_->path() : QString();
}

void PrivateFolder::Clear() {
    dir_.reset();
}
