// Image files of the other formats, recognised by content, and the readers' refusal of special
// files, without a window.

#include "Failure.h"
#include "ImageFile.h"
#include "PngFile.h"
#include "SheetPixels.h"

#include <QBuffer>
#include <QImageReader>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

class TestImageFile : public QObject {
    Q_OBJECT
  private slots:
    void otherFormatsOpen_data();
    void otherFormatsOpen();
    void fifoHoldingAPictureRefused();
    void sideBeyondBoundRefused();
    void deepPngOpensPastTheBound();
    void cancelledOpenReadsNoFurther();
    void parallelReadsKeepTheBound();
    void plainPngsReadAsQtReadsThem_data();
    void plainPngsReadAsQtReadsThem();
};

namespace {
QString Written(const QTemporaryDir& dir, const QImage& image) {
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    return image.save(path, "PNG", 0) ? path : QString();
}

// Bytes the process has read so far, from any file.
qint64 BytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    io.open(QIODevice::ReadOnly);
    const QByteArray text = io.readAll();
    return text.mid(text.indexOf("rchar:") + 6).split('\n').value(0).trimmed().toLongLong();
}
// A PNG of the given kind, written by libpng: every sample a different value where the depth
// allows, so that a row or a channel out of place shows. Chunks: 'g' gAMA, 's' sRGB, 't' tRNS,
// 'p' a palette of fewer colours than the indices reach.
QByteArray Png(int colour, int depth, int width, int height, bool interlaced, const char* chunks) {
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_check_for_invalid_index(png, 0); // the short palette's indices are meant
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t size) {
            static_cast<QByteArray*>(png_get_io_ptr(p))
                ->append(reinterpret_cast<char*>(data), qsizetype(size));
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, colour,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette(std::strchr(chunks, 'p') ? 1 + depth / 4
                                                            : 1 << std::min(depth, 8));
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {png_byte(i * 7), png_byte(255 - i), png_byte(i * 31 + 5)};
    if (colour == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (std::strchr(chunks, 'g'))
        png_set_gAMA(png, info, 0.8);
    if (std::strchr(chunks, 's'))
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_byte alpha[1] = {0};
    png_color_16 grey{};
    if (std::strchr(chunks, 't'))
        png_set_tRNS(png, info, alpha, 1, &grey);
    png_write_info(png, info);
    const int channels = colour == PNG_COLOR_TYPE_RGB          ? 3
                         : colour == PNG_COLOR_TYPE_RGBA       ? 4
                         : colour == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                               : 1;
    const size_t rowBytes = (size_t(width) * channels * depth + 7) / 8;
    std::vector<png_byte> rows(rowBytes * size_t(height));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = png_byte(i * 37 + i / rowBytes * 11);
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y)
        pointers.push_back(rows.data() + rowBytes * size_t(y));
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}
} // namespace

void TestImageFile::otherFormatsOpen_data() {
    QTest::addColumn<QByteArray>("format"); // as Qt writes it; empty: the bytes below
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("tolerance"); // per colour channel
    // Black left half, white right half: exact in every format, one-bit ones included.
    for (const char* format : {"PNG", "BMP", "PBM", "PGM", "PPM", "XBM", "XPM"})
        QTest::newRow(format) << QByteArray(format) << QByteArray() << 0;
    QTest::newRow("JPEG") << QByteArray("JPEG") << QByteArray() << 24;
    // Qt writes no GIF: one black pixel, by hand.
    QTest::newRow("GIF") << QByteArray()
                         << QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00"
                                       "\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00"
                                       "\x00\x02\x02\x44\x01\x00;",
                                       35)
                         << 0;
}

void TestImageFile::otherFormatsOpen() {
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, bytes);
    QFETCH(int, tolerance);
    QImage expected(64, 48, QImage::Format_RGB32);
    expected.fill(Qt::white);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 32; ++x)
            expected.setPixel(x, y, qRgb(0, 0, 0));
    if (format.isEmpty()) {
        expected = expected.copy(0, 0, 1, 1);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(expected.save(&buffer, format.constData(), 100));
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("picture.tga"))); // the name says nothing
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    const QImage opened = LoadPicture(LocalPath(file.fileName()));
    QCOMPARE(opened.size(), expected.size());
    for (int y = 0; y < opened.height(); y += 7) {
        for (int x = 0; x < opened.width(); x += 3) {
            const QRgb a = opened.pixel(x, y), b = expected.pixel(x, y);
            QVERIFY2(qAbs(qRed(a) - qRed(b)) <= tolerance &&
                         qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
                         qAbs(qBlue(a) - qBlue(b)) <= tolerance,
                     qPrintable(QStringLiteral("at %1, %2: %3").arg(x).arg(y).arg(a, 0, 16)));
        }
    }
}

// A FIFO is refused at once, even when a whole picture waits in it: reading one could hang.
void TestImageFile::fifoHoldingAPictureRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fifo.png"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    const int writer = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(writer >= 0);
    QCOMPARE(::write(writer, png.constData(), size_t(png.size())), ssize_t(png.size()));
    try {
        LoadPicture(LocalPath(path));
        QFAIL("the FIFO was read");
    } catch (const Failure& e) {
        QCOMPARE(QString::fromStdString(e.Reason), QStringLiteral("not a regular file"));
    }
    ::close(writer);
}

// A side past 32767 is refused on its declared size: the size check never sees it.
void TestImageFile::sideBeyondBoundRefused() {
    QTemporaryDir dir;
    for (const QSize size : {QSize(1, 32768), QSize(32768, 1)}) {
        QImage image(size, QImage::Format_Grayscale8);
        image.fill(0);
        const QString path = Written(dir, image);
        bool checked = false;
        try {
            LoadPicture(LocalPath(path), [&](QSize) { checked = true; });
            QFAIL("opened");
        } catch (const Failure& e) {
            QCOMPARE(QString::fromStdString(e.Reason),
                     QStringLiteral("wider or higher than 32767"));
        }
        QVERIFY(!checked);
    }
}

// A 16-bit PNG decodes at 8 bytes a pixel: the bound is raised for that much, not for half.
void TestImageFile::deepPngOpensPastTheBound() {
    QImage image(QSize(2048, 1536), QImage::Format_RGBX64); // 24 MB decoded, 12 MB at 4 a pixel
    image.fill(QColor(10, 200, 30));
    QTemporaryDir dir;
    const QString path = Written(dir, image);
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(16);
    const auto restore = qScopeGuard([&] { QImageReader::setAllocationLimit(limit); });
    QCOMPARE(QImageReader(path).imageFormat(), QImage::Format_RGBX64);
    QImage opened;
    try {
        opened = LoadPicture(LocalPath(path));
    } catch (const Failure& e) {
        QFAIL(e.Reason.c_str());
    }
    QCOMPARE(opened.size(), image.size());
    QCOMPARE(opened.pixel(2047, 1535), qRgb(10, 200, 30));
}

// A build reads its pictures side by side: each read raises the bound for itself while the
// others run, none fails for another's putting it back, and the last puts it back as it was.
void TestImageFile::parallelReadsKeepTheBound() {
    QTemporaryDir dir;
    QStringList paths;
    for (const int side : {512, 1024}) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(qRgb(side / 8, 1, 2));
        paths << dir.filePath(QStringLiteral("%1.png").arg(side));
        QVERIFY(image.save(paths.back()));
    }
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1); // every read here needs more
    const auto restore = qScopeGuard([&] { QImageReader::setAllocationLimit(limit); });
    std::atomic<int> failed{0};
    for (int round = 0; round < 20; ++round) {
        std::vector<std::thread> reads;
        for (const QString& path : paths)
            reads.emplace_back([&, file = LocalPath(path)] {
                try {
                    LoadPicture(file);
                } catch (const Failure&) {
                    ++failed;
                }
            });
        for (std::thread& read : reads)
            read.join();
        QCOMPARE(QImageReader::allocationLimit(), 1);
    }
    QCOMPARE(failed.load(), 0);
}

// An open already cancelled stops at its first read, not after reading the whole file.
void TestImageFile::cancelledOpenReadsNoFurther() {
    QImage noise(2048, 2048, QImage::Format_Grayscale8);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.scanLine(y)[x] = uchar((x * 7919 + y * 104729) ^ (x * y) >> 3);
    QTemporaryDir dir;
    const QString path = Written(dir, noise);
    const qint64 size = QFileInfo(path).size();
    QVERIFY(size > 1 << 20);
    const std::atomic<bool> cancelled{true};
    const qint64 before = BytesRead();
    QVERIFY_THROWS_EXCEPTION(Failure, LoadPicture(LocalPath(path), {}, &cancelled));
    const qint64 read = BytesRead() - before;
    QVERIFY2(read < size / 8,
             qPrintable(QStringLiteral("%1 of %2 bytes read").arg(read).arg(size)));
}

void TestImageFile::plainPngsReadAsQtReadsThem_data() {
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<bool>("plain"); // read by LoadPNG; otherwise left to Qt's reader
    for (const int depth : {1, 2, 4, 8}) {
        QTest::addRow("grey %d", depth)
            << Png(PNG_COLOR_TYPE_GRAY, depth, 67, 5, false, "") << true;
        QTest::addRow("palette %d", depth)
            << Png(PNG_COLOR_TYPE_PALETTE, depth, 67, 5, false, "") << true;
    }
    QTest::newRow("rgb") << Png(PNG_COLOR_TYPE_RGB, 8, 67, 5, false, "") << true;
    QTest::newRow("rgb interlaced") << Png(PNG_COLOR_TYPE_RGB, 8, 67, 19, true, "") << true;
    QTest::newRow("palette interlaced") << Png(PNG_COLOR_TYPE_PALETTE, 4, 67, 19, true, "") << true;
    QTest::newRow("rgb, gAMA") << Png(PNG_COLOR_TYPE_RGB, 8, 67, 5, false, "g") << true;
    QTest::newRow("palette, sRGB") << Png(PNG_COLOR_TYPE_PALETTE, 8, 67, 5, false, "s") << true;
    QTest::newRow("short palette 4") << Png(PNG_COLOR_TYPE_PALETTE, 4, 67, 5, false, "p") << true;
    QTest::newRow("short palette 8") << Png(PNG_COLOR_TYPE_PALETTE, 8, 67, 5, false, "p") << true;
    QTest::newRow("one-colour palette 1")
        << Png(PNG_COLOR_TYPE_PALETTE, 1, 67, 5, false, "p") << false;
    QTest::newRow("rgb 16") << Png(PNG_COLOR_TYPE_RGB, 16, 67, 5, false, "") << false;
    QTest::newRow("grey 16") << Png(PNG_COLOR_TYPE_GRAY, 16, 67, 5, false, "") << false;
    QTest::newRow("rgba") << Png(PNG_COLOR_TYPE_RGBA, 8, 67, 5, false, "") << false;
    QTest::newRow("grey alpha") << Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 67, 5, false, "") << false;
    QTest::newRow("palette tRNS") << Png(PNG_COLOR_TYPE_PALETTE, 8, 67, 5, false, "t") << false;
    QTest::newRow("grey tRNS") << Png(PNG_COLOR_TYPE_GRAY, 8, 67, 5, false, "t") << false;
    const QByteArray rgb = Png(PNG_COLOR_TYPE_RGB, 8, 67, 5, false, "");
    QTest::newRow("truncated") << rgb.left(rgb.size() - 30) << false;
    QByteArray damaged = rgb;
    damaged[60] = char(damaged[60] ^ 0x10); // in the pixels: the CRC no longer holds
    QTest::newRow("damaged") << damaged << false;
}

// patchery reads these itself, without Qt: every pixel as the window program's reader gives it;
// the others it declines, leaving the record as it was, for Qt's reader to say what they are.
void TestImageFile::plainPngsReadAsQtReadsThem() {
    QFETCH(QByteArray, png);
    QFETCH(bool, plain);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
    file.close();
    ImageData image;
    image.Width = 7;
    QSize declared;
    const PngRead read =
        LoadPNG(LocalPath(path), image, [&](int32_t w, int32_t h) { declared = QSize(w, h); });
    QCOMPARE(read, plain ? PngRead::Read : PngRead::Declined);
    if (!plain) {
        QCOMPARE(image.Width, 7);
        return;
    }
    const ImageData qt = SheetPixels(LoadPicture(LocalPath(path)));
    QCOMPARE(declared, QSize(qt.Width, qt.Height));
    QCOMPARE(QSize(image.Width, image.Height), QSize(qt.Width, qt.Height));
    QCOMPARE(image.Bits, uint8_t(24));
    QVERIFY(image.Pixels == qt.Pixels);
    // From memory, as a layout's cell is read: the same.
    ImageData fromMemory;
    QCOMPARE(
        LoadPNG(reinterpret_cast<const uint8_t*>(png.constData()), size_t(png.size()), fromMemory),
        PngRead::Read);
    QVERIFY(fromMemory.Pixels == qt.Pixels);
    // A check that refuses the size ends the read before any pixel is decoded.
    ImageData refused;
    QVERIFY_THROWS_EXCEPTION(Failure, LoadPNG(LocalPath(path), refused, [](int32_t, int32_t) {
                                 throw Failure("too large");
                             }));
    QVERIFY(refused.Pixels.empty());
}

QTEST_GUILESS_MAIN(TestImageFile)
#include "test_image_file.moc"
