// The wheel over a viewing area goes to its pane: it scrolls the view, or with Ctrl zooms it.

#include "MainWindow.h"

#include <QWheelEvent>

void MainWindow::wheelEvent(QWheelEvent* event) {
    const QPointF at = event->position() - QPointF(client->mapTo(this, QPoint()));
    for (ImagePane* pane : {sourcePane, targetPane}) {
        if (pane->Wheel(*event, at)) {
            event->accept();
            return;
        }
    }
    QMainWindow::wheelEvent(event);
}
