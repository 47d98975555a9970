// The sheet's document without a window: where every cell came from through flips and turns of
// a block, picks from the sheet, strokes, undo and redo, and when the sheet reads as saved.

#include "SheetDocument.h"
#include "TileGrid.h"

#include <QtTest>

namespace {
// Every pixel differs, so a cell misplaced or turned the wrong way shows.
QImage Pattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x / 256 * 16 + y / 256) & 0xFF));
    return image;
}

QImage CellOf(const QImage& image, QPoint cell) {
    return image.copy(QRect(cell * TileSize, QSize(TileSize, TileSize)));
}

// Each cell of the sheet holds what its origin says: the source's cell, turned as it says.
void VerifyCellsFollowOrigins(const TargetSheet& sheet, const QImage& source) {
    const QSize cells = sheet.Origins().Cells();
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x) {
            const CellOrigin& origin = sheet.Origins().At({x, y});
            if (origin.Type != CellOrigin::Kind::Source)
                continue;
            QVERIFY2(
                CellOf(sheet.Image(), {x, y}) == origin.Orient.Applied(CellOf(source, origin.Cell)),
                qPrintable(
                    QStringLiteral("cell %1,%2 (%3)").arg(x).arg(y).arg(origin.Orient.Name())));
        }
}
} // namespace

class TestDocument : public QObject {
    Q_OBJECT
  private slots:
    void originsFollowFlipsAndTurns_data();
    void originsFollowFlipsAndTurns();
    void sheetPicksStrokesAndUndo();
    void savedAfterUndoToSaved();
};

void TestDocument::originsFollowFlipsAndTurns_data() {
    QTest::addColumn<QString>("turns"); // h: flip horizontally, v: vertically, r: rotate
    for (const char* turns : {"", "r", "rr", "rrr", "h", "v", "hr", "vr", "rh", "hvr", "rvrh"})
        QTest::newRow(*turns ? turns : "none") << QString::fromLatin1(turns);
}

// A 3 x 2 block, flipped and turned, stamped: every cell's origin gives its pixels exactly.
void TestDocument::originsFollowFlipsAndTurns() {
    QFETCH(QString, turns);
    const QImage source = Pattern(QSize(512, 512));
    SelectedTile tile;
    const QRect block(QPoint(64, 128), QSize(192, 128));
    tile.Pick(source, block, TargetSheet::Blank(),
              OriginGrid::OfSource("art/a.png", QRect(1, 2, 3, 2)));
    for (const QChar turn : turns) {
        if (turn == u'h')
            tile.FlipHorizontally();
        else if (turn == u'v')
            tile.FlipVertically();
        else
            tile.RotateClockwise();
    }
    SheetDocument document(QSize(256, 1024), [] {});
    document.Stamp(tile, QPoint(0, 64));
    QCOMPARE(document.Sheet().Origins().At({0, 1}).File, QByteArray("art/a.png"));
    VerifyCellsFollowOrigins(document.Sheet(), source);
    QCOMPARE(document.Sheet().Origins().At({0, 0}).Type, CellOrigin::Kind::Blank);
}

// A pick from the sheet copies its cells' origins; a stroke and its undo and redo carry the
// origins with the pixels, as one step.
void TestDocument::sheetPicksStrokesAndUndo() {
    const QImage source = Pattern(QSize(256, 256));
    SheetDocument document(QSize(256, 1024), [] {});
    document.Open(Pattern(QSize(256, 1000)), "/sheets/old.tga");
    const OriginGrid opened = document.Sheet().Origins();
    QCOMPARE(opened.At({2, 3}), CellOrigin::OfPicture({2, 3}));

    SelectedTile tile;
    tile.Pick(source, QRect(64, 0, 64, 64), TargetSheet::Blank(),
              OriginGrid::OfSource("a.tga", QRect(1, 0, 1, 1)));
    tile.RotateClockwise();
    document.StartStroke();
    for (const int column : {0, 1, 2})
        document.Stamp(tile, QPoint(64 * column, 0));
    document.EndStroke();
    VerifyCellsFollowOrigins(document.Sheet(), source);

    // Ctrl-pick of cells 1..2 of row 0 and cell 3 of the last, partial row (pixels).
    SelectedTile fromSheet;
    fromSheet.Pick(document.Sheet().Image(), QRect(64, 0, 128, 64), TargetSheet::Blank(),
                   document.OriginsOf(QRect(64, 0, 128, 64)));
    fromSheet.FlipVertically();
    document.Stamp(fromSheet, QPoint(0, 192));
    const CellOrigin copied = document.Sheet().Origins().At({1, 3});
    QCOMPARE(copied.Cell, QPoint(1, 0));
    QCOMPARE(copied.Orient.Name(), QStringLiteral("flip-h-rotate-90"));
    VerifyCellsFollowOrigins(document.Sheet(), source);
    QCOMPARE(document.OriginsOf(QRect(192, 960, 64, 64)).At({0, 0}).Type, CellOrigin::Kind::Pixels);

    const OriginGrid stamped = document.Sheet().Origins();
    document.Undo(); // the copy
    document.Undo(); // the whole stroke
    QVERIFY(document.Sheet().Origins() == opened);
    QCOMPARE(document.History().UndoSteps(), size_t(1)); // the open: the stroke was one step
    document.Redo();
    document.Redo();
    QVERIFY(document.Sheet().Origins() == stamped);
    VerifyCellsFollowOrigins(document.Sheet(), source);

    document.Erase(QPoint(0, 0));
    QCOMPARE(document.Sheet().Origins().At({0, 0}).Type, CellOrigin::Kind::Blank);
}

// Opened and unchanged, or undone back to what was saved, the sheet has nothing unsaved.
void TestDocument::savedAfterUndoToSaved() {
    SheetDocument document(QSize(256, 768), [] {});
    document.Open(Pattern(QSize(256, 768)), "/s/a.tga");
    QVERIFY(!document.Sheet().Unsaved());
    SelectedTile tile;
    tile.Paste(Pattern(QSize(64, 64)));
    document.Stamp(tile, QPoint(0, 0));
    QVERIFY(document.Sheet().Unsaved());
    QCOMPARE(document.Sheet().Origins().At({0, 0}).Type, CellOrigin::Kind::Pixels);
    document.Undo();
    QVERIFY(!document.Sheet().Unsaved());
    document.Redo();
    QVERIFY(document.Sheet().Unsaved());
    document.Saved("/s/a.tga");
    document.Undo();
    QVERIFY(document.Sheet().Unsaved());
    document.Redo();
    QVERIFY(!document.Sheet().Unsaved());
    document.Stamp(tile, QPoint(0, 0)); // the same pixels from the same place: no change
    QVERIFY(!document.Sheet().Unsaved());
    document.Undo();
    document.Stamp(tile, QPoint(64, 0)); // a new change after an undo is never the saved sheet
    QVERIFY(document.Sheet().Unsaved());
}

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
