// The main window's controls at their fixed places, its stacking and focus order, its menus.

#include "MainWindow.h"

#include "Layout.h"

#include "FitText.h"
#include "SizeList.h"
#include "WrappingButton.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <initializer_list>

namespace {
template <typename W> W* Place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A plain area in the window's colour, covering what scrolled views leave beside their
// viewing areas.
QWidget* Panel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    return panel;
}

// Later siblings are drawn above earlier ones: raise from the bottom of the list upward.
void Stack(std::initializer_list<QWidget*> topmostFirst) {
    for (auto it = std::rbegin(topmostFirst); it != std::rend(topmostFirst); ++it)
        (*it)->raise();
}
} // namespace

void MainWindow::BuildLayout() {
    client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    arranged_ = client->size();
    client->installEventFilter(this);

    buttonGap = Place(Panel(client), 271, 0, MiddleWidth, ViewTop);
    targetButton =
        Place(new WrappingButton(NoImageCaption() + QStringLiteral("   256x2048"), client), 450, 0,
              271, 20);
    sourceButton = Place(new WrappingButton(NoImageCaption(), client), 0, 0, 271, 20);
    targetVerticalBar = new ScrollBar(Qt::Vertical, client);
    targetHorizontalBar = new ScrollBar(Qt::Horizontal, client);
    sourceHorizontalBar = new ScrollBar(Qt::Horizontal, client);
    sourceView = Place(new ImageView(client), 0, ViewTop, ViewWidth, ViewHeight);
    middlePanel = Place(Panel(client), 271, ViewTop, MiddleWidth, ViewHeight);
    sourceVerticalBar = new ScrollBar(Qt::Vertical, client);
    bottomStrip = Place(Panel(client), 0, 497, 721, 15);
    targetView = Place(new ImageView(client), TargetLeft, ViewTop, ViewWidth, ViewHeight);
    Stack({buttonGap, targetButton, sourceButton, targetVerticalBar, targetHorizontalBar,
           sourceHorizontalBar, sourceView, middlePanel, sourceVerticalBar, bottomStrip,
           targetView});
    // The source view lies above the middle panel and its own vertical bar.
    sourcePane = new ImagePane(sourceView, sourceHorizontalBar, sourceVerticalBar, this);
    sourcePane->KeepWithinRightEdge(true);
    targetPane = new ImagePane(targetView, targetHorizontalBar, targetVerticalBar, this);
    sourcePane->SetArea({0, ViewTop, ViewWidth, ViewHeight});
    targetPane->SetArea({TargetLeft, ViewTop, ViewWidth, ViewHeight});

    composeView = Place(new ImageView(middlePanel), 106, 477, 28, 27);
    composeView->hide();
    sizeList = Place(new SizeList(middlePanel), 47, 210, 86, 21);
    sizeList->addItems({QStringLiteral("256x768"), QStringLiteral("256x1024"),
                        QStringLiteral("256x1536"), QStringLiteral("256x2048"), tr("Custom...")});
    sizeList->setCurrentIndex(-1);
    pasteButton =
        Place(new WrappingButton(tr("Paste From Clipboard"), middlePanel), 47, 150, 86, 30);
    copyButton = Place(new WrappingButton(tr("Copy To Clipboard"), middlePanel), 47, 110, 86, 30);
    tileView = Place(new ImageView(middlePanel), 58, 25, 64, 64);
    tileCellsLabel = new QLabel(middlePanel);    // below the preview, which a block may fill
    tileCellsLabel->setAutoFillBackground(true); // readable over any picture
    tileCellsLabel->hide();
    noteLabel = new QLabel(client);
    noteLabel->setAutoFillBackground(true); // readable over any sheet
    noteLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    noteLabel->hide();
    noteTimer_.setSingleShot(true);
    connect(&noteTimer_, &QTimer::timeout, noteLabel, &QLabel::hide);
    tileFrame = Place(new QGroupBox(tr("Selected   Tile"), middlePanel), 46, 8, 86, 90);
    sizeLabel = Place(new QLabel(tr("Target Image Size"), middlePanel), 47, 190, 86, 13);
    FitFontToWidth(sizeLabel, sizeLabel->text(), sizeLabel->width());
    panelEdge = Place(new QFrame(middlePanel), MiddleWidth - 1, 0, 1, ViewHeight);
    panelEdge->setFrameShape(QFrame::VLine);
    panelEdge->setFrameShadow(QFrame::Plain);
    Stack({composeView, sizeList, pasteButton, copyButton, tileCellsLabel, tileView, tileFrame,
           sizeLabel, panelEdge});

    // Focus order, the two views last; panels, labels and the tile take no focus.
    sourceView->setFocusPolicy(Qt::StrongFocus);
    targetView->setFocusPolicy(Qt::StrongFocus);
    QWidget* const order[] = {sourceVerticalBar,   targetVerticalBar, sourceHorizontalBar,
                              targetHorizontalBar, sourceButton,      targetButton,
                              copyButton,          pasteButton,       sizeList,
                              sourceView,          targetView};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

// A grown client area shares its extra width between the two views and gives its extra height
// to both; the middle panel keeps its width and its controls their places, between the views.
void MainWindow::ArrangeControls() {
    const QSize size = client->size();
    if (size == arranged_)
        return;
    arranged_ = size;
    const int extraWidth = size.width() - ClientWidth;
    const int sourceWidth = ViewWidth + extraWidth / 2;
    const int targetWidth = ViewWidth + extraWidth - extraWidth / 2;
    const int viewHeight = ViewHeight + size.height() - ClientHeight;
    const int bar = ImagePane::BarThickness;
    const int middleLeft = sourceWidth + bar;
    const int targetLeft = middleLeft + MiddleWidth;
    sourceButton->setGeometry(0, 0, middleLeft, ViewTop);
    buttonGap->setGeometry(middleLeft, 0, MiddleWidth, ViewTop);
    targetButton->setGeometry(targetLeft, 0, targetWidth + bar, ViewTop);
    middlePanel->setGeometry(middleLeft, ViewTop, MiddleWidth, viewHeight);
    panelEdge->setGeometry(MiddleWidth - 1, 0, 1, viewHeight);
    bottomStrip->setGeometry(0, size.height() - bar, size.width(), bar);
    sourcePane->Resize({0, ViewTop, sourceWidth, viewHeight});
    targetPane->Resize({targetLeft, ViewTop, targetWidth, viewHeight});
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client && event->type() == QEvent::Resize)
        ArrangeControls();
    const bool pressed = event->type() == QEvent::KeyPress;
    if (pressed || event->type() == QEvent::KeyRelease) {
        const auto* keys = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifier held = keys->key() == Qt::Key_Shift     ? Qt::ShiftModifier
                                          : keys->key() == Qt::Key_Control ? Qt::ControlModifier
                                                                           : Qt::NoModifier;
        if (held != Qt::NoModifier)
            RefreshPreview(pressed ? keys->modifiers() | held : keys->modifiers() & ~held);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::BuildMenus() {
    fileMenu = menuBar()->addMenu(tr("&File"));
    openSourceAction = fileMenu->addAction(tr("Open Source..."));
    openTargetAction = fileMenu->addAction(tr("Open Target..."));
    recentMenu = fileMenu->addMenu(tr("Open &Recent"));
    ListRecent();
    newSheetAction = fileMenu->addAction(tr("New Sheet"));
    newSheetAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    closeSourceAction = fileMenu->addAction(tr("Close Source"));
    closeSourceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    fileMenu->addSeparator();
    rebuildAction = fileMenu->addAction(tr("Re&build from Sources"));
    rebuildAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    saveLayoutAsAction = fileMenu->addAction(tr("Save &Layout As..."));
    fileMenu->addSeparator();
    saveTargetAction = fileMenu->addAction(tr("&Save Target"));
    saveTargetAsAction = fileMenu->addAction(tr("Save Target As..."));
    fileMenu->addSeparator();
    optionsAction = fileMenu->addAction(tr("Options..."));
    fileMenu->addSeparator();
    quitAction = fileMenu->addAction(tr("Quit"));
    editMenu = menuBar()->addMenu(tr("&Edit"));
    undoAction = editMenu->addAction(tr("&Undo"));
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undoAction->setEnabled(false);
    redoAction = editMenu->addAction(tr("&Redo"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redoAction->setEnabled(false);
    editMenu->addSeparator();
    copyTileAction = editMenu->addAction(tr("&Copy Tile"));
    copyTileAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    pasteTileAction = editMenu->addAction(tr("&Paste Tile"));
    pasteTileAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    pasteBlockAction = editMenu->addAction(tr("Paste as Block"));
    pasteBlockAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    connect(pasteBlockAction, &QAction::triggered, this, &MainWindow::PasteAsBlock);
    connect(newSheetAction, &QAction::triggered, this, &MainWindow::NewSheet);
    editMenu->addSeparator();
    flipHorizontallyAction = editMenu->addAction(tr("Flip &Horizontally"));
    flipHorizontallyAction->setShortcut(QKeySequence(Qt::Key_X));
    flipVerticallyAction = editMenu->addAction(tr("Flip &Vertically"));
    flipVerticallyAction->setShortcut(QKeySequence(Qt::Key_Y));
    rotateAction = editMenu->addAction(tr("&Rotate 90\u00B0 Clockwise"));
    rotateAction->setShortcut(QKeySequence(Qt::Key_Z));
    helpMenu = menuBar()->addMenu(tr("&Help"));
    handbookAction = helpMenu->addAction(tr("Patchery &Handbook"));
    aboutAction = helpMenu->addAction(tr("&About "));

    // Shortcuts, shown beside the items; Quit still asks "Really Quit?".
    openSourceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openTargetAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    saveTargetAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveTargetAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
}

void MainWindow::Connect() {
    connect(sourceButton, &QPushButton::clicked, this, &MainWindow::OpenSource);
    connect(targetButton, &QPushButton::clicked, this, &MainWindow::OpenTarget);
    connect(copyButton, &QPushButton::clicked, this, &MainWindow::CopyTile);
    connect(pasteButton, &QPushButton::clicked, this, &MainWindow::PasteTile);
    connect(sizeList, &QComboBox::activated, this, &MainWindow::ChangeTargetSize);
    // Any button; on the target, Ctrl picks and Shift erases.
    connect(sourceView, &ImageView::Pressed, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { PressSource(at); });
    connect(targetView, &ImageView::Pressed, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers modifiers, QPointF at) {
                PressTarget(modifiers, at);
            });
    sourceView->setMouseTracking(true);
    targetView->setMouseTracking(true);
    connect(sourceView, &ImageView::PointerMoved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPointF at) {
                OutlineSourceCell(at);
                DragOnSource(buttons, at);
            });
    connect(targetView, &ImageView::PointerMoved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
                OutlineTargetCell(at, modifiers);
                DragOnTarget(buttons, at);
            });
    for (ImageView* view : {sourceView, targetView})
        connect(view, &ImageView::Released, this, &MainWindow::EndDrag);
    connect(openSourceAction, &QAction::triggered, this, &MainWindow::OpenSource);
    connect(openTargetAction, &QAction::triggered, this, &MainWindow::OpenTarget);
    connect(rebuildAction, &QAction::triggered, this, &MainWindow::RebuildFromSources);
    connect(saveLayoutAsAction, &QAction::triggered, this, &MainWindow::SaveLayoutAs);
    connect(&watched_, &WatchedFiles::Changed, this, &MainWindow::FileChangedOnDisk);
    connect(&watched_, &WatchedFiles::Removed, this, &MainWindow::SourceDeleted);
    connect(saveTargetAction, &QAction::triggered, this, &MainWindow::SaveTarget);
    connect(saveTargetAsAction, &QAction::triggered, this, &MainWindow::SaveTargetAs);
    connect(optionsAction, &QAction::triggered, this, &MainWindow::ShowOptions);
    connect(quitAction, &QAction::triggered, this, &MainWindow::Quit);
    connect(handbookAction, &QAction::triggered, this, &MainWindow::ShowHandbook);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::ShowAbout);
    connect(undoAction, &QAction::triggered, this, &MainWindow::Undo);
    connect(redoAction, &QAction::triggered, this, &MainWindow::Redo);
    connect(copyTileAction, &QAction::triggered, this, &MainWindow::CopyTile);
    connect(pasteTileAction, &QAction::triggered, this, &MainWindow::PasteTile);
    connect(flipHorizontallyAction, &QAction::triggered, this, &MainWindow::FlipTileHorizontally);
    connect(flipVerticallyAction, &QAction::triggered, this, &MainWindow::FlipTileVertically);
    connect(rotateAction, &QAction::triggered, this, &MainWindow::RotateTile);

    // The views draw the documents where they are held; the sheet says what changed.
    tileView->Display(&tile_.Picture());
    composeView->Display(&composed_);
    targetView->Display(&Sheet().Image());
    targetView->resize(Sheet().Size());
    document_.OnChanged([this](const QRect& area) {
        ShowSheetChange(area);
        KeepForRecovery(area);
    });
}
