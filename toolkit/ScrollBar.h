#pragma once
// A scroll bar with the old toolkit's semantics: minimum 0, a maximum set by code that may be
// negative (the range then runs from Max to 0), arrow step 16, page step 64, and a Change
// notification after every change of Value, none while the thumb is dragged.

#include <QScrollBar>

#include <cstdint>

class ScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    ScrollBar(Qt::Orientation orientation, QWidget* parent);

    int16_t Value() const { return static_cast<int16_t>(value()); }
    void setValue(int16_t v) { QScrollBar::setValue(v); }
    int16_t Max() const { return max_; }
    // A position outside the new range moves to its nearest end, and Change follows.
    void setMax(int16_t max);
    // A wheel turn in eighths of a degree (120 a notch, positive away from the user): 48
    // pixels a notch, three arrow steps, up or left, clamped to the range. Smaller steps of
    // high-resolution wheels and touchpads add up at the same rate. A bar that is off stays.
    void Wheel(int angleDelta);

  signals:
    void Change();

  private:
    int16_t max_ = 0;
    int wheelRest_ = 0; // turned but not yet a whole pixel, in 1/48 eighths of a degree
};
