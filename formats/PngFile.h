#pragma once
// PNG files whose pixels need nothing but expanding to 24 bits, read with libpng: what a build
// reads without Qt's image readers.

#include "ImageData.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// What LoadPNG did: read the pixels, or declined the file, the record left exactly as it was,
// because it is no PNG, or one of another kind (more than 8 bits a sample, an alpha channel, a
// transparent colour), or damaged. Declined files are left to a reader that converts them and
// says what is wrong with them.
enum class PngRead { Read, Declined };

// Reads the file into image as 24 bits (blue, green, red, top row first): grey, RGB or palette
// PNGs of 1 to 8 bits a sample, interlaced or not, their pixels as stored (no gamma or colour
// space is applied). check, when given, is called with the width and height before any memory
// for the pixels is taken; what it throws ends the read. A file that cannot be opened or read
// is a Failure; a FIFO or a device is refused without a read.
PngRead LoadPNG(const std::string& path, ImageData& image,
                const std::function<void(int32_t width, int32_t height)>& check = {});
// The same, from the file's bytes in memory.
PngRead LoadPNG(const uint8_t* data, size_t size, ImageData& image,
                const std::function<void(int32_t width, int32_t height)>& check = {});
