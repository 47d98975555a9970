// The main job end to end through the real handlers: open a source, pick tiles with presses,
// stamp them into the target, save it, and compare the file with one built here from the
// source's pixel pattern.

#include "TestSupport.h"

#include "Application.h"
#include "CustomSizeDialog.h"
#include "ImageData.h"
#include "ImageFile.h"
#include "LayoutBuild.h"
#include "LayoutOf.h"
#include "MainWindow.h"
#include "PlainImageFile.h"
#include "SheetBuild.h"
#include "SheetRecovery.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Cell = 64;

// The sheet the program should write: rows top first, 3 bytes a pixel (blue, green, red).
struct Sheet {
    Sheet(int width, int height, const QColor& back) : Width(width), Height(height) {
        Pixels.resize(3LL * width * height);
        for (qsizetype i = 0; i < Pixels.size(); i += 3) {
            Pixels[i] = char(back.blue());
            Pixels[i + 1] = char(back.green());
            Pixels[i + 2] = char(back.red());
        }
    }

    // Empty when file holds the sheet as a 24-bit top-left-origin TGA, else where it differs.
    QString FileMismatch(const QByteArray& file) const;

    int Width, Height;
    QByteArray Pixels;
};

// The 64 x 64 tile a pick of cell (cx, cy) of a pattern source of the given size selects;
// the part of the cell outside the source shows the tile view's back colour.
QByteArray PickedTile(int sourceWidth, int sourceHeight, int cx, int cy, const QColor& outside) {
    QByteArray tile(3 * Cell * Cell, '\0');
    for (int y = 0; y < Cell; ++y) {
        for (int x = 0; x < Cell; ++x) {
            auto* p = reinterpret_cast<uint8_t*>(tile.data()) + 3 * (y * Cell + x);
            if (cx + x < sourceWidth && cy + y < sourceHeight) {
                PatternPixel(cx + x, cy + y, p);
            } else {
                p[0] = uint8_t(outside.blue());
                p[1] = uint8_t(outside.green());
                p[2] = uint8_t(outside.red());
            }
        }
    }
    return tile;
}

// Stamping the tile into the cell at (cx, cy), cut at the sheet's edges.
void Stamp(Sheet& sheet, const QByteArray& tile, int cx, int cy) {
    for (int y = 0; y < Cell && cy + y < sheet.Height; ++y) {
        for (int x = 0; x < Cell && cx + x < sheet.Width; ++x) {
            for (int c = 0; c < 3; ++c)
                sheet.Pixels[3 * ((cy + y) * sheet.Width + cx + x) + c] =
                    tile[3 * (y * Cell + x) + c];
        }
    }
}

// Empty when equal, else where the first difference lies.
QString Difference(const QByteArray& actual, const QByteArray& expected, int headerSize,
                   int width) {
    if (actual.size() != expected.size())
        return QStringLiteral("size %1, expected %2").arg(actual.size()).arg(expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i])
            continue;
        if (i < headerSize)
            return QStringLiteral("header byte %1 differs").arg(i);
        const qsizetype pixel = (i - headerSize) / 3;
        return QStringLiteral("pixel (%1, %2) byte %3: %4, expected %5")
            .arg(pixel % width)
            .arg(pixel / width)
            .arg((i - headerSize) % 3)
            .arg(uint8_t(actual[i]))
            .arg(uint8_t(expected[i]));
    }
    return {};
}

QString Sheet::FileMismatch(const QByteArray& file) const {
    return Difference(file, TgaBytes(Width, Height, Pixels), 18, Width);
}

// The target view's persistent image as rows of blue, green, red.
QByteArray ImageBytes(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    bytes.reserve(3LL * rgb.width() * rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            bytes += char(qBlue(line[x]));
            bytes += char(qGreen(line[x]));
            bytes += char(qRed(line[x]));
        }
    }
    return bytes;
}

void Save(MainWindow& frm, ScriptedUser& user, const QString& path) {
    user.Files.push_back(path);
    frm.saveTargetAsAction->trigger();
}

// A press at any position: QTest takes (0, 0) for "the centre" and has no fractions.
void PressAt(QWidget* view, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
    QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), button, button, mods);
    QCoreApplication::sendEvent(view, &press);
}

// Presses, moves and releases as the window system delivers them: to the window, which hands
// them to the view under the pointer, or to the one that took the press while a button is down.
struct Pointer {
    explicit Pointer(MainWindow& window) : frm(window) {}
    MainWindow& frm;
    QPoint In(QWidget* view, QPoint at) const { return view->mapTo(&frm, at); }
    Qt::MouseButton button = Qt::LeftButton;
    void Press(QWidget* view, QPoint at, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(frm.windowHandle(), button, mods, In(view, at));
    }
    void Move(QWidget* view, QPoint at) { QTest::mouseMove(frm.windowHandle(), In(view, at)); }
    void Release(QWidget* view, QPoint at) {
        QTest::mouseRelease(frm.windowHandle(), button, {}, In(view, at));
    }
    void Drag(QWidget* view, std::initializer_list<QPoint> path, Qt::KeyboardModifiers mods = {}) {
        Press(view, *path.begin(), mods);
        for (const QPoint at : path)
            Move(view, at);
        Release(view, *std::prev(path.end()));
    }
};

void Paint(QImage& image, const QImage& tile, QPoint at) {
    QPainter painter(&image);
    painter.drawImage(at, tile);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden,
                                  QDir::Name);
}

} // namespace

class TestJob : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void pickStampSaveReopen();
    void pickPastSourceEdge();
    void blocksStrokesSheetPicksAndErases();
    void blankStartUpTargetSavesWhole();
    void saveReplacesLongerFile();
    void cancelledSaveLeavesNoTrace();
    void failedSaveIsReportedAndKeepsOldFile_data();
    void failedSaveIsReportedAndKeepsOldFile();
    void temporaryFolderIsPrivateAndGoesAtShutdown();
    void temporaryFolderReplacedBetweenSaves_data();
    void temporaryFolderReplacedBetweenSaves();
    void oddWidthCustomSheetSaves();
    void saveTargetToOwnFile_data();
    void saveTargetToOwnFile();
    void unsavedSheetOfferedAtNextStart();
    void layoutBuildsTheBytesTheWindowSaved();
};

// The window writes opt.cfg beside the executable when it closes; no run may see another's.
void TestJob::init() {
    RemoveOptionsFile();
}
void TestJob::cleanup() {
    RemoveOptionsFile();
}

void TestJob::pickStampSaveReopen() {
    TestFolder dir;
    constexpr int SourceWidth = 512, SourceHeight = 1024;
    const QString source =
        dir.Put(QStringLiteral("source.tga"), PatternTga(SourceWidth, SourceHeight));

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, source);
    QCOMPARE(frm.sourceButton->text(), QStringLiteral("source.tga - 512x1024"));

    const QColor tileBack = frm.tileView->BackColor();
    auto tile = [&](int cx, int cy) {
        return PickedTile(SourceWidth, SourceHeight, cx, cy, tileBack);
    };
    Sheet sheet(256, 768, frm.targetView->BackColor());

    // Stamped on the 256 x 2048 start-up target below row 768: gone once the sheet shrinks.
    PressAt(frm.sourceView, QPointF(0, 0), Qt::LeftButton, {});
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(5, 1000));
    ChooseSize(frm, QStringLiteral("256x768"));
    QCOMPARE(frm.targetView->height(), 768);

    // The tile still selected from the press at (0, 0).
    PressAt(frm.targetView, QPointF(0, 0), Qt::LeftButton, {});
    Stamp(sheet, tile(0, 0), 0, 0);

    QTest::mousePress(frm.sourceView, Qt::MiddleButton, Qt::ControlModifier, QPoint(64, 128));
    QTest::mousePress(frm.targetView, Qt::RightButton, Qt::AltModifier, QPoint(200, 10));
    Stamp(sheet, tile(64, 128), 192, 0);

    PressAt(frm.sourceView, QPointF(63.5, 10), Qt::RightButton, Qt::ShiftModifier);
    PressAt(frm.targetView, QPointF(127.9, 63.99), Qt::MiddleButton, Qt::MetaModifier);
    Stamp(sheet, tile(0, 0), 64, 0);

    // Scrolled source: press positions stay image positions.
    QVERIFY(frm.sourceHorizontalBar->isEnabled() && frm.sourceVerticalBar->isEnabled());
    frm.sourceHorizontalBar->setValue(256);
    frm.sourceVerticalBar->setValue(547);
    QTest::mousePress(frm.sourceView, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier,
                      QPoint(300, 600));
    // The last row of the sheet.
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(130, 767));
    PressAt(frm.targetView, QPointF(255.5, 704), Qt::RightButton,
            Qt::MetaModifier | Qt::AltModifier);
    Stamp(sheet, tile(256, 576), 128, 704);
    Stamp(sheet, tile(256, 576), 192, 704);

    // The source's last cell; the target scrolled to its end; the same cell stamped twice.
    QTest::mousePress(frm.sourceView, Qt::MiddleButton, {}, QPoint(511, 1023));
    QVERIFY(frm.targetVerticalBar->isEnabled());
    frm.targetVerticalBar->setValue(291);
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(10, 700));
    QTest::mousePress(frm.targetView, Qt::RightButton, Qt::AltModifier, QPoint(63, 641));
    Stamp(sheet, tile(448, 960), 0, 640);

    // The grid on both views, the pointer outlining a cell: on the screen, never in the file.
    QTest::mouseRelease(frm.targetView, Qt::RightButton, Qt::AltModifier, QPoint(63, 641));
    frm.gridAction->trigger();
    QVERIFY(frm.targetView->Grid() && frm.sourceView->Grid());
    QTest::mouseMove(frm.targetView, QPoint(70, 700));
    QCOMPARE(frm.targetView->Outline(), QRect(64, 640, 64, 64));
    const QImage onScreen = frm.targetView->grab().toImage();
    QVERIFY(onScreen.pixel(128, 660) != frm.Sheet().Image().pixel(128, 660));
    // The cell shows the tile a press would stamp there, shaded, not hidden by the outline.
    QVERIFY(ShadedAs(RgbAt(onScreen, {127, 660}), RgbAt(frm.Tile(), {63, 20})));
    const QImage tileBefore = frm.Tile();

    const QString saved = dir.filePath(QStringLiteral("sheet.tga"));
    Save(frm, user, saved);
    QCOMPARE(frm.Tile(), tileBefore);
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
    QCOMPARE(user.Dialogs.size(), size_t(2));
    const DialogCall& dialog = user.Dialogs.back();
    QVERIFY(dialog.Save);
    QCOMPARE(dialog.Title, QStringLiteral("Save tga..."));
    QCOMPARE(dialog.DefaultExtension, QStringLiteral("*.tga"));
    QCOMPARE(dialog.Filter, QStringLiteral("tga Image(*.tga)|*.tga"));
    QCOMPARE(dialog.FilterIndex, int16_t(1));
    QVERIFY(dialog.ConfirmOverwrite);
    // An untitled sheet's dialog starts from no name: never from the source's, which a
    // Return would overwrite.
    QCOMPARE(dialog.FileNameOffered, QString());

    VERIFY_NO_MISMATCH(sheet.FileMismatch(ReadFile(saved)));
    QVERIFY(frm.composeView->isHidden());
    // The view itself is untouched by the save: still scrolled, still 256 x 768.
    QCOMPARE(frm.targetVerticalBar->Value(), int16_t(291));
    QCOMPARE(frm.targetView->height(), 768);

    // Opened again as the target, the sheet is the right way up.
    user.Files.push_back(saved);
    QTest::mouseClick(frm.targetButton, Qt::LeftButton);
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
    QCOMPARE(frm.targetButton->text(), QStringLiteral("sheet.tga - 256x768"));
    VERIFY_NO_MISMATCH(Difference(ImageBytes(frm.Sheet().Image()), sheet.Pixels, 0, sheet.Width));
}

// A cell that runs past the source's edge: the outside part is blank, not left over from the
// tile picked before.
void TestJob::pickPastSourceEdge() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("odd.tga"), PatternTga(100, 90)));
    ChooseSize(frm, QStringLiteral("256x768"));

    Sheet sheet(256, 768, frm.targetView->BackColor());
    PressAt(frm.sourceView, QPointF(0, 0), Qt::LeftButton, {});
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(70, 0));
    Stamp(sheet, PickedTile(100, 90, 0, 0, frm.tileView->BackColor()), 64, 0);
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(80, 70));
    PressAt(frm.targetView, QPointF(0, 0), Qt::LeftButton, {});
    Stamp(sheet, PickedTile(100, 90, 64, 64, frm.tileView->BackColor()), 0, 0);

    const QString saved = dir.filePath(QStringLiteral("edge.tga"));
    Save(frm, user, saved);
    QVERIFY(user.Messages.empty());
    VERIFY_NO_MISMATCH(sheet.FileMismatch(ReadFile(saved)));
}

// A drag on the source picks a block; a press stamps it whole, a drag stamps at every place it
// enters however fast; Ctrl picks from the sheet and stamps nothing; Shift erases. Each stroke
// is one undo step.
void TestJob::blocksStrokesSheetPicksAndErases() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(256, 256)));
    Pointer pointer{frm};
    const auto sheetAt = [&](QRect area) { return frm.Sheet().Image().copy(area); };
    const QImage blank = sheetAt(QRect(0, 0, 256, 448));

    // Right to left and bottom to top, past the image's right edge on the way.
    pointer.Drag(frm.sourceView, {{200, 100}, {500, 100}, {70, 10}});
    QCOMPARE(frm.sourceView->Mark(), QRect(64, 0, 192, 128));
    QCOMPARE(frm.TileCells(), QSize(3, 2));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Tile(), PatternImage(QSize(192, 128), QPoint(64, 0))));
    QVERIFY(frm.tileCellsLabel->isVisible());
    QCOMPARE(frm.tileCellsLabel->text(), QStringLiteral("3 \u00D7 2"));
    frm.copyTileAction->trigger();
    VERIFY_NO_MISMATCH(ImageDifference(QGuiApplication::clipboard()->image(), frm.Tile()));
    QGuiApplication::clipboard()->clear();

    pointer.Drag(frm.targetView, {{70, 70}});
    VERIFY_NO_MISMATCH(ImageDifference(sheetAt(QRect(64, 64, 192, 128)), frm.Tile()));
    QCOMPARE(sheetAt(QRect(0, 0, 64, 448)), blank.copy(0, 0, 64, 448));
    QCOMPARE(sheetAt(QRect(64, 192, 192, 256)), blank.copy(64, 192, 192, 256));
    frm.rotateAction->trigger();
    QCOMPARE(frm.TileCells(), QSize(2, 3));
    const QImage turned = frm.Tile();
    frm.flipHorizontallyAction->trigger();
    QCOMPARE(frm.Tile(), turned.mirrored(true, false));
    frm.flipVerticallyAction->trigger();
    QCOMPARE(frm.Tile(), turned.mirrored(true, true));
    pointer.Drag(frm.targetView, {{130, 200}});
    VERIFY_NO_MISMATCH(ImageDifference(sheetAt(QRect(128, 192, 128, 192)), frm.Tile()));
    frm.undoAction->trigger();
    frm.undoAction->trigger();
    QCOMPARE(sheetAt(QRect(0, 0, 256, 448)), blank);

    // One cell, dragged down four cells in one move and on across three.
    pointer.Drag(frm.sourceView, {{5, 5}});
    QCOMPARE(frm.TileCells(), QSize(1, 1));
    QVERIFY(!frm.tileCellsLabel->isVisible());
    const size_t steps = frm.History().UndoSteps();
    pointer.button = Qt::RightButton; // any button paints
    pointer.Drag(frm.targetView, {{10, 10}, {10, 300}, {250, 300}});
    pointer.button = Qt::LeftButton;
    QCOMPARE(frm.History().UndoSteps(), steps + 1);
    QImage painted = blank;
    for (const QPoint cell : {QPoint(0, 0), QPoint(0, 64), QPoint(0, 128), QPoint(0, 192),
                              QPoint(0, 256), QPoint(64, 256), QPoint(128, 256), QPoint(192, 256)})
        Paint(painted, frm.Tile(), cell);
    VERIFY_NO_MISMATCH(ImageDifference(sheetAt(QRect(0, 0, 256, 448)), painted));

    // Ctrl picks the block of the sheet's cells and draws nothing.
    pointer.Drag(frm.targetView, {{10, 200}, {70, 300}}, Qt::ControlModifier);
    QCOMPARE(frm.History().UndoSteps(), steps + 1);
    VERIFY_NO_MISMATCH(ImageDifference(frm.Tile(), painted.copy(0, 192, 128, 128)));
    QCOMPARE(frm.sourceView->Mark(), QRect());
    QCOMPARE(frm.targetView->Mark(), QRect());

    // Shift clears each cell the stroke enters to the sheet's blank colour.
    pointer.Drag(frm.targetView, {{10, 10}, {10, 150}}, Qt::ShiftModifier);
    QCOMPARE(frm.History().UndoSteps(), steps + 2);
    QCOMPARE(sheetAt(QRect(0, 0, 64, 192)), blank.copy(0, 0, 64, 192));
    VERIFY_NO_MISMATCH(
        ImageDifference(sheetAt(QRect(0, 192, 256, 256)), painted.copy(0, 192, 256, 256)));
    frm.undoAction->trigger();
    frm.undoAction->trigger();
    QCOMPARE(sheetAt(QRect(0, 0, 256, 448)), blank);

    // A 2 x 1 block dragged three cells to the right: whole copies, a block's width apart.
    pointer.Drag(frm.sourceView, {{5, 5}, {70, 5}});
    QCOMPARE(frm.TileCells(), QSize(2, 1));
    pointer.Drag(frm.targetView, {{10, 10}, {74, 10}, {138, 10}, {202, 10}});
    QImage twice = blank;
    Paint(twice, frm.Tile(), QPoint(0, 0));
    Paint(twice, frm.Tile(), QPoint(128, 0));
    VERIFY_NO_MISMATCH(ImageDifference(sheetAt(QRect(0, 0, 256, 448)), twice));
    frm.undoAction->trigger();
    QCOMPARE(sheetAt(QRect(0, 0, 256, 448)), blank);

    // The release went elsewhere (a box took the pointer): a move with no button held stamps
    // nothing more, and the stroke is one step.
    pointer.Drag(frm.sourceView, {{5, 5}});
    pointer.Press(frm.targetView, {10, 10});
    {
        QDialog box(&frm);
        box.setModal(true);
        box.show();
        pointer.Release(frm.targetView, {10, 10});
    }
    for (const QPoint at : {QPoint(10, 100), QPoint(10, 300), QPoint(200, 300)})
        pointer.Move(frm.targetView, at);
    QImage once = blank;
    Paint(once, frm.Tile(), QPoint(0, 0));
    VERIFY_NO_MISMATCH(ImageDifference(sheetAt(QRect(0, 0, 256, 448)), once));
    frm.undoAction->trigger();
    QCOMPARE(sheetAt(QRect(0, 0, 256, 448)), blank);
}

void TestJob::blankStartUpTargetSavesWhole() {
    QTemporaryDir dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QString saved = dir.filePath(QStringLiteral("blank.tga"));
    Save(frm, user, saved);
    QVERIFY(user.Messages.empty());

    const QByteArray bytes = ReadFile(saved);
    QCOMPARE(bytes.size(), 18 + 3 * 256 * 2048);
    const Sheet sheet(256, 2048, frm.targetView->BackColor());
    VERIFY_NO_MISMATCH(sheet.FileMismatch(bytes));
    QVERIFY(frm.composeView->isHidden());
}

void TestJob::saveReplacesLongerFile() {
    TestFolder dir;
    const QString path = dir.Put(QStringLiteral("sheet.tga"), QByteArray(4 * 1024 * 1024, '\xAB'));

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    ChooseSize(frm, QStringLiteral("256x768"));
    Save(frm, user, path);
    QVERIFY(user.Messages.empty());

    const Sheet sheet(256, 768, frm.targetView->BackColor());
    VERIFY_NO_MISMATCH(sheet.FileMismatch(ReadFile(path)));
    QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("sheet.tga")});
}

void TestJob::cancelledSaveLeavesNoTrace() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(64, 128)));

    frm.saveTargetAsAction->trigger(); // no answer queued: the dialog is cancelled
    QCOMPARE(user.Dialogs.size(), size_t(2));
    QVERIFY(user.Dialogs.back().Save);
    QVERIFY(user.Messages.empty());
    QVERIFY(frm.composeView->isHidden());
    QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("source.tga")});
    QVERIFY(frm.TemporaryFolder().Path().isEmpty());
    QCOMPARE(QDir(QDir::tempPath())
                 .entryList({QStringLiteral("patchery-*")},
                            QDir::AllEntries | QDir::Hidden | QDir::CaseSensitive),
             QStringList());
}

void TestJob::failedSaveIsReportedAndKeepsOldFile_data() {
    QTest::addColumn<bool>("folderIsFile");
    QTest::addColumn<QString>("reason");
    QTest::newRow("path through a file") << true << QStringLiteral("Not a directory");
    QTest::newRow("file size limit") << false << QStringLiteral("File too large");
}

void TestJob::failedSaveIsReportedAndKeepsOldFile() {
    QFETCH(bool, folderIsFile);
    QFETCH(QString, reason);

    TestFolder dir;
    const QByteArray oldBytes = PatternTga(8, 8);
    const QString old = dir.Put(QStringLiteral("sheet.tga"), oldBytes);
    const QString path = folderIsFile ? old + QStringLiteral("/inner.tga") : old;

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    ChooseSize(frm, QStringLiteral("256x768"));

    if (folderIsFile) {
        Save(frm, user, path);
    } else {
        const FileSizeLimit limit(100000);
        QVERIFY(limit.ReadLimit);
        QVERIFY(limit.Lowered);
        Save(frm, user, path);
    }

    QCOMPARE(user.Messages.size(), size_t(1));
    const MessageCall& message = user.Messages.front();
    const QString prefix = QStringLiteral("Could not save ") + path + QStringLiteral(": ");
    QVERIFY2(message.Text.startsWith(prefix) && message.Text.contains(reason),
             qPrintable(message.Text));
    QCOMPARE(message.Buttons, MessageButtons::OK);
    QCOMPARE(ReadFile(old), oldBytes);
    QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("sheet.tga")});
    QCOMPARE(Entries(frm.TemporaryFolder().Path()), QStringList()); // no part of a bitmap either
    QVERIFY(frm.composeView->isHidden());

    // Nothing is left broken: the next save goes through.
    const QString retry = dir.filePath(QStringLiteral("retry.tga"));
    Save(frm, user, retry);
    QCOMPARE(user.Messages.size(), size_t(1));
    const Sheet sheet(256, 768, frm.targetView->BackColor());
    VERIFY_NO_MISMATCH(sheet.FileMismatch(ReadFile(retry)));
}

void TestJob::temporaryFolderIsPrivateAndGoesAtShutdown() {
    QTemporaryDir dir;
    ScriptedUser user;
    auto frm = std::make_unique<MainWindow>();
    frm->Show();
    ChooseSize(*frm, QStringLiteral("256x768"));
    Save(*frm, user, dir.filePath(QStringLiteral("a.tga")));
    QVERIFY(user.Messages.empty());

    const QString folder = frm->TemporaryFolder().Path();
    QVERIFY(!folder.isEmpty());
    const QFileInfo info(folder);
    QVERIFY(info.isDir());
    QCOMPARE(QFileInfo(info.absolutePath()).canonicalFilePath(),
             QFileInfo(QDir::tempPath()).canonicalFilePath());
    QVERIFY2(
        QRegularExpression(QStringLiteral("^patchery-.{6}$")).match(info.fileName()).hasMatch(),
        qPrintable(info.fileName()));
    struct stat status {};
    QCOMPARE(stat(QFile::encodeName(folder).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0700));
    // No copy of the sheet waits there for the next save.
    QCOMPARE(Entries(folder), QStringList());

    // A second save reuses the folder.
    Save(*frm, user, dir.filePath(QStringLiteral("b.tga")));
    QCOMPARE(frm->TemporaryFolder().Path(), folder);

    user.Answers.push_back(MessageAnswer::No);
    QVERIFY(!frm->close());
    QVERIFY(QFileInfo::exists(folder));
    user.Answers.push_back(MessageAnswer::Yes);
    QVERIFY(frm->close());
    QCOMPARE(user.MessageTexts(),
             (QStringList{QStringLiteral("Really Quit?"), QStringLiteral("Really Quit?")}));
    QVERIFY(!QFileInfo::exists(folder));
    frm.reset();
    QCOMPARE(QDir(QDir::tempPath())
                 .entryList({QStringLiteral("patchery-*")},
                            QDir::AllEntries | QDir::Hidden | QDir::CaseSensitive),
             QStringList());
}

void TestJob::temporaryFolderReplacedBetweenSaves_data() {
    QTest::addColumn<QString>("meddling");
    QTest::newRow("removed by a cleaner") << QStringLiteral("removed");
    QTest::newRow("removed, TMPDIR names nothing") << QStringLiteral("no TMPDIR");
    QTest::newRow("re-made by another user, a link planted") << QStringLiteral("planted");
    QTest::newRow("a link to a private folder") << QStringLiteral("link");
}

// Whatever became of the private folder since the last save, the next save works in a new
// folder, writes through nothing planted there and leaves what it found alone.
void TestJob::temporaryFolderReplacedBetweenSaves() {
    QFETCH(QString, meddling);
    TestFolder dir;
    const QString victim = dir.Put(QStringLiteral("victim"), "the user's own file");
    const QByteArray tmpdir = qgetenv("TMPDIR");
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    ChooseSize(frm, QStringLiteral("256x768"));
    Save(frm, user, dir.filePath(QStringLiteral("a.tga")));
    const QString old = frm.TemporaryFolder().Path();
    const QByteArray oldName = QFile::encodeName(old);
    QVERIFY(QDir(old).removeRecursively());
    const auto tidy = qScopeGuard([&] {
        qputenv("TMPDIR", tmpdir);
        if (!QFile::remove(old))
            QDir(old).removeRecursively();
    });
    if (meddling == QStringLiteral("no TMPDIR"))
        qputenv("TMPDIR", tmpdir + "/gone");
    if (meddling == QStringLiteral("planted")) {
        // As root the folder gets another owner; otherwise it is ours but open to all.
        QCOMPARE(mkdir(oldName.constData(), 0), 0);
        QCOMPARE(chmod(oldName.constData(), 0777), 0);
        QVERIFY(QFile::link(victim, old + QStringLiteral("/temp000.bmp")));
        if (geteuid() == 0)
            QCOMPARE(chown(oldName.constData(), 65534, 65534), 0);
    }
    if (meddling == QStringLiteral("link")) {
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
        QCOMPARE(mkdir(QFile::encodeName(elsewhere).constData(), 0700), 0);
        QVERIFY(QFile::link(victim, elsewhere + QStringLiteral("/temp000.bmp")));
        QVERIFY(QFile::link(elsewhere, old));
    }

    const QString path = dir.filePath(QStringLiteral("b.tga"));
    Save(frm, user, path);
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
    VERIFY_NO_MISMATCH(Sheet(256, 768, frm.targetView->BackColor()).FileMismatch(ReadFile(path)));
    QCOMPARE(ReadFile(victim), QByteArray("the user's own file"));
    QVERIFY(frm.TemporaryFolder().Path() != old);
    QCOMPARE(QFileInfo(frm.TemporaryFolder().Path()).absolutePath(),
             meddling == QStringLiteral("no TMPDIR") ? QStringLiteral("/tmp")
                                                     : QFile::decodeName(tmpdir));
    QCOMPARE(QFileInfo::exists(old),
             meddling == QStringLiteral("planted") || meddling == QStringLiteral("link"));
}

// Rows of a 301-wide sheet are padded in the temporary bitmap: 903 bytes stored in 904.
void TestJob::oddWidthCustomSheetSaves() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(128, 128)));
    QVERIFY(WhileOpen<CustomSizeDialog>([&] { ChooseSize(frm, QStringLiteral("Custom...")); },
                                        [](CustomSizeDialog* d) {
                                            QTest::keyClicks(d->widthBox, QStringLiteral("301"));
                                            QTest::keyClicks(d->heightBox, QStringLiteral("70"));
                                            QTest::mouseClick(d->okButton, Qt::LeftButton);
                                        }));
    Sheet sheet(301, 70, frm.targetView->BackColor());
    PressAt(frm.sourceView, QPointF(70, 70), Qt::LeftButton, {});
    PressAt(frm.targetView, QPointF(300, 69), Qt::LeftButton, {}); // a cell of 45 x 6 pixels
    Stamp(sheet, PickedTile(128, 128, 64, 64, frm.tileView->BackColor()), 256, 64);

    const QString saved = dir.filePath(QStringLiteral("odd.tga"));
    Save(frm, user, saved);
    QVERIFY(user.Messages.empty());
    VERIFY_NO_MISMATCH(sheet.FileMismatch(ReadFile(saved)));
}

// A sheet stamped in the window with a turned block, a flip and a pick from the sheet itself,
// over an opened PNG: its layout, built without the window, writes exactly the bytes Save Target
// wrote.
void TestJob::layoutBuildsTheBytesTheWindowSaved() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(
        PatternImage(QSize(256, 768), QPoint(7, 3)).save(dir.filePath(QStringLiteral("old.png"))));
    user.Files.push_back(dir.filePath(QStringLiteral("old.png")));
    frm.openTargetAction->trigger();
    OpenSource(frm, user, dir.Put(QStringLiteral("art.tga"), PatternTga(200, 256)));
    Pointer pointer{frm};
    pointer.Drag(frm.sourceView, {{70, 10}, {190, 70}});
    frm.rotateAction->trigger();
    PressAt(frm.targetView, QPointF(10, 10), Qt::LeftButton, {});
    frm.flipHorizontallyAction->trigger();
    PressAt(frm.targetView, QPointF(130, 260), Qt::LeftButton, {});
    PressAt(frm.targetView, QPointF(70, 70), Qt::LeftButton, Qt::ControlModifier);
    PressAt(frm.targetView, QPointF(200, 600), Qt::LeftButton, {});
    const QString saved = dir.filePath(QStringLiteral("saved.tga"));
    Save(frm, user, saved);
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));

    const QByteArray layout = QFile::encodeName(dir.filePath(QStringLiteral("wall.patchery")));
    const QString built = dir.filePath(QStringLiteral("built.tga"));
    QVERIFY(WriteFile(QFile::decodeName(layout),
                      LayoutOf(frm.Sheet(), layout, QFile::encodeName(built)).Text()));
    const QByteArray expected = ReadFile(saved);
    QCOMPARE(expected.size(), 18 + 3 * 256 * 768);
    // patchery's own readers, and those of the window program it becomes for other files.
    for (const ImageReaders& readers : {ImageReaders{LoadPlainImage, {}}, QtImageReaders()}) {
        QVERIFY(QFile::remove(built) || !QFile::exists(built));
        const SheetBuildResult result = BuildSheetFile({layout, {}, false, readers});
        QCOMPARE(result.Lines, std::vector<std::string>());
        QCOMPARE(result.Status, 0);
        QVERIFY(ReadFile(built) == expected);
    }
}

PATCHERY_WIDGET_TEST(TestJob)
#include "test_job.moc"

// Save Target writes the sheet's own TGA without a dialog; anything else asks, starting from the
// sheet's own name as a TGA, never from the source's.
void TestJob::saveTargetToOwnFile_data() {
    QTest::addColumn<QString>("target");  // opened as the target; none: untitled
    QTest::addColumn<QString>("offered"); // what the dialog offers; none: no dialog
    QTest::newRow("opened TGA") << QStringLiteral("own.tga") << QString();
    QTest::newRow("opened PNG") << QStringLiteral("own.png") << QStringLiteral("own.tga");
    QTest::newRow("untitled") << QString() << QStringLiteral("");
}

void TestJob::saveTargetToOwnFile() {
    QFETCH(QString, target);
    QFETCH(QString, offered);

    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QByteArray sourceBytes = PatternTga(64, 64);
    const QString source = dir.Put(QStringLiteral("tiles.tga"), sourceBytes);
    OpenSource(frm, user, source);
    if (target.isEmpty()) {
        ChooseSize(frm, QStringLiteral("256x768"));
    } else {
        if (target.endsWith(QLatin1String(".tga")))
            dir.Put(target, PatternTga(256, 768));
        else
            QVERIFY(PatternImage(QSize(256, 768)).save(dir.filePath(target)));
        user.Files.push_back(dir.filePath(target));
        frm.openTargetAction->trigger();
    }
    PressAt(frm.sourceView, QPointF(0, 0), Qt::LeftButton, {});
    PressAt(frm.targetView, QPointF(0, 0), Qt::LeftButton, {});
    const size_t dialogs = user.Dialogs.size();
    const QString chosen = dir.filePath(QStringLiteral("chosen.tga"));
    user.Files.push_back(chosen);
    frm.saveTargetAction->trigger();
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
    QCOMPARE(ReadFile(source), sourceBytes);
    const QString written = offered.isNull() ? dir.filePath(target) : chosen;
    if (offered.isNull()) {
        QCOMPARE(user.Dialogs.size(), dialogs);
    } else {
        QCOMPARE(user.Dialogs.size(), dialogs + 1);
        QCOMPARE(user.Dialogs.back().FileNameOffered,
                 offered.isEmpty() ? offered : dir.filePath(offered));
    }
    VERIFY_NO_MISMATCH(ImageDifference(LoadPicture(LocalPath(written)), frm.Sheet().Image()));
    // The file saved to is the sheet's own from then on.
    QCOMPARE(frm.targetButton->text(),
             QFileInfo(written).fileName() + QStringLiteral(" - 256x768"));
    frm.saveTargetAsAction->trigger(); // cancelled
    QCOMPARE(user.Dialogs.back().FileNameOffered, written);
}

// Each window here is one run of the program: a run that ends unsaved leaves its sheet, which the
// next run offers; a saved run, or one whose offer was answered, leaves nothing to offer.
void TestJob::unsavedSheetOfferedAtNextStart() {
    QDir(SheetRecovery::DefaultFolder()).removeRecursively(); // what other tests' windows left
    TestFolder dir;
    ScriptedUser user;
    const QString saved = dir.filePath(QStringLiteral("saved.tga"));
    const auto stampAt = [&](MainWindow& frm, QPointF at) {
        OpenSource(frm, user, dir.Put(QStringLiteral("tiles.tga"), PatternTga(64, 64)));
        PressAt(frm.sourceView, QPointF(0, 0), Qt::LeftButton, {});
        PressAt(frm.targetView, at, Qt::LeftButton, {});
    };
    {
        MainWindow frm;
        frm.Show();
        ChooseSize(frm, QStringLiteral("256x768"));
        stampAt(frm, QPointF(0, 0));
        Save(frm, user, saved);
    }
    QImage unsaved;
    {
        MainWindow frm;
        frm.Show();
        frm.OfferRecoveries();
        QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
        user.Files.push_back(saved);
        frm.openTargetAction->trigger();
        stampAt(frm, QPointF(70, 700));
        unsaved = frm.Sheet().Image();
    }
    for (const MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        MainWindow frm;
        frm.Show();
        user.Answers.push_back(answer);
        frm.OfferRecoveries();
        QCOMPARE(user.Messages.size(), size_t(1));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Restore the unsaved sheet saved\\.tga \\(256x768, last "
                                    "changed \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\)\\?$"))
                     .match(user.Messages.back().Text)
                     .hasMatch(),
                 qPrintable(user.Messages.back().Text));
        QCOMPARE(user.Messages.back().Buttons, MessageButtons::YesNoOrLater);
        user.Messages.clear();
        if (answer == MessageAnswer::Yes) {
            // As an opened target: its file, its pixels, changed, undoable.
            VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), unsaved));
            QCOMPARE(frm.targetButton->text(), QStringLiteral("saved.tga - 256x768"));
            QVERIFY(frm.Sheet().Unsaved());
            QVERIFY(frm.undoAction->isEnabled());
            frm.Undo();
            QCOMPARE(frm.Sheet().Size(), QSize(256, 2048));
            frm.Redo(); // left unsaved for the next run, which says No
        }
    }
    MainWindow frm;
    frm.Show();
    frm.OfferRecoveries();
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
}
