#include "SheetPixels.h"

#include "TargetSheet.h"

#include <QPainter>

#include <new>

ImageData SheetPixels(const QImage& sheet) {
    // An RGB32 picture is its own composition; any other is drawn over blank first, as the
    // window composes it before a save.
    QImage composed = sheet;
    if (sheet.format() != QImage::Format_RGB32) {
        composed = QImage(sheet.size(), QImage::Format_RGB32);
        if (composed.isNull())
            throw std::bad_alloc();
        composed.fill(TargetSheet::Blank());
        QPainter painter(&composed);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, sheet);
    }
    ImageData image;
    image.Width = composed.width();
    image.Height = composed.height();
    image.Bits = 24;
    image.Pixels.resize(size_t{3} * size_t(image.Width) * size_t(image.Height));
    uint8_t* out = image.Pixels.data();
    for (int y = 0; y < image.Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
        for (int x = 0; x < image.Width; ++x) {
            *out++ = uint8_t(qBlue(row[x]));
            *out++ = uint8_t(qGreen(row[x]));
            *out++ = uint8_t(qRed(row[x]));
        }
    }
    return image;
}
