#pragma once
// Uncompressed 24-bit true-colour TGA files.

#include "ImageData.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// Reads the file into image; a file that is not an uncompressed 24-bit true-colour TGA, or
// cannot be read as one, is a Failure. On any failure the record is left exactly as it was.
// accepted, when given, is called with the width and height once the file is known to be such
// a TGA and before any memory for its pixels is taken; read, with the bytes of pixels read so
// far and in all, after each part of them. What either throws ends the load.
void LoadTGA(const std::string& path, ImageData& image,
             const std::function<void(int width, int height)>& accepted = {},
             const std::function<void(size_t done, size_t total)>& read = {});

// Writes image as a 24-bit top-left-origin TGA. The destination is replaced only when the
// new file is complete and on the disk: on any failure it is exactly as it was before. A
// destination that is a symbolic link is written at the file the link leads to, and stays a
// link; one that is not a regular file (a FIFO, a device) is refused. A failure's Action is
// "cannot save <path>".
void SaveTGA(const std::string& path, const ImageData& image);

// The 18 bytes SaveTGA writes before the pixels of a width x height image: what a sheet on disk
// is compared with, byte for byte.
std::array<uint8_t, 18> SavedTgaHeader(int32_t width, int32_t height);
