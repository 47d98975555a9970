// SheetLayout::Parse, the reader of layout files, which come from other people: any input is
// either refused with a Failure naming the file, or read into a layout whose cells lie on the
// sheet, each once, from sources it names; such a layout written out reads back as itself.

#include "FuzzInput.h"

#include "Failure.h"
#include "OriginGrid.h"
#include "OtherReaderNeeded.h"
#include "SheetLayout.h"

#include <QByteArray>
#include <QString>

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString file = QStringLiteral("f.patchery");
    SheetLayout layout;
    try {
        layout = SheetLayout::Parse(text, file);
    } catch (const Failure& failure) {
        Check(std::string(failure.what()).starts_with("f.patchery: "),
              "a refusal does not name the file");
        return 0;
    } catch (const OtherReaderNeeded&) {
        return 0; // a cell's PNG of a kind left to Qt's reader
    } catch (...) {
        Fail("a refusal that is no Failure");
    }
    Check(layout.Size.width() >= 1 && layout.Size.width() <= 32767 && layout.Size.height() >= 1 &&
              layout.Size.height() <= 32767,
          "a size no sheet can have");
    Check(!layout.Sheet.isEmpty(), "no sheet");
    const QRect sheet(QPoint(0, 0), OriginGrid::CellsOf(layout.Size));
    std::set<std::pair<int, int>> seen;
    for (const SheetLayout::Cell& cell : layout.Cells) {
        Check(sheet.contains(cell.At), "a cell outside the sheet");
        Check(seen.insert({cell.At.x(), cell.At.y()}).second, "a cell named twice");
        if (cell.Type == SheetLayout::Cell::Kind::Source)
            Check(layout.Sources.count(cell.From) && cell.SourceCell.x() >= 0 &&
                      cell.SourceCell.y() >= 0,
                  "a source cell from nowhere");
        if (cell.Type == SheetLayout::Cell::Kind::Pixels)
            Check(cell.Pixels.Width == 64 && cell.Pixels.Height == 64 && cell.Pixels.Bits == 24 &&
                      cell.Pixels.Pixels.size() == 64 * 64 * 3,
                  "pixels not 64 x 64 at 24 bits");
    }
    const QByteArray written = layout.Text();
    try {
        Check(SheetLayout::Parse(written, file).Text() == written,
              "a written layout reads back as another");
    } catch (const Failure&) {
        Fail("a written layout is refused");
    }
    return 0;
}
