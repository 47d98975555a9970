#pragma once
// A drag across a view: the places it enters on a grid counted from the pressed cell, each
// once, with none skipped when the pointer jumps several places between two moves.

#include <QPoint>
#include <QPointF>
#include <QSet>
#include <QSize>

#include <vector>

class Stroke {
  public:
    // at: where the button went down, in image pixels; step: the grid's spacing, in pixels.
    Stroke(QPointF at, QSize step);

    // The top-left corner of the place under the press.
    QPoint Start() const { return Place(origin_); }
    // The pointer moved to at: the top-left corners of the places the path from the last point
    // enters for the first time, in the order it enters them.
    std::vector<QPoint> MoveTo(QPointF at);

  private:
    QPoint Place(QPoint index) const;

    QPointF last_;    // in grid units, from the pressed cell's corner
    QPoint origin_{}; // index of the place under the press
    QPoint corner_;   // the pressed cell's top-left, in pixels
    QSize step_;
    QSet<QPoint> entered_;
};
