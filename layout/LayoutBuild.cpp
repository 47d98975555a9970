#include "LayoutBuild.h"

#include "Failure.h"
#include "OtherReaderNeeded.h"
#include "TileGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace {
QString CellName(QPoint at) {
    return QStringLiteral("cell %1,%2").arg(at.x()).arg(at.y());
}

ImageData Blank(QSize size) {
    ImageData image;
    image.Width = size.width();
    image.Height = size.height();
    image.Bits = 24;
    image.Pixels.assign(size_t{3} * size_t(image.Width) * size_t(image.Height), BlankLevel);
    return image;
}

// Copies the area of from at its own place into into at to, clipped to both.
void Copy(ImageData& into, QPoint to, const ImageData& from, QRect area) {
    area &= QRect(0, 0, from.Width, from.Height);
    area &= QRect(0, 0, into.Width, into.Height).translated(area.topLeft() - to);
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memcpy(&into.Pixels[3 * (size_t(to.y() + y - area.top()) * size_t(into.Width) +
                                      size_t(to.x()))],
                    &from.Pixels[3 * (size_t(y) * size_t(from.Width) + size_t(area.left()))],
                    size_t{3} * size_t(area.width()));
}

void Draw(ImageData& into, QPoint at, const ImageData& pixels) {
    Copy(into, at, pixels, QRect(0, 0, pixels.Width, pixels.Height));
}
} // namespace

ImageData OrientedCell(const ImageData& source, QPoint cell, Orientation orient) {
    ImageData pixels = Blank(QSize(TileSize, TileSize));
    Copy(pixels, QPoint(0, 0), source, QRect(cell * TileSize, QSize(TileSize, TileSize)));
    return orient.Applied(std::move(pixels));
}

QString LayoutFolder(const QByteArray& layoutFile) {
    return QFileInfo(QFile::decodeName(layoutFile)).absolutePath();
}

QByteArray LayoutPath(const QByteArray& layoutFile, const QString& path) {
    return QFile::encodeName(
        QDir::cleanPath(QDir(LayoutFolder(layoutFile)).absoluteFilePath(path)));
}

BuiltSheet BuildLayout(const SheetLayout& layout, const QByteArray& layoutFile,
                       const PictureReader& read, const ImageData& fallback) {
    BuiltSheet built;
    built.SheetFile = LayoutPath(layoutFile, layout.Sheet);
    built.Image = Blank(layout.Size);
    const QSize cells = OriginGrid::CellsOf(layout.Size);
    built.Origins = OriginGrid(cells);

    // Each file read once, however many cells name it; one that fails is said once.
    std::map<QByteArray, std::optional<ImageData>> pictures;
    const auto picture = [&](const QString& path, const QByteArray& file,
                             const QString& entry) -> const ImageData* {
        auto it = pictures.find(file);
        if (it == pictures.end()) {
            std::optional<ImageData> read_;
            try {
                read_ = read(file);
            } catch (const std::exception& e) {
                built.Problems.push_back(entry.toStdString() + ": " + path.toStdString() + ": " +
                                         (dynamic_cast<const Failure*>(&e)
                                              ? static_cast<const Failure&>(e).Reason
                                              : std::string(e.what())));
                built.Unread.push_back(file);
            }
            it = pictures.emplace(file, std::move(read_)).first;
        }
        return it->second ? &*it->second : nullptr;
    };
    const bool hasFallback = !fallback.Pixels.empty();

    if (!layout.Background.isEmpty()) {
        built.Background = LayoutPath(layoutFile, layout.Background);
        if (const ImageData* background =
                picture(layout.Background, built.Background, QStringLiteral("background"))) {
            built.Picture = *background;
            Draw(built.Image, QPoint(0, 0), *background);
        } else if (hasFallback) {
            Draw(built.Image, QPoint(0, 0), fallback);
        }
        built.Origins = OriginGrid::OfPicture(cells);
    }
    const ImageData blankCell = Blank(QSize(TileSize, TileSize));
    std::map<QString, QByteArray> files; // each source's file, by its name
    for (const auto& [name, path] : layout.Sources)
        files[name] = LayoutPath(layoutFile, path);
    for (const SheetLayout::Cell& cell : layout.Cells) {
        const QPoint at = cell.At * TileSize;
        const QRect area(at, QSize(TileSize, TileSize));
        if (cell.Type == SheetLayout::Cell::Kind::Blank) {
            Draw(built.Image, at, blankCell);
            built.Origins.Set(cell.At, CellOrigin::Blank());
        } else if (cell.Type == SheetLayout::Cell::Kind::Pixels) {
            Draw(built.Image, at, cell.Pixels);
            built.Origins.Set(cell.At, CellOrigin::OfPixels());
        } else {
            const QString& path = layout.Sources.at(cell.From);
            const QByteArray& file = files.at(cell.From);
            built.Origins.Set(cell.At, CellOrigin::OfSource(file, cell.SourceCell, cell.Orient));
            if (const ImageData* source = picture(path, file, CellName(cell.At))) {
                if (!QRect(QPoint(0, 0), OriginGrid::CellsOf(QSize(source->Width, source->Height)))
                         .contains(cell.SourceCell)) {
                    built.Problems.push_back(CellName(cell.At).toStdString() + ": " +
                                             path.toStdString() + ": cell " +
                                             std::to_string(cell.SourceCell.x()) + "," +
                                             std::to_string(cell.SourceCell.y()) +
                                             " lies outside its " + std::to_string(source->Width) +
                                             " x " + std::to_string(source->Height) + " pixels");
                    continue;
                }
                Draw(built.Image, at, OrientedCell(*source, cell.SourceCell, cell.Orient));
            } else if (hasFallback) {
                Draw(built.Image, at, blankCell);
                Copy(built.Image, at, fallback, area);
            }
        }
    }
    return built;
}
