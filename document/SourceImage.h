#pragma once
// One open source: its picture, the file it was read from and where the source view last
// showed it, so that showing it again puts the view back as it was.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

struct SourceImage {
    // Where the view stood: its bars' values (image pixels), its zoom, the last pick's frame
    // and the keyboard's cell cursor (image pixels; empty: none).
    struct Place {
        QPoint Scroll;
        double Zoom = 1.0;
        QRect Mark;
        QRect KeyCursor;
    };

    QImage Picture;  // the only copy of its pixels: the view draws it where it lies
    QByteArray File; // its name's bytes, as opened
    QString Title;   // its name as shown
    Place Seen;
    bool Deleted = false; // its file has gone: the last pixels stay, said once
};
