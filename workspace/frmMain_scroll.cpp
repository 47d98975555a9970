// Scrolling moves the view itself behind its viewing area; press coordinates stay image
// coordinates.

#include "app/frmMain.h"

#include "imaging/Checked.h"
#include "workspace/Workspace.h"

#include <QWheelEvent>

// The source view lies above the middle panel, so it must never reach past column 256:
// it grows to the left as it scrolls.
void frmMain::side1_Change() {
    pbox1->setWidth(ViewWidth);
    pbox1->setLeft(-side1->Value());
    pbox1->setWidth(checked::ToInt16(side1->Value() + pbox1->Width()));
}

void frmMain::updown1_Change() {
    pbox1->setTop(checked::ToInt16(ViewTop - updown1->Value()));
}

void frmMain::side2_Change() {
    pbox2->setLeft(checked::ToInt16(TargetLeft - side2->Value()));
}

void frmMain::updown2_Change() {
    pbox2->setTop(checked::ToInt16(ViewTop - updown2->Value()));
}

// The wheel over a viewing area moves that view's bars, which place the view as their arrows
// do. Shift turns a vertical wheel into a horizontal one.
void frmMain::wheelEvent(QWheelEvent* event) {
    const QPoint at = client->mapFrom(this, event->position().toPoint());
    const bool source = QRect(0, ViewTop, ViewWidth, ViewHeight).contains(at);
    if (!source && !QRect(TargetLeft, ViewTop, ViewWidth, ViewHeight).contains(at)) {
        QMainWindow::wheelEvent(event);
        return;
    }
    const QPoint turn = event->angleDelta();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    (source ? side1 : side2)->Wheel(turn.x() + (shift ? turn.y() : 0));
    (source ? updown1 : updown2)->Wheel(shift ? 0 : turn.y());
    event->accept();
}
