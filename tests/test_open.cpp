// Opening TGA and other image files into the source and the target view, through the open
// commands, the command line and drops, and what the window shows of them as they are scrolled
// by their bars or the wheel: captions, scroll bars, pixels on screen, the outlined cell, where
// presses land, and failed opens that must leave everything as it was.

#include "TestSupport.h"

#include "Application.h"
#include "CustomSizeDialog.h"
#include "ImageData.h"
#include "MainWindow.h"
#include "TileGrid.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <QtTest>

#include <fstream>

#include <memory>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The open commands with their dialog, then a file named on the command line or dropped.
enum class Route {
    SourceButton,
    SourceMenu,
    TargetButton,
    TargetMenu,
    SourceNamed,
    TargetNamed,
    SourceDrop,
    TargetDrop
};

bool IsSource(Route route) {
    return route == Route::SourceButton || route == Route::SourceMenu ||
           route == Route::SourceNamed || route == Route::SourceDrop;
}

bool AsksForFile(Route route) {
    return route <= Route::TargetMenu;
}

// Drops local files (none: a text) on widget as a file manager does, offering a copy or a
// move; whether the widget took them, as a copy. The file opens once the drop has ended.
bool DropUrls(QWidget* widget, const QList<QUrl>& urls,
              Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMimeData data;
    data.setText(QStringLiteral("first.tga"));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), offered, &data, Qt::LeftButton, mods);
    QDropEvent drop(QPointF(10, 10), offered, &data, Qt::LeftButton, mods);
    if (QApplication::sendEvent(widget, &enter), enter.isAccepted())
        QApplication::sendEvent(widget, &drop);
    QCoreApplication::processEvents();
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

bool Drop(QWidget* widget, const QStringList& files,
          Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
          Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromUserInput(file);
    return DropUrls(widget, urls, offered, mods);
}

// The pixel the test files hold at (x, y); the inverted variant tells two files apart.
QRgb Expected(int x, int y, bool inverted = false) {
    const QRgb rgb = PatternRgb(x, y);
    return inverted ? ~rgb & 0xFFFFFF : rgb;
}

// A 24-bit file of the pattern, stored top row first (descriptor 0x20) or bottom row first.
QByteArray Tga(int width, int height, bool inverted = false, uint8_t descriptor = 0x20) {
    QByteArray rows(3 * width * height, '\0');
    for (int stored = 0; stored < height; ++stored) {
        const int y = (descriptor & 0x20) ? stored : height - 1 - stored;
        for (int x = 0; x < width; ++x) {
            const QRgb rgb = Expected(x, y, inverted);
            char* at = rows.data() + 3 * (qsizetype(stored) * width + x);
            at[0] = char(qBlue(rgb));
            at[1] = char(qGreen(rgb));
            at[2] = char(qRed(rgb));
        }
    }
    return TgaBytes(width, height, rows, descriptor);
}

// Empty when the image is size.width() x size.height() and holds the pattern, shifted by
// offset (image pixel (x, y) shows pattern pixel (x + offset.x, y + offset.y)).
QString PatternMismatch(const QImage& image, QSize size, bool inverted = false,
                        QPoint offset = {}) {
    QImage pattern = PatternImage(size, offset);
    if (inverted)
        pattern.invertPixels();
    return ImageDifference(image, pattern);
}

// The pattern in another format, as Qt writes it.
QByteArray PatternFile(QSize size, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    PatternImage(size).save(&buffer, format);
    return bytes;
}

// A wheel turn at a window point: first to the widget under it, then to its parents while
// nobody takes it, as one from the window system.
void Wheel(MainWindow& frm, QPoint at, QPoint angle, Qt::KeyboardModifiers mods) {
    QWidget* under = frm.client->childAt(at);
    const QPointF local = under->mapFrom(frm.client, QPointF(at));
    QWheelEvent wheel(local, under->mapToGlobal(local), {}, angle, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(under, &wheel);
}

QString Caption(const QString& name, int width, int height) {
    return name + QStringLiteral(" - ") + QString::number(width) + QLatin1Char('x') +
           QString::number(height);
}

void Press(MainWindow& frm, Route route) {
    switch (route) {
    case Route::SourceButton:
        QTest::mouseClick(frm.sourceButton, Qt::LeftButton);
        break;
    case Route::SourceMenu:
        frm.openSourceAction->trigger();
        break;
    case Route::TargetButton:
        QTest::mouseClick(frm.targetButton, Qt::LeftButton);
        break;
    case Route::TargetMenu:
        frm.openTargetAction->trigger();
        break;
    default:
        QFAIL("no command");
    }
}

// Answers the file dialog with path (nothing: Cancel) and presses the command; or names the
// file, or drops it.
void Open(MainWindow& frm, ScriptedUser& user, Route route, const std::optional<QString>& path) {
    if (route == Route::SourceNamed) {
        frm.OpenSourceFile(*path);
    } else if (route == Route::TargetNamed) {
        frm.OpenTargetFile(*path);
    } else if (!AsksForFile(route)) {
        QVERIFY(Drop(IsSource(route) ? frm.sourceView : frm.targetView, {*path}));
    } else {
        user.Files.push_back(path);
        Press(frm, route);
    }
}

struct BarState {
    bool enabled;
    int16_t max;
    int16_t value;
};

BarState StateOf(const ScrollBar* bar) {
    return {bar->isEnabled(), bar->Max(), bar->Value()};
}

struct ViewState {
    QImage image;
    QImage picture;
    QRect geometry;
    QString caption;
};

ViewState StateOf(const MainWindow& f, bool source) {
    if (source)
        return {f.sourceView->Rendered(), f.Source(), f.sourceView->geometry(),
                f.sourceButton->text()};
    return {f.Sheet().Image(), f.Sheet().Picture(), f.targetView->geometry(),
            f.targetButton->text()};
}

// All that an undo must put back: the sheet, its picture, place, caption, AutoSize and bars.
auto TargetOf(const MainWindow& f) {
    return std::tuple(f.Sheet().Image(), f.Sheet().Picture(), f.targetView->geometry(),
                      f.targetButton->text(), f.Sheet().AutoSize(),
                      f.targetVerticalBar->isEnabled(), f.targetVerticalBar->Max(),
                      f.targetVerticalBar->Value(), f.targetHorizontalBar->isEnabled(),
                      f.targetHorizontalBar->Max(), f.targetHorizontalBar->Value());
}

enum Change { ListSize, CustomSize, CustomCancel, TargetFile, FailedOpen };

} // namespace

Q_DECLARE_METATYPE(Route)

#define COMPARE_BAR(actual, expected)                                                              \
    do {                                                                                           \
        const BarState a_ = (actual), e_ = (expected);                                             \
        QCOMPARE(a_.enabled, e_.enabled);                                                          \
        QCOMPARE(a_.max, e_.max);                                                                  \
        QCOMPARE(a_.value, e_.value);                                                              \
    } while (false)

#define COMPARE_VIEW(actual, expected)                                                             \
    do {                                                                                           \
        const ViewState a_ = (actual), e_ = (expected);                                            \
        QCOMPARE(a_.geometry, e_.geometry);                                                        \
        QCOMPARE(a_.caption, e_.caption);                                                          \
        QVERIFY(a_.image == e_.image);                                                             \
        QVERIFY(a_.picture == e_.picture);                                                         \
    } while (false)

#define VERIFY_PATTERN(...) VERIFY_NO_MISMATCH(PatternMismatch(__VA_ARGS__))

class TestOpen : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogProperties_data();
    void dialogProperties();
    void sourceOpen_data();
    void sourceOpen();
    void targetOpen_data();
    void targetOpen();
    void failedOpenKeepsEverything_data();
    void failedOpenKeepsEverything();
    void dropTakesOneLocalFile_data();
    void dropTakesOneLocalFile();
    void targetOpenLeavesSourceAlone_data();
    void targetOpenLeavesSourceAlone();
    void drawnRightWayUp_data();
    void drawnRightWayUp();
    void scrolledViewsShowTheirImages_data();
    void scrolledViewsShowTheirImages();
    void wheelScrollsAndPressesLand_data();
    void wheelScrollsAndPressesLand();
    void zoomedViewsShowAndPressExactly_data();
    void zoomedViewsShowAndPressExactly();
    void ctrlWheelZoomsAboutThePointer_data();
    void ctrlWheelZoomsAboutThePointer();
    void viewMenuActsOnTheViewWorkedIn();
    void keyboardPicksAndStamps();
    void sourceReopenFollowsItsBar_data();
    void sourceReopenFollowsItsBar();
    void startUpTargetScrollsAndRefits();
    void undoRedoTarget_data();
    void undoRedoTarget();
    void movedOutlineLeavesNothing();
    void namedByItsBytes();
    void largeImageAsksFirst_data();
    void largeImageAsksFirst();
    void cancelledOpenLeavesEverything_data();
    void cancelledOpenLeavesEverything();
    void openRecent();
    void ownFileKeptAndProtected();

  private:
    QString Put(const QString& name, const QByteArray& bytes) const {
        return dir_->Put(name, bytes);
    }

    std::unique_ptr<TestFolder> dir_;
};

void TestOpen::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestOpen::init() {
    // Each window starts at the zoom the last one left: each test starts from none.
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") +
                  QStringLiteral("/Patchery/Patchery.conf"));
    dir_ = std::make_unique<TestFolder>();
    QVERIFY(dir_->isValid());
}

void TestOpen::cleanup() {
    dir_.reset();
}

void TestOpen::dialogProperties_data() {
    QTest::addColumn<Route>("route");
    QTest::newRow("source button") << Route::SourceButton;
    QTest::newRow("Open Source...") << Route::SourceMenu;
    QTest::newRow("target button") << Route::TargetButton;
    QTest::newRow("Open Target...") << Route::TargetMenu;
}

void TestOpen::dialogProperties() {
    QFETCH(Route, route);
    const QString first = Put(QStringLiteral("first.tga"), Tga(64, 64));
    const QString second = Put(QStringLiteral("second.tga"), Tga(64, 64, true));
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    // The other view's command uses the dialog first: the name carries over between views.
    const Route other = IsSource(route) ? Route::TargetMenu : Route::SourceMenu;
    Open(frm, user, other, first);
    // As a save would leave the shared dialog.
    frm.fileDialog.Title = QStringLiteral("Save tga...");
    frm.fileDialog.DefaultExtension = QStringLiteral("*.exe");
    frm.fileDialog.Filter = QStringLiteral("Executable(*.exe)|*.exe");
    frm.fileDialog.FilterIndex = 2;
    frm.fileDialog.ConfirmOverwrite = true;

    Open(frm, user, route, std::nullopt);
    Open(frm, user, route, second);
    Open(frm, user, route, std::nullopt);

    QCOMPARE(int(user.Dialogs.size()), 4);
    const QString offered[] = {QString(), first, first, second};
    for (int i = 0; i < 4; ++i) {
        const DialogCall& call = user.Dialogs[size_t(i)];
        QVERIFY(!call.Save);
        QCOMPARE(call.Title, QStringLiteral("Select tga..."));
        QCOMPARE(call.DefaultExtension, QStringLiteral("*.tga"));
        // A target may also be a layout.
        const QString all =
            QStringLiteral("*.tga;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.pbm;*.pgm;"
                           "*.ppm;*.pnm;*.xbm;*.xpm") +
            (IsSource(i == 0 ? other : route) ? QString() : QStringLiteral(";*.patchery"));
        QCOMPARE(call.Filter, QStringLiteral("tga Image(*.tga)|*.tga|Other Images(*.png;*.jpg;"
                                             "*.jpeg;*.bmp;*.gif;*.pbm;*.pgm;*.ppm;*.pnm;*.xbm;"
                                             "*.xpm)|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.pbm;*.pgm;"
                                             "*.ppm;*.pnm;*.xbm;*.xpm|All images(") +
                                  all + QStringLiteral(")|") + all);
        QCOMPARE(call.FilterIndex, int16_t(1));
        QVERIFY(!call.ConfirmOverwrite);
        QCOMPARE(call.FileNameOffered, offered[i]);
    }
    // Each cancel is reported.
    QCOMPARE(user.MessageTexts(),
             (QStringList{QStringLiteral("Wrong format"), QStringLiteral("Wrong format")}));
}

void TestOpen::sourceOpen_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("updownOn");
    QTest::addColumn<bool>("sideOn");
    QTest::addColumn<int>("updownMax");
    QTest::addColumn<int>("sideMax");

    QTest::newRow("256x477 fits") << Route::SourceButton << 256 << 477 << false << false << 0 << 0;
    QTest::newRow("257x478 one more") << Route::SourceMenu << 257 << 478 << true << true << 1 << 1;
    QTest::newRow("256x2048") << Route::SourceButton << 256 << 2048 << true << false << 1571 << 0;
    QTest::newRow("512x512 button")
        << Route::SourceButton << 512 << 512 << true << true << 35 << 256;
    QTest::newRow("512x512 menu") << Route::SourceMenu << 512 << 512 << true << true << 35 << 256;
    QTest::newRow("100x50 small") << Route::SourceMenu << 100 << 50 << false << false << -427
                                  << -156;
    QTest::newRow("1x1") << Route::SourceButton << 1 << 1 << false << false << -476 << -255;
    QTest::newRow("512x512 named") << Route::SourceNamed << 512 << 512 << true << true << 35 << 256;
    QTest::newRow("256x2048 dropped")
        << Route::SourceDrop << 256 << 2048 << true << false << 1571 << 0;
}

void TestOpen::sourceOpen() {
    QFETCH(Route, route);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, updownOn);
    QFETCH(bool, sideOn);
    QFETCH(int, updownMax);
    QFETCH(int, sideMax);
    const QString name = QStringLiteral("wall %1.tga").arg(width);
    const QString path = Put(name, Tga(width, height));
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QString targetCaption = frm.targetButton->text();

    Open(frm, user, route, path);

    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(int(user.Dialogs.size()), AsksForFile(route) ? 1 : 0);
    // A named or dropped file is the dialog's choice, as if chosen there.
    QCOMPARE(frm.fileDialog.FileName, path);
    // The full width is named, though the view is cut to the viewing width.
    QCOMPARE(frm.sourceButton->text(), Caption(name, width, height));
    QCOMPARE(frm.sourceView->geometry(), QRect(0, 20, qMin(width, 256), height));
    COMPARE_BAR(StateOf(frm.sourceVerticalBar), (BarState{updownOn, int16_t(updownMax), 0}));
    COMPARE_BAR(StateOf(frm.sourceHorizontalBar), (BarState{sideOn, int16_t(sideMax), 0}));
    VERIFY_PATTERN(frm.Source(), QSize(width, height));
    VERIFY_PATTERN(frm.sourceView->Rendered(), QSize(qMin(width, 256), height));
    // The target side is not touched.
    QCOMPARE(frm.targetButton->text(), targetCaption);
    QCOMPARE(frm.targetView->geometry(), QRect(450, 20, 256, 2048));
}

void TestOpen::targetOpen_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<QSize>("before"); // target opened first; empty: none
    QTest::addColumn<QPoint>(
        "scrolled"); // targetHorizontalBar, targetVerticalBar positions set before the open
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("updownOn");
    QTest::addColumn<bool>("sideOn");
    QTest::addColumn<int>("updownMax");
    QTest::addColumn<int>("sideMax");
    QTest::addColumn<QPoint>("position"); // targetHorizontalBar, targetVerticalBar afterwards

    // A bar is on exactly when the opened target exceeds the viewing area that way.
    QTest::newRow("300x300 at start-up")
        << Route::TargetButton << QSize() << QPoint(0, 0) << QSize(300, 300) << false << true
        << -177 << 44 << QPoint(0, 0);
    QTest::newRow("256x256 after 256x2048 scrolled to 1000")
        << Route::TargetMenu << QSize(256, 2048) << QPoint(0, 1000) << QSize(256, 256) << false
        << false << -221 << 0 << QPoint(0, 0);
    QTest::newRow("256x768 after 256x2048 scrolled to 1500")
        << Route::TargetButton << QSize(256, 2048) << QPoint(0, 1500) << QSize(256, 768) << true
        << false << 291 << 0 << QPoint(0, 291);
    QTest::newRow("256x2048 after 256x768 scrolled to 200")
        << Route::TargetMenu << QSize(256, 768) << QPoint(0, 200) << QSize(256, 2048) << true
        << false << 1571 << 0 << QPoint(0, 200);
    QTest::newRow("300x300 after 512x600 scrolled to 200,100")
        << Route::TargetButton << QSize(512, 600) << QPoint(200, 100) << QSize(300, 300) << false
        << true << -177 << 44 << QPoint(44, 0);
    QTest::newRow("256x256 after 512x256 scrolled to 100")
        << Route::TargetMenu << QSize(512, 256) << QPoint(100, 0) << QSize(256, 256) << false
        << false << -221 << 0 << QPoint(0, 0);
    QTest::newRow("64x64 at start-up")
        << Route::TargetNamed << QSize() << QPoint(0, 0) << QSize(64, 64) << false << false << -413
        << -192 << QPoint(0, 0);
    QTest::newRow("1000x1000 after 300x300 scrolled to 44")
        << Route::TargetButton << QSize(300, 300) << QPoint(44, 0) << QSize(1000, 1000) << true
        << true << 523 << 744 << QPoint(44, 0);
    QTest::newRow("256x768 named after 256x2048 scrolled to 1500")
        << Route::TargetNamed << QSize(256, 2048) << QPoint(0, 1500) << QSize(256, 768) << true
        << false << 291 << 0 << QPoint(0, 291);
    QTest::newRow("300x300 dropped after 512x600 scrolled to 200,100")
        << Route::TargetDrop << QSize(512, 600) << QPoint(200, 100) << QSize(300, 300) << false
        << true << -177 << 44 << QPoint(44, 0);
}

void TestOpen::targetOpen() {
    QFETCH(Route, route);
    QFETCH(QSize, before);
    QFETCH(QPoint, scrolled);
    QFETCH(QSize, size);
    QFETCH(bool, updownOn);
    QFETCH(bool, sideOn);
    QFETCH(int, updownMax);
    QFETCH(int, sideMax);
    QFETCH(QPoint, position);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    if (!before.isEmpty()) {
        Open(frm, user, Route::TargetMenu,
             Put(QStringLiteral("before.tga"), Tga(before.width(), before.height(), true)));
        QCOMPARE(frm.targetView->size(), before);
    }
    frm.targetHorizontalBar->setValue(int16_t(scrolled.x()));
    frm.targetVerticalBar->setValue(int16_t(scrolled.y()));
    QCOMPARE(frm.targetView->pos(), QPoint(450, 20) - scrolled);
    const QString sourceCaption = frm.sourceButton->text();

    const QString name = QStringLiteral("sheet.tga");
    Open(frm, user, route, Put(name, Tga(size.width(), size.height())));

    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(frm.targetButton->text(), Caption(name, size.width(), size.height()));
    COMPARE_BAR(StateOf(frm.targetVerticalBar),
                (BarState{updownOn, int16_t(updownMax), int16_t(position.y())}));
    COMPARE_BAR(StateOf(frm.targetHorizontalBar),
                (BarState{sideOn, int16_t(sideMax), int16_t(position.x())}));
    // The target keeps its full width; it is placed as its bars say.
    QCOMPARE(frm.targetView->geometry(), QRect(QPoint(450, 20) - position, size));
    VERIFY_PATTERN(frm.Sheet().Picture(), size);
    VERIFY_PATTERN(frm.Sheet().Image(), size);
    QCOMPARE(frm.sourceButton->text(), sourceCaption);

    // On screen: the viewing area's corners show the image scrolled by the bars.
    const QImage shown = Shown(frm);
    for (const QPoint at :
         {QPoint(450, 20), QPoint(705, 20), QPoint(450, 496), QPoint(705, 496), QPoint(577, 250)}) {
        const QPoint pixel = at - QPoint(450, 20) + position;
        if (!QRect(QPoint(0, 0), size).contains(pixel))
            continue;
        QCOMPARE(RgbAt(shown, at), Expected(pixel.x(), pixel.y()));
    }
}

void TestOpen::failedOpenKeepsEverything_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<QString>("kind");
    const struct {
        Route route;
        const char* name;
    } routes[] = {{Route::SourceButton, "source button"}, {Route::SourceMenu, "Open Source..."},
                  {Route::TargetButton, "target button"}, {Route::TargetMenu, "Open Target..."},
                  {Route::SourceNamed, "named source"},   {Route::TargetNamed, "named target"},
                  {Route::SourceDrop, "dropped source"},  {Route::TargetDrop, "dropped target"}};
    for (const auto& r : routes) {
        for (const char* kind : {"cancel", "missing file", "32-bit", "run-length", "not a TGA",
                                 "32-bit named .png", "cut-off PNG", "FIFO"}) {
            if (AsksForFile(r.route) || kind != QByteArrayView("cancel"))
                QTest::addRow("%s, %s", r.name, kind) << r.route << QString::fromLatin1(kind);
        }
    }
}

void TestOpen::failedOpenKeepsEverything() {
    QFETCH(Route, route);
    QFETCH(QString, kind);
    std::optional<QString> wrong;
    if (kind == QLatin1String("missing file")) {
        wrong = dir_->filePath(QStringLiteral("nowhere.tga"));
    } else if (kind == QLatin1String("32-bit")) {
        wrong = Put(QStringLiteral("deep.tga"),
                    TgaBytes(64, 64, QByteArray(4 * 64 * 64, '\x40'), 0x20, 2, 32));
    } else if (kind == QLatin1String("run-length")) {
        // One packet of 128 equal pixels, repeated to cover 64 x 64.
        QByteArray packets;
        for (int i = 0; i < 32; ++i)
            packets += QByteArray("\xFF\x10\x20\x30", 4);
        wrong = Put(QStringLiteral("packed.tga"), TgaBytes(64, 64, packets, 0x20, 10, 24));
    } else if (kind == QLatin1String("not a TGA")) {
        wrong = Put(QStringLiteral("notes.tga"), QByteArray("just some text\n"));
    } else if (kind == QLatin1String("FIFO")) {
        // No writer: reading it would wait for ever.
        wrong = dir_->filePath(QStringLiteral("pipe.tga"));
        QCOMPARE(::mkfifo(QFile::encodeName(*wrong).constData(), 0600), 0);
    } else if (kind == QLatin1String("32-bit named .png")) {
        // Only the content counts: Qt's readers must not take a TGA that LoadTGA refuses.
        wrong = Put(QStringLiteral("deep.png"),
                    TgaBytes(64, 64, QByteArray(4 * 64 * 64, '\x40'), 0x20, 2, 32));
    } else if (kind == QLatin1String("cut-off PNG")) {
        wrong = Put(QStringLiteral("cut.png"), PatternFile({256, 256}, "png").left(100));
    }

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    Open(frm, user, Route::TargetButton, Put(QStringLiteral("target.tga"), Tga(384, 768, true)));
    frm.sourceHorizontalBar->setValue(100);
    frm.sourceVerticalBar->setValue(20);
    frm.targetHorizontalBar->setValue(64);
    frm.targetVerticalBar->setValue(50);
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {}, QPoint(170, 70));
    QVERIFY(!frm.Tile().isNull());
    QCOMPARE(user.MessageTexts(), QStringList());

    const ViewState source = StateOf(frm, true);
    const ViewState target = StateOf(frm, false);
    const QImage tile = frm.Tile();
    const BarState bars[] = {StateOf(frm.sourceVerticalBar), StateOf(frm.sourceHorizontalBar),
                             StateOf(frm.targetVerticalBar), StateOf(frm.targetHorizontalBar)};
    const QImage shownBefore = Shown(frm);

    Open(frm, user, route, wrong);

    QCOMPARE(int(user.Dialogs.size()), AsksForFile(route) ? 3 : 2);
    QCOMPARE(int(user.Messages.size()), 1);
    const MessageCall& call = user.Messages.front();
    QCOMPARE(call.Text, QStringLiteral("Wrong format"));
    QCOMPARE(call.Buttons, MessageButtons::OK);
    QCOMPARE(call.Title, QStringLiteral("Patchery"));
    QCOMPARE(call.Icon, MessageIcon::None);

    COMPARE_VIEW(StateOf(frm, true), source);
    COMPARE_VIEW(StateOf(frm, false), target);
    QVERIFY(frm.Tile() == tile);
    // The source's bars are switched off during the command, and back on after it.
    COMPARE_BAR(StateOf(frm.sourceVerticalBar), bars[0]);
    COMPARE_BAR(StateOf(frm.sourceHorizontalBar), bars[1]);
    COMPARE_BAR(StateOf(frm.targetVerticalBar), bars[2]);
    COMPARE_BAR(StateOf(frm.targetHorizontalBar), bars[3]);
    // The window is exactly as it was.
    QVERIFY(Shown(frm) == shownBefore);
}

void TestOpen::dropTakesOneLocalFile_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("taken");
    for (const char* what : {"three files", "text", "web address", "folder", "move only"})
        QTest::newRow(what) << QString::fromLatin1(what) << (what == QByteArrayView("three files"));
    // Shift in a file manager proposes a move: taken as a copy, the file stays where it was.
    QTest::newRow("move proposed") << QStringLiteral("move proposed") << true;
}

// On the views and their buttons: three files open all on the source side, in order, the last
// shown (dropped again, each is shown again, not opened twice), and the first on the target
// side; anything else is refused and changes nothing.
void TestOpen::dropTakesOneLocalFile() {
    QFETCH(QString, what);
    QFETCH(bool, taken);
    const QString first = Put(QStringLiteral("first.tga"), Tga(64, 128));
    QStringList files{first, Put(QStringLiteral("second.tga"), Tga(128, 64, true)),
                      Put(QStringLiteral("third.tga"), Tga(64, 64))};
    if (what == QLatin1String("text"))
        files.clear();
    else if (what == QLatin1String("web address"))
        files = QStringList{QStringLiteral("https://example.org/first.tga")};
    else if (what == QLatin1String("folder"))
        files.prepend(dir_->path());
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    for (QPushButton* button : {frm.sourceButton, frm.targetButton}) {
        ImageView* view = button == frm.sourceButton ? frm.sourceView : frm.targetView;
        for (QWidget* place : {static_cast<QWidget*>(view), static_cast<QWidget*>(button)}) {
            const ViewState before = StateOf(frm, button == frm.sourceButton);
            QCOMPARE(
                Drop(place, files,
                     what == QLatin1String("move only") ? Qt::MoveAction
                                                        : Qt::CopyAction | Qt::MoveAction,
                     what == QLatin1String("move proposed") ? Qt::ShiftModifier : Qt::NoModifier),
                taken);
            if (taken && button == frm.targetButton)
                QCOMPARE(button->text(), Caption(QStringLiteral("first.tga"), 64, 128));
            else if (taken)
                QCOMPARE(button->text(), Caption(QStringLiteral("third.tga"), 64, 64));
            else
                COMPARE_VIEW(StateOf(frm, button == frm.sourceButton), before);
        }
    }
    QCOMPARE(frm.Sources().Files(),
             taken ? (QList<QByteArray>{QFile::encodeName(first), QFile::encodeName(files[1]),
                                        QFile::encodeName(files[2])})
                   : QList<QByteArray>{});
    QCOMPARE(user.MessageTexts(), QStringList());
}

void TestOpen::targetOpenLeavesSourceAlone_data() {
    QTest::addColumn<Route>("route");
    QTest::newRow("target button") << Route::TargetButton;
    QTest::newRow("Open Target...") << Route::TargetMenu;
}

void TestOpen::targetOpenLeavesSourceAlone() {
    QFETCH(Route, route);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceMenu, Put(QStringLiteral("source.tga"), Tga(300, 600)));
    frm.sourceHorizontalBar->setValue(44);
    frm.sourceVerticalBar->setValue(100);
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {}, QPoint(200, 150));
    const ViewState source = StateOf(frm, true);
    const QImage tile = frm.Tile();
    const BarState sourceVerticalBar = StateOf(frm.sourceVerticalBar);
    const BarState sourceHorizontalBar = StateOf(frm.sourceHorizontalBar);
    // The tile of the cell at 192, 128.
    VERIFY_PATTERN(tile, QSize(64, 64), false, QPoint(192, 128));

    Open(frm, user, route, Put(QStringLiteral("target.tga"), Tga(256, 1024, true)));

    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(frm.targetView->size(), QSize(256, 1024));
    COMPARE_VIEW(StateOf(frm, true), source);
    QVERIFY(frm.Tile() == tile);
    COMPARE_BAR(StateOf(frm.sourceVerticalBar), sourceVerticalBar);
    COMPARE_BAR(StateOf(frm.sourceHorizontalBar), sourceHorizontalBar);
}

void TestOpen::drawnRightWayUp_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<int>("descriptor");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format"); // as Qt writes it; empty: TGA
    const QString tga = QStringLiteral("image.tga"), png = QStringLiteral("image.png");
    QTest::newRow("source, top-left origin") << Route::SourceButton << 0x20 << tga << QByteArray();
    QTest::newRow("source, bottom-left origin") << Route::SourceMenu << 0x00 << tga << QByteArray();
    QTest::newRow("target, top-left origin") << Route::TargetButton << 0x20 << tga << QByteArray();
    QTest::newRow("target, bottom-left origin") << Route::TargetMenu << 0x00 << tga << QByteArray();
    // Recognised by content, whatever the name says.
    QTest::newRow("source, PNG") << Route::SourceButton << 0 << png << QByteArray("png");
    QTest::newRow("target, PNG named .tga") << Route::TargetMenu << 0 << tga << QByteArray("png");
    QTest::newRow("source, BMP") << Route::SourceMenu << 0 << tga << QByteArray("bmp");
    QTest::newRow("source, TGA named .png") << Route::SourceMenu << 0x00 << png << QByteArray();
    // A TGA whose ID length and colour-map type spell another format's signature is a TGA.
    QTest::newRow("source, TGA starting BM")
        << Route::SourceMenu << 0x20 << tga << QByteArray("BM");
    QTest::newRow("target, TGA starting P6")
        << Route::TargetMenu << 0x20 << tga << QByteArray("P6");
}

void TestOpen::drawnRightWayUp() {
    QFETCH(Route, route);
    QFETCH(int, descriptor);
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    // Wider than the viewing area, so the source's picture and view differ in width.
    const QSize size(320, 500);
    const int limit = QImageReader::allocationLimit();
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    QByteArray file = format.size() == 2 || format.isEmpty()
                          ? Tga(size.width(), size.height(), false, uint8_t(descriptor))
                          : PatternFile(size, format.constData());
    if (format.size() == 2) {
        file.replace(0, 2, format);
        file.insert(18, QByteArray(uint8_t(format[0]), 'x'));
    }
    Open(frm, user, route, Put(name, file));

    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE((IsSource(route) ? frm.sourceButton : frm.targetButton)->text(),
             Caption(name, 320, 500));
    VERIFY_PATTERN(IsSource(route) ? frm.Source() : frm.Sheet().Picture(), size);
    VERIFY_PATTERN(IsSource(route) ? frm.sourceView->Rendered() : frm.Sheet().Image(),
                   IsSource(route) ? QSize(256, size.height()) : size);
    // The window shows the top row at the top of the viewing area.
    const QImage shown = Shown(frm);
    const int left = IsSource(route) ? 0 : 450;
    for (const int x : {0, 100, 255}) {
        QCOMPARE(RgbAt(shown, {left + x, 20}), Expected(x, 0));
        QCOMPARE(RgbAt(shown, {left + x, 496}), Expected(x, 476));
    }
    // Qt's bound on what a reader may allocate stays in place for every later read.
    QCOMPARE(QImageReader::allocationLimit(), limit);
}

void TestOpen::scrolledViewsShowTheirImages_data() {
    QTest::addColumn<int>("step"); // 0: start, 1: middle, 2: end of every bar
    QTest::newRow("offset 0") << 0;
    QTest::newRow("middle") << 1;
    QTest::newRow("maximum") << 2;
}

void TestOpen::scrolledViewsShowTheirImages() {
    QFETCH(int, step);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    Open(frm, user, Route::TargetButton, Put(QStringLiteral("target.tga"), Tga(384, 1536, true)));
    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(frm.sourceHorizontalBar->Max(), int16_t(256));
    QCOMPARE(frm.sourceVerticalBar->Max(), int16_t(547));
    QCOMPARE(frm.targetHorizontalBar->Max(), int16_t(128));
    QCOMPARE(frm.targetVerticalBar->Max(), int16_t(1059));

    for (ScrollBar* bar : {frm.sourceHorizontalBar, frm.sourceVerticalBar, frm.targetHorizontalBar,
                           frm.targetVerticalBar}) {
        if (step == 1)
            bar->setValue(int16_t(bar->Max() / 2));
        else if (step == 2)
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
    }
    const int sx = frm.sourceHorizontalBar->Value(), sy = frm.sourceVerticalBar->Value();
    const int tx = frm.targetHorizontalBar->Value(), ty = frm.targetVerticalBar->Value();
    QCOMPARE(sx, step * 256 / 2);
    QCOMPARE(sy, step == 2 ? 547 : step * 273);
    QCOMPARE(tx, step * 128 / 2);
    QCOMPARE(ty, step == 2 ? 1059 : step * 529);

    // The source grows to the left and always ends at window column 256.
    QCOMPARE(frm.sourceView->geometry(), QRect(-sx, 20 - sy, 256 + sx, 1024));
    QCOMPARE(frm.targetView->geometry(), QRect(450 - tx, 20 - ty, 384, 1536));

    const QImage shown = Shown(frm);
    const QRect sourceImage(0, 0, 512, 1024), targetImage(0, 0, 384, 1536);
    // Inside each viewing area: window point -> image pixel.
    for (const QPoint at : {QPoint(0, 20), QPoint(255, 20), QPoint(0, 496), QPoint(255, 496),
                            QPoint(128, 250), QPoint(37, 301)})
        QCOMPARE(RgbAt(shown, at), Expected(at.x() + sx, at.y() - 20 + sy));
    for (const QPoint at :
         {QPoint(450, 20), QPoint(705, 20), QPoint(450, 496), QPoint(705, 496), QPoint(577, 250)})
        QCOMPARE(RgbAt(shown, at), Expected(at.x() - 450 + tx, at.y() - 20 + ty, true));
    // Outside them, whatever covers the view hides it: file buttons, bars, middle panel.
    int hidden = 0;
    for (const QPoint at :
         {QPoint(10, 10), QPoint(10, 505), QPoint(262, 100), QPoint(300, 100), QPoint(440, 300)}) {
        const QPoint pixel(at.x() + sx, at.y() - 20 + sy);
        if (!sourceImage.contains(pixel))
            continue;
        ++hidden;
        QVERIFY2(RgbAt(shown, at) != Expected(pixel.x(), pixel.y()),
                 qPrintable(QStringLiteral("source shows at %1,%2").arg(at.x()).arg(at.y())));
    }
    for (const QPoint at : {QPoint(440, 100), QPoint(300, 100), QPoint(712, 100), QPoint(600, 10),
                            QPoint(600, 505)}) {
        const QPoint pixel(at.x() - 450 + tx, at.y() - 20 + ty);
        if (!targetImage.contains(pixel))
            continue;
        ++hidden;
        QVERIFY2(RgbAt(shown, at) != Expected(pixel.x(), pixel.y(), true),
                 qPrintable(QStringLiteral("target shows at %1,%2").arg(at.x()).arg(at.y())));
    }
    QVERIFY(hidden >= 3);

    // A press at a window point reaches the view under it in image coordinates. The pointer
    // is there first: its outline, and the mark of the pick, stay out of the tile and the sheet.
    const QPoint sourcePoint(100, 300);
    QCOMPARE(frm.client->childAt(sourcePoint), frm.sourceView);
    const QPoint picked = frm.sourceView->mapFrom(frm.client, sourcePoint);
    QCOMPARE(picked, QPoint(100 + sx, 280 + sy));
    QTest::mouseMove(frm.client, sourcePoint);
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {}, picked);
    const QPoint cell(picked.x() / 64 * 64, picked.y() / 64 * 64);
    VERIFY_PATTERN(frm.Tile(), QSize(64, 64), false, cell);

    const QPoint targetPoint(600, 300);
    QCOMPARE(frm.client->childAt(targetPoint), frm.targetView);
    const QPoint stamped = frm.targetView->mapFrom(frm.client, targetPoint);
    QCOMPARE(stamped, QPoint(150 + tx, 280 + ty));
    QTest::mouseMove(frm.client, targetPoint);
    QTest::mouseClick(frm.targetView, Qt::LeftButton, {}, stamped);
    const QPoint target(stamped.x() / 64 * 64, stamped.y() / 64 * 64);
    VERIFY_PATTERN(frm.Sheet().Image().copy(QRect(target, QSize(64, 64))), QSize(64, 64), false,
                   cell);
    VERIFY_PATTERN(frm.sourceView->Rendered(), QSize(256 + sx, 1024)); // unmarked
}

void TestOpen::wheelScrollsAndPressesLand_data() {
    QTest::addColumn<bool>("source");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QList<QPoint>>("turns"); // 120 a notch; up and left are positive
    QTest::addColumn<QPoint>("bars");         // horizontal, vertical afterwards
    using Turns = QList<QPoint>;
    QTest::newRow("target, a notch down") << false << false << Turns{{0, -120}} << QPoint(0, 48);
    QTest::newRow("target, touchpad 7 x 15")
        << false << false << Turns(7, {0, -15}) << QPoint(0, 42);
    // A turn of 2 is 0.8 pixel: only what is kept over from turn to turn adds up.
    QTest::newRow("target, fine wheel 5 x 2, 3 x 5")
        << false << false << Turns(5, {0, -2}) + Turns(3, {0, -5}) << QPoint(0, 10);
    QTest::newRow("target, down 2, up 3")
        << false << false << Turns{{0, -240}, {0, 360}} << QPoint(0, 0);
    QTest::newRow("target, sideways: bar off")
        << false << true << Turns{{0, -120}, {-120, 0}} << QPoint(0, 0);
    QTest::newRow("source, right, then Shift: 6 down to the end")
        << true << true << Turns{{-120, 0}, {0, -720}} << QPoint(256, 0);
}

// The wheel moves a view's bars, which place it as their arrows do: the pixel under the pointer
// is the one a press would take, and the outline has followed it.
void TestOpen::wheelScrollsAndPressesLand() {
    QFETCH(bool, source);
    QFETCH(bool, shift);
    QFETCH(QList<QPoint>, turns);
    QFETCH(QPoint, bars);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    Open(frm, user, Route::TargetButton, Put(QStringLiteral("target.tga"), Tga(256, 1536, true)));
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {},
                      QPoint(10, 10)); // a tile, for the outline

    const QPoint at = source ? QPoint(100, 300) : QPoint(600, 300);
    QTest::mouseMove(frm.client, QPoint(300, 100)); // the pointer comes from the middle panel
    QTest::mouseMove(frm.client, at);
    for (const QPoint turn : turns)
        Wheel(frm, at, turn, shift ? Qt::ShiftModifier : Qt::NoModifier);

    ScrollBar* across = source ? frm.sourceHorizontalBar : frm.targetHorizontalBar;
    ScrollBar* down = source ? frm.sourceVerticalBar : frm.targetVerticalBar;
    QCOMPARE(QPoint(across->Value(), down->Value()), bars);
    ImageView* view = source ? frm.sourceView : frm.targetView;
    const QPoint pixel = at - QPoint(source ? 0 : 450, 20) + bars;
    QCOMPARE(view->mapFrom(frm.client, at), pixel);
    QCOMPARE(view->Outline(), QRect(pixel.x() / 64 * 64, pixel.y() / 64 * 64, 64, 64));
}

void TestOpen::zoomedViewsShowAndPressExactly_data() {
    QTest::addColumn<bool>("source");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPoint>("bars");  // set after the zoom, in image pixels
    QTest::addColumn<QSize>("client"); // a resizable window's; empty: the fixed one
    const QSize grown(1400, 1000);
    for (const bool source : {true, false}) {
        const char* view = source ? "source" : "target";
        QTest::addRow("%s 25%%", view) << source << 0.25 << QPoint(0, 0) << QSize();
        QTest::addRow("%s 50%%", view) << source << 0.5 << QPoint(0, 37) << QSize();
        QTest::addRow("%s 200%%", view)
            << source << 2.0 << QPoint(source ? 101 : 0, 333) << QSize();
        QTest::addRow("%s 400%%", view)
            << source << 4.0 << QPoint(source ? 170 : 40, 650) << QSize();
        QTest::addRow("%s 800%%", view)
            << source << 8.0 << QPoint(source ? 440 : 100, 930) << QSize();
        // Between the steps, as Fit may leave it, and in a grown window.
        QTest::addRow("%s 37%%", view) << source << 0.37 << QPoint(0, 0) << QSize();
        QTest::addRow("%s 137%%", view) << source << 1.37 << QPoint(0, 101) << QSize();
        QTest::addRow("%s 23%%, grown", view) << source << 0.23 << QPoint(0, 0) << grown;
        QTest::addRow("%s 137%%, grown", view)
            << source << 1.37 << QPoint(source ? 7 : 0, 101) << grown;
        QTest::addRow("%s 400%%, grown", view) << source << 4.0 << QPoint(11, 650) << grown;
    }
}

// Each screen pixel shows the image pixel under it, unsmoothed and unshifted, and a press on
// the first or the last screen pixel of a cell acts on that cell, never on its neighbour.
void TestOpen::zoomedViewsShowAndPressExactly() {
    QFETCH(bool, source);
    QFETCH(double, zoom);
    QFETCH(QPoint, bars);
    QFETCH(QSize, client);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    Open(frm, user, Route::TargetButton, Put(QStringLiteral("target.tga"), Tga(256, 1536, true)));
    if (client.isValid()) {
        frm.resizableAction->trigger();
        frm.resize(client + QSize(0, frm.height() - frm.client->height()));
        QCOMPARE(frm.client->size(), client);
    }
    ImageView* view = source ? frm.sourceView : frm.targetView;
    const QRect viewingArea = (source ? frm.sourcePane : frm.targetPane)->Area();
    QCOMPARE(viewingArea.height(), client.isValid() ? client.height() - 35 : 477);
    const QSize image = source ? QSize(512, 1024) : QSize(256, 1536);
    frm.ZoomView(view, zoom, QPointF(0, 0));
    ScrollBar* across = source ? frm.sourceHorizontalBar : frm.targetHorizontalBar;
    ScrollBar* down = source ? frm.sourceVerticalBar : frm.targetVerticalBar;
    QCOMPARE(down->Max(), int16_t(std::ceil(image.height() - viewingArea.height() / zoom)));
    across->setValue(int16_t(bars.x()));
    down->setValue(int16_t(bars.y()));
    QCOMPARE(QPoint(across->Value(), down->Value()), bars);
    const QPoint area = viewingArea.topLeft();
    QCOMPARE(view->pos(),
             area - QPoint(int(std::floor(bars.x() * zoom)), int(std::floor(bars.y() * zoom))));

    // On screen, away from the marks: a block of 41 x 41 screen pixels.
    const QImage shown = Shown(frm);
    const auto pixelAt = [&](QPoint inView) {
        return QPoint(int(std::floor(inView.x() / zoom)), int(std::floor(inView.y() / zoom)));
    };
    for (int y = 200; y <= 240; ++y) {
        for (int x = 30; x <= 70; ++x) {
            const QPoint at = area + QPoint(x, y);
            const QPoint pixel = pixelAt(view->mapFrom(frm.client, at));
            if (!QRect(QPoint(), image).contains(pixel))
                continue;
            if (RgbAt(shown, at) != Expected(pixel.x(), pixel.y(), !source))
                QFAIL(qPrintable(QStringLiteral("window %1,%2 does not show pixel %3,%4")
                                     .arg(at.x())
                                     .arg(at.y())
                                     .arg(pixel.x())
                                     .arg(pixel.y())));
        }
    }

    // The cell corner nearest the middle of what the area shows, and the screen pixels on both
    // sides of it, each pressed on the cell it shows.
    const QRect visible = viewingArea.intersected(view->geometry());
    const QPointF middle = QPointF(view->mapFrom(frm.client, visible.center())) / zoom;
    const QPoint corner(std::clamp(qRound(middle.x() / 64) * 64, 64, image.width() - 64),
                        std::clamp(qRound(middle.y() / 64) * 64, 64, image.height() - 64));
    const QPoint onScreen(int(std::ceil(corner.x() * zoom)), int(std::ceil(corner.y() * zoom)));
    QVERIFY(visible.contains(view->mapTo(frm.client, onScreen)));
    QVERIFY(visible.contains(view->mapTo(frm.client, onScreen - QPoint(1, 1))));
    if (!source) {
        QTest::mouseClick(frm.sourceView, Qt::LeftButton, {}, QPoint(1, 1)); // tile 0, 0
        QTest::mouseMove(frm.client, QPoint(300, 100));
    }
    for (const QPoint side : {QPoint(-1, -1), QPoint(0, 0), QPoint(-1, 0), QPoint(0, -1)}) {
        const QPoint press = onScreen + side;
        const QRect cell(corner + side * 64, QSize(64, 64));
        QTest::mouseMove(view, press);
        QCOMPARE(view->Outline(), cell);
        QTest::mouseClick(view, Qt::LeftButton, {}, press);
        if (source) {
            QCOMPARE(frm.sourceView->Mark(), cell);
            VERIFY_PATTERN(frm.Tile(), QSize(64, 64), false, cell.topLeft());
        } else {
            QCOMPARE(RgbAt(frm.Sheet().Image(), cell.topLeft()), Expected(0, 0));
            QCOMPARE(RgbAt(frm.Sheet().Image(), cell.bottomRight()), Expected(63, 63));
        }
    }
    // Nothing beyond those four cells was stamped.
    if (!source) {
        for (const QPoint beside : {corner - QPoint(65, 65), corner + QPoint(64, 64)}) {
            if (QRect(QPoint(), image).contains(beside))
                QCOMPARE(RgbAt(frm.Sheet().Image(), beside),
                         Expected(beside.x(), beside.y(), true));
        }
    }
}

void TestOpen::ctrlWheelZoomsAboutThePointer_data() {
    QTest::addColumn<bool>("source");
    QTest::addColumn<QPoint>("at");        // in the window's client area
    QTest::addColumn<QList<int>>("turns"); // notches, one event each; up zooms in
    QTest::addColumn<double>("zoom");      // afterwards
    QTest::newRow("target in 3") << false << QPoint(600, 300) << QList<int>{1, 1, 1} << 8.0;
    QTest::newRow("target in 2 at once, out 1")
        << false << QPoint(523, 401) << QList<int>{2, -1} << 2.0;
    QTest::newRow("source in 1, scrolled") << true << QPoint(201, 77) << QList<int>{1} << 2.0;
    // Reduced until the image fits one way: it then stands at the area's edge that way.
    QTest::newRow("source out 1") << true << QPoint(100, 150) << QList<int>{-1} << 0.5;
    QTest::newRow("target out 2, in 1") << false << QPoint(460, 300) << QList<int>{-2, 1} << 0.5;
    QTest::newRow("target past the largest step")
        << false << QPoint(451, 21) << QList<int>{5, 1} << 8.0;
}

// Ctrl+wheel zooms the view under the pointer a step a notch and leaves the image pixel under
// the pointer where it was.
void TestOpen::ctrlWheelZoomsAboutThePointer() {
    QFETCH(bool, source);
    QFETCH(QPoint, at);
    QFETCH(QList<int>, turns);
    QFETCH(double, zoom);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    Open(frm, user, Route::TargetButton, Put(QStringLiteral("target.tga"), Tga(256, 1536, true)));
    frm.sourceHorizontalBar->setValue(100);
    frm.sourceVerticalBar->setValue(200);
    frm.targetVerticalBar->setValue(300);
    ImageView* view = source ? frm.sourceView : frm.targetView;
    for (const int notches : turns) {
        const QPointF before = QPointF(view->mapFrom(frm.client, at)) / view->Zoom();
        const QPoint pixel(int(std::floor(before.x())), int(std::floor(before.y())));
        Wheel(frm, at, QPoint(0, 120 * notches), Qt::ControlModifier);
        // The screen pixel under the pointer shows some of the pixel that was there, each way
        // the view scrolls.
        const QPoint screen = view->mapFrom(frm.client, at);
        const double z = view->Zoom();
        const bool across =
            (source ? frm.sourceHorizontalBar : frm.targetHorizontalBar)->isEnabled();
        const bool down = (source ? frm.sourceVerticalBar : frm.targetVerticalBar)->isEnabled();
        for (const auto& [scrolls, shown, was] :
             {std::tuple(across, screen.x(), pixel.x()), std::tuple(down, screen.y(), pixel.y())})
            QVERIFY2(!scrolls || (std::floor(shown / z) <= was && was < (shown + 1) / z),
                     qPrintable(QStringLiteral("%1 at %2 %").arg(was).arg(z * 100)));
    }
    QCOMPARE(view->Zoom(), zoom);
    QCOMPARE(frm.ZoomedView(), view);
    QCOMPARE((source ? frm.targetView : frm.sourceView)->Zoom(), 1.0);
    QCOMPARE(view->height(), int((source ? 1024 : 1536) * zoom));

    // Remembered: a new window starts at the same zoom.
    MainWindow again;
    again.Show();
    QCOMPARE((source ? again.sourceView : again.targetView)->Zoom(), zoom);
}

// The View menu zooms the view last pressed, or the one with the focus, not the one the pointer
// crossed on its way to the menu bar.
void TestOpen::viewMenuActsOnTheViewWorkedIn() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowActive(&frm));
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    QTest::mouseClick(frm.targetView, Qt::LeftButton, {}, QPoint(10, 10));
    frm.sizeList->setFocus(); // no view has the focus: the one last pressed counts
    QTest::mouseMove(frm.client, QPoint(100, 120));
    QCOMPARE(frm.sourceView->Outline(), QRect(64, 64, 64, 64)); // the pointer is over it
    frm.zoomInAction->trigger();
    QCOMPARE(frm.targetView->Zoom(), 2.0);
    QCOMPARE(frm.sourceView->Zoom(), 1.0);
    frm.sourceView->setFocus(Qt::TabFocusReason);
    frm.zoomOutAction->trigger();
    QCOMPARE(frm.sourceView->Zoom(), 0.5);
    QCOMPARE(frm.targetView->Zoom(), 2.0);
}

// Tab reaches the views after the other controls; in a view the arrows move a cell cursor that
// the bars keep in sight, and Space or Return press where it stands. A press gives the focus.
void TestOpen::keyboardPicksAndStamps() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowActive(&frm));
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    Open(frm, user, Route::TargetButton, Put(QStringLiteral("target.tga"), Tga(256, 1536, true)));
    frm.sourceHorizontalBar->setValue(100);
    frm.sourceVerticalBar->setValue(200);
    const auto key = [](Qt::Key k, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(QApplication::focusWidget(), k);
    };
    frm.sourceList->setFocus(); // the last control before the views
    const QRgb highlight = frm.palette().color(QPalette::Highlight).rgb() & RGB_MASK;
    QVERIFY(RgbAt(Shown(frm), {100, 20}) != highlight);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), frm.sourceView);
    // Framed while it has the focus, the cursor on the first cell in sight.
    QCOMPARE(RgbAt(Shown(frm), {100, 20}), highlight);
    QCOMPARE(frm.sourceView->KeyCursor(), QRect(64, 192, 64, 64));
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    QCOMPARE(frm.sourceView->Mark(), QRect(128, 256, 64, 64));
    VERIFY_PATTERN(frm.Tile(), QSize(64, 64), false, QPoint(128, 256));
    QCOMPARE(frm.sourceView->accessibleDescription(), QStringLiteral("Column 2, row 4"));
    // Down past the area's bottom and left past its edge: the bars follow, the cursor stops at
    // the image's first column.
    key(Qt::Key_Down, 6);
    key(Qt::Key_Left, 4);
    QCOMPARE(frm.sourceView->KeyCursor(), QRect(0, 640, 64, 64));
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(704 - 477));
    QCOMPARE(frm.sourceHorizontalBar->Value(), int16_t(0));

    // The target at 400 %: its cursor starts in sight, and Return stamps there.
    frm.ZoomView(frm.targetView, 4.0, QPointF(0, 0));
    frm.targetVerticalBar->setValue(100);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), frm.targetView);
    QVERIFY(RgbAt(Shown(frm), {100, 20}) != highlight);
    QCOMPARE(RgbAt(Shown(frm), {600, 20}), highlight);
    QCOMPARE(frm.targetView->KeyCursor(), QRect(0, 64, 64, 64));
    key(Qt::Key_Right);
    key(Qt::Key_Down, 2);
    QCOMPARE(frm.targetVerticalBar->Value(), int16_t(256 - 477 / 4));
    key(Qt::Key_Return);
    QCOMPARE(RgbAt(frm.Sheet().Image(), {64, 192}), Expected(128, 256));
    QCOMPARE(RgbAt(frm.Sheet().Image(), {127, 255}), Expected(191, 319));
    QCOMPARE(RgbAt(frm.Sheet().Image(), {128, 192}), Expected(128, 192, true));
    QCOMPARE(frm.targetView->accessibleDescription(), QStringLiteral("Column 1, row 3"));

    // A press gives its view the focus, and the cursor the pressed cell.
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {}, QPoint(200, 500));
    QCOMPARE(QApplication::focusWidget(), frm.sourceView);
    QCOMPARE(frm.sourceView->KeyCursor(), CellAt(QPointF(200, 500)));
    QVERIFY(RgbAt(Shown(frm), {100, 20}) != highlight); // framed again only once keys are used

    // The pointer's cell and pixel, in a corner of its viewing area; gone when it leaves.
    const auto coordinates = [&frm]() -> QLabel* {
        for (QLabel* label : frm.client->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (label->isVisible() && label->text().contains(QStringLiteral("pixel")))
                return label;
        return nullptr;
    };
    QTest::mouseMove(frm.targetView, QPoint(301, 1000)); // image pixel 75, 250
    QVERIFY(coordinates());
    QCOMPARE(coordinates()->text().simplified(),
             QStringLiteral("Column 1, row 3 \u00B7 pixel 75, 250"));
    QVERIFY(QRect(450, 20, 256, 477).contains(coordinates()->geometry()));
    QTest::mouseMove(frm.client, QPoint(300, 300));
    QVERIFY(!coordinates());
}

void TestOpen::sourceReopenFollowsItsBar_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("position"); // sourceHorizontalBar, sourceVerticalBar afterwards

    // Opened over a 512 x 1024 source scrolled to 200, 300.
    QTest::newRow("512x512 keeps 200") << QSize(512, 512) << QPoint(200, 35);
    QTest::newRow("1024x600 keeps 200") << QSize(1024, 600) << QPoint(200, 123);
    QTest::newRow("300x300 clamps to 44") << QSize(300, 300) << QPoint(44, 0);
    QTest::newRow("256x256 back to 0") << QSize(256, 256) << QPoint(0, 0);
}

void TestOpen::sourceReopenFollowsItsBar() {
    QFETCH(QSize, size);
    QFETCH(QPoint, position);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("first.tga"), Tga(512, 1024)));
    frm.sourceHorizontalBar->setValue(200);
    frm.sourceVerticalBar->setValue(300);
    QCOMPARE(frm.sourceView->geometry(), QRect(-200, -280, 456, 1024));

    Open(frm, user, Route::SourceMenu,
         Put(QStringLiteral("second.tga"), Tga(size.width(), size.height(), true)));

    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(frm.sourceHorizontalBar->Value(), int16_t(position.x()));
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(position.y()));
    // Placed as the bars say, reaching the viewing area's right edge and no further.
    QCOMPARE(frm.sourceView->geometry(),
             QRect(-position.x(), 20 - position.y(), 256 + position.x(), size.height()));
    VERIFY_PATTERN(frm.Source(), size, true);

    const QImage shown = Shown(frm);
    const QRect image(QPoint(0, 0), size);
    for (const QPoint at : {QPoint(0, 20), QPoint(255, 20), QPoint(0, 496), QPoint(255, 496)}) {
        const QPoint pixel = at - QPoint(0, 20) + position;
        if (image.contains(pixel))
            QCOMPARE(RgbAt(shown, at), Expected(pixel.x(), pixel.y(), true));
    }
    const QPoint beside(262 + position.x(), 80 + position.y());
    if (image.contains(beside))
        QVERIFY(RgbAt(shown, {262, 100}) != Expected(beside.x(), beside.y(), true));
}

void TestOpen::startUpTargetScrollsAndRefits() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    frm.targetVerticalBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(frm.targetVerticalBar->Value(), int16_t(64));
    QCOMPARE(frm.targetView->y(), 20 - 64);

    // At the end the sheet's last row sits on the viewing area's last row, 496.
    frm.targetVerticalBar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(frm.targetVerticalBar->Value(), int16_t(1571));
    QCOMPARE(frm.targetView->geometry(), QRect(450, -1551, 256, 2048));
    QCOMPARE(frm.targetView->mapTo(frm.client, QPoint(0, 2047)).y(), 496);

    // A smaller sheet from the list pulls the bar back into its range.
    frm.targetVerticalBar->setValue(1500);
    QCOMPARE(frm.targetView->y(), -1480);
    ChooseSize(frm, QStringLiteral("256x768"));
    QCOMPARE(frm.targetView->size(), QSize(256, 768));
    QCOMPARE(frm.targetVerticalBar->Max(), int16_t(291));
    QCOMPARE(frm.targetVerticalBar->Value(), int16_t(291));
    QCOMPARE(frm.targetView->y(), -271);
    QCOMPARE(frm.targetView->mapTo(frm.client, QPoint(0, 767)).y(), 496);
}

void TestOpen::undoRedoTarget_data() {
    QTest::addColumn<int>("change");
    QTest::newRow("256x768 from the list") << int(ListSize);
    QTest::newRow("Custom... 200x300") << int(CustomSize);
    QTest::newRow("Custom... cancelled: no step") << int(CustomCancel);
    QTest::newRow("target opened") << int(TargetFile);
    QTest::newRow("failed open: no step") << int(FailedOpen);
}

void TestOpen::undoRedoTarget() {
    QFETCH(int, change);
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const auto startUp = TargetOf(frm);
    // A tile, a target file scrolled away from its corner, one stamp on it.
    Open(frm, user, Route::SourceButton, Put(QStringLiteral("source.tga"), Tga(512, 1024)));
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {}, QPoint(70, 70));
    Open(frm, user, Route::TargetMenu, Put(QStringLiteral("target.tga"), Tga(350, 700, true)));
    frm.targetHorizontalBar->setValue(64);
    frm.targetVerticalBar->setValue(200);
    const auto opened = TargetOf(frm);
    QTest::mouseClick(frm.targetView, Qt::LeftButton, {}, QPoint(10, 10));
    const auto before = TargetOf(frm);

    if (change == ListSize) {
        ChooseSize(frm, QStringLiteral("256x768"));
    } else if (change == TargetFile || change == FailedOpen) {
        Open(frm, user, Route::TargetButton,
             Put(QStringLiteral("b.tga"), change == TargetFile ? Tga(256, 2048) : "not a TGA"));
    } else {
        QVERIFY(WhileOpen<CustomSizeDialog>(
            [&] { ChooseSize(frm, QStringLiteral("Custom...")); },
            [&](CustomSizeDialog* d) {
                QTest::keyClicks(d->widthBox, QStringLiteral("200"));
                QTest::keyClicks(d->heightBox, QStringLiteral("300"));
                QTest::mouseClick(change == CustomSize ? d->okButton : d->cancelButton,
                                  Qt::LeftButton);
            }));
    }
    const auto after = TargetOf(frm);
    QVERIFY(!frm.redoAction->isEnabled());

    frm.undoAction->trigger();
    if (change == CustomCancel || change == FailedOpen) {
        QVERIFY(TargetOf(frm) == opened); // no step: the stamp before it was undone
        return;
    }
    QVERIFY(TargetOf(frm) == before);
    frm.redoAction->trigger();
    QVERIFY(TargetOf(frm) == after);

    // A new change forgets what could be redone.
    frm.undoAction->trigger();
    QTest::mouseClick(frm.targetView, Qt::LeftButton, {}, QPoint(70, 10));
    QVERIFY(!frm.redoAction->isEnabled());
    // Back through every step to the start-up sheet.
    for (int i = 0; i < 10 && frm.undoAction->isEnabled(); ++i)
        frm.undoAction->trigger();
    QVERIFY(TargetOf(frm) == startUp);
}

// A ring drawn outside its cell is repainted away when the pointer moves on: what the screen
// shows where it was is the sheet again.
void TestOpen::movedOutlineLeavesNothing() {
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    QGuiApplication::clipboard()->setImage(QImage(8, 8, QImage::Format_RGB32));
    frm.PasteTile(); // a tile: the target shows the outline
    const auto screen = [&] {
        QCoreApplication::processEvents();
        return frm.screen()->grabWindow(frm.winId()).toImage();
    };
    const QPoint first = frm.targetView->mapTo(&frm, QPoint(100, 100)); // cell (64, 64)
    QTest::mouseMove(&frm, first);
    QVERIFY(RgbAt(screen(), first - QPoint(37, 0)) != RgbAt(frm.Sheet().Image(), {63, 100}));
    QTest::mouseMove(&frm, first + QPoint(64, 0));
    QCOMPARE(frm.targetView->Outline(), QRect(128, 64, 64, 64));
    const QImage shown = screen();
    for (const int y : {63, 64, 100, 127, 128}) // the old ring's left side, corners included
        QCOMPARE(RgbAt(shown, first + QPoint(-37, y - 100)), RgbAt(frm.Sheet().Image(), {63, y}));
}

// A name that is not UTF-8 (Latin-1 "café") opens exactly as named, or as dropped (its address
// percent-encodes the bytes); the caption decodes it as well as it can.
void TestOpen::namedByItsBytes() {
    const QByteArray folder = QFile::encodeName(dir_->path());
    const QByteArray source = folder + "/caf\xe9.tga", target = folder + "/caf\xe9-t.tga";
    for (const QByteArray& path : {source, target}) {
        QFile file;
        QVERIFY(file.open(::fopen(path.constData(), "wb"), QIODevice::WriteOnly,
                          QFileDevice::AutoCloseHandle));
        QVERIFY(file.write(Tga(64, 128)) > 0);
    }
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    frm.OpenSourceFile(source);
    frm.OpenTargetFile(target);
    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(frm.sourceButton->text(), Caption(QStringLiteral("caf\uFFFD.tga"), 64, 128));
    QCOMPARE(frm.targetButton->text(), Caption(QStringLiteral("caf\uFFFD-t.tga"), 64, 128));
    VERIFY_PATTERN(frm.Source(), QSize(64, 128));
    VERIFY_PATTERN(frm.Sheet().Picture(), QSize(64, 128));

    MainWindow dropped;
    dropped.Show();
    const auto url = [](const QByteArray& path) {
        return QList<QUrl>{QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))};
    };
    QVERIFY(DropUrls(dropped.sourceView, url(source)));
    QVERIFY(DropUrls(dropped.targetView, url(target)));
    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(dropped.sourceButton->text(), frm.sourceButton->text());
    QCOMPARE(dropped.targetButton->text(), frm.targetButton->text());
}

void TestOpen::largeImageAsksFirst_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<QByteArray>("file"); // a TGA header alone: a sparse TGA that size
    QTest::addColumn<QString>("message");
    const QString ask = QStringLiteral("The image's %1 \u00d7 %2 pixels need %3 GB of memory. Open "
                                       "it anyway?");
    const QString never = QStringLiteral("bomb has %1 \u00d7 %1 pixels: a target sheet that size "
                                         "could never be saved. Width and height must each be "
                                         "from 1 to 32767, and 3 x width x height at most "
                                         "2147483647.");
    QTest::newRow("source, 79-byte XBM") << Route::SourceNamed << XbmDeclaring({32767, 32767})
                                         << ask.arg(32767).arg(32767).arg(QStringLiteral("3.0"));
    QTest::newRow("source, JPEG") << Route::SourceDrop << JpegDeclaring({20000, 30000})
                                  << ask.arg(20000).arg(30000).arg(QStringLiteral("1.7"));
    QTest::newRow("source, TGA") << Route::SourceNamed << TgaBytes(9000, 10000, {})
                                 << ask.arg(9000).arg(10000).arg(QStringLiteral("0.3"));
    QTest::newRow("target, JPEG") << Route::TargetNamed << JpegDeclaring({20000, 20000})
                                  << ask.arg(20000).arg(20000).arg(QStringLiteral("1.1"));
    QTest::newRow("target, TGA") << Route::TargetDrop << TgaBytes(9000, 10000, {})
                                 << ask.arg(9000).arg(10000).arg(QStringLiteral("0.3"));
    QTest::newRow("target that could never be saved")
        << Route::TargetNamed << XbmDeclaring({26755, 26755}) << never.arg(26755);
    QTest::newRow("target, 79-byte XBM")
        << Route::TargetNamed << XbmDeclaring({32767, 32767}) << never.arg(32767);
    QTest::newRow("target TGA that could never be saved")
        << Route::TargetNamed << TgaBytes(27000, 27000, {}) << never.arg(27000);
}

// An image needing more than 256 MB asks before any of its pixels is decoded, and No (the
// default) leaves everything as it was; a target no save could write is refused outright.
void TestOpen::largeImageAsksFirst() {
    QFETCH(Route, route);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    const QString path = Put(QStringLiteral("bomb"), file);
    if (file.size() == 18) { // a sparse file: the declared pixels cost no disk
        const auto side = [&file](int at) { return uchar(file[at]) | uchar(file[at + 1]) << 8; };
        QVERIFY(QFile::resize(path, 18 + qint64{3} * side(12) * side(14)));
    }
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const ViewState source = StateOf(frm, true), target = StateOf(frm, false);
    const int limit = QImageReader::allocationLimit();
    const qint64 before = DataBytes();
    qint64 atQuestion = -1;
    user.Seen = [&](const MessageCall&) { atQuestion = DataBytes(); };

    Open(frm, user, route, path);

    QCOMPARE(user.MessageTexts(), QStringList{message});
    QCOMPARE(user.Messages[0].Buttons, message.endsWith(QLatin1String("anyway?"))
                                           ? MessageButtons::YesNoDefaultNo
                                           : MessageButtons::OK);
    // Nothing allocated for the pixels before the question.
    QVERIFY2(atQuestion - before < 64 << 20, qPrintable(QString::number(atQuestion - before)));
    COMPARE_VIEW(StateOf(frm, true), source);
    COMPARE_VIEW(StateOf(frm, false), target);
    QVERIFY(!frm.History().CanUndo());
    QCOMPARE(QImageReader::allocationLimit(), limit);
}

void TestOpen::cancelledOpenLeavesEverything_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<bool>("escape"); // Esc on the progress dialog instead of its button
    QTest::newRow("source") << Route::SourceNamed << false;
    QTest::newRow("target") << Route::TargetMenu << false;
    QTest::newRow("target, Esc") << Route::TargetMenu << true;
}

// Yes to the question, then Cancel while the pixels are read: nothing changes, no message
// follows, and the memory taken for them is given back.
void TestOpen::cancelledOpenLeavesEverything() {
    QFETCH(Route, route);
    QFETCH(bool, escape);
    const QString path = Put(QStringLiteral("large.tga"), TgaBytes(9000, 10000, {}));
    QVERIFY(QFile::resize(path, 18 + 3LL * 9000 * 10000)); // sparse: costs no disk
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const auto target = TargetOf(frm);
    const ViewState source = StateOf(frm, true);
    const qint64 before = DataBytes();
    user.Answers = {MessageAnswer::Yes};
    user.Seen = [&frm, escape](const MessageCall&) {
        // Cancel pressed as the reading starts: the progress dialog waits, hidden, meanwhile.
        auto* progress = frm.findChild<QProgressDialog*>();
        QVERIFY(progress);
        if (escape)
            QTest::keyClick(progress, Qt::Key_Escape);
        else
            progress->findChild<QPushButton*>()->click();
    };

    Open(frm, user, route, path);

    QCOMPARE(int(user.Messages.size()), 1);
    QVERIFY(TargetOf(frm) == target);
    COMPARE_VIEW(StateOf(frm, true), source);
    QVERIFY(!frm.History().CanUndo());
    QVERIFY2(DataBytes() - before < 64 << 20, qPrintable(QString::number(DataBytes() - before)));
}

PATCHERY_WIDGET_TEST(TestOpen)
#include "test_open.moc"

// Open Recent: newest first, each marked and opened again as it was; a file that has gone says
// "Wrong format" and leaves the list; Clear Menu empties it, in this window and the next.
// A name that is not UTF-8 and holds an &: saved to as its bytes, listed as it reads, opened
// again from Open Recent. A read-only sheet is never replaced; a hard-linked one only once the
// user agrees that its other name keeps the old sheet.
void TestOpen::ownFileKeptAndProtected() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QByteArray own = QFile::encodeName(dir_->path()) + "/caf\xe9&x.tga";
    const QByteArray opened = TgaBytes(256, 768, QByteArray(3 * 256 * 768, 'a'));
    {
        std::ofstream out(own.toStdString(), std::ios::binary);
        out.write(opened.constData(), opened.size());
        QVERIFY(out.good());
    }
    const auto bytesOf = [](const QByteArray& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return QByteArray::fromStdString(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    };
    frm.OpenTargetFile(own);
    QCOMPARE(user.MessageTexts(), QStringList());
    ChooseSize(frm, QStringLiteral("256x1024"));
    frm.saveTargetAction->trigger();
    QCOMPARE(user.MessageTexts(), QStringList());
    QVERIFY(user.Dialogs.empty()); // saved to its own file, without asking where
    QVERIFY(bytesOf(own) != opened);
    const QByteArray saved = bytesOf(own);
    QVERIFY(QDir(dir_->path()).entryList(QDir::Files).filter(QChar(0xFFFD)).isEmpty());
    QCOMPARE(frm.recentMenu->actions()[0]->text(),
             QStringLiteral("&1 ") + QFile::decodeName(own).replace(u'&', QStringLiteral("&&")) +
                 QStringLiteral(" (target)"));
    ChooseSize(frm, QStringLiteral("256x768"));
    frm.recentMenu->actions()[0]->trigger();
    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(frm.Sheet().Size(), QSize(256, 1024));
    MainWindow again; // the name kept in the settings as its bytes
    again.recentMenu->actions()[0]->trigger();
    QCOMPARE(user.MessageTexts(), QStringList());
    QCOMPARE(again.Sheet().FilePath(), own);

    // Write-protected: said, Save As offered (declined), the file as it was.
    ChooseSize(frm, QStringLiteral("256x1536"));
    QVERIFY(::chmod(own.constData(), 0444) == 0);
    user.Answers.push_back(MessageAnswer::No);
    frm.saveTargetAction->trigger();
    QCOMPARE(user.MessageTexts().size(), 1);
    QVERIFY2(user.MessageTexts()[0].endsWith(
                 QStringLiteral("is write-protected. Save the sheet under another name?")),
             qPrintable(user.MessageTexts()[0]));
    QCOMPARE(bytesOf(own), saved);
    QVERIFY(::chmod(own.constData(), 0644) == 0);
    user.Messages.clear();

    // Hard-linked: No leaves both names as they were; Yes saves, the other name keeps the old.
    const QByteArray other = QFile::encodeName(dir_->path()) + "/other.tga";
    QVERIFY(::link(own.constData(), other.constData()) == 0);
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        user.Answers.push_back(answer);
        frm.saveTargetAction->trigger();
        QCOMPARE(user.MessageTexts().size(), 1);
        QVERIFY(user.MessageTexts()[0].contains(QStringLiteral("(hard links)")));
        QCOMPARE(user.Messages[0].Buttons, MessageButtons::YesNoDefaultNo);
        QCOMPARE(bytesOf(other), saved);
        QCOMPARE(bytesOf(own) == saved, answer == MessageAnswer::No);
        user.Messages.clear();
    }
}

void TestOpen::openRecent() {
    ScriptedUser user;
    auto frm = std::make_unique<MainWindow>();
    frm->Show();
    frm->recentMenu->actions().constLast()->trigger(); // what other tests opened
    const QString source = Put(QStringLiteral("a.tga"), PatternTga(64, 64));
    const QString target = Put(QStringLiteral("b.tga"), PatternTga(256, 768));
    const QString saved = dir_->filePath(QStringLiteral("c.tga"));
    for (int i = 0; i < 8; ++i) // the list keeps 8, each file once
        OpenSource(*frm, user, source);
    user.Files.push_back(target);
    frm->openTargetAction->trigger();
    user.Files.push_back(saved);
    frm->saveTargetAsAction->trigger();
    const auto items = [&frm] {
        QStringList texts;
        for (const QAction* action : frm->recentMenu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    };
    QCOMPARE(items(), (QStringList{QStringLiteral("&1 ") + saved + QStringLiteral(" (target)"),
                                   QStringLiteral("&2 ") + target + QStringLiteral(" (target)"),
                                   QStringLiteral("&3 ") + source + QStringLiteral(" (source)"),
                                   QStringLiteral("-"), QStringLiteral("Clear Menu")}));

    ChooseSize(*frm, QStringLiteral("256x1024"));
    frm->recentMenu->actions()[0]->trigger();
    QCOMPARE(frm->targetButton->text(), QStringLiteral("c.tga - 256x768"));
    QVERIFY(QFile::remove(target));
    frm->recentMenu->actions()[1]->trigger();
    QCOMPARE(user.MessageTexts(), QStringList{QStringLiteral("Wrong format")});
    QCOMPARE(frm->targetButton->text(), QStringLiteral("c.tga - 256x768"));
    QCOMPARE(items().size(), 4);

    frm = std::make_unique<MainWindow>(); // kept in the settings
    QCOMPARE(items()[1], QStringLiteral("&2 ") + source + QStringLiteral(" (source)"));
    frm->recentMenu->actions()[1]->trigger();
    QCOMPARE(frm->sourceButton->text(), QStringLiteral("a.tga - 64x64"));
    frm->recentMenu->actions().constLast()->trigger();
    QCOMPARE(items(), (QStringList{QStringLiteral("-"), QStringLiteral("Clear Menu")}));
    QVERIFY(!frm->recentMenu->actions().constLast()->isEnabled());
}
