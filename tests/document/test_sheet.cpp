// The target sheet and its history, without a window: stamps, sizes, opened pictures, undo and
// redo, the history's bound, and memory that runs out.

#include "Failure.h"
#include "SelectedTile.h"
#include "SheetHistory.h"
#include "SheetRecovery.h"
#include "Stroke.h"
#include "TargetSheet.h"
#include "TileGrid.h"

#include <QPainter>
#include <QtTest>

#include <memory>

#include <sys/resource.h>

namespace {
const QColor Blank(239, 239, 239);

QImage Filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
const QRgb B = Blank.rgb() & 0xFFFFFF;

// A tile whose every pixel differs: a misplaced or mirrored copy shows.
QImage Pattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x, y, (x * 7 + y) & 0xFF));
    return image;
}

QRgb At(const TargetSheet& sheet, int x, int y) {
    return sheet.Image().pixel(x, y) & 0xFFFFFF;
}

bool SameState(const TargetSheet::State& a, const TargetSheet::State& b) {
    return a.Image == b.Image && a.Picture == b.Picture && a.AutoSize == b.AutoSize &&
           a.Title == b.Title && a.FilePath == b.FilePath;
}

// Lowers the address-space limit while it lives, so that a large allocation fails as it would
// on a smaller machine. AddressSanitizer cannot run under such a limit: there the test's
// environment caps each allocation instead.
struct MemoryCeiling {
    rlimit saved{};
    explicit MemoryCeiling(rlim_t extra) {
        getrlimit(RLIMIT_AS, &saved);
#ifndef __SANITIZE_ADDRESS__
        QFile statm(QStringLiteral("/proc/self/statm"));
        statm.open(QIODevice::ReadOnly);
        const rlimit lowered{statm.readAll().split(' ').value(0).toULongLong() * 4096 + extra,
                             saved.rlim_max};
        setrlimit(RLIMIT_AS, &lowered);
#endif
        (void)extra;
    }
    ~MemoryCeiling() {
        setrlimit(RLIMIT_AS, &saved);
    }
};
} // namespace

class TestSheet : public QObject {
    Q_OBJECT
  private slots:
    void stampsAndSizes();
    void outOfMemoryOrCancelChangesNothing();
    void undoAndRedo_data();
    void undoAndRedo();
    void historyBounded();
    void blocksAndErase();
    void flipsAndTurns();
    void strokeEntersEachPlaceOnce();
    void strokeUndoesAsOneStep();
    void recoveryKeptAndOffered();
    void savedSheetIsUnchanged();
};

// A stamp lands in its cell, clipped at the edges; a size keeps the pixels that fit, and new
// area shows the opened picture where there is one, else the blank colour.
void TestSheet::stampsAndSizes() {
    TargetSheet sheet(QSize(256, 2048));
    QRect changed;
    sheet.OnChanged([&](const QRect& area) { changed = area; });
    const QImage tile = Pattern(QSize(TileSize, TileSize));
    QCOMPARE(sheet.Stamp(tile, CellAt(QPointF(200.9, 0)).topLeft()), QRect(192, 0, 64, 64));
    QCOMPARE(changed, QRect(192, 0, 64, 64));
    QCOMPARE(At(sheet, 192, 0), tile.pixel(0, 0) & 0xFFFFFF);
    QCOMPARE(At(sheet, 255, 63), tile.pixel(63, 63) & 0xFFFFFF);
    QCOMPARE(At(sheet, 191, 0), B);
    sheet.Stamp(tile, QPoint(0, 960));

    sheet.Resize(QSize(300, 40)); // cuts the second stamp and half the first
    QCOMPARE(sheet.Size(), QSize(300, 40));
    QCOMPARE(changed, QRect(0, 0, 300, 40));
    QCOMPARE(At(sheet, 255, 39), tile.pixel(63, 39) & 0xFFFFFF);
    QCOMPARE(At(sheet, 256, 0), B);
    QCOMPARE(sheet.Stamp(tile, QPoint(256, 0)), QRect(256, 0, 44, 40));
    QCOMPARE(At(sheet, 299, 39), tile.pixel(43, 39) & 0xFFFFFF);

    sheet.Resize(QSize(256, 2048)); // what was cut off stays gone
    QCOMPARE(At(sheet, 192, 40), B);
    QCOMPARE(At(sheet, 0, 960), B);

    const QImage picture = Pattern(QSize(128, 128));
    sheet.Open(picture, "/art/wall.tga");
    QCOMPARE(sheet.Title(), QStringLiteral("wall.tga"));
    sheet.Stamp(Filled(QSize(64, 64), qRgb(1, 2, 3)), QPoint(64, 64));
    sheet.Resize(QSize(64, 64));
    sheet.Resize(QSize(128, 129));
    QCOMPARE(At(sheet, 100, 100), picture.pixel(100, 100) & 0xFFFFFF); // the picture again
    QCOMPARE(At(sheet, 0, 128), B);
    QVERIFY(sheet.Picture() == picture); // stamps never reach the picture
}

void TestSheet::outOfMemoryOrCancelChangesNothing() {
    TargetSheet sheet(QSize(256, 1024));
    sheet.Stamp(Pattern(QSize(64, 64)), QPoint(64, 64));
    const TargetSheet::State before = sheet.Whole();
    bool told = false;
    sheet.OnChanged([&](const QRect&) { told = true; });
    {
        const MemoryCeiling ceiling(rlim_t{256} << 20);
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, sheet.Resize(QSize(32767, 32767)));
    }
    QVERIFY(SameState(sheet.Whole(), before));
    QVERIFY(!told);
    // Cancelled before it starts, a size change makes nothing and leaves the sheet.
    const std::atomic<bool> cancelled{true};
    QVERIFY(sheet.Resized(QSize(4096, 4096), &cancelled).isNull());
    QVERIFY(SameState(sheet.Whole(), before));
}

enum Change { Stamp, EdgeStamp, SameStamp, Size, SameSize, Open };

void TestSheet::undoAndRedo_data() {
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("recorded");
    QTest::newRow("stamp") << int(Stamp) << true;
    QTest::newRow("stamp at the edge") << int(EdgeStamp) << true;
    QTest::newRow("stamp changing nothing") << int(SameStamp) << false;
    QTest::newRow("size") << int(Size) << true;
    QTest::newRow("same size") << int(SameSize) << false;
    QTest::newRow("opened picture") << int(Open) << true;
}

// Undo puts back the sheet and the view's scroll position; redo the change; a new change ends
// what could be redone; a change that changed nothing is no step.
void TestSheet::undoAndRedo() {
    QFETCH(int, change);
    QFETCH(bool, recorded);
    TargetSheet sheet(QSize(300, 700));
    int notices = 0;
    SheetHistory history(sheet, [&] { ++notices; });
    ScrollState scroll{{true, 223, 100}, {true, 44, 20}};
    history.ReadScroll = [&] { return scroll; };
    history.PutScroll = [&](const ScrollState& state) { scroll = state; };
    const QImage tile = Pattern(QSize(64, 64));
    sheet.Stamp(tile, QPoint(64, 64)); // a stamp changing nothing stamps it again
    sheet.SetTitle(QStringLiteral("Untitled"));
    const TargetSheet::State before = sheet.Whole();
    const ScrollState scrollBefore = scroll;

    const SheetHistory::Step step = change == Stamp || change == EdgeStamp || change == SameStamp
                                        ? history.Cell(QRect(change == EdgeStamp ? QPoint(256, 640)
                                                             : change == SameStamp ? QPoint(64, 64)
                                                                                   : QPoint(64, 0),
                                                             QSize(64, 64)))
                                        : history.Sheet();
    if (change == Stamp || change == EdgeStamp)
        sheet.Stamp(Filled(QSize(64, 64), qRgb(9, 9, 9)), step.Cells.front().Area.topLeft());
    else if (change == SameStamp)
        sheet.Stamp(tile, QPoint(64, 64));
    else if (change == Size || change == SameSize)
        sheet.Resize(change == Size ? QSize(256, 768) : QSize(300, 700));
    else
        sheet.Open(Pattern(QSize(320, 500)), "/t/b.tga");
    if (change == Size || change == Open)
        scroll = {{true, 23, 23}, {false, 0, 0}};
    const TargetSheet::State after = sheet.Whole();
    const ScrollState scrollAfter = scroll;
    history.Record(step);
    QCOMPARE(history.CanUndo(), recorded);
    QCOMPARE(notices, recorded ? 1 : 0);
    if (!recorded)
        return;

    history.Undo();
    QVERIFY(SameState(sheet.Whole(), before));
    QVERIFY(scroll == scrollBefore);
    QVERIFY(history.CanRedo() && !history.CanUndo());
    history.Redo();
    QVERIFY(SameState(sheet.Whole(), after));
    QVERIFY(scroll == scrollAfter);

    history.Undo();
    const SheetHistory::Step next = history.Cell(QRect(128, 0, 64, 64));
    sheet.Stamp(tile, QPoint(128, 0));
    history.Record(next);
    QVERIFY(!history.CanRedo());
}

// At most 256 MB of pixels, each picture counted once however many steps share it; beyond
// that the oldest steps go, and those left still undo, newest first.
void TestSheet::historyBounded() {
    TargetSheet sheet(QSize(256, 2048));
    SheetHistory history(sheet, [] {});
    const QImage picture = Filled(QSize(1024, 1024), qRgb(5, 6, 7)); // 4 MB
    SheetHistory::Step step = history.Sheet();
    sheet.Open(picture, "/p.tga");
    history.Record(step);
    for (const int height : {1000, 900}) {
        step = history.Sheet();
        sheet.Resize(QSize(1024, height));
        history.Record(step);
    }
    // The start-up sheet, the opened one and the next: their shared picture once.
    const qint64 start = 256 * 2048 * 4, opened = 1024 * 1024 * 4, next = 1024 * 1000 * 4;
    QCOMPARE(history.KeptBytes(), start + 2 * opened + next + 3 * 256);

    // 64 MB a sheet: the fifth size takes the history past the bound.
    TargetSheet large(QSize(256, 2048));
    SheetHistory bounded(large, [] {});
    for (const int height : {4096, 4095, 4094, 4093, 4092}) {
        step = bounded.Sheet();
        large.Resize(QSize(4096, height));
        bounded.Record(step);
        QVERIFY(bounded.KeptBytes() <= SheetHistory::DefaultLimit);
    }
    // An undo that takes the history past the bound drops the oldest undo step, not the sheet
    // it could redo.
    TargetSheet big(QSize(1024, 1024));
    SheetHistory trimmed(
        big, [] {}, int64_t{5} << 20);
    for (const QSize size : {QSize(256, 256), QSize(512, 512)}) {
        step = trimmed.Sheet();
        big.Resize(size);
        trimmed.Record(step);
    }
    trimmed.Undo(); // keeps the 512 x 512 sheet to redo: 4 + 1 MB, the 4 MB step goes
    QVERIFY(trimmed.CanRedo());
    QVERIFY(!trimmed.CanUndo());
    trimmed.Redo();
    QCOMPARE(big.Size(), QSize(512, 512));

    QList<int> undone;
    while (bounded.CanUndo()) {
        bounded.Undo();
        undone << large.Height();
    }
    QCOMPARE(undone, (QList<int>{4093, 4094, 4095, 4096}));
}

// A block lands whole, its cells in place to the pixel, clipped at the sheet's edges; an erase
// clears one cell to the blank colour.
void TestSheet::blocksAndErase() {
    TargetSheet sheet(QSize(256, 2048));
    const QImage block = Pattern(QSize(192, 128)); // 3 x 2 cells
    QCOMPARE(sheet.Stamp(block, QPoint(64, 64), QSize(3, 2)), QRect(64, 64, 192, 128));
    QCOMPARE(sheet.Image().copy(64, 64, 192, 128), block);
    QCOMPARE(At(sheet, 63, 64), B);
    QCOMPARE(At(sheet, 64, 192), B);
    // At the bottom-right corner only the block's top-left cell fits.
    QCOMPARE(sheet.Stamp(block, QPoint(192, 1984), QSize(3, 2)), QRect(192, 1984, 64, 64));
    QCOMPARE(sheet.Image().copy(192, 1984, 64, 64), block.copy(0, 0, 64, 64));
    QCOMPARE(At(sheet, 191, 2047), B);
    // Fewer cells than the picture holds: only those.
    QCOMPARE(sheet.Stamp(block, QPoint(0, 256), QSize(1, 1)), QRect(0, 256, 64, 64));
    QCOMPARE(At(sheet, 64, 256), B);

    QCOMPARE(sheet.Erase(QPoint(128, 64)), QRect(128, 64, 64, 64));
    QCOMPARE(sheet.Image().copy(128, 64, 64, 64), Filled(QSize(64, 64), Blank.rgb()));
    QCOMPARE(At(sheet, 127, 64), block.pixel(63, 0) & 0xFFFFFF);
    QCOMPARE(At(sheet, 192, 64), block.pixel(128, 0) & 0xFFFFFF);
    QCOMPARE(At(sheet, 128, 128), block.pixel(64, 64) & 0xFFFFFF);
    QCOMPARE(sheet.Erase(QPoint(256, 0)), QRect());
}

// Each transform moves every pixel where it belongs on an asymmetric block; a turn swaps the
// block's width and height in cells; a new pick starts untransformed; a paste is one cell.
void TestSheet::flipsAndTurns() {
    const QImage block = Pattern(QSize(128, 64));
    SelectedTile tile;
    tile.Pick(block, block.rect(), Blank, {});
    QCOMPARE(tile.Cells(), QSize(2, 1));
    tile.FlipHorizontally();
    QCOMPARE(tile.Picture(), block.mirrored(true, false));
    QCOMPARE(tile.Picture().pixel(0, 5), block.pixel(127, 5));
    tile.FlipHorizontally();
    tile.FlipVertically();
    QCOMPARE(tile.Picture().pixel(3, 0), block.pixel(3, 63));
    tile.FlipVertically();
    tile.RotateClockwise();
    QCOMPARE(tile.Cells(), QSize(1, 2));
    QCOMPARE(tile.Picture().size(), QSize(64, 128));
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 64; ++x)
            QCOMPARE(tile.Picture().pixel(x, y), block.pixel(y, 63 - x));
    tile.Pick(block, block.rect(), Blank, {});
    QCOMPARE(tile.Picture(), block);
    QCOMPARE(tile.Cells(), QSize(2, 1));
    // A block that runs past the image's edges: the blank colour beyond them.
    const QImage odd = Pattern(QSize(100, 150));
    tile.Pick(odd, QRect(64, 64, 128, 128), Blank, {});
    QImage expected = Filled(QSize(128, 128), Blank.rgb());
    for (int y = 0; y < 86; ++y)
        for (int x = 0; x < 36; ++x)
            expected.setPixel(x, y, odd.pixel(64 + x, 64 + y));
    QCOMPARE(tile.Picture(), expected);
    tile.Paste(block);
    QCOMPARE(tile.Cells(), QSize(1, 1));
    tile.Paste({});
    QVERIFY(tile.IsNull());
}

// Places are entered in order, each once, the ones a fast move jumps over included, on the
// grid of the block's size counted from the pressed cell.
void TestSheet::strokeEntersEachPlaceOnce() {
    using Places = std::vector<QPoint>;
    Stroke cells(QPointF(32, 32), QSize(64, 64));
    QCOMPARE(cells.Start(), QPoint(0, 0));
    QCOMPARE(cells.MoveTo(QPointF(40, 32)), Places{});
    // Crosses x = 64 at y = 44.8, y = 64 at x = 100, x = 128 at y = 78.9.
    QCOMPARE(cells.MoveTo(QPointF(160, 96)), (Places{{64, 0}, {64, 64}, {128, 64}}));
    QCOMPARE(cells.MoveTo(QPointF(10, 10)), (Places{}));
    QCOMPARE(cells.MoveTo(QPointF(10, 300)), (Places{{0, 64}, {0, 128}, {0, 192}, {0, 256}}));

    Stroke blocks(QPointF(70, 1000), QSize(128, 64));
    QCOMPARE(blocks.Start(), QPoint(64, 960));
    QCOMPARE(blocks.MoveTo(QPointF(330, 1000)), (Places{{192, 960}, {320, 960}}));
    QCOMPARE(blocks.MoveTo(QPointF(-1, 1000)), (Places{{-64, 960}}));
    QCOMPARE(blocks.MoveTo(QPointF(-1, 900)), (Places{{-64, 896}}));
}

// A stroke's stamps and erases undo and redo as one step, a cell it came back to included;
// its pixels are counted once each.
void TestSheet::strokeUndoesAsOneStep() {
    TargetSheet sheet(QSize(256, 2048));
    SheetHistory history(sheet, [] {});
    const QImage tile = Pattern(QSize(64, 64));
    SheetHistory::Step step = history.Cell(QRect(0, 0, 64, 64));
    sheet.Stamp(tile, QPoint(0, 0));
    history.Record(step);
    const QImage before = sheet.Image();

    history.StartStroke();
    int shade = 0;
    for (const QPoint at : {QPoint(64, 0), QPoint(128, 0), QPoint(64, 64), QPoint(128, 0)}) {
        step = history.Cell(QRect(at, QSize(64, 64)));
        sheet.Stamp(Filled(QSize(64, 64), qRgb(at.x(), at.y(), ++shade)), at);
        history.Record(step);
    }
    step = history.Cell(QRect(0, 0, 64, 64));
    sheet.Erase(QPoint(0, 0));
    history.Record(step);
    history.EndStroke();
    const QImage after = sheet.Image();
    QCOMPARE(history.UndoSteps(), size_t(2));
    QCOMPARE(history.KeptBytes(), 6 * 64 * 64 * 4 + 2 * 256);

    history.Undo();
    QCOMPARE(sheet.Image(), before);
    history.Redo();
    QCOMPARE(sheet.Image(), after);
    // After the stroke, a stamp is a step of its own.
    step = history.Cell(QRect(192, 0, 64, 64));
    sheet.Stamp(tile, QPoint(192, 0));
    history.Record(step);
    QCOMPARE(history.UndoSteps(), size_t(3));
    history.Undo();
    history.Undo();
    QCOMPARE(sheet.Image(), before);
}

// A recovery file is offered only once its instance has gone, to one instance at a time, whole
// or not at all; a saved sheet's goes; a folder that cannot be had is reported once.
void TestSheet::recoveryKeptAndOffered() {
    QTemporaryDir folder;
    QStringList failures; // read after Flush, which orders the worker's writes before it
    const auto failed = [&failures](const QString& what) { failures << what; };
    QImage image = Pattern(QSize(256, 128));

    auto first = std::make_unique<SheetRecovery>(folder.path(), failed);
    first->Keep(image, "/sheets/a b caf\xe9.tga"); // not UTF-8
    first->Flush();
    // A stamp hands over only its area; what is written is still the whole sheet as it is.
    for (int y = 10; y < 74; ++y)
        for (int x = 70; x < 134; ++x)
            image.setPixel(x, y, qRgb(x, y, 7));
    first->Keep(image, "/sheets/a b caf\xe9.tga", QRect(70, 10, 64, 64));
    first->Flush();
    // Changes handed over while a whole copy still waits for the worker, busy writing a large
    // sheet, go into that copy.
    image = Pattern(QSize(256, 192));
    std::vector<std::pair<QImage, QRect>> changes;
    for (int n = 0; n < 12; ++n) {
        const QRect cell((n % 4) * 64, (n / 4) * 64, 64, 64);
        QPainter(&image).fillRect(cell, QColor(n, 255 - n, 7));
        changes.emplace_back(image.copy(), cell);
    }
    first->Keep(Pattern(QSize(2048, 2048)), {});
    first->Keep(Pattern(QSize(256, 192)), "/sheets/a b caf\xe9.tga");
    for (const auto& [changed, cell] : changes)
        first->Keep(changed, "/sheets/a b caf\xe9.tga", cell);
    first->Flush();
    const QString kept = first->FilePath();
    QVERIFY(QFileInfo::exists(kept));
    SheetRecovery second(folder.path(), failed);
    QVERIFY(!second.NextOrphan()); // its owner still runs
    first.reset();
    QVERIFY(QFileInfo::exists(kept));
    std::optional<SheetRecovery::Orphan> orphan = second.NextOrphan();
    QVERIFY(orphan);
    QCOMPARE(orphan->Path(), kept);
    SheetRecovery third(folder.path(), failed);
    QVERIFY(!third.NextOrphan()); // offered by the second
    const SheetRecovery::Sheet sheet = orphan->Read();
    QCOMPARE(sheet.Image, image);
    QCOMPARE(sheet.FilePath, QByteArray("/sheets/a b caf\xe9.tga"));
    QVERIFY(qAbs(sheet.Changed.secsTo(QDateTime::currentDateTimeUtc())) < 60);

    // Cut anywhere, a recovery file is refused, and set aside rather than lost.
    QFile whole(kept);
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    for (const qsizetype length : {qsizetype(10), bytes.indexOf("\n\n") + 2, bytes.size() - 1}) {
        const QString cut = folder.filePath(QStringLiteral("cut.sheet"));
        QFile part(cut);
        QVERIFY(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(bytes.left(length));
        part.close();
        SheetRecovery::Orphan half(cut, -1);
        QVERIFY_THROWS_EXCEPTION(Failure, half.Read());
        QVERIFY(QFileInfo::exists(half.SetAside()));
    }
    orphan->Discard();
    QVERIFY(!QFileInfo::exists(kept));
    QVERIFY(!third.NextOrphan());

    // Saved and unchanged: the file goes.
    third.Keep(image, {});
    third.Flush();
    QVERIFY(QFileInfo::exists(third.FilePath()));
    third.Discard();
    third.Flush();
    QVERIFY(!QFileInfo::exists(third.FilePath()));
    QCOMPARE(failures, QStringList());

    // A sheet no save could write is refused from its header, before its pixels are read.
    const QString huge = folder.filePath(QStringLiteral("huge.sheet"));
    QFile hugeFile(huge);
    QVERIFY(hugeFile.open(QIODevice::WriteOnly));
    const QByteArray header = "Patchery recovery 1\nsize 27000 27000\nchanged "
                              "2026-01-02T03:04:05.000Z\nfile \n\n";
    hugeFile.write(header);
    QVERIFY(hugeFile.resize(header.size() + qint64{4} * 27000 * 27000)); // sparse
    hugeFile.close();
    try {
        SheetRecovery::Orphan(huge, -1).Read();
        QFAIL("a 27000 x 27000 sheet was read");
    } catch (const Failure& failure) {
        QVERIFY2(std::string(failure.what()).find("could never be saved") != std::string::npos,
                 failure.what());
    }
    QFile::remove(huge);

    // A lock file that is a link planted by someone else is not followed.
    const QString planted = folder.filePath(QStringLiteral("planted"));
    QVERIFY(QFile(folder.filePath(QStringLiteral("linked.sheet"))).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(planted, folder.filePath(QStringLiteral("linked.lock"))));
    SheetRecovery fourth(folder.path(), failed);
    QVERIFY(!fourth.NextOrphan());
    QVERIFY(!QFileInfo::exists(planted));

    // A state folder that is a file: said once, however many changes follow.
    SheetRecovery blocked(folder.filePath(QStringLiteral("cut.sheet.unreadable/inner")), failed);
    blocked.Keep(image, {});
    blocked.Flush();
    blocked.Keep(image, {});
    blocked.Flush();
    QCOMPARE(failures.size(), 1);
}

// Every change marks the sheet unsaved, a save marks it saved.
void TestSheet::savedSheetIsUnchanged() {
    TargetSheet sheet(QSize(256, 768));
    QVERIFY(!sheet.Unsaved());
    sheet.Stamp(Pattern(QSize(64, 64)), QPoint(0, 0));
    QVERIFY(sheet.Unsaved());
    sheet.Saved("/s/own.tga");
    QVERIFY(!sheet.Unsaved());
    QCOMPARE(sheet.Title(), QStringLiteral("own.tga"));
    QCOMPARE(sheet.FilePath(), QByteArray("/s/own.tga"));
    sheet.Resize(QSize(256, 1024));
    QVERIFY(sheet.Unsaved());
}

QTEST_GUILESS_MAIN(TestSheet)
#include "test_sheet.moc"
