#pragma once
// Uncompressed 8- and 24-bit BMP files, as the picture surfaces save them.

#include "imaging/ImageData.h"

#include <stdexcept>
#include <string>

// A bit count other than 8 or 24. The program shows "Image format unsupported" for it.
class UnsupportedBitmap : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the file into image. On any failure (UnsupportedBitmap or another std::exception)
// the record is left exactly as it was.
void LoadBMP(const std::string& path, ImageData& image);
