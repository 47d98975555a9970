#pragma once
// A decoded image: what the file readers fill and the writers and the blit drain.

#include <cstdint>
#include <vector>

// One colour-table entry, in the byte order of a BMP colour table.
struct PaletteEntry {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;
};
static_assert(sizeof(PaletteEntry) == 4);

struct ImageData {
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t Bits = 0;                  // 24, or 8 (only from the BMP reader)
    std::vector<PaletteEntry> Palette; // 256 entries when Bits is 8, else empty
    std::vector<uint8_t> Pixels;       // top row first, unpadded; 24 bits: blue, green, red
};
