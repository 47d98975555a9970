#pragma once
// Image files read without Qt's image readers: every TGA, and the PNGs whose pixels need no
// conversion. A build that reads nothing else starts without Qt's GUI library.

#include "ImageBounds.h"
#include "ImageData.h"

#include <string>

// The file's pixels as 24 bits, the declared size given to check before any pixel is decoded.
// Throws Failure (std::bad_alloc) when the file cannot be read, and OtherReaderNeeded when it
// is of another kind: what Qt's readers read then says what the program makes of it.
ImageData LoadPlainImage(const std::string& path, const SizeCheck& check);
