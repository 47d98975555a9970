#include "SheetDocument.h"

#include "ImageFile.h"
#include "SheetPixels.h"
#include "TileGrid.h"

SheetDocument::SheetDocument(QSize size, std::function<void()> historyChanged, int64_t historyLimit)
    : sheet_(size), history_(sheet_, std::move(historyChanged), historyLimit) {}

void SheetDocument::Open(const QImage& picture, const QByteArray& file) {
    SheetHistory::Step before = history_.Sheet();
    sheet_.Open(picture, file);
    sheet_.SetAutoSize(true);
    history_.Record(std::move(before));
}

void SheetDocument::Resize(QImage resized, const QString& title, bool autoSize) {
    SheetHistory::Step before = history_.Sheet();
    if (!resized.isNull() && resized.size() != sheet_.Size())
        sheet_.SetResized(std::move(resized));
    sheet_.SetAutoSize(autoSize);
    sheet_.SetTitle(title);
    history_.Record(std::move(before));
}

void SheetDocument::New(const QString& untitledTitle) {
    SheetHistory::Step before = history_.Sheet();
    TargetSheet::State state = TargetSheet(sheet_.Size()).Whole();
    state.AutoSize = sheet_.AutoSize();
    state.Title = untitledTitle;
    sheet_.Replace(state, true);
    history_.Record(std::move(before));
}

void SheetDocument::Stamp(const SelectedTile& tile, QPoint topLeft) {
    if (tile.IsNull())
        return;
    SheetHistory::Step before = history_.Cell(QRect(topLeft, tile.Cells() * TileSize));
    sheet_.Stamp(tile.Picture(), topLeft, tile.Cells(), tile.Origins());
    history_.Record(std::move(before));
}

void SheetDocument::Erase(QPoint topLeft) {
    SheetHistory::Step before = history_.Cell(QRect(topLeft, QSize(TileSize, TileSize)));
    sheet_.Erase(topLeft);
    history_.Record(std::move(before));
}

namespace {
// Never "-", which stands for no file.
QByteArray Encoded(const QByteArray& file) {
    return file.toPercentEncoding({}, "-");
}

struct SheetLinks {
    OriginGrid Origins;
    QByteArray Background, LayoutFile;
};

// Lines: "layout FILE", "background FILE", "cells W H", then one "cell X Y KIND CX CY FLIP TURNS
// FILE" for each cell that is not blank; files percent-encoded.
SheetLinks ReadLinks(const QByteArray& text, QSize cells) {
    SheetLinks links;
    links.Origins = OriginGrid(cells, CellOrigin::OfPixels());
    bool sized = false;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.value(0) == "layout" && words.size() == 2) {
            links.LayoutFile = QByteArray::fromPercentEncoding(words[1]);
        } else if (words.value(0) == "background" && words.size() == 2) {
            links.Background = QByteArray::fromPercentEncoding(words[1]);
        } else if (words.value(0) == "cells" && words.size() == 3) {
            sized = QSize(words[1].toInt(), words[2].toInt()) == cells;
            if (sized)
                links.Origins = OriginGrid(cells);
        } else if (words.value(0) == "cell" && words.size() == 9 && sized) {
            const QPoint at(words[1].toInt(), words[2].toInt());
            const int kind = words[3].toInt();
            if (!QRect(QPoint(0, 0), cells).contains(at) || kind < 0 || kind > 3)
                continue;
            const QByteArray file =
                words[8] == "-" ? QByteArray() : QByteArray::fromPercentEncoding(words[8]);
            CellOrigin origin{CellOrigin::Kind(kind), file,
                              QPoint(words[4].toInt(), words[5].toInt()),
                              Orientation{words[6] == "1", words[7].toInt() & 3}};
            links.Origins.Set(at, origin);
        }
    }
    return links;
}
} // namespace

namespace {
QByteArray LinksOf(const OriginGrid& origins, const QByteArray& layoutFile,
                   const QByteArray& background) {
    QByteArray text;
    if (!layoutFile.isEmpty())
        text += "layout " + Encoded(layoutFile) + '\n';
    if (!background.isEmpty())
        text += "background " + Encoded(background) + '\n';
    text += "cells " + QByteArray::number(origins.Cells().width()) + ' ' +
            QByteArray::number(origins.Cells().height()) + '\n';
    for (int y = 0; y < origins.Cells().height(); ++y)
        for (int x = 0; x < origins.Cells().width(); ++x) {
            const CellOrigin& o = origins.At({x, y});
            if (o.Type == CellOrigin::Kind::Blank)
                continue;
            text += "cell " + QByteArray::number(x) + ' ' + QByteArray::number(y) + ' ' +
                    QByteArray::number(int(o.Type)) + ' ' + QByteArray::number(o.Cell.x()) + ' ' +
                    QByteArray::number(o.Cell.y()) + ' ' + (o.Orient.Flip ? "1 " : "0 ") +
                    QByteArray::number(o.Orient.Turns) + ' ' +
                    (o.File.isEmpty() ? QByteArray("-") : Encoded(o.File)) + '\n';
        }
    return text;
}

// A source's cell as the sheet holds it, turned as a layout's build turns it.
QImage SheetCell(const QImage& source, const CellOrigin& origin) {
    const QRect area = QRect(origin.Cell * TileSize, QSize(TileSize, TileSize)) & source.rect();
    return Drawn(OrientedCell(SheetPixels(source.copy(area)), QPoint(0, 0), origin.Orient));
}
} // namespace

QByteArray SheetDocument::Links() const {
    return LinksOf(sheet_.Origins(), sheet_.LayoutFile(), sheet_.Background());
}

// A copy of the origins is all the window's thread pays at a change; the text is made on the
// recovery's thread, where it is written.
std::function<QByteArray()> SheetDocument::LinksSnapshot() const {
    return [origins = sheet_.Origins(), layout = sheet_.LayoutFile(),
            background = sheet_.Background()] { return LinksOf(origins, layout, background); };
}

void SheetDocument::Restore(const QImage& image, const QByteArray& file,
                            const QString& untitledTitle, const QByteArray& linksText) {
    SheetHistory::Step before = history_.Sheet();
    TargetSheet::State state;
    state.Image = image.copy(); // stamps go into the drawing, never into the picture
    if (state.Image.isNull() && !image.isNull())
        throw std::bad_alloc();
    state.Picture = image;
    state.AutoSize = true;
    state.FilePath = file;
    state.Title = file.isEmpty() ? untitledTitle : TargetSheet::FileName(file);
    const SheetLinks links = ReadLinks(linksText, OriginGrid::CellsOf(image.size()));
    state.Origins = links.Origins;
    state.Background = links.Background;
    state.LayoutFile = links.LayoutFile;
    sheet_.Replace(state);
    history_.Record(std::move(before));
}

void SheetDocument::OpenLayout(const BuiltSheet& built, const QByteArray& layoutFile) {
    SheetHistory::Step before = history_.Sheet();
    TargetSheet::State state;
    state.Image = Drawn(built.Image);
    state.Picture = built.Picture.Pixels.empty() ? QImage() : Drawn(built.Picture);
    state.AutoSize = true;
    state.FilePath = built.SheetFile;
    state.Title = TargetSheet::FileName(built.SheetFile);
    state.Origins = built.Origins;
    state.Background = built.Background;
    state.LayoutFile = layoutFile;
    sheet_.Replace(state, true); // what the layout builds is what is on disk
    history_.Record(std::move(before));
}

std::set<QByteArray> SheetDocument::SourceFiles() const {
    std::set<QByteArray> files;
    const OriginGrid& origins = sheet_.Origins();
    for (int y = 0; y < origins.Cells().height(); ++y)
        for (int x = 0; x < origins.Cells().width(); ++x) {
            const CellOrigin& origin = origins.At({x, y});
            if (origin.Type == CellOrigin::Kind::Source)
                files.insert(origin.File);
        }
    return files;
}

SheetDocument::Restamped SheetDocument::Restamp(const std::map<QByteArray, QImage>& pictures) {
    Restamped done;
    std::vector<QPoint> cells;
    const OriginGrid& origins = sheet_.Origins();
    for (int y = 0; y < origins.Cells().height(); ++y)
        for (int x = 0; x < origins.Cells().width(); ++x) {
            const CellOrigin& origin = origins.At({x, y});
            const auto picture = pictures.find(origin.File);
            if (origin.Type != CellOrigin::Kind::Source || picture == pictures.end())
                continue;
            if (QRect(QPoint(0, 0), OriginGrid::CellsOf(picture->second.size()))
                    .contains(origin.Cell))
                cells.push_back({x, y});
            else
                ++done.Outside;
        }
    std::vector<QRect> areas;
    for (const QPoint cell : cells)
        areas.emplace_back(cell * TileSize, QSize(TileSize, TileSize));
    SheetHistory::Step before = history_.Cells(areas);
    for (const QPoint cell : cells) {
        const CellOrigin origin = origins.At(cell);
        sheet_.Stamp(SheetCell(pictures.at(origin.File), origin), cell * TileSize, QSize(1, 1),
                     OriginGrid(QSize(1, 1), origin));
    }
    done.Cells = int(cells.size());
    if (!cells.empty())
        history_.Record(std::move(before));
    return done;
}

OriginGrid SheetDocument::OriginsOf(const QRect& block) const {
    const QRect cells(block.topLeft() / TileSize, block.size() / TileSize);
    OriginGrid copy = sheet_.Origins().Copy(cells);
    for (int y = 0; y < copy.Cells().height(); ++y)
        for (int x = 0; x < copy.Cells().width(); ++x) {
            const QRect cell((cells.topLeft() + QPoint(x, y)) * TileSize,
                             QSize(TileSize, TileSize));
            if (!sheet_.Image().rect().contains(cell) &&
                copy.At({x, y}).Type != CellOrigin::Kind::Blank)
                copy.Set({x, y}, CellOrigin::OfPixels());
        }
    return copy;
}
