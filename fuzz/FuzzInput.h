#pragma once
// What the fuzz targets share: the input as a file the readers can open, and checks that turn a
// wrong result into a crash, which libFuzzer records and the replay under ctest reports.

#include "ImageData.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Puts the bytes into one in-memory file and returns a path that opens it.
const std::string& InputFile(const uint8_t* data, size_t size);

[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

// A record unlike anything a reader produces, to see that a refusal leaves it alone.
ImageData Sentinel();
bool Same(const ImageData& a, const ImageData& b);

// Little-endian fields of the input; bytes past its end read as 0.
uint32_t Le(const uint8_t* data, size_t size, size_t at, int bytes);
