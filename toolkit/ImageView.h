#pragma once
// A view of an image held elsewhere (the sheet, the source, the tile): draws it at the view's
// origin, the rest of the view in the blank colour, and reports presses and pointer moves in
// image pixels. Scrolling moves the view itself behind its viewing area.

#include <QImage>
#include <QWidget>

#include <optional>

class ImageView : public QWidget {
    Q_OBJECT
  public:
    explicit ImageView(QWidget* parent);

    // Shows the image, which must outlive the showing; null shows the blank colour alone. The
    // view does not copy it, so drawing into it stays cheap; the owner repaints what changed.
    void Display(const QImage* image);
    const QImage* Displayed() const { return image_; }
    // What the view shows, at its size, without the marks.
    QImage Rendered() const;
    QColor BackColor() const;

    // Two marks drawn over the image on the screen only, never into the image; an empty
    // rectangle hides a mark. The outline is a dashed ring just outside its rectangle, so the
    // pixels of the cell itself stay in view; the mark is a solid double ring just inside its
    // rectangle. The outline goes when the pointer leaves the view.
    void SetOutline(const QRect& cell);
    void SetMark(const QRect& cell);
    QRect Outline() const { return outline_; }
    QRect Mark() const { return mark_; }

  signals:
    void Pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);
    // With mouse tracking on: the pointer moved over the view, or the view moved or changed
    // size under a pointer that rests on it.
    void PointerMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    // A button went up; at in image pixels, as for a press.
    void Released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void RaisePointerMoved(QPointF at);

    const QImage* image_ = nullptr;
    QRect outline_;
    QRect mark_;
    std::optional<QPointF> pointer_; // where the pointer rests on the view, if it does
};
