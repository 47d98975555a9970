#pragma once
// Uncompressed 24-bit true-colour TGA files.

#include "imaging/ImageData.h"

#include <stdexcept>
#include <string>

// A file that is not an uncompressed 24-bit true-colour TGA, or cannot be read as one.
class TgaError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A save that could not be completed; Reason says why, without the path.
class TgaSaveError : public std::runtime_error {
  public:
    TgaSaveError(const std::string& path, const std::string& reason)
        : std::runtime_error("cannot save " + path + ": " + reason), Reason(reason) {}
    std::string Reason;
};

// Reads the file into image. On any failure the record is left exactly as it was.
void LoadTGA(const std::string& path, ImageData& image);

// Writes image as a 24-bit top-left-origin TGA. The destination is replaced only when the
// new file is complete and on the disk: on any failure it is exactly as it was before. A
// destination that is a symbolic link is written at the file the link leads to, and stays a
// link; one that is not a regular file (a FIFO, a device) is refused.
void SaveTGA(const std::string& path, const ImageData& image);

// Whether a save waits for the disk (on by default). Only the benchmarks turn it off, to show
// what the waiting costs.
extern bool SaveSyncs;
