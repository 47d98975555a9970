#pragma once

class QString;
class QWidget;

// Shrinks the widget's font, a pixel at a time down to 8 pixels, until text fits in width.
// The layout was drawn for a narrower dialog font than most systems have.
void FitFontToWidth(QWidget* widget, const QString& text, int width);
