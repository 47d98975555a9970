#pragma once
// A view of an image held elsewhere (the sheet, the source, the tile): draws it at the view's
// origin, magnified by its zoom, the rest of the view in the blank colour, and reports presses
// and pointer moves in image pixels. Scrolling moves the view itself behind its viewing area.

#include <QImage>
#include <QWidget>

#include <optional>

class QFrame;
class QLabel;

class ImageView : public QWidget {
    Q_OBJECT
  public:
    explicit ImageView(QWidget* parent);

    // Shows the image, which must outlive the showing; null shows the blank colour alone. The
    // view does not copy it, so drawing into it stays cheap; the owner repaints what changed.
    void Display(const QImage* image);
    const QImage* Displayed() const { return image_; }
    // What the view shows, at its size, without the marks, the preview and the grid.
    QImage Rendered() const;
    QColor BackColor() const;

    // Screen pixels per image pixel; nearest neighbour, so at 2 and above every image pixel is
    // an exact square. The owner sizes and places the view.
    void SetZoom(double zoom);
    double Zoom() const { return zoom_; }
    QSize Zoomed(QSize imageSize) const;
    int Zoomed(int imagePixels) const; // whole screen pixels, rounded down
    // The screen rectangle that shows an image rectangle.
    QRect OnScreen(const QRect& imageRect) const;

    // Two marks drawn over the image on the screen only, never into the image; an empty
    // rectangle hides a mark. The outline is a dashed ring just outside its rectangle, so the
    // pixels of the cell itself stay in view; the mark is a solid double ring just inside its
    // rectangle. The outline goes when the pointer leaves the view. Both in image pixels.
    void SetOutline(const QRect& cell);
    void SetMark(const QRect& cell);
    QRect Outline() const { return outline_; }
    QRect Mark() const { return mark_; }
    // A picture shown over the image on the screen only, dimmed so that it is told from the
    // image: its top-left pixel on area's top-left, as much of it as area holds (image pixels,
    // within the picture). The picture must outlive the showing; null or an empty area hides
    // it, and it goes when the pointer leaves the view. Only the old and new areas repaint: a
    // change of the picture's pixels alone is the owner's to repaint.
    void SetPreview(const QImage* picture, const QRect& area);
    // Repaints what a change of the image's pixels in area shows: none of it under the
    // preview, which hides the image beneath it, and none out of the viewing area.
    void ShowChange(const QRect& area);
    QRect Preview() const { return preview_ ? previewArea_ : QRect(); }
    // The 64-pixel cell lines over the image, on the screen only.
    void SetGrid(bool shown);
    bool Grid() const { return grid_; }

    // Where the view is seen, in its parent's coordinates: the focus frame, the pointer's
    // coordinates and a keyboard cursor that starts in sight stay within it.
    void SetViewingArea(const QRect& area);
    // The cell the keyboard acts on, in image pixels. While the view has the focus it is drawn
    // as the outline is; the arrow keys move it a cell, Space or Return press there.
    void SetKeyCursor(const QRect& cell);
    QRect KeyCursor() const { return keyCursor_; }
    // Where the pointer rests on the view, in image pixels, if it does.
    std::optional<QPointF> Pointer() const;

  signals:
    void Pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);
    // With mouse tracking on: the pointer moved over the view, or the view moved or changed
    // size under a pointer that rests on it.
    void PointerMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    // A button went up; at in image pixels, as for a press.
    void Released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);
    // An arrow key moved the keyboard cursor: the owner scrolls it into sight.
    void KeyCursorMoved(const QRect& cell);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void RaisePointerMoved(QPointF at, Qt::KeyboardModifiers modifiers);
    void PointerGone();
    void DrawImage(QPainter& painter, const QRegion& exposed) const;
    void DrawPreview(QPainter& painter, const QRegion& exposed) const;
    void DrawSampled(QPainter& painter, const QImage& picture, QPoint at, const QRect& inside,
                     bool shaded) const;
    void DrawGrid(QPainter& painter, const QRect& exposed) const;
    void MoveRing(QRect& ring, const QRect& cell);
    void DrawDashedRing(QPainter& painter, const QRect& cell) const;
    void MoveKeyCursor(int columns, int rows);
    void ShowCoordinates(std::optional<QPointF> at);
    void ShowCoordinates(QPoint pixel, const QRect& avoided);
    QRect Seen() const; // the viewing area, in the view's coordinates
    void UpdateSeen(const QRegion& region);
    bool KeyboardFocus() const;
    void ShowKeyboardFocus();
    QPointF InImage(QPointF onScreen) const { return onScreen / zoom_; }
    QPointF PointerAt(const QMouseEvent* event) const;

    const QImage* image_ = nullptr;
    double zoom_ = 1.0;
    bool grid_ = false;
    QRect outline_;
    QRect mark_;
    QRect keyCursor_;
    const QImage* preview_ = nullptr;
    QRect previewArea_;
    mutable QImage scratch_; // what DrawSampled draws, kept so that no paint waits on memory
    bool keysUsed_ = false;  // since the focus came, or the last press
    QRect viewingArea_;
    // Over the viewing area, in the parent: the cell and pixel under the pointer, and the frame
    // that shows the focus. Both let presses through.
    QLabel* coordinates_ = nullptr;
    QFrame* focusFrame_ = nullptr;
    std::optional<QPointF> pointer_; // where the pointer rests on the view, if it does
};
