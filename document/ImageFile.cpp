// Images that are not TGA files: the common picture formats, recognised by their content,
// opened as if they were a 24-bit TGA of the same pixels.

#include "ImageFile.h"

#include "Blit.h"
#include "FileIO.h"
#include "TgaFile.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <new>

namespace {
// As QImageReader names what it recognised. Not "tga", "ico" or "cur": Qt takes most TGA
// files for icons, and every TGA is LoadTGA's.
constexpr std::array<const char*, 9> Formats = {"png", "jpeg", "bmp", "gif", "pbm",
                                                "pgm", "ppm",  "xbm", "xpm"};
// The same bound as a TGA's sides.
constexpr int MaxSide = 32767;

bool Listed(const QByteArray& format) {
    return std::any_of(Formats.begin(), Formats.end(),
                       [&](const char* name) { return format == name; });
}

} // namespace

QImage AsPicture(QImage picture) {
    if (!picture.isNull() && picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    return picture;
}

QString OtherImagesFilter() {
    const QString patterns =
        QStringLiteral("*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.pbm;*.pgm;*.ppm;*.pnm;*.xbm;*.xpm");
    return QStringLiteral("Other Images(") + patterns + QStringLiteral(")|") + patterns;
}

ImageData LoadImageFile(const QString& path) {
    const std::string local = LocalPath(path);
    // A FIFO or a device would hang Qt's reader: refused at once, as LoadTGA refuses it.
    const fileio::FileDescriptor fd = fileio::OpenForReading(local);
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw Failure(local, file.errorString().toStdString());
    // By content alone: the file's name says nothing.
    QImageReader reader(&file);
    if (!Listed(reader.format())) {
        file.close();
        ImageData image;
        LoadTGA(local, image);
        return image;
    }
    const QSize size = reader.size();
    if (size.width() > MaxSide || size.height() > MaxSide)
        throw Failure(local, "wider or higher than 32767");
    // Qt's default allocation bound (256 MB) is lower than what a TGA may hold.
    reader.setAllocationLimit(0);
    const QImage picture = AsPicture(reader.read());
    if (picture.isNull())
        throw Failure(local, reader.errorString().toStdString());

    ImageData decoded;
    decoded.Width = picture.width();
    decoded.Height = picture.height();
    decoded.Bits = 24;
    decoded.Pixels.resize(size_t{3} * static_cast<size_t>(decoded.Width) *
                          static_cast<size_t>(decoded.Height));
    uint8_t* out = decoded.Pixels.data();
    for (int y = 0; y < decoded.Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < decoded.Width; ++x, out += 3) {
            out[0] = static_cast<uint8_t>(qBlue(row[x]));
            out[1] = static_cast<uint8_t>(qGreen(row[x]));
            out[2] = static_cast<uint8_t>(qRed(row[x]));
        }
    }
    return decoded;
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
