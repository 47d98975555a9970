// The main window's frame: layout, stacking, captions, menus, focus order, start-up state,
// the stored window position and the "Really Quit?" guard with the shutdown it protects.

#include "TestSupport.h"

#include "AboutDialog.h"
#include "Application.h"
#include "CommandLine.h"
#include "CustomSizeDialog.h"
#include "LaunchOptions.h"
#include "MainWindow.h"
#include "OptionsDialog.h"
#include "Settings.h"
#include "TerminationSignals.h"
#include "Translations.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QWindow>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

#include <optional>

namespace {
QList<QAction*> WithoutSeparators(const QList<QAction*>& actions) {
    QList<QAction*> items;
    for (QAction* action : actions) {
        if (!action->isSeparator())
            items << action;
    }
    return items;
}

const QString App = QStringLiteral("Patchery");
const QString Section = QStringLiteral("Settings");

using Getter = QWidget* (*)(MainWindow&);

// Both layout tables, topmost first within each parent. targetView is listed at the size it has
// once the window is loaded. Views move and grow, so their stacking matters against every sibling.
struct Placed {
    const char* name;
    Getter get;
    bool inCover1;
    QRect geometry;
    bool moves;
};

// A row's name and the way to reach the control of that name.
#define CONTROL(member) #member, [](MainWindow & f) -> QWidget* { return f.member; }

const Placed Layout[] = {
    {CONTROL(buttonGap), false, {271, 0, 179, 20}, false},
    {CONTROL(targetButton), false, {450, 0, 271, 20}, false},
    {CONTROL(sourceButton), false, {0, 0, 271, 20}, false},
    {CONTROL(targetVerticalBar), false, {706, 20, 15, 477}, false},
    {CONTROL(targetHorizontalBar), false, {450, 497, 256, 15}, false},
    {CONTROL(sourceHorizontalBar), false, {0, 497, 256, 15}, false},
    {CONTROL(sourceView), false, {0, 20, 256, 477}, true},
    {CONTROL(middlePanel), false, {271, 20, 179, 477}, false},
    {CONTROL(sourceVerticalBar), false, {256, 20, 15, 477}, false},
    {CONTROL(bottomStrip), false, {0, 497, 721, 15}, false},
    {CONTROL(targetView), false, {450, 20, 256, 2048}, true},
    {CONTROL(composeView), true, {106, 477, 28, 27}, false},
    {CONTROL(sizeList), true, {47, 210, 86, 21}, false},
    {CONTROL(pasteButton), true, {47, 150, 86, 30}, false},
    {CONTROL(copyButton), true, {47, 110, 86, 30}, false},
    {CONTROL(tileView), true, {58, 25, 64, 64}, false},
    {CONTROL(tileFrame), true, {46, 8, 86, 90}, false},
    {CONTROL(sizeLabel), true, {47, 190, 86, 13}, false},
    {CONTROL(panelEdge), true, {178, 0, 1, 477}, false},
};
#undef CONTROL

QString ConfPath() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Patchery/Patchery.conf");
}

void ClearSettings() {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, App, App);
    store.clear();
    store.sync();
}

// The window position in twips as an earlier run stored it; a null string stores nothing.
void StorePosition(const QString& left, const QString& top) {
    if (!left.isNull())
        SaveSetting(App, Section, QStringLiteral("MainLeft"), left);
    if (!top.isNull())
        SaveSetting(App, Section, QStringLiteral("MainTop"), top);
}

QString Stored(const char* key) {
    return GetSetting(App, Section, QLatin1String(key));
}

// Outer frame position in pixels, read from the platform window rather than from Left/Top.
QPoint FramePosition(const MainWindow& frm) {
    return frm.frameGeometry().topLeft();
}

enum class Close { Box, QuitMenu, WindowSystem };

void RequestClose(MainWindow& frm, Close how) {
    switch (how) {
    case Close::Box:
        frm.close();
        break;
    case Close::QuitMenu:
        frm.quitAction->trigger();
        break;
    case Close::WindowSystem:
        frm.windowHandle()->close();
        break;
    }
}

// The options file as Patchery writes it for "no launch" and an empty path.
const QByteArray WrittenOptions = " 0 \r\n\r\n";
// The same values in a form Patchery never writes, so a rewrite shows.
const QByteArray ForeignOptions = "0\n\n";

} // namespace

Q_DECLARE_METATYPE(Close)

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutMatchesTables_data();
    void layoutMatchesTables();
    void stackingOrder();
    void windowFrame();
    void resizableWindow();
    void captions();
    void menus();
    void screenshotShowsTheMenus();
    void translatedTexts();
    void qtTextsInTheSameLanguage_data();
    void qtTextsInTheSameLanguage();
    void focusOrder();
    void startUpState();
    // Before the quits: a quit leaves later nested event loops returning at once.
    void tilePreviews();

    void storedPosition_data();
    void storedPosition();
    void positionRoundTrip();

    void quitAskedOncePerRequest_data();
    void quitAskedOncePerRequest();
    void quitWhileMinimizedKeepsPosition();
    void quitTellsUnwritableOptions_data();
    void quitTellsUnwritableOptions();
    void signalsReachTheLoop();
    void commandLine_data();
    void commandLine();
    void layoutOpensAsTarget();

  private:
    std::optional<QByteArray> savedOptions_;
};

void TestMainWindow::initTestCase() {
    // The tests close windows without running an event loop of their own.
    QApplication::setQuitOnLastWindowClosed(false);
    const QByteArray before = ReadFile(OptionsFilePath());
    if (QFile::exists(OptionsFilePath()))
        savedOptions_ = before;
}

void TestMainWindow::init() {
    ClearSettings();
    // No launch at start-up, whatever another run left beside the executable.
    QVERIFY(WriteFile(OptionsFilePath(), ForeignOptions));
}

void TestMainWindow::cleanup() {
    if (savedOptions_)
        WriteFile(OptionsFilePath(), *savedOptions_);
    else
        QFile::remove(OptionsFilePath());
}

void TestMainWindow::layoutMatchesTables_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(Layout)); ++i)
        QTest::newRow(Layout[i].name) << i;
}

void TestMainWindow::layoutMatchesTables() {
    QFETCH(int, row);
    const Placed& placed = Layout[row];
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    QWidget* control = placed.get(frm);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(),
             placed.inCover1 ? static_cast<QWidget*>(frm.middlePanel) : frm.client);
    QCOMPARE(control->geometry(), placed.geometry);
    // Only the composition surface is hidden.
    QCOMPARE(control->isVisibleTo(&frm), control != frm.composeView);
}

void TestMainWindow::stackingOrder() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    // A later child of the same parent is drawn above an earlier one.
    for (int i = 0; i < int(std::size(Layout)); ++i) {
        for (int j = i + 1; j < int(std::size(Layout)); ++j) {
            const Placed& above = Layout[i];
            const Placed& below = Layout[j];
            if (above.inCover1 != below.inCover1)
                continue;
            if (!above.moves && !below.moves && !above.geometry.intersects(below.geometry))
                continue;
            QWidget* a = above.get(frm);
            QWidget* b = below.get(frm);
            const QObjectList& children = a->parentWidget()->children();
            QVERIFY2(children.indexOf(a) > children.indexOf(b),
                     qPrintable(QStringLiteral("%1 must be above %2")
                                    .arg(QLatin1String(above.name), QLatin1String(below.name))));
        }
    }

    // What the window shows: the selected tile inside its frame, not covered by it.
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    QGuiApplication::clipboard()->setImage(red);
    frm.PasteTile();
    const QImage shown = Shown(frm);
    const QPoint tile = frm.tileView->mapTo(frm.client, QPoint(0, 0));
    QCOMPARE(tile, QPoint(271 + 58, 20 + 25));
    for (const QPoint at :
         {QPoint(0, 0), QPoint(63, 0), QPoint(0, 63), QPoint(63, 63), QPoint(32, 32)})
        QCOMPARE(RgbAt(shown, tile + at), qRgb(255, 0, 0) & 0xFFFFFF);
}

void TestMainWindow::windowFrame() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));

    QCOMPARE(frm.windowTitle(), QStringLiteral("Patchery v1.3"));
    QCOMPARE(frm.centralWidget(), frm.client);
    QCOMPARE(frm.client->size(), QSize(721, 512));
    QCOMPARE(frm.client->geometry().bottom(), frm.height() - 1);
    QCOMPARE(frm.client->width(), frm.width());

    // A fixed border with only the close box.
    const Qt::WindowFlags flags = frm.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    const QSize size = frm.size();
    QCOMPARE(frm.minimumSize(), size);
    QCOMPARE(frm.maximumSize(), size);
    frm.resize(size + QSize(100, 80));
    QCOMPARE(frm.size(), size);
    QCOMPARE(frm.client->size(), QSize(721, 512));
}

// View > Resizable Window: ticked, the views grow with the window, the middle panel keeps its
// size between them; unticked, every control is back where it was in the fixed window. The
// size is remembered, and a press in a grown view stamps the cell under it.
void TestMainWindow::resizableWindow() {
    ScriptedUser user;
    QSize grownSize;
    {
        MainWindow frm;
        frm.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        QVERIFY(!frm.resizableAction->isChecked());
        QCOMPARE(frm.viewMenu->actions().last(), frm.resizableAction);
        const QSize fixed = frm.size();

        frm.resizableAction->trigger();
        QVERIFY(frm.windowFlags() & Qt::WindowMaximizeButtonHint);
        QCOMPARE(frm.minimumSize(), fixed);
        frm.resize(fixed + QSize(479, 388));
        grownSize = frm.size();
        QCOMPARE(frm.client->size(), QSize(1200, 900));
        const QRect source = frm.sourcePane->Area();
        const QRect target = frm.targetPane->Area();
        QCOMPARE(source, QRect(0, 20, 495, 865));
        QCOMPARE(target, QRect(689, 20, 496, 865));
        QCOMPARE(frm.middlePanel->geometry(), QRect(510, 20, 179, 865));
        QCOMPARE(frm.sizeList->geometry(), QRect(47, 210, 86, 21)); // in the panel, as before
        QCOMPARE(frm.targetButton->geometry(), QRect(689, 0, 511, 20));
        QCOMPARE(frm.targetVerticalBar->geometry(), QRect(1185, 20, 15, 865));
        QCOMPARE(frm.sourceHorizontalBar->geometry(), QRect(0, 885, 495, 15));
        // The blank sheet's 2048 rows need the vertical bar still, 865 of them in sight.
        QCOMPARE(frm.targetVerticalBar->Max(), int16_t(2048 - 865));

        // A press near the grown area's far corner stamps the cell it shows.
        QImage red(64, 64, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        QGuiApplication::clipboard()->setImage(red);
        frm.PasteTile();
        frm.targetVerticalBar->setValue(100);
        QTest::mouseClick(frm.targetView, Qt::LeftButton, {},
                          frm.targetView->mapFrom(frm.client, QPoint(889, 880)));
        const QRect cell(192, (860 + 100) / 64 * 64, 64, 64);
        QCOMPARE(RgbAt(frm.Sheet().Image(), cell.topLeft()), qRgb(255, 0, 0) & 0xFFFFFF);
        QCOMPARE(RgbAt(frm.Sheet().Image(), cell.topLeft() - QPoint(1, 1)),
                 qRgb(239, 239, 239) & 0xFFFFFF);

        // Unticked: the fixed window, each control where the fixed layout puts it.
        frm.resizableAction->trigger();
        QCOMPARE(frm.size(), fixed);
        QCOMPARE(frm.maximumSize(), fixed);
        QVERIFY(!(frm.windowFlags() & Qt::WindowMaximizeButtonHint));
        for (const Placed& placed : Layout) {
            if (!placed.moves)
                QCOMPARE(placed.get(frm)->geometry(), placed.geometry);
        }
        QCOMPARE(frm.targetPane->Area(), QRect(450, 20, 256, 477));
        QCOMPARE(frm.targetVerticalBar->Max(), int16_t(2048 - 477));

        frm.resizableAction->trigger();
        grownSize = QSize(760, 640); // within the screen, which bounds a stored size
        frm.resize(grownSize);
        user.Answers = {MessageAnswer::Yes};
        frm.close();
    }
    MainWindow again;
    again.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY(again.resizableAction->isChecked());
    QCOMPARE(again.size(), grownSize);
    QCOMPARE(again.targetPane->Area().size(), QSize(276, again.client->height() - 35));
}

void TestMainWindow::captions() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    QCOMPARE(frm.sourceButton->text(), QStringLiteral("   --no image loaded--"));
    QCOMPARE(frm.targetButton->text(), QStringLiteral("   --no image loaded--   256x2048"));
    QCOMPARE(frm.copyButton->text(), QStringLiteral("Copy To Clipboard"));
    QCOMPARE(frm.pasteButton->text(), QStringLiteral("Paste From Clipboard"));
    QCOMPARE(frm.tileFrame->title(), QStringLiteral("Selected   Tile"));
    QCOMPARE(frm.sizeLabel->text(), QStringLiteral("Target Image Size"));

    QStringList items;
    for (int i = 0; i < frm.sizeList->count(); ++i)
        items << frm.sizeList->itemText(i);
    QCOMPARE(items, (QStringList{QStringLiteral("256x768"), QStringLiteral("256x1024"),
                                 QStringLiteral("256x1536"), QStringLiteral("256x2048"),
                                 QStringLiteral("Custom...")}));
    QCOMPARE(frm.sizeList->currentIndex(), -1);
    QVERIFY(!frm.sizeList->isEditable());
}

void TestMainWindow::menus() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    const QList<QAction*> bar = frm.menuBar()->actions();
    QCOMPARE(bar.size(), 4);
    QCOMPARE(bar[0], frm.fileMenu->menuAction());
    QCOMPARE(bar[1], frm.editMenu->menuAction());
    QCOMPARE(bar[2], frm.viewMenu->menuAction());
    QCOMPARE(bar[3], frm.helpMenu->menuAction());
    QCOMPARE(frm.viewMenu->title(), QStringLiteral("&View"));
    QCOMPARE(frm.fileMenu->title(), QStringLiteral("&File"));
    QCOMPARE(frm.editMenu->title(), QStringLiteral("&Edit"));
    QCOMPARE(frm.helpMenu->title(), QStringLiteral("&Help"));

    const QString separator = QStringLiteral("-");
    const struct {
        QMenu* menu;
        QList<QAction*> members;
        QStringList captions;
    } expected[] = {
        {frm.fileMenu,
         {frm.openSourceAction, frm.openTargetAction, frm.recentMenu->menuAction(),
          frm.newSheetAction, frm.closeSourceAction, frm.rebuildAction, frm.saveLayoutAsAction,
          frm.saveTargetAction, frm.saveTargetAsAction, frm.optionsAction, frm.quitAction},
         {QStringLiteral("Open Source..."), QStringLiteral("Open Target..."),
          QStringLiteral("Open &Recent"), QStringLiteral("New Sheet"),
          QStringLiteral("Close Source"), separator, QStringLiteral("Re&build from Sources"),
          QStringLiteral("Save &Layout As..."), separator, QStringLiteral("&Save Target"),
          QStringLiteral("Save Target As..."), separator, QStringLiteral("Options..."), separator,
          QStringLiteral("Quit")}},
        {frm.viewMenu,
         {frm.zoomInAction, frm.zoomOutAction, frm.actualSizeAction, frm.fitAction, frm.gridAction,
          frm.resizableAction},
         {QStringLiteral("Zoom &In"), QStringLiteral("Zoom &Out"), QStringLiteral("&Actual Size"),
          QStringLiteral("&Fit"), separator, QStringLiteral("Show &Grid"), separator,
          QStringLiteral("Resizable Window")}},
        {frm.helpMenu,
         {frm.handbookAction, frm.aboutAction},
         {QStringLiteral("Patchery &Handbook"), QStringLiteral("&About ")}},
    };
    const QHash<QAction*, QKeySequence> shortcuts = {
        {frm.openSourceAction, QKeySequence(QStringLiteral("Ctrl+O"))},
        {frm.openTargetAction, QKeySequence(QStringLiteral("Ctrl+Shift+O"))},
        {frm.saveTargetAction, QKeySequence(QStringLiteral("Ctrl+S"))},
        {frm.rebuildAction, QKeySequence(QStringLiteral("Ctrl+R"))},
        {frm.newSheetAction, QKeySequence(QStringLiteral("Ctrl+N"))},
        {frm.saveTargetAsAction, QKeySequence(QStringLiteral("Ctrl+Shift+S"))},
        {frm.quitAction, QKeySequence(QStringLiteral("Ctrl+Q"))},
        {frm.closeSourceAction, QKeySequence(QStringLiteral("Ctrl+W"))},
        {frm.aboutAction, QKeySequence(QStringLiteral("F1"))},
        {frm.zoomInAction, QKeySequence(QStringLiteral("Ctrl++"))},
        {frm.zoomOutAction, QKeySequence(QStringLiteral("Ctrl+-"))},
        {frm.actualSizeAction, QKeySequence(QStringLiteral("Ctrl+0"))},
        {frm.fitAction, QKeySequence(QStringLiteral("Ctrl+Shift+F"))},
        {frm.gridAction, QKeySequence(QStringLiteral("Ctrl+G"))}};
    for (const auto& menu : expected) {
        const QList<QAction*> actions = menu.menu->actions();
        QCOMPARE(WithoutSeparators(actions), menu.members);
        QStringList captions;
        for (QAction* action : actions) {
            captions << (action->isSeparator() ? separator : action->text());
            QCOMPARE(action->shortcut(), shortcuts.value(action));
            // Close Source waits for a source to close.
            QCOMPARE(action->isEnabled(), action != frm.closeSourceAction);
            QVERIFY(action->isVisible());
            QVERIFY(!action->isChecked());
        }
        QCOMPARE(frm.gridAction->isCheckable(), true);
        // Named for screen readers.
        QCOMPARE(frm.targetView->accessibleName(), QStringLiteral("Target sheet"));
        QCOMPARE(frm.sizeList->accessibleName(), QStringLiteral("Target image size"));
        QCOMPARE(frm.sourceVerticalBar->accessibleName(),
                 QStringLiteral("Source image, vertical scroll"));
        QCOMPARE(captions, menu.captions);
    }

    // A key held by two actions does neither: each shortcut of the window is one action's.
    QHash<QKeySequence, QString> held;
    for (QAction* action : frm.findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            QVERIFY2(!held.contains(key),
                     qPrintable(key.toString() + QStringLiteral(": ") + held.value(key) +
                                QStringLiteral(", ") + action->text()));
            held.insert(key, action->text());
        }
    }

    // Edit: shortcuts shown; Undo and Redo off while there is nothing to undo or redo.
    QCOMPARE(WithoutSeparators(frm.editMenu->actions()),
             (QList<QAction*>{frm.undoAction, frm.redoAction, frm.copyTileAction,
                              frm.pasteTileAction, frm.pasteBlockAction, frm.flipHorizontallyAction,
                              frm.flipVerticallyAction, frm.rotateAction}));
    QStringList edit;
    for (QAction* a : frm.editMenu->actions())
        edit << (a->isSeparator()
                     ? separator
                     : a->text() + QLatin1Char('|') + QKeySequence::listToString(a->shortcuts()) +
                           (a->isEnabled() ? QString() : QStringLiteral("|off")));
    QCOMPARE(edit, (QStringList{
                       QStringLiteral("&Undo|Ctrl+Z|off"),
                       QStringLiteral("&Redo|Ctrl+Y; Ctrl+Shift+Z|off"), separator,
                       QStringLiteral("&Copy Tile|Ctrl+C"), QStringLiteral("&Paste Tile|Ctrl+V"),
                       QStringLiteral("Paste as Block|Ctrl+Shift+V"), separator,
                       QStringLiteral("Flip &Horizontally|X"), QStringLiteral("Flip &Vertically|Y"),
                       QStringLiteral("&Rotate 90\u00B0 Clockwise|Z")}));
}

void TestMainWindow::focusOrder() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    // The whole focus order of the layout; whichever of them take the focus keep this order.
    QWidget* const order[] = {frm.bottomStrip,
                              frm.sourceVerticalBar,
                              frm.targetVerticalBar,
                              frm.sourceHorizontalBar,
                              frm.targetHorizontalBar,
                              frm.middlePanel,
                              frm.tileView,
                              frm.sourceButton,
                              frm.targetButton,
                              frm.buttonGap,
                              frm.tileFrame,
                              frm.copyButton,
                              frm.pasteButton,
                              frm.sizeList,
                              frm.sourceView,
                              frm.targetView,
                              frm.sizeLabel,
                              frm.composeView};
    QList<QWidget*> expected;
    for (QWidget* w : order) {
        if (w->focusPolicy() & Qt::TabFocus)
            expected << w;
    }
    // Buttons, bars, the list and the two views certainly take the focus.
    for (QWidget* w :
         {static_cast<QWidget*>(frm.sourceVerticalBar),
          static_cast<QWidget*>(frm.targetVerticalBar),
          static_cast<QWidget*>(frm.sourceHorizontalBar),
          static_cast<QWidget*>(frm.targetHorizontalBar), static_cast<QWidget*>(frm.sourceButton),
          static_cast<QWidget*>(frm.targetButton), static_cast<QWidget*>(frm.copyButton),
          static_cast<QWidget*>(frm.pasteButton), static_cast<QWidget*>(frm.sizeList),
          static_cast<QWidget*>(frm.sourceView), static_cast<QWidget*>(frm.targetView)})
        QVERIFY(expected.contains(w));

    QList<QWidget*> chain;
    QWidget* w = expected.first();
    do {
        if (expected.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != expected.first());
    QCOMPARE(chain, expected);
}

void TestMainWindow::startUpState() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();

    QVERIFY(!frm.sourceHorizontalBar->isEnabled());
    QVERIFY(!frm.sourceVerticalBar->isEnabled());
    QVERIFY(!frm.targetHorizontalBar->isEnabled());
    QVERIFY(frm.targetVerticalBar->isEnabled());
    QCOMPARE(frm.targetVerticalBar->Max(), int16_t(1571));
    QCOMPARE(frm.targetVerticalBar->maximum(), 1571);
    QCOMPARE(frm.targetHorizontalBar->Max(), int16_t(0));
    for (ScrollBar* bar : {frm.sourceHorizontalBar, frm.sourceVerticalBar, frm.targetHorizontalBar,
                           frm.targetVerticalBar}) {
        QCOMPARE(bar->Value(), int16_t(0));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->singleStep(), 16);
        QCOMPARE(bar->pageStep(), 64);
    }

    QCOMPARE(frm.targetView->geometry(), QRect(450, 20, 256, 2048));
    QCOMPARE(frm.sourceView->geometry(), QRect(0, 20, 256, 477));
    QVERIFY(frm.Source().isNull());
    QVERIFY(frm.Sheet().Picture().isNull());
    QVERIFY(frm.Tile().isNull());

    // A blank sheet: one colour everywhere.
    const QImage sheet = frm.Sheet().Image();
    QCOMPARE(sheet.size(), QSize(256, 2048));
    const QRgb blank = sheet.pixel(0, 0);
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            if (sheet.pixel(x, y) != blank)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not blank").arg(x).arg(y)));
        }
    }
}

void TestMainWindow::storedPosition_data() {
    QTest::addColumn<QString>("left"); // null: no entry
    QTest::addColumn<QString>("top");
    QTest::addColumn<QPoint>("expected"); // outer frame, pixels; (-1, -1) parts: the default

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QString none;
    const int def = -1;
    auto twips = [](int pixels) { return QString::number(pixels * 15); };

    QTest::newRow("first run") << none << none << QPoint(def, def);
    QTest::newRow("stored") << QStringLiteral("1500") << QStringLiteral("3000") << QPoint(100, 200);
    QTest::newRow("origin") << QStringLiteral("0") << QStringLiteral("0") << QPoint(0, 0);
    QTest::newRow("only left stored") << QStringLiteral("1500") << none << QPoint(100, def);
    // Offscreen, Qt nudges a window placed left of or above the screen by its frame margin, so
    // the reachable rows lie right of and below the origin. Rows that would put part of the
    // window off the screen expect it moved in.
    QTest::newRow("mostly below the screen")
        << QStringLiteral("1500") << twips(screen.bottom() - 10)
        << QPoint(100, screen.bottom() - 10);
    QTest::newRow("title bar end on screen")
        << twips(screen.right() - 50) << twips(screen.bottom() - 50)
        << QPoint(screen.right() - 50, screen.bottom() - 50);
    QTest::newRow("far off") << QStringLiteral("-50000") << QStringLiteral("-50000")
                             << QPoint(def, def);
    QTest::newRow("beyond the right edge")
        << twips(screen.right() + 100) << QStringLiteral("1500") << QPoint(def, def);
    QTest::newRow("below the screen")
        << QStringLiteral("1500") << twips(screen.bottom() + 100) << QPoint(def, def);
    QTest::newRow("above the screen")
        << QStringLiteral("1500") << twips(screen.top() - 100) << QPoint(def, def);
    QTest::newRow("left of the screen")
        << twips(screen.left() - 800) << QStringLiteral("1500") << QPoint(def, def);
    // No number, or none a screen position can be: each side gets its default.
    QTest::newRow("nan") << QStringLiteral("nan") << QStringLiteral("1500") << QPoint(def, 100);
    QTest::newRow("inf") << QStringLiteral("1500") << QStringLiteral("inf") << QPoint(100, def);
    QTest::newRow("-inf, 1e30") << QStringLiteral("-inf") << QStringLiteral("1e30")
                                << QPoint(def, def);
}

void TestMainWindow::storedPosition() {
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(QPoint, expected);
    StorePosition(left, top);

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));

    const bool fallback = expected.x() == -1 && expected.y() == -1;
    const QPoint at = FramePosition(frm);
    // The whole window on the screen, a stored position moved in no further than that takes.
    const QRect screen = frm.screen()->availableGeometry();
    const QSize frame = frm.frameGeometry().size();
    QVERIFY2(screen.contains(QRect(at, frame)),
             qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
    if (expected.x() != -1)
        expected.setX(std::min(expected.x(), screen.right() + 1 - frame.width()));
    if (expected.y() != -1)
        expected.setY(std::min(expected.y(), screen.bottom() + 1 - frame.height()));
    // 1000 twips is 66 2/3 pixels: either neighbour will do.
    auto check = [](int pixels, float twips, int wanted) {
        if (wanted == -1) {
            QVERIFY2(qAbs(qint64(pixels) * 15 - 1000) < 15, qPrintable(QString::number(pixels)));
            QVERIFY2(qAbs(twips - 1000.0f) < 15.0f, qPrintable(QString::number(twips)));
        } else {
            QCOMPARE(pixels, wanted);
            QCOMPARE(twips, float(wanted * 15));
        }
    };
    // An unreachable position falls back as a whole, never half of it.
    if (fallback)
        QCOMPARE(at.x(), at.y());
    check(at.x(), frm.Left(), expected.x());
    if (QTest::currentTestFailed())
        return;
    check(at.y(), frm.Top(), expected.y());
}

void TestMainWindow::positionRoundTrip() {
    // Where the whole window fits on the screen, as a stored position must.
    StorePosition(QStringLiteral("750"), QStringLiteral("3000"));
    ScriptedUser user;
    {
        MainWindow frm;
        frm.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        QCOMPARE(FramePosition(frm), QPoint(50, 200));

        frm.move(60, 130);
        user.Answers = {MessageAnswer::Yes};
        frm.close();
        QVERIFY(!frm.isVisible());
    }

    // Decimal text under [Settings].
    const QString conf = QString::fromLatin1(ReadFile(ConfPath()));
    QVERIFY2(conf.contains(QStringLiteral("[Settings]")), qPrintable(conf));
    QVERIFY2(conf.contains(QStringLiteral("MainLeft=900\n")), qPrintable(conf));
    QVERIFY2(conf.contains(QStringLiteral("MainTop=1950\n")), qPrintable(conf));

    MainWindow again;
    again.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(FramePosition(again), QPoint(60, 130));
    QCOMPARE(again.Left(), 900.0f);
    QCOMPARE(again.Top(), 1950.0f);
}

void TestMainWindow::quitAskedOncePerRequest_data() {
    QTest::addColumn<Close>("how");
    QTest::newRow("close box") << Close::Box;
    QTest::newRow("Quit menu item") << Close::QuitMenu;
    QTest::newRow("window system") << Close::WindowSystem;
}

void TestMainWindow::quitAskedOncePerRequest() {
    QFETCH(Close, how);
    StorePosition(QStringLiteral("3000"), QStringLiteral("1500"));
    const QByteArray confBefore = ReadFile(ConfPath());

    ScriptedUser user;
    {
        MainWindow frm;
        frm.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        frm.move(300, 150);
        // The save's private folder, with a file in it, as after a save.
        const QString tempFile = frm.TemporaryFolder().FilePath(QStringLiteral("temp000.bmp"));
        QVERIFY(WriteFile(tempFile, "BM"));
        const QString tempFolder = frm.TemporaryFolder().Path();
        QVERIFY(QDir(tempFolder).exists());

        auto checkAsked = [&](int times) {
            QCOMPARE(int(user.Messages.size()), times);
            const MessageCall& call = user.Messages.back();
            QCOMPARE(call.Text, QStringLiteral("Really Quit?"));
            QCOMPARE(call.Buttons, MessageButtons::YesNo);
            QCOMPARE(call.Title, QStringLiteral("Patchery"));
            QCOMPARE(call.Icon, MessageIcon::None);
        };

        // No: everything stays as it was.
        user.Answers = {MessageAnswer::No};
        RequestClose(frm, how);
        checkAsked(1);
        QVERIFY(frm.isVisible());
        QCOMPARE(ReadFile(ConfPath()), confBefore);
        QCOMPARE(ReadFile(OptionsFilePath()), ForeignOptions);
        QVERIFY(QFile::exists(tempFile));

        // Yes: the shutdown runs once.
        user.Answers = {MessageAnswer::Yes};
        RequestClose(frm, how);
        checkAsked(2);
        QVERIFY(!frm.isVisible());
        QCOMPARE(Stored("MainLeft"), QStringLiteral("4500"));
        QCOMPARE(Stored("MainTop"), QStringLiteral("2250"));
        QCOMPARE(ReadFile(OptionsFilePath()), WrittenOptions);
        QVERIFY(!QFile::exists(tempFile));
        QVERIFY(!QDir(tempFolder).exists());
    }
    // Destroying the closed window asks nothing more.
    QCOMPARE(int(user.Messages.size()), 2);
}

void TestMainWindow::quitWhileMinimizedKeepsPosition() {
    StorePosition(QStringLiteral("2250"), QStringLiteral("1500"));

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    frm.move(400, 300);
    frm.showMinimized();
    QVERIFY(frm.isMinimized());

    user.Answers = {MessageAnswer::Yes};
    frm.close();
    QCOMPARE(user.MessageTexts(), QStringList{QStringLiteral("Really Quit?")});
    QVERIFY(!frm.isVisible());
    QCOMPARE(Stored("MainLeft"), QStringLiteral("2250"));
    QCOMPARE(Stored("MainTop"), QStringLiteral("1500"));
    // The rest of the shutdown still ran.
    QCOMPARE(ReadFile(OptionsFilePath()), WrittenOptions);
}

// The options cannot be written (a folder in the file's place): a quit tells it in one message
// naming the file and the reason, a termination signal asks nothing; the rest of the shutdown
// runs either way.
void TestMainWindow::quitTellsUnwritableOptions_data() {
    QTest::addColumn<bool>("bySignal");
    QTest::newRow("quit") << false;
    QTest::newRow("SIGTERM") << true;
}

void TestMainWindow::quitTellsUnwritableOptions() {
    QFETCH(bool, bySignal);
    QVERIFY(QFile::remove(OptionsFilePath()) && QDir().mkdir(OptionsFilePath()));
    const auto removeFolder = qScopeGuard([] { QDir().rmdir(OptionsFilePath()); });
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    frm.move(300, 150);
    if (bySignal) {
        frm.EndOnSignal(SIGTERM);
        QVERIFY(user.Messages.empty());
    } else {
        QVERIFY(frm.close());
        QCOMPARE(int(user.Messages.size()), 2);
        const QString told = user.Messages.back().Text;
        QVERIFY2(told.contains(OptionsFilePath() + QStringLiteral(": ")) &&
                     !told.endsWith(QStringLiteral(": ")),
                 qPrintable(told));
    }
    QCOMPARE(Stored("MainLeft"), QStringLiteral("4500"));
}

// Each ending signal reaches the event loop as itself, where the window ends as a quit does.
void TestMainWindow::signalsReachTheLoop() {
    QObject context;
    QList<int> received;
    OnTerminationSignals(&context, [&](int signal) { received << signal; });
    const QList<int> sent{SIGTERM, SIGHUP, SIGINT};
    for (const int signal : sent)
        QCOMPARE(::raise(signal), 0); // a signal left to its default would end the test here
    QTRY_COMPARE(received, sent);
}

void TestMainWindow::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status"); // -1: the program goes on
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("target");
    const QString cwd = QDir::currentPath() + QLatin1Char('/');
    QTest::newRow("nothing") << QStringList() << -1 << QStringList() << QString();
    QTest::newRow("source and sheet")
        << QStringList{QStringLiteral("a.tga"), QStringLiteral("--target"),
                       QStringLiteral("/s.tga")}
        << -1 << QStringList{cwd + QStringLiteral("a.tga")} << QStringLiteral("/s.tga");
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0 << QStringList()
                               << QString();
    QTest::newRow("three sources, in order")
        << QStringList{QStringLiteral("c.tga"), QStringLiteral("/a.tga"), QStringLiteral("b.tga")}
        << -1
        << QStringList{cwd + QStringLiteral("c.tga"), QStringLiteral("/a.tga"),
                       cwd + QStringLiteral("b.tga")}
        << QString();
    QTest::newRow("--target without a sheet")
        << QStringList{QStringLiteral("--target")} << 2 << QStringList() << QString();
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--bogus")} << 2 << QStringList() << QString();
    QTest::newRow("--build, no window")
        << QStringList{QStringLiteral("--build"), QStringLiteral("l.patchery"),
                       QStringLiteral("--output"), QStringLiteral("s.tga")}
        << -1 << QStringList() << QString();
    QTest::newRow("--build with a source")
        << QStringList{QStringLiteral("--build"), QStringLiteral("l.patchery"),
                       QStringLiteral("a.tga")}
        << 2 << QStringList() << QString();
    QTest::newRow("--build and --check")
        << QStringList{QStringLiteral("--build"), QStringLiteral("l.patchery"),
                       QStringLiteral("--check"), QStringLiteral("l.patchery")}
        << 2 << QStringList() << QString();
    QTest::newRow("--output without --build")
        << QStringList{QStringLiteral("--output"), QStringLiteral("s.tga")} << 2 << QStringList()
        << QString();
}

void TestMainWindow::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, sources);
    QFETCH(QString, target);
    QList<QByteArray> bytes{"patchery"};
    for (const QString& argument : arguments)
        bytes << QFile::encodeName(argument);
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    CommandLine named;
    QCOMPARE(ParseCommandLine(int(argv.size()), argv.data(), named).value_or(-1), status);
    QStringList namedSources;
    for (const QByteArray& source : named.Sources)
        namedSources << QFile::decodeName(source);
    QCOMPARE(namedSources, sources);
    QCOMPARE(QFile::decodeName(named.Target.value_or(QByteArray())), target);
}

// A file manager names a double-clicked file as SOURCE: a layout, known by its first key
// whatever its name, becomes the target; anything else stays the source, unread if it is not
// a regular file (a FIFO would otherwise block the start).
void TestMainWindow::layoutOpensAsTarget() {
    const TestFolder folder;
    const QString layout = folder.Put(QStringLiteral("walls.patchery"),
                                      "{\n  \"patchery\": 1,\n  \"size\": [256, 1024]\n}\n");
    const QString unnamed =
        folder.Put(QStringLiteral("walls"), "\xEF\xBB\xBF \r\n{ \"patchery\" :1}");
    const QString otherJson =
        folder.Put(QStringLiteral("other.patchery"), "{\"size\": [256, 1024], \"cells\": []}");
    const QString sheet = folder.Put(QStringLiteral("sheet.tga"), PatternTga(64, 64));
    const QString fifo = folder.path() + QStringLiteral("/fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto parse = [](const QStringList& arguments, CommandLine& named) {
        QList<QByteArray> bytes{"patchery"};
        for (const QString& argument : arguments)
            bytes << QFile::encodeName(argument);
        std::vector<char*> argv;
        for (QByteArray& argument : bytes)
            argv.push_back(argument.data());
        return ParseCommandLine(int(argv.size()), argv.data(), named).value_or(-1);
    };
    for (const QString& path : {layout, unnamed}) {
        CommandLine named;
        QCOMPARE(parse({path}, named), -1);
        QVERIFY2(named.Sources.isEmpty(), qPrintable(path));
        QCOMPARE(QFile::decodeName(named.Target.value_or(QByteArray())), path);
    }
    for (const QString& path : {otherJson, sheet, fifo}) {
        CommandLine named;
        QCOMPARE(parse({path}, named), -1);
        QCOMPARE(QFile::decodeName(named.Sources.value(0)), path);
        QVERIFY2(!named.Target, qPrintable(path));
    }
    CommandLine both; // two targets: said, not one of them dropped
    QCOMPARE(parse({QStringLiteral("--target"), sheet, layout}, both), 2);
}

// The README's screenshot must show the program's menus: the list beside it, which `make
// screenshot` reads from the picture, against the menu bar's titles.
void TestMainWindow::screenshotShowsTheMenus() {
    QFile list(QStringLiteral(PATCHERY_SOURCE_DIR "/docs/screenshot.menus"));
    QVERIFY2(list.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(list.fileName()));
    const QStringList shown =
        QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    MainWindow frm;
    QStringList titles;
    for (const QAction* menu : frm.menuBar()->actions())
        titles << menu->text().remove(QLatin1Char('&'));
    QVERIFY2(shown == titles,
             qPrintable(QStringLiteral("the screenshot shows %1, the window has %2; "
                                       "run make screenshot")
                            .arg(shown.join(QLatin1Char(' ')), titles.join(QLatin1Char(' ')))));
}

// Every text with words in it that the window, its menus and its dialogs show, in a fixed order.
QStringList ShownTexts() {
    MainWindow frm;
    LaunchOptions options;
    const AboutDialog about(&frm);
    const OptionsDialog optionsDialog(&frm, options);
    const CustomSizeDialog custom(&frm, QSize(256, 768));
    QStringList texts;
    for (const QWidget* top :
         std::initializer_list<const QWidget*>{&frm, &about, &optionsDialog, &custom}) {
        texts << top->windowTitle();
        for (const QAbstractButton* button : top->findChildren<QAbstractButton*>())
            texts << button->text();
        for (const QLabel* label : top->findChildren<QLabel*>())
            texts << label->text();
        for (const QGroupBox* box : top->findChildren<QGroupBox*>())
            texts << box->title();
        for (const QComboBox* list : top->findChildren<QComboBox*>())
            for (int i = 0; i < list->count(); ++i)
                texts << list->itemText(i);
        for (const QAction* action : top->findChildren<QAction*>())
            texts << action->text();
    }
    // Sizes ("256x768") and the program's name and version are the same in every language.
    static const QRegularExpression words(QStringLiteral("[A-Za-z]{2,}"));
    texts.removeIf([](const QString& text) {
        return !text.contains(words) || text == QStringLiteral("OK") ||
               text.startsWith(QStringLiteral("Patchery v"));
    });
    return texts;
}

// Under German every such text is German: none is left as written.
void TestMainWindow::translatedTexts() {
    const QStringList english = ShownTexts();
    QVERIFY(english.contains(QStringLiteral("Copy To Clipboard")));
    QStringList german;
    {
        const Translations translations(QLocale(QLocale::German, QLocale::Germany));
        german = ShownTexts();
    }
    QCOMPARE(german.size(), english.size());
    for (qsizetype i = 0; i < english.size(); ++i)
        QVERIFY2(german[i] != english[i], qPrintable(english[i] + QStringLiteral(" is English")));
    QCOMPARE(ShownTexts(), english); // and back with the translations gone
}

void TestMainWindow::qtTextsInTheSameLanguage_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("texts");
    const QStringList english{QStringLiteral("&Yes"), QStringLiteral("&No"),
                              QStringLiteral("Look in:"), QStringLiteral("File &name:")};
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Austria)
                            << QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"),
                                           QStringLiteral("Suchen in:"),
                                           QStringLiteral("Datei&name:")};
    QTest::newRow("C") << QLocale::c() << english;
    // Qt has French, Patchery has not: the window stays in one language.
    QTest::newRow("French, no translation") << QLocale(QLocale::French) << english;
}

// Qt's message box buttons and its file dialog's labels follow the program's language.
void TestMainWindow::qtTextsInTheSameLanguage() {
    QFETCH(QLocale, locale);
    QFETCH(QStringList, texts);
    const Translations translations(locale);
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    QCOMPARE(box.button(QMessageBox::Yes)->text(), texts[0]);
    QCOMPARE(box.button(QMessageBox::No)->text(), texts[1]);
    QVERIFY2(labels.contains(texts[2]) && labels.contains(texts[3]), qPrintable(labels.join(u'|')));
}

// A block shows whole in the Selected Tile box, reduced without smoothing, its size in cells
// below. Over the target what a press would stamp shows shaded, flipped as the tile is and
// clipped at the sheet's edge, on the screen only: the sheet, a save and a copy hold none of
// it. Shift shows the blank an erase leaves, Ctrl nothing; a modal dialog or a leave hides it.
void TestMainWindow::tilePreviews() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(256, 256)));
    frm.PressSource(QPointF(10, 10));
    frm.DragOnSource(Qt::LeftButton, QPointF(250, 250));
    frm.EndDrag();
    const QImage box = frm.tileView->grab().toImage();
    for (int i = 0; i < 64 * 64; ++i) { // each pixel one of the 4 x 4 it stands for
        bool found = false;
        for (int j = 0; j < 16; ++j)
            found |=
                RgbAt(box, {i % 64, i / 64}) == PatternRgb(i % 64 * 4 + j % 4, i / 64 * 4 + j / 4);
        QVERIFY2(found, qPrintable(QString::number(i)));
    }
    QCOMPARE(frm.tileCellsLabel->text(), QStringLiteral("4 \u00D7 4"));
    QVERIFY(frm.tileCellsLabel->isVisible());
    QVERIFY(!frm.tileCellsLabel->geometry().intersects(frm.tileView->geometry()));

    frm.flipHorizontallyAction->trigger();
    const QImage sheet = frm.Sheet().Image().copy();
    const QRect area(192, 64, 64, 256); // the block's first column, within the sheet
    const auto shadedAs = [&](const QImage& shown, const QImage& pixels, int rows) {
        for (int i = 0; i < 64 * rows; ++i) {
            const QPoint at(i % 64, i / 64);
            if (!ShadedAs(RgbAt(shown, at), RgbAt(pixels, area.topLeft() + at)))
                return false;
        }
        return true;
    };
    const QPoint over = frm.targetView->mapTo(&frm, QPoint(200, 70));
    QTest::mouseMove(frm.windowHandle(), over);
    QCOMPARE(frm.targetView->Preview(), area);
    const QImage shown = frm.targetView->grab(area).toImage();
    const QString saved = dir.filePath(QStringLiteral("saved.tga"));
    user.Files.push_back(saved);
    frm.SaveTargetAs();
    frm.copyTileAction->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             frm.Tile());
    frm.OpenSourceFile(saved);
    VERIFY_NO_MISMATCH(ImageDifference(frm.Source(), sheet));
    QCOMPARE(frm.Sheet().Image(), sheet);
    QTest::mouseClick(frm.windowHandle(), Qt::LeftButton, {}, over);
    QVERIFY(shadedAs(shown, frm.Sheet().Image(), 256)); // what the press wrote
    frm.undoAction->trigger();

    QTest::keyPress(&frm, Qt::Key_Shift);
    QCOMPARE(frm.targetView->Preview(), QRect(192, 64, 64, 64));
    QVERIFY(shadedAs(frm.targetView->grab(area).toImage(), sheet, 64)); // blank, as the sheet
    QTest::keyRelease(&frm, Qt::Key_Shift);
    QTest::keyPress(&frm, Qt::Key_Control);
    QCOMPARE(frm.targetView->Preview(), QRect());
    QCOMPARE(frm.targetView->grab(area).toImage(), sheet.copy(area));
    QTest::keyRelease(&frm, Qt::Key_Control);
    QCOMPARE(frm.targetView->Preview(), area);
    QRect blocked = area;
    QVERIFY(WhileOpen<OptionsDialog>([&] { frm.ShowOptions(); },
                                     [&](OptionsDialog*) { blocked = frm.targetView->Preview(); }));
    QCOMPARE(blocked, QRect());
    QTest::mouseMove(frm.windowHandle(), over + QPoint(1, 0));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(frm.targetView, &leave);
    QCOMPARE(frm.targetView->Preview(), QRect());
}

PATCHERY_WIDGET_TEST(TestMainWindow)
#include "test_mainwindow.moc"
