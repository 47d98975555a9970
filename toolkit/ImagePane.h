#pragma once
// A viewing area: an image view seen through a rectangle of its parent, with a bar along the
// area's right edge and one along its bottom. The bars count image pixels, so the view stands at
// the area's corner minus the bars' values times its zoom; controls above the view in stacking
// order hide what lies outside the area. The pane ranges the bars to the image as the view shows
// it, places the view where they say, scrolls a cell into sight, keeps an image pixel in place
// through a zoom and takes the wheel over its area.

#include <QObject>
#include <QRect>

class ImageView;
class QWheelEvent;
class ScrollBar;

class ImagePane : public QObject {
    Q_OBJECT
  public:
    // The view and the bars share one parent, in whose coordinates the area lies.
    ImagePane(ImageView* view, ScrollBar* horizontal, ScrollBar* vertical, QObject* parent);

    ImageView* View() const { return view_; }
    ScrollBar* HorizontalBar() const { return horizontal_; }
    ScrollBar* VerticalBar() const { return vertical_; }
    static constexpr int BarThickness = 15;

    // Where the view is seen; the bars are put beside it.
    void SetArea(const QRect& area);
    QRect Area() const { return area_; }
    // The area changed size: the bars are ranged again and the view placed where they say; a
    // view without an image fills the area.
    void Resize(const QRect& area);
    // A view with controls below it in stacking order on its right must not reach past the
    // area's right edge: it then grows to the left as it scrolls.
    void KeepWithinRightEdge(bool kept) { keepWithinRight_ = kept; }
    QSize ImageSize() const; // empty before an image

    // Each bar is on exactly when the image, as the view shows it, exceeds the area that way;
    // at its maximum the image's last pixel shows whole at the end of the area.
    void FitBars();
    // The view follows its bars.
    void PlaceHorizontally();
    void PlaceVertically();
    // The bars move as little as brings the cell (image pixels) into the area; its top-left
    // part when it is larger than the area.
    void ScrollIntoSight(const QRect& cell);
    // The largest zoom at most `wanted` that keeps the zoomed image within the window
    // system's 16-bit coordinates, halving from `wanted` but never below `smallest`.
    double Allowed(double wanted, double smallest) const;
    // The view takes the zoom; the image pixel under the anchor (area pixels from its top-left
    // corner) stays under it. Before an image the view keeps its place.
    void Zoom(double zoom, QPointF anchor);
    // The wheel at a point of the parent: false where the point lies outside the area. It
    // moves the bars, sideways with Shift; with Ctrl it is told on as whole notches.
    bool Wheel(const QWheelEvent& event, QPointF at);

  signals:
    void ZoomTurned(int notches, QPointF anchor); // anchor: area pixels

  private:
    ImageView* view_;
    ScrollBar* horizontal_;
    ScrollBar* vertical_;
    QRect area_;
    bool keepWithinRight_ = false;
    int zoomWheelRest_ = 0; // a Ctrl+wheel turn short of a notch
};
