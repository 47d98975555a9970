#include "LayoutOf.h"

#include "ImageFile.h"
#include "LayoutBuild.h"
#include "SheetPixels.h"
#include "TileGrid.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <map>

namespace {
// The path of file as a layout in layoutFile's folder writes it.
QString Relative(const QByteArray& layoutFile, const QByteArray& file) {
    return QDir(LayoutFolder(layoutFile)).relativeFilePath(QFile::decodeName(file));
}

bool SameFile(const QByteArray& a, const QByteArray& b) {
    const QFileInfo first(QFile::decodeName(a)), second(QFile::decodeName(b));
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

// The sheet's cell at, blank where it runs past the sheet's edge.
QImage CellPixels(const QImage& sheet, QPoint at) {
    QImage pixels(TileSize, TileSize, QImage::Format_RGB32);
    pixels.fill(TargetSheet::Blank());
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), sheet, QRect(at * TileSize, QSize(TileSize, TileSize)));
    painter.end();
    return pixels;
}

QByteArray Png(const QImage& pixels) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(pixels.convertToFormat(QImage::Format_RGB888));
    return png;
}
} // namespace

std::optional<ImageData> DecodeCellPng(const QByteArray& png) {
    QByteArray bytes = png;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "png");
    // The size comes first, so that a picture of another size is never decoded.
    if (reader.size() != QSize(TileSize, TileSize))
        return std::nullopt;
    const QImage pixels = reader.read();
    if (pixels.isNull())
        return std::nullopt;
    return SheetPixels(AsPicture(pixels));
}

ImageReaders QtImageReaders() {
    return {[](const std::string& path, const SizeCheck& check) {
                return SheetPixels(LoadPicture(path, check));
            },
            DecodeCellPng};
}

SheetLayout ParseLayout(const QByteArray& text, const QString& fileName) {
    return SheetLayout::Parse(text, fileName, DecodeCellPng);
}

SheetLayout LayoutOf(const TargetSheet& sheet, const QByteArray& layoutFile,
                     const QByteArray& sheetFile) {
    SheetLayout layout;
    layout.Size = sheet.Size();
    layout.Sheet = Relative(layoutFile, sheetFile);
    const OriginGrid& origins = sheet.Origins();
    const QSize cells = origins.Cells();
    // A background that is the sheet's own file holds the sheet as last saved, no longer the
    // picture: only the cells still at their own place can come from it.
    const bool pictureFile = !sheet.Background().isEmpty();
    const bool ownFile = pictureFile && SameFile(sheet.Background(), sheetFile);
    bool usesBackground = false;
    for (int y = 0; y < cells.height() && pictureFile; ++y)
        for (int x = 0; x < cells.width(); ++x)
            usesBackground |= origins.At({x, y}) == CellOrigin::OfPicture({x, y});
    if (usesBackground)
        layout.Background = Relative(layoutFile, sheet.Background());

    std::map<QByteArray, QString> names; // file: its name in the layout
    const auto nameOf = [&](const QByteArray& file) {
        auto it = names.find(file);
        if (it != names.end())
            return it->second;
        const QString base = QFileInfo(QFile::decodeName(file)).completeBaseName();
        QString name = base.isEmpty() ? QStringLiteral("source") : base;
        for (int n = 2; layout.Sources.count(name); ++n)
            name = base + QLatin1Char('-') + QString::number(n);
        layout.Sources[name] = Relative(layoutFile, file);
        names[file] = name;
        return name;
    };
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x) {
            const CellOrigin& origin = origins.At({x, y});
            SheetLayout::Cell cell;
            cell.At = QPoint(x, y);
            switch (origin.Type) {
            case CellOrigin::Kind::Blank:
                if (!usesBackground)
                    continue; // what a layout without a background leaves blank
                cell.Type = SheetLayout::Cell::Kind::Blank;
                break;
            case CellOrigin::Kind::Picture:
                if (usesBackground && origin == CellOrigin::OfPicture({x, y}))
                    continue; // the background shows through
                if (pictureFile && !ownFile) {
                    cell.Type = SheetLayout::Cell::Kind::Source;
                    cell.From = nameOf(sheet.Background());
                    cell.SourceCell = origin.Cell;
                    cell.Orient = origin.Orient;
                    break;
                }
                [[fallthrough]];
            case CellOrigin::Kind::Pixels: {
                cell.Type = SheetLayout::Cell::Kind::Pixels;
                const QImage pixels = CellPixels(sheet.Image(), cell.At);
                cell.Pixels = SheetPixels(pixels);
                cell.Png = Png(pixels);
                break;
            }
            case CellOrigin::Kind::Source:
                cell.Type = SheetLayout::Cell::Kind::Source;
                cell.From = nameOf(origin.File);
                cell.SourceCell = origin.Cell;
                cell.Orient = origin.Orient;
                break;
            }
            layout.Cells.push_back(std::move(cell));
        }
    return layout;
}
