#include "Blit.h"

#include <QtTest>

Q_DECLARE_METATYPE(ImageData)

namespace {

constexpr uint8_t Untouched = 0x55;

struct Surface {
    Surface(int width, int height, int stride)
        : bytes(size_t(stride) * height, Untouched), hdc{bytes.data(), width, height, stride} {}
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    std::vector<uint8_t> bytes;
    PixelSurface hdc;
};

ImageData Image(int width, int height, uint8_t bits) {
    ImageData image;
    image.Width = width;
    image.Height = height;
    image.Bits = bits;
    image.Pixels.resize(size_t(width) * height * bits / 8);
    for (size_t i = 0; i < image.Pixels.size(); ++i)
        image.Pixels[i] = uint8_t(i * 13 + 1);
    if (bits == 8) {
        image.Palette.resize(256);
        for (int i = 0; i < 256; ++i)
            image.Palette[i] = {uint8_t(i), uint8_t(i + 100), uint8_t(255 - i), 0x00};
    }
    return image;
}

// The four bytes a pixel of the image should become on the surface.
std::array<uint8_t, 4> Expected(const ImageData& image, int x, int y) {
    if (image.Bits == 24) {
        const uint8_t* p = image.Pixels.data() + (size_t(y) * image.Width + x) * 3;
        return {p[0], p[1], p[2], 0xFF};
    }
    const PaletteEntry& e = image.Palette[image.Pixels[size_t(y) * image.Width + x]];
    return {e.Blue, e.Green, e.Red, 0xFF};
}

} // namespace

class TestBlit : public QObject {
    Q_OBJECT

  private slots:
    void drawsKnownBytes();
    void drawsClippedImage_data();
    void drawsClippedImage();
    void refusesBadImage_data();
    void refusesBadImage();
    void emptySurfaceDrawsNothing();
};

void TestBlit::drawsKnownBytes() {
    ImageData image;
    image.Width = 2;
    image.Height = 1;
    image.Bits = 24;
    image.Pixels = {1, 2, 3, 4, 5, 6};
    Surface surface(3, 2, 12);

    DrawImage(surface.hdc, image);

    QCOMPARE(surface.bytes, (std::vector<uint8_t>{1,    2,    3,    0xFF, 4,    5,    6,    0xFF,
                                                  0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55,
                                                  0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}));
}

void TestBlit::drawsClippedImage_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("imageWidth");
    QTest::addColumn<int>("imageHeight");
    QTest::addColumn<int>("surfaceWidth");
    QTest::addColumn<int>("surfaceHeight");
    QTest::addColumn<int>("stride");
    QTest::newRow("24: 1x1 in 3x3") << 24 << 1 << 1 << 3 << 3 << 12;
    QTest::newRow("24: 3x2 in 4x4") << 24 << 3 << 2 << 4 << 4 << 16;
    QTest::newRow("24: 5x3 in 7x5, wide stride") << 24 << 5 << 3 << 7 << 5 << 40;
    QTest::newRow("24: 5x4 in 3x2") << 24 << 5 << 4 << 3 << 2 << 12;
    QTest::newRow("24: 5x2 in 2x3, wide stride") << 24 << 5 << 2 << 2 << 3 << 13;
    QTest::newRow("24: equal sizes") << 24 << 3 << 3 << 3 << 3 << 12;
    QTest::newRow("8: 3x2 in 5x4") << 8 << 3 << 2 << 5 << 4 << 20;
    QTest::newRow("8: 5x3 in 2x2, wide stride") << 8 << 5 << 3 << 2 << 2 << 11;
    QTest::newRow("8: 1x3 in 1x3") << 8 << 1 << 3 << 1 << 3 << 4;
}

void TestBlit::drawsClippedImage() {
    QFETCH(int, bits);
    QFETCH(int, imageWidth);
    QFETCH(int, imageHeight);
    QFETCH(int, surfaceWidth);
    QFETCH(int, surfaceHeight);
    QFETCH(int, stride);
    const ImageData image = Image(imageWidth, imageHeight, uint8_t(bits));
    Surface surface(surfaceWidth, surfaceHeight, stride);

    DrawImage(surface.hdc, image);

    // Every byte: a drawn pixel inside the overlap, untouched elsewhere (padding included).
    for (int y = 0; y < surfaceHeight; ++y) {
        for (int i = 0; i < stride; ++i) {
            const int x = i / 4;
            const bool drawn = x < imageWidth && x < surfaceWidth && y < imageHeight;
            const uint8_t expected = drawn ? Expected(image, x, y)[i % 4] : Untouched;
            const uint8_t actual = surface.bytes[size_t(y) * stride + i];
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("byte %1 of row %2 is %3, not %4")
                                     .arg(i)
                                     .arg(y)
                                     .arg(actual)
                                     .arg(expected)));
        }
    }
}

void TestBlit::refusesBadImage_data() {
    QTest::addColumn<ImageData>("image");
    const ImageData good = Image(2, 2, 24);
    ImageData empty = good;
    empty.Pixels.clear();
    ImageData sixteen = good;
    sixteen.Bits = 16;
    sixteen.Pixels.resize(8);
    ImageData shortPixels = good;
    shortPixels.Pixels.pop_back();
    ImageData flat = good;
    flat.Width = 0;
    ImageData negative = good;
    negative.Height = -2;
    ImageData shortPalette = Image(2, 2, 8);
    shortPalette.Palette.pop_back();
    QTest::newRow("no pixels") << empty;
    QTest::newRow("16 bits") << sixteen;
    QTest::newRow("pixels short") << shortPixels;
    QTest::newRow("width 0") << flat;
    QTest::newRow("negative height") << negative;
    QTest::newRow("palette short") << shortPalette;
}

void TestBlit::refusesBadImage() {
    QFETCH(ImageData, image);
    Surface surface(4, 4, 16);

    QVERIFY_THROWS_EXCEPTION(std::exception, DrawImage(surface.hdc, image));
    QCOMPARE(surface.bytes, std::vector<uint8_t>(64, Untouched));
}

void TestBlit::emptySurfaceDrawsNothing() {
    const ImageData image = Image(2, 2, 24);
    Surface flat(2, 1, 8);
    flat.hdc.Height = 0;
    DrawImage(flat.hdc, image);
    QCOMPARE(flat.bytes, std::vector<uint8_t>(8, Untouched));

    Surface narrow(0, 2, 8);
    DrawImage(narrow.hdc, image);
    QCOMPARE(narrow.bytes, std::vector<uint8_t>(16, Untouched));

    DrawImage(PixelSurface{nullptr, 2, 2, 8}, image); // must not write through a null surface
}

QTEST_APPLESS_MAIN(TestBlit)
#include "test_blit.moc"
