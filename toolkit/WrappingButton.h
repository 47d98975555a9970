#pragma once

#include <QPushButton>

// A push button whose caption wraps onto more lines when it is wider than the button, as
// "Copy To Clipboard" must in its 86-pixel button.
class WrappingButton : public QPushButton {
    Q_OBJECT
  public:
    WrappingButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
};
