#pragma once
// Uncompressed BMP files: the reader takes 8- and 24-bit ones, the writer makes 24-bit ones.

#include "Blit.h"
#include "ImageData.h"

#include <string>

// Reads the file into image. On any failure the record is left exactly as it was; a bit count
// other than 8 or 24 is a Failure of Kind::Unsupported.
void LoadBMP(const std::string& path, ImageData& image);

// Writes the surface's pixels as an uncompressed 24-bit BMP (bottom-up rows padded to 4 bytes,
// biSizeImage filled in) into a new file, mode 0600: anything already at path, a link included,
// is a failure.
void SaveBMP(const PixelSurface& surface, const std::string& path);
