#pragma once
// A sheet built from its layout file without a window: what `patchery --build` writes and
// `patchery --check` compares. Sources are read bounded, as every open; the sheet is written
// durably, byte for byte what the window saves for the same pixels, or not at all.

#include "ImageBounds.h"
#include "ImageData.h"
#include "SheetLayout.h"

#include <QByteArray>

#include <functional>
#include <string>
#include <vector>

// How a build reads its files: an image file as 24 bits, its declared size given to the check
// before any pixel is decoded (throwing Failure, std::bad_alloc or OtherReaderNeeded); a cell's
// PNG of a kind the program's own reader leaves to others (may be none).
struct ImageReaders {
    std::function<ImageData(const std::string& path, const SizeCheck& check)> File;
    SheetLayout::PngDecoder OtherPng;
};

struct SheetBuildRequest {
    QByteArray Layout;       // the layout file, as its bytes
    QByteArray Output;       // where the sheet goes instead of the layout's "sheet"; empty: there
    bool AllowLarge = false; // read sources whose pixels need more than LargeImageBytes
    ImageReaders Read;
};

struct SheetBuildResult {
    // Build: 0 written, 1 not. Check: 0 the sheet on disk is what the layout builds, 1 it
    // differs or is missing, 2 the layout cannot be built.
    int Status = 0;
    // One line a problem, the layout's name first: "wall.patchery: cell 3,5: art/grass.png: No
    // such file or directory".
    std::vector<std::string> Lines;
};

// Both pass on OtherReaderNeeded, having written nothing.
SheetBuildResult BuildSheetFile(const SheetBuildRequest& request);
SheetBuildResult CheckSheetFile(const SheetBuildRequest& request);
