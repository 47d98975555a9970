#include "LayoutBuild.h"

#include "Failure.h"
#include "TileGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <optional>

namespace {
QString Folder(const QByteArray& layoutFile) {
    return QFileInfo(QFile::decodeName(layoutFile)).absolutePath();
}

// The path of file as a layout in layoutFile's folder writes it.
QString Relative(const QByteArray& layoutFile, const QByteArray& file) {
    return QDir(Folder(layoutFile)).relativeFilePath(QFile::decodeName(file));
}

QString CellName(QPoint at) {
    return QStringLiteral("cell %1,%2").arg(at.x()).arg(at.y());
}

bool SameFile(const QByteArray& a, const QByteArray& b) {
    const QFileInfo first(QFile::decodeName(a)), second(QFile::decodeName(b));
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

void Draw(QImage& into, QPoint at, const QImage& pixels) {
    QPainter painter(&into);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(at, pixels);
}
} // namespace

QImage OrientedCell(const QImage& source, QPoint cell, Orientation orient) {
    QImage pixels(TileSize, TileSize, QImage::Format_RGB32);
    pixels.fill(TargetSheet::Blank());
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(pixels.rect(), source, QRect(cell * TileSize, pixels.size()));
    painter.end();
    return orient.Applied(pixels);
}

QByteArray LayoutPath(const QByteArray& layoutFile, const QString& path) {
    return QFile::encodeName(QDir::cleanPath(QDir(Folder(layoutFile)).absoluteFilePath(path)));
}

BuiltSheet BuildLayout(const SheetLayout& layout, const QByteArray& layoutFile,
                       const PictureReader& read, const QImage& fallback) {
    BuiltSheet built;
    built.SheetFile = LayoutPath(layoutFile, layout.Sheet);
    built.Image = QImage(layout.Size, QImage::Format_RGB32);
    if (built.Image.isNull())
        throw std::bad_alloc();
    built.Image.fill(TargetSheet::Blank());
    const QSize cells = OriginGrid::CellsOf(layout.Size);
    built.Origins = OriginGrid(cells);

    // Each file read once, however many cells name it; one that fails is said once.
    std::map<QByteArray, std::optional<QImage>> pictures;
    const auto picture = [&](const QString& path, const QString& entry) -> const QImage* {
        const QByteArray file = LayoutPath(layoutFile, path);
        auto it = pictures.find(file);
        if (it == pictures.end()) {
            std::optional<QImage> read_;
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

    if (!layout.Background.isEmpty()) {
        built.Background = LayoutPath(layoutFile, layout.Background);
        if (const QImage* background = picture(layout.Background, QStringLiteral("background"))) {
            built.Picture = *background;
            Draw(built.Image, QPoint(0, 0), *background);
        } else if (!fallback.isNull()) {
            Draw(built.Image, QPoint(0, 0), fallback);
        }
        built.Origins = OriginGrid::OfPicture(cells);
    }
    for (const SheetLayout::Cell& cell : layout.Cells) {
        const QPoint at = cell.At * TileSize;
        const QRect area(at, QSize(TileSize, TileSize));
        if (cell.Type == SheetLayout::Cell::Kind::Blank) {
            QPainter(&built.Image).fillRect(area, TargetSheet::Blank());
            built.Origins.Set(cell.At, CellOrigin::Blank());
        } else if (cell.Type == SheetLayout::Cell::Kind::Pixels) {
            Draw(built.Image, at, cell.Pixels);
            built.Origins.Set(cell.At, CellOrigin::OfPixels());
        } else {
            const QString& path = layout.Sources.at(cell.From);
            const QByteArray file = LayoutPath(layoutFile, path);
            built.Origins.Set(cell.At, CellOrigin::OfSource(file, cell.SourceCell, cell.Orient));
            if (const QImage* source = picture(path, CellName(cell.At))) {
                if (!QRect(QPoint(0, 0), OriginGrid::CellsOf(source->size()))
                         .contains(cell.SourceCell)) {
                    built.Problems.push_back(
                        CellName(cell.At).toStdString() + ": " + path.toStdString() + ": cell " +
                        std::to_string(cell.SourceCell.x()) + "," +
                        std::to_string(cell.SourceCell.y()) + " lies outside its " +
                        std::to_string(source->width()) + " x " + std::to_string(source->height()) +
                        " pixels");
                    continue;
                }
                Draw(built.Image, at, OrientedCell(*source, cell.SourceCell, cell.Orient));
            } else if (!fallback.isNull()) {
                Draw(built.Image, at, fallback.copy(area));
            }
        }
    }
    return built;
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
            case CellOrigin::Kind::Pixels:
                cell.Type = SheetLayout::Cell::Kind::Pixels;
                cell.Pixels = QImage(TileSize, TileSize, QImage::Format_RGB32);
                cell.Pixels.fill(TargetSheet::Blank());
                Draw(cell.Pixels, QPoint(0, 0),
                     sheet.Image().copy(QRect(cell.At * TileSize, QSize(TileSize, TileSize))));
                break;
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
