#include "platform/ComboBox.h"

#include <QWheelEvent>

// Qt's list takes the focus from the wheel itself (Qt::WheelFocus): only a click or Tab may.
ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void ComboBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}
