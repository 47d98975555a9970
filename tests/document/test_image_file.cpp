// Image files of the other formats, recognised by content, and the readers' refusal of special
// files, without a window.

#include "Failure.h"
#include "ImageFile.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestImageFile : public QObject {
    Q_OBJECT
  private slots:
    void otherFormatsOpen_data();
    void otherFormatsOpen();
    void fifoHoldingAPictureRefused();
};

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

QTEST_GUILESS_MAIN(TestImageFile)
#include "test_image_file.moc"
