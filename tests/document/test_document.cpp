// The sheet's document without a window: where every cell came from through flips and turns of
// a block, picks from the sheet, strokes, undo and redo, and when the sheet reads as saved.

#include "Failure.h"
#include "ImageFile.h"
#include "LayoutBuild.h"
#include "LayoutOf.h"
#include "SheetBuild.h"
#include "SheetDocument.h"
#include "SheetPixels.h"
#include "TileGrid.h"
#include "WatchedFiles.h"

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
                CellOf(sheet.Image(), {x, y}) ==
                    Drawn(origin.Orient.Applied(SheetPixels(CellOf(source, origin.Cell)))),
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
    void newSheetIsOneStep();
    void pastedBlockInWholeCells();
    void layoutBuildsWhatWasStamped();
    void badLayoutsRefused_data();
    void badLayoutsRefused();
    void watchedFileReplacedByRename();
    void buildWritesTheWholeSheetOrNothing();
    void buildStaysInTheLayoutsFolder_data();
    void buildStaysInTheLayoutsFolder();
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

// New: blank, untitled, of the same size, linked to nothing, read as saved by the time anyone is
// told; one undo brings the sheet back with its file, layout and links.
void TestDocument::newSheetIsOneStep() {
    SheetDocument document(QSize(256, 768), [] {});
    document.Open(Pattern(QSize(256, 700)), "/w/old.tga");
    SelectedTile tile;
    tile.Pick(Pattern(QSize(128, 128)), QRect(64, 0, 64, 64), TargetSheet::Blank(),
              OriginGrid::OfSource("/w/a.png", QRect(1, 0, 1, 1)));
    document.Stamp(tile, QPoint(64, 128));
    document.SavedLayout("/w/wall.patchery", "/w/wall.tga");
    document.Stamp(tile, QPoint(0, 0));
    const TargetSheet::State was = document.Sheet().Whole();
    const size_t steps = document.History().UndoSteps();

    bool savedWhenTold = false;
    document.OnChanged([&](const QRect&) { savedWhenTold = !document.Sheet().Unsaved(); });
    document.New(QStringLiteral("Untitled"));
    QVERIFY(savedWhenTold);
    const TargetSheet& sheet = document.Sheet();
    QImage blank(QSize(256, 700), QImage::Format_RGB32);
    blank.fill(TargetSheet::BlankRgb);
    QCOMPARE(sheet.Image(), blank);
    QVERIFY(sheet.Picture().isNull());
    QCOMPARE(sheet.Title(), QStringLiteral("Untitled"));
    QVERIFY(sheet.FilePath().isEmpty() && sheet.LayoutFile().isEmpty() &&
            sheet.Background().isEmpty());
    QVERIFY(sheet.Origins() == OriginGrid(QSize(4, 11)));
    QVERIFY(document.SourceFiles().empty());
    QCOMPARE(document.History().UndoSteps(), steps + 1);

    document.Undo();
    const TargetSheet::State back = sheet.Whole();
    QCOMPARE(back.Image, was.Image);
    QCOMPARE(back.Title, was.Title);
    QCOMPARE(back.FilePath, QByteArray("/w/wall.tga"));
    QCOMPARE(back.LayoutFile, QByteArray("/w/wall.patchery"));
    QCOMPARE(back.Background, QByteArray("/w/old.tga"));
    QVERIFY(back.Origins == was.Origins);
    QCOMPARE(document.SourceFiles(), std::set<QByteArray>{"/w/a.png"});
    QVERIFY(sheet.Unsaved());
    document.Redo();
    QCOMPARE(sheet.Image(), blank);
    QVERIFY(!sheet.Unsaved());
}

// A picture pasted as a block: whole cells, its pixels in place, blank beyond its edges, in
// every cell a partial edge adds; a stamp of it records pixels of no file in each.
void TestDocument::pastedBlockInWholeCells() {
    const QImage picture = Pattern(QSize(130, 64));
    SelectedTile tile;
    tile.PasteBlock(picture, TargetSheet::Blank());
    QCOMPARE(tile.Cells(), QSize(3, 1));
    QCOMPARE(tile.Picture().size(), QSize(192, 64));
    QCOMPARE(tile.Picture().copy(picture.rect()), picture);
    QImage beyond(QSize(62, 64), QImage::Format_RGB32);
    beyond.fill(TargetSheet::BlankRgb);
    QCOMPARE(tile.Picture().copy(QRect(130, 0, 62, 64)), beyond);
    tile.PasteBlock(Pattern(QSize(1, 65)), TargetSheet::Blank());
    QCOMPARE(tile.Cells(), QSize(1, 2));
    tile.PasteBlock(picture, TargetSheet::Blank());

    SheetDocument document(QSize(256, 768), [] {});
    document.Stamp(tile, QPoint(64, 64));
    QCOMPARE(document.Sheet().Image().copy(QRect(64, 64, 192, 64)), tile.Picture());
    for (const int x : {1, 2, 3})
        QCOMPARE(document.Sheet().Origins().At({x, 1}).Type, CellOrigin::Kind::Pixels);
    QCOMPARE(document.Sheet().Origins().At({0, 1}).Type, CellOrigin::Kind::Blank);
    QCOMPARE(document.Sheet().Origins().At({1, 2}).Type, CellOrigin::Kind::Blank);

    tile.PasteBlock(QImage(), TargetSheet::Blank());
    QVERIFY(tile.IsNull());
    QCOMPARE(tile.Cells(), QSize());
}

// A sheet made of an opened picture, source cells turned, a sheet pick, a pasted picture and an
// erase: its layout, written and read back, builds exactly the sheet's pixels and origins, and
// writes the same bytes again.
void TestDocument::layoutBuildsWhatWasStamped() {
    const std::map<QByteArray, QImage> files{{"/w/art/a.png", Pattern(QSize(200, 256))},
                                             {"/w/old.tga", Pattern(QSize(256, 700)).mirrored()}};
    SheetDocument document(QSize(256, 1024), [] {});
    document.Open(files.at("/w/old.tga"), "/w/old.tga");
    SelectedTile tile;
    tile.Pick(files.at("/w/art/a.png"), QRect(128, 0, 128, 128), TargetSheet::Blank(),
              OriginGrid::OfSource("/w/art/a.png", QRect(2, 0, 2, 2)));
    tile.RotateClockwise();
    document.Stamp(tile, QPoint(0, 0));
    tile.Pick(document.Sheet().Image(), QRect(192, 320, 64, 64), TargetSheet::Blank(),
              document.OriginsOf(QRect(192, 320, 64, 64)));
    tile.FlipHorizontally();
    document.Stamp(tile, QPoint(128, 128));
    tile.Paste(Pattern(QSize(64, 64)).mirrored(true, false));
    document.Stamp(tile, QPoint(192, 0));
    document.Erase(QPoint(64, 256));
    document.Resize(document.Resized(QSize(256, 1000)), QStringLiteral("Untitled"), true);

    const QByteArray text = LayoutOf(document.Sheet(), "/w/wall.patchery", "/w/wall.tga").Text();
    QVERIFY2(text.startsWith("{\n  \"patchery\": 1,\n  \"size\": [256, 1000],"), text.left(80));
    QVERIFY2(text.contains("\"sources\": { \"a\": \"art/a.png\", \"old\": \"old.tga\" }"),
             text.constData());
    const SheetLayout read = SheetLayout::Parse(text, QStringLiteral("wall.patchery"));
    QCOMPARE(read.Text(), text);
    const BuiltSheet built = BuildLayout(read, "/w/wall.patchery", [&](const QByteArray& path) {
        return SheetPixels(files.at(path));
    });
    QVERIFY(built.Problems.empty());
    QCOMPARE(built.SheetFile, QByteArray("/w/wall.tga"));
    QVERIFY(Drawn(built.Image) == document.Sheet().Image());
    QCOMPARE(built.Origins.At({0, 1}), document.Sheet().Origins().At({0, 1}));
    QCOMPARE(built.Origins.At({2, 2}).Orient.Name(), QStringLiteral("flip-h"));

    // A source that cannot be read: said once for its cells, which keep the fallback's pixels.
    const QImage fallback = Pattern(QSize(256, 1000));
    const BuiltSheet missing = BuildLayout(
        read, "/w/wall.patchery",
        [&](const QByteArray& path) {
            if (path.endsWith("a.png"))
                throw Failure("cannot open", "No such file or directory");
            return SheetPixels(files.at(path));
        },
        SheetPixels(fallback));
    QCOMPARE(missing.Problems.size(), size_t(1));
    QCOMPARE(QString::fromStdString(missing.Problems.front()),
             QStringLiteral("cell 0,0: art/a.png: No such file or directory"));
    QVERIFY(CellOf(Drawn(missing.Image), {1, 1}) == CellOf(fallback, {1, 1}));
    QCOMPARE(missing.Origins.At({1, 1}).File, QByteArray("/w/art/a.png"));

    // Opened, it is what is on disk already when the window hears of it: nothing to keep for
    // recovery. Kept anyway and restored: the same links, so the sheet still follows its
    // sources and saves its layout.
    bool savedWhenTold = false;
    document.OnChanged([&](const QRect&) { savedWhenTold = !document.Sheet().Unsaved(); });
    document.OpenLayout(built, "/w/wall.patchery");
    QVERIFY(savedWhenTold);
    SheetDocument restored(QSize(256, 768), [] {});
    restored.Restore(document.Sheet().Image(), "/w/wall.tga", QStringLiteral("Untitled"),
                     document.Links());
    QVERIFY(restored.Sheet().Origins() == document.Sheet().Origins());
    QCOMPARE(restored.Sheet().LayoutFile(), QByteArray("/w/wall.patchery"));
    QCOMPARE(restored.Sheet().Background(), QByteArray("/w/old.tga"));
    QVERIFY(restored.Sheet().Unsaved());
}

void TestDocument::badLayoutsRefused_data() {
    QTest::addColumn<QByteArray>("cells");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const char* cells, const char* message) {
        QTest::newRow(name) << QByteArray(cells) << QString::fromLatin1(message);
    };
    row("newer version", "] , \"patchery\": 2, \"x\": [",
        "l.patchery: \"patchery\": version 2 is newer than this program reads (1)");
    row("unknown orient",
        "{\"at\": [1, 2], \"from\": \"g\", \"cell\": [0, 0], \"orient\": \"twist\"}",
        "l.patchery: cell 1,2: unknown \"orient\": \"twist\"");
    row("duplicate", "{\"at\": [0, 0], \"blank\": true}, {\"at\": [0, 0], \"blank\": true}",
        "l.patchery: cell 0,0: named twice");
    row("outside the sheet", "{\"at\": [4, 0], \"blank\": true}",
        "l.patchery: cell 4,0: outside the sheet's 4 x 16 cells");
    row("missing cell", "{\"at\": [0, 3], \"from\": \"g\"}",
        "l.patchery: cell 0,3: missing \"cell\"");
    row("unknown source", "{\"at\": [0, 3], \"from\": \"h\", \"cell\": [0, 0]}",
        "l.patchery: cell 0,3: \"from\" names no source: \"h\"");
    row("pixels of another size", "{\"at\": [0, 0], \"pixels\": \"iVBORw0KGgo=\"}",
        "l.patchery: cell 0,0: \"pixels\" is not a 64 x 64 PNG");
}

void TestDocument::badLayoutsRefused() {
    QFETCH(QByteArray, cells);
    QFETCH(QString, message);
    // Duplicate keys: the later one counts, so a row may replace "patchery".
    const QByteArray text = "{\"patchery\": 1, \"size\": [256, 1024], \"sheet\": \"s.tga\", "
                            "\"sources\": {\"g\": \"g.png\"}, \"cells\": [" +
                            cells + "]}";
    try {
        ParseLayout(text, QStringLiteral("l.patchery"));
        QFAIL("accepted");
    } catch (const Failure& failure) {
        QCOMPARE(QString::fromStdString(failure.what()), message);
    }
}

// An editor that saves by writing a new file and renaming it over the old one is seen once; the
// program's own write is not reported; a removal is.
void TestDocument::watchedFileReplacedByRename() {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("a.png")));
    const auto write = [](const QByteArray& file, const QByteArray& bytes) {
        QFile out(QFile::decodeName(file));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    };
    write(path, "first");
    WatchedFiles watched(nullptr, 50);
    watched.Watch(path);
    QSignalSpy changed(&watched, &WatchedFiles::Changed);
    QSignalSpy removed(&watched, &WatchedFiles::Removed);
    for (int i = 0; i < 2; ++i) {
        write(path + ".new", "second, longer " + QByteArray::number(i));
        QVERIFY(::rename(path + ".new", path) == 0);
        QTRY_COMPARE(changed.size(), i + 1);
    }
    write(path, "our own");
    watched.Ignore(path);
    QTest::qWait(200);
    QCOMPARE(changed.size(), 2);
    QFile::remove(QFile::decodeName(path));
    QTRY_COMPARE(removed.size(), 1);
    QCOMPARE(changed.size(), 2);
}

namespace {
QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray LayoutText(const char* sheet, const char* source, int version = 1) {
    return "{\"patchery\": " + QByteArray::number(version) +
           ", \"size\": [256, 768], \"sheet\": \"" + sheet + "\", \"sources\": {\"a\": \"" +
           source +
           "\"}, \"cells\": [{\"at\": [3, 2], \"from\": \"a\", \"cell\": [1, 0], "
           "\"orient\": \"flip-h\"}]}";
}

std::vector<std::string> Lines(std::initializer_list<QString> lines) {
    std::vector<std::string> all;
    for (const QString& line : lines)
        all.push_back(line.toStdString());
    return all;
}
} // namespace

// --build writes the sheet the layout names and --check finds it current; a change on disk, a
// missing sheet, a missing source, a newer version and a source too large to read unasked give
// their exit status and their one line each, and leave the sheet on disk as it was.
void TestDocument::buildWritesTheWholeSheetOrNothing() {
    QTemporaryDir dir;
    const QString layout = dir.filePath(QStringLiteral("wall.patchery"));
    const QString sheet = dir.filePath(QStringLiteral("wall.tga"));
    const SheetBuildRequest request{QFile::encodeName(layout), {}, false, QtImageReaders()};
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("art")));
    const QImage source = Pattern(QSize(128, 64));
    QVERIFY(source.save(dir.filePath(QStringLiteral("art/a.png"))));
    Write(layout, LayoutText("wall.tga", "art/a.png"));

    SheetBuildResult result = BuildSheetFile(request);
    QCOMPARE(result.Lines, std::vector<std::string>());
    QCOMPARE(result.Status, 0);
    const QImage built = LoadPicture(LocalPath(sheet));
    QCOMPARE(built.size(), QSize(256, 768));
    QVERIFY(CellOf(built, {3, 2}) == CellOf(source, {1, 0}).mirrored(true, false));
    QCOMPARE(QColor(built.pixel(255, 767)), TargetSheet::Blank());
    QCOMPARE(CheckSheetFile(request).Status, 0);

    const QByteArray good = Read(sheet);
    QByteArray changed = good;
    changed[changed.size() - 1] = char(changed.back() ^ 1);
    Write(sheet, changed);
    result = CheckSheetFile(request);
    QCOMPARE(result.Status, 1);
    QCOMPARE(result.Lines, Lines({layout + QStringLiteral(": ") + sheet +
                                  QStringLiteral(": not what the layout builds now")}));
    Write(sheet, good + "x"); // a byte more: a save of the same pixels would not have it
    QCOMPARE(CheckSheetFile(request).Status, 1);
    QVERIFY(QFile::remove(sheet));
    result = CheckSheetFile(request);
    QCOMPARE(result.Status, 1);
    QCOMPARE(result.Lines, Lines({layout + QStringLiteral(": ") + sheet +
                                  QStringLiteral(": No such file or directory")}));

    Write(sheet, good);
    Write(layout, LayoutText("wall.tga", "art/gone.png"));
    result = BuildSheetFile(request);
    QCOMPARE(result.Status, 1);
    QCOMPARE(
        result.Lines,
        Lines({layout + QStringLiteral(": cell 3,2: art/gone.png: No such file or directory")}));
    QCOMPARE(Read(sheet), good);
    QCOMPARE(CheckSheetFile(request).Status, 2);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("wall.patchery"), QStringLiteral("wall.tga")}));

    Write(layout, LayoutText("wall.tga", "art/a.png", 2));
    result = BuildSheetFile(request);
    QCOMPARE(result.Status, 1);
    QCOMPARE(result.Lines, Lines({layout + QStringLiteral(": \"patchery\": version 2 is newer "
                                                          "than this program reads (1)")}));
    QCOMPARE(CheckSheetFile(request).Status, 2);

    // A header declaring 10000 x 10000 pixels: refused before any is read, unless allowed.
    Write(dir.filePath(QStringLiteral("art/huge.pgm")), "P5 10000 10000 255\n");
    Write(layout, LayoutText("wall.tga", "art/huge.pgm"));
    result = BuildSheetFile(request);
    QCOMPARE(result.Lines,
             Lines({layout + QStringLiteral(": cell 3,2: art/huge.pgm: its 10000 x 10000 pixels "
                                            "need 286.1 MB of memory; --allow-large reads it")}));
    result = BuildSheetFile({request.Layout, {}, true, QtImageReaders()});
    QCOMPARE(result.Status, 1);
    QVERIFY(!result.Lines.front().ends_with("--allow-large reads it"));
    QCOMPARE(Read(sheet), good);
}

void TestDocument::buildStaysInTheLayoutsFolder_data() {
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QString>("reason");
    QTest::newRow("parent") << QByteArray("sub/../../out/x.tga")
                            << QStringLiteral("leads out of the layout's folder");
    QTest::newRow("absolute") << QByteArray("OUT/x.tga") << QStringLiteral("is an absolute path");
    QTest::newRow("folder link") << QByteArray("link/x.tga")
                                 << QStringLiteral(
                                        "leads out of the layout's folder through a symbolic link");
    QTest::newRow("file link") << QByteArray("x.tga")
                               << QStringLiteral(
                                      "is a symbolic link that leads out of the layout's folder");
}

// A layout from someone else cannot make --build write outside its own folder, whatever way its
// "sheet" leads there; --output names the file instead.
void TestDocument::buildStaysInTheLayoutsFolder() {
    QFETCH(QByteArray, sheet);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("in/sub")) && root.mkdir(QStringLiteral("out")));
    QVERIFY(
        QFile::link(dir.filePath(QStringLiteral("out")), dir.filePath(QStringLiteral("in/link"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("out/x.tga")),
                        dir.filePath(QStringLiteral("in/x.tga"))));
    QVERIFY(Pattern(QSize(128, 64)).save(dir.filePath(QStringLiteral("in/a.png"))));
    sheet.replace("OUT", QFile::encodeName(dir.filePath(QStringLiteral("out"))));
    const QString layout = dir.filePath(QStringLiteral("in/l.patchery"));
    Write(layout, LayoutText(sheet.constData(), "a.png"));

    SheetBuildResult result =
        BuildSheetFile({QFile::encodeName(layout), {}, false, QtImageReaders()});
    QCOMPARE(result.Status, 1);
    QCOMPARE(result.Lines, Lines({layout + QStringLiteral(": \"sheet\": ") +
                                  QFile::decodeName(sheet) + QLatin1Char(' ') + reason +
                                  QStringLiteral("; --output names where to write instead")}));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList());

    const QString output = dir.filePath(QStringLiteral("out/chosen.tga"));
    result = BuildSheetFile(
        {QFile::encodeName(layout), QFile::encodeName(output), false, QtImageReaders()});
    QCOMPARE(result.Status, 0);
    QCOMPARE(LoadPicture(LocalPath(output)).size(), QSize(256, 768));
}

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
