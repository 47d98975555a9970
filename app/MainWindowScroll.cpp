// Scrolling moves the view itself behind its viewing area; the bars count image pixels, so a
// view stands at minus its bar's value times its zoom. Press coordinates stay image coordinates.

#include "MainWindow.h"

#include "Checked.h"
#include "Layout.h"

#include <QWheelEvent>

// The source view lies above the middle panel, so it must never reach past column 256:
// it grows to the left as it scrolls.
void MainWindow::PlaceSourceHorizontally() {
    const int shift = sourceView->Zoomed(sourceHorizontalBar->Value());
    sourceView->resize(ViewWidth, sourceView->height());
    sourceView->move(-shift, sourceView->y());
    sourceView->resize(checked::ToInt16(shift + sourceView->width()), sourceView->height());
}

void MainWindow::PlaceSourceVertically() {
    sourceView->move(sourceView->x(),
                     checked::ToInt16(ViewTop - sourceView->Zoomed(sourceVerticalBar->Value())));
}

void MainWindow::PlaceTargetHorizontally() {
    targetView->move(
        checked::ToInt16(TargetLeft - targetView->Zoomed(targetHorizontalBar->Value())),
        targetView->y());
}

void MainWindow::PlaceTargetVertically() {
    targetView->move(targetView->x(),
                     checked::ToInt16(ViewTop - targetView->Zoomed(targetVerticalBar->Value())));
}

// The wheel over a viewing area moves that view's bars, which place the view as their arrows
// do. Shift turns a vertical wheel into a horizontal one; Ctrl zooms about the pointer, a step
// a notch.
void MainWindow::wheelEvent(QWheelEvent* event) {
    const QPoint at = client->mapFrom(this, event->position().toPoint());
    const bool source = QRect(0, ViewTop, ViewWidth, ViewHeight).contains(at);
    if (!source && !QRect(TargetLeft, ViewTop, ViewWidth, ViewHeight).contains(at)) {
        QMainWindow::wheelEvent(event);
        return;
    }
    const QPoint turn = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        lastView_ = source ? sourceView : targetView;
        zoomWheelRest_ += turn.y();
        const int notches = zoomWheelRest_ / 120;
        zoomWheelRest_ %= 120;
        if (notches != 0)
            StepZoom(notches, QPointF(event->position()) -
                                  QPointF(client->mapTo(this, ViewingArea(lastView_).topLeft())));
        event->accept();
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    (source ? sourceHorizontalBar : targetHorizontalBar)->Wheel(turn.x() + (shift ? turn.y() : 0));
    (source ? sourceVerticalBar : targetVerticalBar)->Wheel(shift ? 0 : turn.y());
    event->accept();
}
