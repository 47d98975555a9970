#include "SheetRecovery.h"

#include "DurableFile.h"
#include "Failure.h"
#include "SaveableSize.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// The first line of every recovery file; the header's lines follow, then an empty line, then
// the pixels, RGB32 rows top first.
const QByteArray Magic = "Patchery recovery 1";
const QString SheetSuffix = QStringLiteral(".sheet");
const QString LockSuffix = QStringLiteral(".lock");
// Pixels are read this many bytes at a time, a cancel taking effect in between.
constexpr qint64 ReadChunk = qint64{16} << 20;

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString LockPathOf(const QString& sheetPath) {
    return sheetPath.left(sheetPath.size() - SheetSuffix.size()) + LockSuffix;
}

// An open lock file held exclusively, or -1 when another process holds it (or it cannot be had).
// A link planted in its place is not followed: nothing is made where it leads.
int TakeLock(const QString& path) {
    const int fd = ::open(Local(path).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray SourceLines(const QList<SheetRecovery::KeptSource>& sources) {
    QByteArray lines;
    for (const SheetRecovery::KeptSource& source : sources)
        lines += (source.Shown ? "shown " : "source ") + QByteArray::number(source.Scroll.x()) +
                 ' ' + QByteArray::number(source.Scroll.y()) + ' ' +
                 QByteArray::number(source.ZoomPercent) + ' ' + source.File.toPercentEncoding() +
                 '\n';
    return lines;
}

QByteArray Header(const SheetRecovery::Sheet& sheet) {
    return Magic + "\nsize " + QByteArray::number(sheet.Image.width()) + ' ' +
           QByteArray::number(sheet.Image.height()) + "\nchanged " +
           sheet.Changed.toUTC().toString(Qt::ISODateWithMs).toLatin1() + "\nfile " +
           sheet.FilePath.toPercentEncoding() + "\nlinks " + sheet.Links.toPercentEncoding() +
           '\n' + SourceLines(sheet.Sources) + '\n';
}

void Write(const QString& path, const SheetRecovery::Sheet& sheet) {
    QByteArray header = Header(sheet);
    DurableFile file(Local(path));
    iovec parts[] = {
        {header.data(), size_t(header.size())},
        {const_cast<uchar*>(sheet.Image.constBits()), size_t(sheet.Image.sizeInBytes())}};
    file.Write(parts, 2);
    file.Commit();
}

// Copies the area of pixels into the image with its top-left pixel at a place, row by row;
// both are RGB32.
void PutPixels(QImage& image, const QImage& pixels, const QRect& area, QPoint at) {
    const qsizetype rowBytes = qsizetype(area.width()) * 4;
    for (int y = 0; y < area.height(); ++y)
        std::memcpy(image.scanLine(at.y() + y) + qsizetype(at.x()) * 4,
                    pixels.constScanLine(area.y() + y) + qsizetype(area.x()) * 4, size_t(rowBytes));
}

constexpr qsizetype MaxSpareBytes = qsizetype{16} << 20;

// A copy of image, made into spare where spare is the same picture's kind and held nowhere else.
QImage CopyInto(QImage spare, const QImage& image) {
    if (spare.size() != image.size() || spare.format() != image.format() || !spare.isDetached())
        return image.copy();
    std::memcpy(spare.bits(), image.constBits(), size_t(image.sizeInBytes()));
    return spare;
}
} // namespace

QString SheetRecovery::DefaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Patchery");
}

SheetRecovery::SheetRecovery(const QString& folder, std::function<void(const QString&)> failed)
    : folder_(folder), failed_(std::move(failed)) {
    const QString instance = QUuid::createUuid().toString(QUuid::WithoutBraces);
    path_ = QDir(folder_).filePath(instance + SheetSuffix);
    lockPath_ = QDir(folder_).filePath(instance + LockSuffix);
    if (!QDir().mkpath(folder_))
        Fail(
            QCoreApplication::translate("SheetRecovery", "cannot make the folder %1").arg(folder_));
    else if ((lock_ = TakeLock(lockPath_)) < 0)
        Fail(QCoreApplication::translate("SheetRecovery", "cannot lock %1: %2")
                 .arg(lockPath_, QString::fromLocal8Bit(std::strerror(errno))));
    worker_ = std::thread([this] { Work(); });
}

SheetRecovery::~SheetRecovery() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
    if (lock_ >= 0) {
        ::unlink(Local(lockPath_).c_str());
        ::close(lock_);
    }
}

void SheetRecovery::Keep(const QImage& image, const QByteArray& filePath, const QRect& area,
                         LinksText links, const QList<KeptSource>& sources) {
    if (image.format() != QImage::Format_RGB32)
        return Keep(image.convertToFormat(QImage::Format_RGB32), filePath, {}, links, sources);
    {
        std::lock_guard lock(mutex_);
        Job& job = pending_ ? *pending_ : pending_.emplace();
        const QRect changed = area.intersected(image.rect());
        if (handedKey_ != image.cacheKey()) {
            const qsizetype bytes = qsizetype(changed.width()) * changed.height() * 4;
            // Patches that would outweigh the image are replaced by one copy of it.
            if (handedKey_ == 0 || handedSize_ != image.size() || area.isNull() ||
                job.PatchBytes + bytes > image.sizeInBytes()) {
                job.Whole = CopyInto(std::move(spare_), image);
                job.Patches.clear();
                job.PatchBytes = 0;
            } else if (job.Whole && !changed.isEmpty()) {
                PutPixels(*job.Whole, image, changed, changed.topLeft()); // not yet the worker's
            } else if (!changed.isEmpty()) {
                job.Patches.push_back({image.copy(changed), changed.topLeft()});
                job.PatchBytes += bytes;
            }
            handedKey_ = image.cacheKey();
            handedSize_ = image.size();
        }
        job.Remove = false;
        job.FilePath = filePath;
        job.Links = std::move(links);
        job.Sources = sources;
        job.Changed = QDateTime::currentDateTimeUtc();
    }
    wake_.notify_one();
}

void SheetRecovery::Discard() {
    {
        std::lock_guard lock(mutex_);
        std::vector<Orphan> replaces;
        if (pending_)
            replaces = std::move(pending_->Replaces);
        pending_ = Job{};
        pending_->Remove = true;
        pending_->Replaces = std::move(replaces);
        handedKey_ = 0; // the worker's copy no longer follows the window's changes
    }
    wake_.notify_one();
}

void SheetRecovery::Replace(Orphan orphan) {
    std::lock_guard lock(mutex_);
    if (pending_)
        pending_->Replaces.push_back(std::move(orphan));
    else if (busy_)
        replacedByBusy_.push_back(std::move(orphan));
    else
        orphan.Discard(); // what was handed over is already on the disk
}

void SheetRecovery::Flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

bool SheetRecovery::Writing() {
    std::lock_guard lock(mutex_);
    return pending_ || busy_;
}

void SheetRecovery::Work() {
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_)
            return;
        Job job = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        bool done = false;
        try {
            if (job.Whole) {
                QImage replaced = std::exchange(copy_, std::move(*job.Whole));
                // Kept for a sheet of a few megabytes, whose hand-overs are whole often; a
                // large one's are patches, and its spare would double what recovery holds.
                if (replaced.sizeInBytes() <= MaxSpareBytes) {
                    lock.lock();
                    spare_ = std::move(replaced);
                    lock.unlock();
                }
            }
            if (copy_.isNull() && !job.Remove)
                throw std::bad_alloc(); // the window's copy of the image failed
            for (const Patch& patch : job.Patches)
                PutPixels(copy_, patch.Pixels, patch.Pixels.rect(), patch.At);
            if (job.Remove) {
                copy_ = QImage();
                if (::unlink(Local(path_).c_str()) != 0 && errno != ENOENT)
                    throw Failure("cannot remove " + Local(path_), std::strerror(errno));
            } else {
                Write(path_, {copy_, job.FilePath, job.Changed, copy_.size(),
                              job.Links ? job.Links() : QByteArray(), job.Sources});
            }
            done = true;
        } catch (const std::exception& e) {
            Fail(QString::fromLocal8Bit(e.what()));
        }
        lock.lock();
        std::vector<Orphan> replaced = std::move(replacedByBusy_);
        replacedByBusy_.clear();
        lock.unlock();
        // The sheets they held are now in this instance's file; after a failure they stay.
        if (done) {
            for (Orphan& orphan : job.Replaces)
                orphan.Discard();
            for (Orphan& orphan : replaced)
                orphan.Discard();
        }
        replaced.clear();
        job = {};
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

void SheetRecovery::Fail(const QString& what) {
    {
        std::lock_guard lock(mutex_);
        if (hasFailed_)
            return;
        hasFailed_ = true;
    }
    if (failed_)
        failed_(what);
}

std::optional<SheetRecovery::Orphan> SheetRecovery::NextOrphan() {
    const QFileInfoList found =
        QDir(folder_).entryInfoList({QStringLiteral("*") + SheetSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& file : found) {
        const QString path = file.filePath();
        if (path == path_ || offered_.contains(path))
            continue;
        const int lock = TakeLock(LockPathOf(path));
        if (lock < 0)
            continue;                   // its instance still runs
        if (!QFileInfo::exists(path)) { // another instance took care of it meanwhile
            ::close(lock);
            continue;
        }
        offered_ << path;
        return Orphan(path, lock);
    }
    return std::nullopt;
}

SheetRecovery::Orphan::Orphan(QString path, int lock) : path_(std::move(path)), lock_(lock) {}

SheetRecovery::Orphan::Orphan(Orphan&& other) noexcept
    : path_(std::move(other.path_)), lock_(std::exchange(other.lock_, -1)) {}

SheetRecovery::Orphan& SheetRecovery::Orphan::operator=(Orphan&& other) noexcept {
    if (this != &other) {
        if (lock_ >= 0)
            ::close(lock_);
        path_ = std::move(other.path_);
        lock_ = std::exchange(other.lock_, -1);
    }
    return *this;
}

SheetRecovery::Orphan::~Orphan() {
    if (lock_ >= 0)
        ::close(lock_);
}

SheetRecovery::Sheet SheetRecovery::Orphan::Read(bool headerOnly,
                                                 const std::atomic<bool>* cancelled) const {
    const std::string name = Local(path_);
    QFile file;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const std::string reason = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        throw Failure("cannot read " + name, reason);
    }
    const auto broken = [&name] {
        return Failure("cannot read " + name, "not a whole recovery file");
    };
    if (file.readLine(64).trimmed() != Magic)
        throw broken();
    Sheet sheet;
    int width = 0, height = 0;
    bool dated = false, named = false;
    for (QByteArray line; !(line = file.readLine(65536)).isEmpty() && line != "\n";) {
        line.chop(1);
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = line.left(space),
                         value = space < 0 ? QByteArray() : line.mid(space + 1);
        if (key == "size") {
            const QList<QByteArray> sides = value.split(' ');
            width = sides.value(0).toInt();
            height = sides.value(1).toInt();
        } else if (key == "changed") {
            sheet.Changed = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
            dated = sheet.Changed.isValid();
        } else if (key == "file") {
            sheet.FilePath = QByteArray::fromPercentEncoding(value); // the name's own bytes
            named = true;
        } else if (key == "links") {
            sheet.Links = QByteArray::fromPercentEncoding(value);
        } else if (key == "source" || key == "shown") {
            const QList<QByteArray> parts = value.split(' ');
            if (parts.size() != 4)
                throw broken();
            sheet.Sources.append({QByteArray::fromPercentEncoding(parts[3]),
                                  QPoint(parts[0].toInt(), parts[1].toInt()), parts[2].toInt(),
                                  key == "shown"});
        }
    }
    if (width < 1 || height < 1 || !dated || !named)
        throw broken();
    sheet.Size = QSize(width, height);
    // As an opened target: a sheet no save could write is never restored.
    if (!SaveableSize(sheet.Size))
        throw Failure("cannot read " + name, "a sheet of " + std::to_string(width) + " x " +
                                                 std::to_string(height) +
                                                 " pixels could never be saved");
    const qint64 bytes = qint64{4} * width * height;
    if (file.size() - file.pos() != bytes)
        throw broken();
    if (headerOnly)
        return sheet;
    sheet.Image = QImage(width, height, QImage::Format_RGB32);
    if (sheet.Image.isNull())
        throw std::bad_alloc();
    auto* pixels = reinterpret_cast<char*>(sheet.Image.bits());
    for (qint64 done = 0; done < bytes;) {
        if (cancelled && *cancelled)
            throw Cancelled();
        const qint64 got = file.read(pixels + done, std::min(ReadChunk, bytes - done));
        if (got <= 0)
            throw broken();
        done += got;
    }
    return sheet;
}

void SheetRecovery::Orphan::Discard() {
    QFile::remove(path_);
    QFile::remove(LockPathOf(path_));
}

QString SheetRecovery::Orphan::SetAside() {
    const QString aside = path_ + QStringLiteral(".unreadable");
    QFile::remove(aside);
    QFile::rename(path_, aside);
    QFile::remove(LockPathOf(path_));
    return aside;
}
