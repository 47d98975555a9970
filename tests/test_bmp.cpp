#include "TestSupport.h"

#include "BmpFile.h"
#include "Failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void PutLe(QByteArray& bytes, int offset, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = char(value >> (8 * i) & 0xFF);
}

// File header and 40-byte info header; sizeImage is the header's claim, not the data's size.
QByteArray Headers(int32_t width, int32_t height, uint16_t bits, uint32_t sizeImage) {
    QByteArray h(54, '\0');
    h[0] = 'B';
    h[1] = 'M';
    PutLe(h, 10, bits == 8 ? 1078 : 54, 4); // pixel data offset
    PutLe(h, 14, 40, 4);
    PutLe(h, 18, uint32_t(width), 4);
    PutLe(h, 22, uint32_t(height), 4);
    PutLe(h, 26, 1, 2);
    PutLe(h, 28, bits, 2);
    PutLe(h, 34, sizeImage, 4);
    return h;
}

// A colour table whose every byte differs from its neighbours.
QByteArray ColourTable() {
    QByteArray table(1024, '\0');
    for (int i = 0; i < 256; ++i) {
        table[4 * i] = char(i);
        table[4 * i + 1] = char(255 - i);
        table[4 * i + 2] = char(i ^ 0x5A);
        table[4 * i + 3] = char(i / 2);
    }
    return table;
}

// A record unlike anything a load produces, to see that failures leave it alone.
ImageData Sentinel() {
    ImageData image;
    image.Width = 1;
    image.Height = 1;
    image.Bits = 8;
    image.Palette.resize(256, PaletteEntry{9, 8, 7, 6});
    image.Pixels = {5};
    return image;
}

bool SameAsSentinel(const ImageData& image) {
    const ImageData s = Sentinel();
    return image.Width == s.Width && image.Height == s.Height && image.Bits == s.Bits &&
           image.Pixels == s.Pixels && image.Palette.size() == 256 &&
           std::all_of(image.Palette.begin(), image.Palette.end(), [](const PaletteEntry& e) {
               return e.Blue == 9 && e.Green == 8 && e.Red == 7 && e.Reserved == 6;
           });
}

class File {
  public:
    explicit File(const QByteArray& bytes) : path_(dir_.filePath(QStringLiteral("a.bmp"))) {
        QFile file(path_);
        if (!bytes.isNull() && file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    std::string path() const { return path_.toStdString(); }

  private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace

class TestBmp : public QObject {
    Q_OBJECT

  private slots:
    void loads24BitRowsUnpadded_data();
    void loads24BitRowsUnpadded();
    void loads8BitWithColourTable();
    void ignoresOffsetAndInfoSize_data();
    void ignoresOffsetAndInfoSize();
    void refusesOtherBitCounts_data();
    void refusesOtherBitCounts();
    void refusesBadFiles_data();
    void refusesBadFiles();
};

void TestBmp::loads24BitRowsUnpadded_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("bottom");
    QTest::addColumn<QByteArray>("top");
    QTest::addColumn<QByteArray>("padding");
    QTest::newRow("width 1") << 1 << QByteArray("abc") << QByteArray("ABC") << QByteArray("_");
    QTest::newRow("width 2") << 2 << QByteArray("abcdef") << QByteArray("ABCDEF")
                             << QByteArray("__");
    QTest::newRow("width 3") << 3 << QByteArray("abcdefghi") << QByteArray("ABCDEFGHI")
                             << QByteArray("___");
    QTest::newRow("width 4") << 4 << QByteArray("abcdefghijkl") << QByteArray("ABCDEFGHIJKL")
                             << QByteArray();
}

void TestBmp::loads24BitRowsUnpadded() {
    QFETCH(int, width);
    QFETCH(QByteArray, bottom);
    QFETCH(QByteArray, top);
    QFETCH(QByteArray, padding);
    const QByteArray data = bottom + padding + top + padding;
    const File file(Headers(width, 2, 24, uint32_t(data.size())) + data);
    ImageData image = Sentinel();

    LoadBMP(file.path(), image);

    QCOMPARE(image.Width, width);
    QCOMPARE(image.Height, 2);
    QCOMPARE(image.Bits, uint8_t(24));
    QVERIFY(image.Palette.empty());
    QCOMPARE(Bytes(image.Pixels), top + bottom);
}

void TestBmp::loads8BitWithColourTable() {
    // Three rows of three indices, each padded by one byte; biSizeImage may exceed the rows.
    const QByteArray data = QByteArray::fromHex("000102ee 101112ee ff807fee 99999999");
    const File file(Headers(3, 3, 8, uint32_t(data.size())) + ColourTable() + data);
    ImageData image;

    LoadBMP(file.path(), image);

    QCOMPARE(image.Bits, uint8_t(8));
    QCOMPARE(image.Width, 3);
    QCOMPARE(image.Height, 3);
    QCOMPARE(Bytes(image.Pixels), QByteArray::fromHex("ff807f 101112 000102"));
    QCOMPARE(image.Palette.size(), size_t(256));
    const QByteArray table(reinterpret_cast<const char*>(image.Palette.data()), 1024);
    QCOMPARE(table, ColourTable());
    QCOMPARE(image.Palette[0x80].Blue, uint8_t(0x80));
    QCOMPARE(image.Palette[0x80].Green, uint8_t(0x7F));
    QCOMPARE(image.Palette[0x80].Red, uint8_t(0x80 ^ 0x5A));
    QCOMPARE(image.Palette[0x80].Reserved, uint8_t(0x40));
}

void TestBmp::ignoresOffsetAndInfoSize_data() {
    QTest::addColumn<int>("bits");
    QTest::newRow("24 bits") << 24;
    QTest::newRow("8 bits") << 8;
}

void TestBmp::ignoresOffsetAndInfoSize() {
    QFETCH(int, bits);
    QByteArray headers = Headers(4, 1, uint16_t(bits), 12);
    PutLe(headers, 10, 0x2000, 4); // past the end of the file
    PutLe(headers, 14, 124, 4);    // a larger info header
    const QByteArray table = bits == 8 ? ColourTable() : QByteArray();
    const File file(headers + table + "abcdefghijkl");
    ImageData image;

    LoadBMP(file.path(), image);

    QCOMPARE(Bytes(image.Pixels), bits == 8 ? QByteArray("abcd") : QByteArray("abcdefghijkl"));
}

void TestBmp::refusesOtherBitCounts_data() {
    QTest::addColumn<int>("bits");
    QTest::newRow("1") << 1;
    QTest::newRow("4") << 4;
    QTest::newRow("16") << 16;
    QTest::newRow("32") << 32;
}

void TestBmp::refusesOtherBitCounts() {
    QFETCH(int, bits);
    const File file(Headers(1, 1, uint16_t(bits), 4) + ColourTable() + "abcd");
    ImageData image = Sentinel();

    try {
        LoadBMP(file.path(), image);
        QFAIL("the file was accepted");
    } catch (const Failure& e) {
        QVERIFY(e.Type == Failure::Kind::Unsupported);
        QCOMPARE(QString::fromStdString(e.what()),
                 QStringLiteral("image format unsupported: %1 bits per pixel").arg(bits));
    }
    QVERIFY(SameAsSentinel(image));
}

void TestBmp::refusesBadFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    const QByteArray rows("abc_def_"); // 1 x 2, 24 bits
    QTest::newRow("biSizeImage 0") << Headers(1, 2, 24, 0) + rows << QStringLiteral("size 0");
    QTest::newRow("biSizeImage short")
        << Headers(1, 2, 24, 7) + rows << QStringLiteral("pixel data too short");
    QTest::newRow("rows unpadded")
        << Headers(1, 2, 24, 6) + "abcdef" << QStringLiteral("pixel data too short");
    QTest::newRow("top-down") << Headers(1, -2, 24, 8) + rows << QStringLiteral("height -2");
    QTest::newRow("height INT32_MIN")
        << Headers(1, INT32_MIN, 24, 8) + rows << QStringLiteral("height -2147483648");
    QTest::newRow("width 0") << Headers(0, 2, 24, 8) + rows << QStringLiteral("width 0");
    QTest::newRow("row beyond 32 bits")
        << Headers(0x40000000, 1, 24, 8) + rows << QStringLiteral("too large");
    QTest::newRow("image beyond 32 bits")
        << Headers(0x10000, 0x10000, 8, 8) + ColourTable() + rows << QStringLiteral("too large");
    QTest::newRow("file shorter than biSizeImage")
        << Headers(1, 2, 24, 8) + "abc_def" << QStringLiteral("fewer than the 8 bytes");
    QTest::newRow("absurd biSizeImage")
        << Headers(1, 2, 24, 0xFFFFFFF0) + rows << QStringLiteral("fewer than");
    QTest::newRow("headers cut short") << Headers(1, 2, 24, 8).left(53) << QStringLiteral("short");
    QTest::newRow("colour table cut short")
        << Headers(1, 1, 8, 4) + ColourTable().left(1000) << QStringLiteral("colour table");
    QTest::newRow("no file") << QByteArray() << QStringLiteral("No such file or directory");
}

void TestBmp::refusesBadFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    const File bmp(file);
    ImageData image = Sentinel();

    try {
        LoadBMP(bmp.path(), image);
        QFAIL("the file was accepted");
    } catch (const Failure& e) {
        QVERIFY2(e.Type != Failure::Kind::Unsupported, e.what());
        QVERIFY2(QString::fromStdString(e.what()).contains(reason), e.what());
    }
    QVERIFY(SameAsSentinel(image));
}

QTEST_APPLESS_MAIN(TestBmp)
#include "test_bmp.moc"
