#pragma once
// The layout of a sheet, and a layout read with every PNG Qt reads: the document's side of a
// layout file.

#include "SheetBuild.h"
#include "SheetLayout.h"
#include "TargetSheet.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The layout of the sheet as it is, to be written to layoutFile for the sheet file sheetFile.
SheetLayout LayoutOf(const TargetSheet& sheet, const QByteArray& layoutFile,
                     const QByteArray& sheetFile);

// A cell's PNG that the program's own reader leaves to others, read by Qt's: its 64 x 64 pixels,
// or nothing when it holds no such picture.
std::optional<ImageData> DecodeCellPng(const QByteArray& png);

// A build's readers with all of Qt's: LoadPicture's pixels and DecodeCellPng.
ImageReaders QtImageReaders();

// SheetLayout::Parse, with DecodeCellPng.
SheetLayout ParseLayout(const QByteArray& text, const QString& fileName);
