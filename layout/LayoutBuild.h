#pragma once
// A sheet built from its layout: the pixels and the origin of every cell, from the files the
// layout names by their bytes.

#include "ImageData.h"
#include "OriginGrid.h"
#include "SheetLayout.h"

#include <QByteArray>

#include <functional>
#include <string>
#include <vector>

// Reads a source or background picture as 24 bits; throws (Failure, std::bad_alloc) when it
// cannot, or OtherReaderNeeded.
using PictureReader = std::function<ImageData(const QByteArray& path)>;

// A source's cell as it lies in the sheet: 64 x 64 pixels, blank beyond the image's edge,
// turned as orient says.
ImageData OrientedCell(const ImageData& source, QPoint cell, Orientation orient);

struct BuiltSheet {
    ImageData Image;       // the sheet's pixels
    ImageData Picture;     // the background; no pixels without one
    OriginGrid Origins;    // where each cell came from
    QByteArray Background; // the background's file
    QByteArray SheetFile;  // the sheet the layout builds
    // One line a problem, "cell 3,5: art/grass.png: No such file or directory"; the cells
    // whose source could not be read keep the pixels of fallback, else the background's.
    std::vector<std::string> Problems;
    std::vector<QByteArray> Unread; // the sources and background that could not be read
};

// The folder a layout's paths are relative to: the layout file's.
QString LayoutFolder(const QByteArray& layoutFile);

// The file a layout's path names: relative to the layout's folder.
QByteArray LayoutPath(const QByteArray& layoutFile, const QString& path);

// Builds the layout read from layoutFile. fallback: what the sheet's file holds now, for the
// cells of sources that cannot be read (may have no pixels).
BuiltSheet BuildLayout(const SheetLayout& layout, const QByteArray& layoutFile,
                       const PictureReader& read, const ImageData& fallback = {});
