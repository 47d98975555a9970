#pragma once
// How a cell's pixels are turned on their way from a source into the sheet: one of the eight
// ways a square can lie, as an optional horizontal flip applied first and then a number of
// clockwise quarter turns. Flipping vertically is flipping horizontally and turning twice.

#include "ImageData.h"

#include <QString>

#include <array>
#include <cstring>
#include <optional>
#include <tuple>
#include <utility>

struct Orientation {
    bool Flip = false; // mirrored left to right, before the turns
    int Turns = 0;     // clockwise quarter turns, 0 to 3

    bool operator==(const Orientation&) const = default;

    // The orientation after the picture it describes is flipped or turned once more.
    Orientation FlippedHorizontally() const { return {!Flip, (4 - Turns) % 4}; }
    Orientation FlippedVertically() const { return {!Flip, (6 - Turns) % 4}; }
    Orientation RotatedClockwise() const { return {Flip, (Turns + 1) % 4}; }

    // A square 24-bit cell as it lies in this orientation: whole pixels moved, none resampled.
    ImageData Applied(ImageData cell) const {
        if (*this == Orientation{})
            return cell;
        const int n = cell.Width;
        ImageData result = cell;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                // Where the pixel at (x, y) of the result comes from: undo the turns, then the
                // flip.
                int sx = x, sy = y;
                for (int turn = 0; turn < Turns; ++turn)
                    std::tie(sx, sy) = std::pair(sy, n - 1 - sx);
                if (Flip)
                    sx = n - 1 - sx;
                std::memcpy(&result.Pixels[3 * (size_t(y) * n + x)],
                            &cell.Pixels[3 * (size_t(sy) * n + sx)], 3);
            }
        return result;
    }

    // The names a layout file uses: "none", "rotate-90", ..., "flip-v-rotate-90".
    QString Name() const { return Names()[Index()]; }
    static std::optional<Orientation> Named(const QString& name) {
        const auto names = Names();
        for (int i = 0; i < 8; ++i) {
            if (names[i] == name)
                return Orientation{i >= 4, i % 4};
        }
        return std::nullopt;
    }

  private:
    int Index() const { return (Flip ? 4 : 0) + Turns; }
    // Indexed by Flip * 4 + Turns: a horizontal flip turned twice is a vertical flip, turned
    // three times a vertical flip turned once.
    static std::array<QString, 8> Names() {
        return {QStringLiteral("none"),       QStringLiteral("rotate-90"),
                QStringLiteral("rotate-180"), QStringLiteral("rotate-270"),
                QStringLiteral("flip-h"),     QStringLiteral("flip-h-rotate-90"),
                QStringLiteral("flip-v"),     QStringLiteral("flip-v-rotate-90")};
    }
};
