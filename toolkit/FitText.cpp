#include "FitText.h"

#include <QFontMetrics>
#include <QWidget>

void FitFontToWidth(QWidget* widget, const QString& text, int width) {
    QFont font = widget->font();
    int pixels = QFontInfo(font).pixelSize();
    while (pixels > 8 && QFontMetrics(font).horizontalAdvance(text) > width) {
        font.setPixelSize(--pixels);
    }
    widget->setFont(font);
}
