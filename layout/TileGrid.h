#pragma once
// The grid every image is laid out on: 64 x 64 pixel cells from the image's top-left corner.

#include <QPointF>
#include <QRect>

#include <cmath>
#include <cstdint>

constexpr int TileSize = 64;
// Each of red, green and blue where nothing was put: the blank colour, RGB (239, 239, 239).
constexpr uint8_t BlankLevel = 239;

// The cell that holds the point, in image pixels; points left of or above the image give
// cells at negative positions.
inline QRect CellAt(QPointF at) {
    const auto edge = [](double v) {
        return TileSize * static_cast<int>(std::floor(v / TileSize));
    };
    return {edge(at.x()), edge(at.y()), TileSize, TileSize};
}
