#include "Stroke.h"

#include "TileGrid.h"

#include <cmath>
#include <cstdlib>
#include <limits>

Stroke::Stroke(QPointF at, QSize step) : corner_(CellAt(at).topLeft()), step_(step) {
    last_ =
        QPointF((at.x() - corner_.x()) / step_.width(), (at.y() - corner_.y()) / step_.height());
    entered_.insert(origin_);
}

QPoint Stroke::Place(QPoint index) const {
    return corner_ + QPoint(index.x() * step_.width(), index.y() * step_.height());
}

// Walks the grid along the straight path, one boundary at a time, so that a place the path only
// clips is entered too.
std::vector<QPoint> Stroke::MoveTo(QPointF at) {
    const QPointF to((at.x() - corner_.x()) / step_.width(),
                     (at.y() - corner_.y()) / step_.height());
    const QPointF from = last_;
    last_ = to;
    QPoint index(static_cast<int>(std::floor(from.x())), static_cast<int>(std::floor(from.y())));
    const QPoint end(static_cast<int>(std::floor(to.x())), static_cast<int>(std::floor(to.y())));

    constexpr double never = std::numeric_limits<double>::infinity();
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    const double stepX = dx != 0 ? 1 / std::abs(dx) : never;
    const double stepY = dy != 0 ? 1 / std::abs(dy) : never;
    double nextX =
        dx != 0 ? (dx > 0 ? index.x() + 1 - from.x() : from.x() - index.x()) * stepX : never;
    double nextY =
        dy != 0 ? (dy > 0 ? index.y() + 1 - from.y() : from.y() - index.y()) * stepY : never;

    std::vector<QPoint> entered;
    const auto enter = [&] {
        if (!entered_.contains(index)) {
            entered_.insert(index);
            entered.push_back(Place(index));
        }
    };
    // Bounded by the boundaries between the two ends, whatever rounding does.
    for (int left = std::abs(end.x() - index.x()) + std::abs(end.y() - index.y());
         left > 0 && index != end; --left) {
        if (nextX < nextY) {
            index.rx() += sx;
            nextX += stepX;
        } else {
            index.ry() += sy;
            nextY += stepY;
        }
        enter();
    }
    if (index != end) { // rounding left it short: the end is entered all the same
        index = end;
        enter();
    }
    return entered;
}
