#include "SizeList.h"

#include <QWheelEvent>

// Qt's list takes the focus from the wheel itself (Qt::WheelFocus): only a click or Tab may.
SizeList::SizeList(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void SizeList::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}
