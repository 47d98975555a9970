#pragma once
// A picture surface: a background Picture and a persistent Image that keeps everything drawn
// into it and repaints the window from it. Positions and sizes are pixels.

#include "imaging/Module1.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <optional>

class PictureBox : public QWidget {
    Q_OBJECT
  public:
    // withImage: whether the surface keeps a persistent image (the views do; panels don't).
    PictureBox(QWidget* parent, bool withImage = true);

    // The background picture; a null QImage is the empty picture.
    const QImage& Picture() const { return picture_; }
    void setPicture(const QImage& picture);

    // Makes picture the background and the drawing, and the surface its size, all at once:
    // throws std::bad_alloc, with nothing changed, when the memory for it cannot be had.
    void Load(const QImage& picture);

    // Snapshot of the persistent image at the surface's current size.
    QImage Image() const;
    // Drawing reset to the background picture, back colour elsewhere.
    void Cls();
    // Puts back a background picture and a persistent image exactly as they were taken; the
    // surface takes the image's size. Nothing is redrawn from the picture.
    void Restore(const QImage& picture, const QImage& image);

    void setAutoSize(bool on) { autoSize_ = on; }
    bool AutoSize() const { return autoSize_; }

    int Width() const { return width(); }
    int Height() const { return height(); }
    void setWidth(int w) { setSize(w, height()); }
    void setHeight(int h) { setSize(width(), h); }
    // Keeps the drawing where it fits; new area shows the background picture, else the back
    // colour. Throws std::bad_alloc, with nothing changed, when the image cannot be held.
    void setSize(int w, int h);
    void setLeft(int x) { move(x, y()); }
    void setTop(int y) { move(x(), y); }

    // Copies the source rectangle of picture into the destination rectangle of the persistent
    // image, replacing what was there, clipped to the surface.
    void PaintPicture(const QImage& picture, int x1, int y1, int w1, int h1, int x2, int y2, int w2,
                      int h2);

    // Direct access to the persistent image's pixels for the blit.
    DeviceContext hDC();
    void Refresh();

    QColor BackColor() const;

    // Two marks drawn over the persistent image on the screen only, never into Image(),
    // Picture() or anything made from them; an empty rectangle hides a mark. The outline is a
    // dashed ring just outside its rectangle, so the pixels of the cell itself stay in view;
    // the mark is a solid double ring just inside its rectangle. The outline goes when the
    // pointer leaves the surface.
    void setOutline(const QRect& cell);
    void setMark(const QRect& cell);
    QRect Outline() const { return outline_; }
    QRect Mark() const { return mark_; }

  signals:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void MouseDown(int16_t button, int16_t shift, float x, float y);
    // With mouse tracking on: the pointer moved over the surface, or the surface moved or
    // changed size under a pointer that rests on it (button: the buttons held).
    void MouseMove(int16_t button, int16_t shift, float x, float y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    // Brings the persistent image to the surface's size, keeping the drawing where it fits.
    void SyncImageSize();
    QImage ImageAtSize(QSize size) const;
    void RaiseMouseDown(QMouseEvent* event);
    void RaiseMouseMove(QPointF at);

    QRect outline_;
    QRect mark_;
    std::optional<QPointF> pointer_; // where the pointer rests on the surface, if it does

    QImage picture_;
    QImage image_;
    bool withImage_;
    bool autoSize_ = false;
};

// The empty picture.
inline QImage LoadPicture() {
    return {};
}

// Writes picture as an uncompressed 24-bit BMP (bottom-up rows padded to 4 bytes,
// biSizeImage filled in) into a new file: anything already at path, a link included, is a
// failure. Throws std::runtime_error naming the file on failure.
void SavePicture(const QImage& picture, const QString& path);
