// Image files and pasted pictures: TGA files, and the common picture formats recognised by
// their content, opened as if they were a 24-bit TGA of the same pixels.

#include "ImageFile.h"

#include "Blit.h"
#include "FileIO.h"
#include "TgaFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <climits>
#include <mutex>
#include <new>
#include <set>
#include <utility>

namespace {
// As QImageReader names what it recognised. Not "tga", "ico" or "cur": Qt takes most TGA
// files for icons, and every TGA is LoadTGA's.
constexpr std::array<const char*, 9> Formats = {"png", "jpeg", "bmp", "gif", "pbm",
                                                "pgm", "ppm",  "xbm", "xpm"};
// The first bytes that name a format beyond doubt.
const std::array<std::pair<QByteArrayView, const char*>, 3> Signatures = {
    {{QByteArrayView("\x89PNG\r\n\x1a\n", 8), "png"}, {"\xff\xd8\xff", "jpeg"}, {"GIF8", "gif"}}};
// The same bound as a TGA's sides.
constexpr int MaxSide = 32767;

bool Listed(const QByteArray& format) {
    return std::any_of(Formats.begin(), Formats.end(),
                       [&](const char* name) { return format == name; });
}

} // namespace

QImage AsPicture(QImage picture) {
    // In place where the depth allows (ARGB32 to RGB32): no second copy of the pixels.
    if (!picture.isNull() && picture.format() != QImage::Format_RGB32)
        picture = std::move(picture).convertToFormat(QImage::Format_RGB32);
    return picture;
}

namespace {
const QString OtherPatterns =
    QStringLiteral("*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.pbm;*.pgm;*.ppm;*.pnm;*.xbm;*.xpm");
}

QString OtherImagesFilter() {
    return QCoreApplication::translate("ImageFile", "Other Images") + QLatin1Char('(') +
           OtherPatterns + QStringLiteral(")|") + OtherPatterns;
}

QString AllImagesFilter(const QString& extra) {
    QString patterns = QStringLiteral("*.tga;") + OtherPatterns;
    if (!extra.isEmpty())
        patterns += QLatin1Char(';') + extra;
    return QCoreApplication::translate("ImageFile", "All images") + QLatin1Char('(') + patterns +
           QStringLiteral(")|") + patterns;
}

namespace {
// Qt's allocation bound holds for the whole process, and must stay in place for every other
// read (a pasted picture's above all): raised while a read runs to what the largest running
// read needs, and put back as the last one returns. A build reads its sources side by side.
class AllocationLimitForOneRead {
  public:
    explicit AllocationLimitForOneRead(QSize size)
        // Up to 8 bytes a pixel: a 16-bit PNG decodes as RGBA64.
        : megabytes_((qint64{8} * size.width() * size.height() >> 20) + 1) {
        const std::lock_guard lock(mutex_);
        if (running_.empty())
            before_ = QImageReader::allocationLimit();
        running_.insert(megabytes_);
        Apply();
    }
    ~AllocationLimitForOneRead() {
        const std::lock_guard lock(mutex_);
        running_.erase(running_.find(megabytes_));
        Apply();
    }
    AllocationLimitForOneRead(const AllocationLimitForOneRead&) = delete;
    AllocationLimitForOneRead& operator=(const AllocationLimitForOneRead&) = delete;

  private:
    static void Apply() {
        const qint64 needed = running_.empty() ? 0 : *running_.rbegin();
        QImageReader::setAllocationLimit(
            before_ != 0 && needed > before_ ? int(std::min<qint64>(needed, INT_MAX)) : before_);
    }
    const qint64 megabytes_;
    static inline std::mutex mutex_;
    static inline std::multiset<qint64> running_;
    static inline int before_ = 0;
};

// A device whose reads fail once the work is cancelled: Qt's decoders then stop at their next
// read, having read the file in small parts.
template <typename Device> class CancellableDevice : public Device {
  public:
    explicit CancellableDevice(const std::atomic<bool>* cancelled) : cancelled_(cancelled) {}

  protected:
    qint64 readData(char* data, qint64 size) override {
        if (cancelled_ && *cancelled_)
            return -1;
        return Device::readData(data, size);
    }

  private:
    const std::atomic<bool>* cancelled_;
};

void StopIfCancelled(const std::atomic<bool>* cancelled) {
    if (cancelled && *cancelled)
        throw Failure("the work was cancelled");
}

// The format Qt recognises, and the size the image declares. Some readers (XBM) refuse even to
// read a header past the bound; reading one allocates nothing for the pixels.
std::pair<QByteArray, QSize> Declared(QImageReader& reader) {
    // Qt's XBM reader decodes the whole picture merely to recognise it (a 79-byte file
    // declaring 32767 x 32767 costs 134 MB and a second): its header is read here instead.
    static const QRegularExpression xbm(QStringLiteral(
        "^\\s*#define\\s+\\S*width\\s+(\\d+)\\s+#define\\s+\\S*height\\s+(\\d+)\\s"));
    const QRegularExpressionMatch header =
        xbm.match(QString::fromLatin1(reader.device()->peek(256)));
    if (header.hasMatch())
        return {"xbm", QSize(header.captured(1).toInt(), header.captured(2).toInt())};
    // A signature names its reader: asked alone, it spares loading and asking every image
    // plugin Qt has, which costs more than decoding a small picture.
    for (const auto& [signature, format] : Signatures)
        if (reader.device()->peek(qsizetype(signature.size())) == signature) {
            reader.setFormat(format);
            reader.setAutoDetectImageFormat(false);
        }
    const AllocationLimitForOneRead limit(QSize(MaxSide, MaxSide));
    if (!reader.canRead())
        return {};
    return {reader.format(), reader.size()};
}

// The declared size is checked before a pixel is decoded.
QImage Decode(QImageReader& reader, QSize size, const SizeCheck& check, const std::string& name) {
    if (!size.isValid())
        throw Failure(name, "the image declares no size");
    if (size.width() > MaxSide || size.height() > MaxSide)
        throw Failure(name, "wider or higher than 32767");
    if (check)
        check(size);
    QImage picture;
    {
        const AllocationLimitForOneRead limit(size);
        picture = reader.read();
    }
    if (picture.isNull())
        throw Failure(name, reader.errorString().toStdString());
    return AsPicture(std::move(picture));
}
} // namespace

QImage LoadPicture(const std::string& path, const SizeCheck& check,
                   const std::atomic<bool>* cancelled) {
    // Every file LoadTGA takes is a TGA, though its first bytes may spell another format's
    // signature ("BM", "P6"): Qt's readers are asked only about the others.
    bool tga = false;
    try {
        ImageData image;
        LoadTGA(
            path, image,
            [&](int width, int height) {
                tga = true;
                if (check)
                    check(QSize(width, height));
            },
            [cancelled](size_t, size_t) { StopIfCancelled(cancelled); });
        return Drawn(image); // the record goes as the picture is made: two copies at most
    } catch (const Failure&) {
        if (tga)
            throw;
    }
    // A FIFO or a device would hang Qt's reader: refused at once, as LoadTGA refuses it.
    const fileio::FileDescriptor fd = fileio::OpenForReading(path);
    CancellableDevice<QFile> file(cancelled);
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw Failure(path, file.errorString().toStdString());
    // By content alone: the file's name says nothing.
    QImageReader reader(&file);
    const auto [format, size] = Declared(reader);
    if (!Listed(format))
        throw Failure(path, "neither a TGA nor an image of another known format");
    QImage picture = Decode(reader, size, check, path);
    StopIfCancelled(cancelled); // a decoder may give what it had read as the picture
    return picture;
}

ClipboardEntry ClipboardImageEntry(const QMimeData& data) {
    // Another program's picture arrives encoded: the entry whose declared size Qt can read.
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        QByteArray bytes = data.data(format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (Declared(reader).second.isValid())
            return {format, std::move(bytes), {}};
    }
    // One put there by this program is an image already.
    return {{}, {}, qvariant_cast<QImage>(data.imageData())};
}

QImage ClipboardPicture(const ClipboardEntry& entry, const SizeCheck& check,
                        const std::atomic<bool>* cancelled) {
    if (entry.Format.isEmpty())
        return AsPicture(entry.Image);
    QByteArray bytes = entry.Encoded; // shared, not copied: the buffer only reads
    CancellableDevice<QBuffer> buffer(cancelled);
    buffer.setBuffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = Declared(reader).second;
    QImage picture = Decode(reader, size, check, "the clipboard's " + entry.Format.toStdString());
    StopIfCancelled(cancelled);
    return picture;
}

QImage Drawn(const ImageData& image) {
    QImage drawn(image.Width, image.Height, QImage::Format_RGB32);
    if (drawn.isNull())
        throw std::bad_alloc();
    DrawImage(
        {drawn.bits(), drawn.width(), drawn.height(), static_cast<int32_t>(drawn.bytesPerLine())},
        image);
    return drawn;
}
