// The View menu: each view's zoom, in steps from 25 % to 800 % or to fit its viewing area, and
// the grid of cells over both views. Both are remembered in the settings.

#include "MainWindow.h"

#include "Layout.h"
#include "Program.h"
#include "Settings.h"
#include "ViewBars.h"

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
// A zoomed view stays within the window system's 16-bit coordinates.
constexpr int LargestZoomedLength = 32000;

QString ZoomKey(bool source) {
    return source ? QStringLiteral("SourceZoom") : QStringLiteral("TargetZoom");
}

// The step nearest to a zoom, by index.
int StepOf(double zoom) {
    const auto it =
        std::min_element(ZoomSteps.begin(), ZoomSteps.end(), [zoom](double a, double b) {
            return std::fabs(std::log2(a / zoom)) < std::fabs(std::log2(b / zoom));
        });
    return static_cast<int>(it - ZoomSteps.begin());
}

bool Allowed(double zoom, QSize image) {
    return std::max(image.width(), image.height()) * zoom <= LargestZoomedLength;
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
    viewMenu->addSeparator();
    gridAction = viewMenu->addAction(tr("Show &Grid"));
    gridAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    gridAction->setCheckable(true);

    connect(zoomInAction, &QAction::triggered, this, &MainWindow::ZoomIn);
    connect(zoomOutAction, &QAction::triggered, this, &MainWindow::ZoomOut);
    connect(actualSizeAction, &QAction::triggered, this, &MainWindow::ActualSize);
    connect(fitAction, &QAction::triggered, this, &MainWindow::FitView);
    connect(gridAction, &QAction::toggled, this, &MainWindow::ShowGrid);
    lastView_ = targetView;
    // What a screen reader says of each control.
    sourceView->setAccessibleName(tr("Source image"));
    targetView->setAccessibleName(tr("Target sheet"));
    tileView->setAccessibleName(tr("Selected tile"));
    sizeList->setAccessibleName(tr("Target image size"));
    sourceHorizontalBar->setAccessibleName(tr("Source image, horizontal scroll"));
    sourceVerticalBar->setAccessibleName(tr("Source image, vertical scroll"));
    targetHorizontalBar->setAccessibleName(tr("Target sheet, horizontal scroll"));
    targetVerticalBar->setAccessibleName(tr("Target sheet, vertical scroll"));
    for (ImageView* view : {sourceView, targetView}) {
        view->SetViewingArea(ViewingArea(view));
        connect(view, &ImageView::PointerMoved, this, [this, view] { lastView_ = view; });
        connect(view, &ImageView::Pressed, this, [this, view] { lastView_ = view; });
        connect(view, &ImageView::KeyCursorMoved, this,
                [this, view](const QRect& cell) { ScrollIntoSight(view, cell); });
    }
}

// The bars move as little as brings the cell into the viewing area; its top-left part when it
// is larger than the area.
void MainWindow::ScrollIntoSight(ImageView* view, const QRect& cell) {
    const bool source = view == sourceView;
    const auto keep = [view](ScrollBar* bar, int start, int end, int area) {
        if (!bar->isEnabled())
            return;
        const double seen = area / view->Zoom(); // image pixels in sight
        int value = bar->Value();
        if (end > value + seen)
            value = static_cast<int>(std::ceil(end - seen));
        value = std::min(value, start);
        bar->setValue(static_cast<int16_t>(std::clamp<int>(value, 0, bar->Max())));
    };
    keep(source ? sourceHorizontalBar : targetHorizontalBar, cell.left(), cell.right() + 1,
         ViewWidth);
    keep(source ? sourceVerticalBar : targetVerticalBar, cell.top(), cell.bottom() + 1, ViewHeight);
}

void MainWindow::LoadViewSettings() {
    gridAction->setChecked(GetSetting(ProgramName(), Section, QStringLiteral("ShowGrid")) ==
                           QLatin1String("1"));
    for (ImageView* view : {sourceView, targetView}) {
        bool ok = false;
        const int percent =
            GetSetting(ProgramName(), Section, ZoomKey(view == sourceView)).toInt(&ok);
        const double zoom = ok ? ZoomSteps[StepOf(percent / 100.0)] : 1.0;
        if (ok && zoom * 100 == percent)
            ZoomView(view, zoom, QPointF());
    }
}

QRect MainWindow::ViewingArea(const ImageView* view) const {
    return {view == sourceView ? 0 : TargetLeft, ViewTop, ViewWidth, ViewHeight};
}

// About the pointer while it is over the view's viewing area, else about the area's middle.
void MainWindow::StepZoom(int steps, std::optional<QPointF> anchor) {
    ImageView* view = lastView_;
    const QRect area = ViewingArea(view);
    if (!anchor) {
        const QPoint pointer = client->mapFromGlobal(QCursor::pos());
        anchor = QPointF(area.contains(pointer) ? pointer - area.topLeft()
                                                : QPoint(area.width() / 2, area.height() / 2));
    }
    const int step =
        std::clamp(StepOf(view->Zoom()) + steps, 0, static_cast<int>(ZoomSteps.size()) - 1);
    ZoomView(view, ZoomSteps[step], *anchor);
}

void MainWindow::ZoomIn() {
    StepZoom(1, std::nullopt);
}

void MainWindow::ZoomOut() {
    StepZoom(-1, std::nullopt);
}

void MainWindow::ActualSize() {
    ZoomView(lastView_, 1.0, QPointF());
}

// The largest step that shows the whole image; the smallest where none does.
void MainWindow::FitView() {
    const QSize image = lastView_ == sourceView ? Source().size() : Sheet().Size();
    double zoom = image.isEmpty() ? 1.0 : ZoomSteps.front();
    for (const double step : ZoomSteps) {
        if (!image.isEmpty() && image.width() * step <= ViewWidth &&
            image.height() * step <= ViewHeight)
            zoom = step;
    }
    ZoomView(lastView_, zoom, QPointF());
}

void MainWindow::ZoomView(ImageView* view, double zoom, QPointF anchor) {
    const bool source = view == sourceView;
    const QSize image = source ? Source().size() : Sheet().Size();
    while (!Allowed(zoom, image) && zoom > ZoomSteps.front())
        zoom /= 2;
    const double was = view->Zoom();
    if (zoom == was)
        return;
    SaveSetting(ProgramName(), Section, ZoomKey(source), QString::number(qRound(zoom * 100)));
    // Before an image, the blank view keeps its place and takes the zoom for the first one.
    if (image.isEmpty()) {
        view->SetZoom(zoom);
        return;
    }
    ScrollBar* horizontal = source ? sourceHorizontalBar : targetHorizontalBar;
    ScrollBar* vertical = source ? sourceVerticalBar : targetVerticalBar;
    // The image pixel under the anchor stays under it: enlarged, its left edge moves to at or
    // just left of the anchor; reduced, the screen pixel under the anchor shows some of it (the
    // view then moves by whole screen pixels, so by steps of 1 / zoom image pixels).
    const QPointF shown = anchor + QPointF(ViewingArea(view).topLeft() - view->pos());
    const auto value = [&](ScrollBar* bar, double at, double onScreen, int length, int area) {
        const int16_t max = BarMax(length, area, zoom);
        const double pixel = std::floor(onScreen / was);
        const int wanted =
            static_cast<int>(zoom >= 1.0 ? pixel - std::floor(at / zoom)
                                         : (std::floor(pixel * zoom) - std::floor(at)) / zoom);
        bar->setEnabled(BarNeeded(length, area, zoom));
        bar->setMax(max);
        bar->setValue(static_cast<int16_t>(std::clamp(wanted, 0, std::max<int>(0, max))));
    };
    view->SetZoom(zoom);
    value(horizontal, anchor.x(), shown.x(), image.width(), ViewWidth);
    value(vertical, anchor.y(), shown.y(), image.height(), ViewHeight);
    view->resize(view->Zoomed(source ? Source().size() : Sheet().Size()));
    if (source) {
        if (view->width() > ViewWidth)
            PlaceSourceHorizontally();
        PlaceSourceVertically();
    } else {
        PlaceTargetHorizontally();
        PlaceTargetVertically();
    }
}

void MainWindow::ShowGrid(bool shown) {
    sourceView->SetGrid(shown);
    targetView->SetGrid(shown);
    SaveSetting(ProgramName(), Section, QStringLiteral("ShowGrid"),
                shown ? QStringLiteral("1") : QStringLiteral("0"));
}
