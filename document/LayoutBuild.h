#pragma once
// A sheet built from its layout, and the layout of a sheet: the two directions between a
// layout file and the sheet's document. Both work on files named by their bytes.

#include "OriginGrid.h"
#include "SheetLayout.h"
#include "TargetSheet.h"

#include <QByteArray>
#include <QImage>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Reads a source or background picture; throws (Failure, std::bad_alloc) when it cannot.
using PictureReader = std::function<QImage(const QByteArray& path)>;

// A source's cell as it lies in the sheet: 64 x 64 pixels, blank beyond the image's edge,
// turned as orient says.
QImage OrientedCell(const QImage& source, QPoint cell, Orientation orient);

struct BuiltSheet {
    QImage Image;          // the sheet's pixels
    QImage Picture;        // the background; null without one
    OriginGrid Origins;    // where each cell came from
    QByteArray Background; // the background's file
    QByteArray SheetFile;  // the sheet the layout builds
    // One line a problem, "cell 3,5: art/grass.png: No such file or directory"; the cells
    // whose source could not be read keep the pixels of fallback, else the background's.
    std::vector<std::string> Problems;
    std::vector<QByteArray> Unread; // the sources and background that could not be read
};

// The file a layout's path names: relative to the layout's folder.
QByteArray LayoutPath(const QByteArray& layoutFile, const QString& path);

// Builds the layout read from layoutFile. fallback: what the sheet's file holds now, for the
// cells of sources that cannot be read (may be null).
BuiltSheet BuildLayout(const SheetLayout& layout, const QByteArray& layoutFile,
                       const PictureReader& read, const QImage& fallback = {});

// The layout of the sheet as it is, to be written to layoutFile for the sheet file sheetFile.
SheetLayout LayoutOf(const TargetSheet& sheet, const QByteArray& layoutFile,
                     const QByteArray& sheetFile);
