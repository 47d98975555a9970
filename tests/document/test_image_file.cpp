// Image files of the other formats, recognised by content, and the readers' refusal of special
// files, without a window.

#include "Failure.h"
#include "ImageFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

#include <fcntl.h>
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

QTEST_GUILESS_MAIN(TestImageFile)
#include "test_image_file.moc"
