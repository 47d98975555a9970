// The View menu: each view's zoom, in steps from 25 % to 800 % or to fit its viewing area, the
// grid of cells over both views and the resizable window. All are remembered in the settings.

#include "MainWindow.h"

#include "Program.h"
#include "Settings.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <array>
#include <cmath>

namespace {
const QString Section = QStringLiteral("Settings");
constexpr std::array<double, 6> ZoomSteps = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};

QString ZoomKey(bool source) {
    return source ? QStringLiteral("SourceZoom") : QStringLiteral("TargetZoom");
}

// Fit may show any whole percentage between these.
constexpr int SmallestPercent = 10;
constexpr int LargestPercent = 800;

// Steps on from a zoom; from one between the steps, the first step up or down is the next
// one that way. Below the smallest step, out stays where it is.
double Stepped(double zoom, int steps) {
    const auto begin = ZoomSteps.begin();
    const int below = static_cast<int>(std::upper_bound(begin, ZoomSteps.end(), zoom) - begin) - 1;
    const bool exact = below >= 0 && ZoomSteps[below] == zoom;
    const int to = below + steps + (exact || steps > 0 ? 0 : 1);
    if (to < 0)
        return below < 0 ? zoom : ZoomSteps.front();
    return ZoomSteps[std::min<int>(to, ZoomSteps.size() - 1)];
}
} // namespace

void MainWindow::BuildViewMenu() {
    viewMenu = new QMenu(tr("&View"), this);
    menuBar()->insertMenu(helpMenu->menuAction(), viewMenu);
    zoomInAction = viewMenu->addAction(tr("Zoom &In"));
    zoomInAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOutAction = viewMenu->addAction(tr("Zoom &Out"));
    zoomOutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    actualSizeAction = viewMenu->addAction(tr("&Actual Size"));
    actualSizeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    fitAction = viewMenu->addAction(tr("&Fit"));
    fitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    viewMenu->addSeparator();
    gridAction = viewMenu->addAction(tr("Show &Grid"));
    gridAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    gridAction->setCheckable(true);
    viewMenu->addSeparator();
    resizableAction = viewMenu->addAction(tr("Resizable Window"));
    resizableAction->setCheckable(true);

    connect(zoomInAction, &QAction::triggered, this, &MainWindow::ZoomIn);
    connect(zoomOutAction, &QAction::triggered, this, &MainWindow::ZoomOut);
    connect(actualSizeAction, &QAction::triggered, this, &MainWindow::ActualSize);
    connect(fitAction, &QAction::triggered, this, &MainWindow::FitView);
    connect(gridAction, &QAction::toggled, this, &MainWindow::ShowGrid);
    connect(resizableAction, &QAction::toggled, this, &MainWindow::SetResizable);
    lastPane_ = targetPane;
    // What a screen reader says of each control.
    sourceView->setAccessibleName(tr("Source image"));
    targetView->setAccessibleName(tr("Target sheet"));
    tileView->setAccessibleName(tr("Selected tile"));
    sizeList->setAccessibleName(tr("Target image size"));
    sourceHorizontalBar->setAccessibleName(tr("Source image, horizontal scroll"));
    sourceVerticalBar->setAccessibleName(tr("Source image, vertical scroll"));
    targetHorizontalBar->setAccessibleName(tr("Target sheet, horizontal scroll"));
    targetVerticalBar->setAccessibleName(tr("Target sheet, vertical scroll"));
    for (ImagePane* pane : {sourcePane, targetPane}) {
        ImageView* view = pane->View();
        connect(view, &ImageView::Pressed, this, [this, pane] { lastPane_ = pane; });
        connect(view, &ImageView::KeyCursorMoved, pane, &ImagePane::ScrollIntoSight);
        connect(pane, &ImagePane::ZoomTurned, this, [this, pane](int notches, QPointF anchor) {
            lastPane_ = pane;
            StepZoom(pane, notches, anchor);
        });
    }
}

void MainWindow::LoadViewSettings() {
    gridAction->setChecked(GetSetting(ProgramName(), Section, QStringLiteral("ShowGrid")) ==
                           QLatin1String("1"));
    for (ImageView* view : {sourceView, targetView}) {
        bool ok = false;
        const int percent =
            GetSetting(ProgramName(), Section, ZoomKey(view == sourceView)).toInt(&ok);
        if (ok && percent >= SmallestPercent && percent <= LargestPercent)
            ZoomView(view, percent / 100.0, QPointF());
    }
}

// The view with the keyboard focus, else the one last pressed or zoomed with the wheel (the
// target before any): never merely the one the pointer crossed on its way to the menu.
ImagePane* MainWindow::MenuPane() const {
    for (ImagePane* pane : {sourcePane, targetPane}) {
        if (pane->View()->hasFocus())
            return pane;
    }
    return lastPane_;
}

ImagePane* MainWindow::PaneOf(const ImageView* view) const {
    return view == sourceView ? sourcePane : targetPane;
}

// About the pointer while it is over the view's viewing area, else about the area's middle.
void MainWindow::StepZoom(ImagePane* pane, int steps, std::optional<QPointF> anchor) {
    const QRect area = pane->Area();
    if (!anchor) {
        const QPoint pointer = client->mapFromGlobal(QCursor::pos());
        anchor = QPointF(area.contains(pointer) ? pointer - area.topLeft()
                                                : QPoint(area.width() / 2, area.height() / 2));
    }
    ZoomView(pane->View(), Stepped(pane->View()->Zoom(), steps), *anchor);
}

void MainWindow::ZoomIn() {
    StepZoom(MenuPane(), 1, std::nullopt);
}

void MainWindow::ZoomOut() {
    StepZoom(MenuPane(), -1, std::nullopt);
}

void MainWindow::ActualSize() {
    ZoomView(MenuPane()->View(), 1.0, QPointF());
}

// The largest whole percentage that shows the whole image, from 10 to 800.
void MainWindow::FitView() {
    ImagePane* pane = MenuPane();
    const QSize image = pane->ImageSize();
    const QSize area = pane->Area().size();
    int percent = 100;
    if (!image.isEmpty()) {
        const double fits =
            std::min(double(area.width()) / image.width(), double(area.height()) / image.height());
        percent = std::clamp(static_cast<int>(std::floor(fits * 100 + 1e-9)), SmallestPercent,
                             LargestPercent);
    }
    ZoomView(pane->View(), percent / 100.0, QPointF());
}

void MainWindow::ZoomView(ImageView* view, double zoom, QPointF anchor) {
    ImagePane* pane = PaneOf(view);
    zoom = pane->Allowed(zoom, ZoomSteps.front());
    if (zoom == view->Zoom())
        return;
    SaveSetting(ProgramName(), Section, ZoomKey(view == sourceView),
                QString::number(qRound(zoom * 100)));
    pane->Zoom(zoom, anchor);
}

void MainWindow::ShowGrid(bool shown) {
    sourceView->SetGrid(shown);
    targetView->SetGrid(shown);
    SaveSetting(ProgramName(), Section, QStringLiteral("ShowGrid"),
                shown ? QStringLiteral("1") : QStringLiteral("0"));
}
