#pragma once
// Pictures that come from elsewhere than a TGA file: other image files, and the clipboard.

#include "imaging/ImageData.h"

#include <QImage>
#include <QString>

// Decodes the file into image. A file that Qt's own readers recognise by its content as PNG,
// JPEG, BMP, GIF, PBM/PGM/PPM, XBM or XPM becomes a 24-bit image of its pixels, converted as
// a pasted picture is; every other file, every TGA included, goes through LoadTGA. Throws on
// failure as LoadTGA does.
void LoadImageFile(const QString& path, ImageData& image);

// The open dialog's entry for those formats, "description|patterns".
QString OtherImagesFilter();

// A picture in the form the views hold it: RGB32, whatever it came as (a one-colour PNG
// arrives as Format_Mono).
QImage AsPicture(QImage picture);
