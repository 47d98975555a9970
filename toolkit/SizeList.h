#pragma once

#include <QComboBox>

// A drop-down list that takes wheel turns only while it has the keyboard focus, as the wheel
// went to the focused control on the platform the program was made for: a wheel turned over an
// unfocused size list must not resize the sheet.
class SizeList : public QComboBox {
    Q_OBJECT
  public:
    explicit SizeList(QWidget* parent);

  protected:
    void wheelEvent(QWheelEvent* event) override;
};
