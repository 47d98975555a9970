// A viewing area's arithmetic, at the zooms of the steps and between them, in the window's own
// area and in larger ones: the bars reach the image's last pixel, a cell scrolled to comes into
// sight, a zoom keeps the pixel under its anchor, the wheel scrolls.

#include "TestSupport.h"

#include "Application.h"
#include "ImagePane.h"
#include "ImageView.h"
#include "ScrollBar.h"

#include <QLabel>
#include <QPaintEvent>
#include <QWheelEvent>
#include <QtTest>

namespace {
struct Pane {
    QWidget parent;
    QImage image = PatternImage(QSize(512, 1024));
    ImageView* view = new ImageView(&parent);
    ImagePane pane{view, new ScrollBar(Qt::Horizontal, &parent),
                   new ScrollBar(Qt::Vertical, &parent), nullptr};
    Pane(const QRect& area, double zoom) {
        parent.resize(2000, 2000);
        view->Display(&image);
        pane.SetArea(area);
        view->setGeometry(area);
        pane.Zoom(zoom, QPointF());
        pane.FitBars();
    }
    // The image pixel shown at a point of the area.
    QPoint ShownAt(QPoint inArea) const {
        const QPointF onView = QPointF(inArea + pane.Area().topLeft() - view->pos());
        return {int(std::floor(onView.x() / view->Zoom())),
                int(std::floor(onView.y() / view->Zoom()))};
    }
    // The screen rectangle, in the parent, that shows an image rectangle.
    QRect Shown(const QRect& pixels) const {
        return view->OnScreen(pixels).translated(view->pos());
    }
};
} // namespace

class TestPane : public QObject {
    Q_OBJECT
  private slots:
    void arithmetic_data();
    void arithmetic();
    void wheel();
    void previewSampledAsTheImage();
    void readoutFollowsKeyCursor();
    void changesRepaintWhatShows();
};

void TestPane::arithmetic_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<double>("zoom");
    for (const double zoom : {0.25, 0.37, 0.5, 1.0, 1.5, 4.0}) {
        QTest::addRow("window's area, %g", zoom) << QRect(450, 20, 256, 477) << zoom;
        QTest::addRow("grown area, %g", zoom) << QRect(800, 20, 901, 1003) << zoom;
    }
}

void TestPane::arithmetic() {
    QFETCH(QRect, area);
    QFETCH(double, zoom);
    Pane p(area, zoom);
    ScrollBar* across = p.pane.HorizontalBar();
    ScrollBar* down = p.pane.VerticalBar();
    QCOMPARE(down->geometry(), QRect(area.right() + 1, area.top(), 15, area.height()));
    QCOMPARE(across->geometry(), QRect(area.left(), area.bottom() + 1, area.width(), 15));
    QCOMPARE(across->isEnabled(), 512 * zoom > area.width());
    QCOMPARE(down->isEnabled(), 1024 * zoom > area.height());

    // At the bars' ends the last pixel shows whole, at the end of the area.
    across->setValue(std::max<int16_t>(0, across->Max()));
    down->setValue(std::max<int16_t>(0, down->Max()));
    const QRect last = p.Shown(QRect(511, 1023, 1, 1));
    const int pixel = int(std::ceil(zoom));
    if (across->isEnabled())
        QVERIFY(last.right() <= area.right() && last.right() > area.right() - pixel);
    if (down->isEnabled())
        QVERIFY(last.bottom() <= area.bottom() && last.bottom() > area.bottom() - pixel);

    // A cell far from sight comes into it whole, where the area can hold it.
    across->setValue(0);
    down->setValue(0);
    const QRect cell(448, 960, 64, 64);
    p.pane.ScrollIntoSight(cell);
    QVERIFY(area.contains(p.Shown(cell)));
    p.pane.ScrollIntoSight(QRect(0, 0, 64, 64));
    QVERIFY(area.contains(p.Shown(QRect(0, 0, 64, 64))));

    // A zoom about a point keeps the pixel under it.
    const QRect middle(256, 512, 64, 64);
    p.pane.ScrollIntoSight(middle);
    const QPoint anchor = p.Shown(middle).topLeft() - area.topLeft();
    // Reduced, the cell's first screen pixel shows one of its pixels, not always its first.
    const QPoint before = p.ShownAt(anchor);
    QCOMPARE(before / 64 * 64, middle.topLeft());
    for (const double to : {8.0, 4.0}) {
        p.pane.Zoom(to, anchor);
        QCOMPARE(p.ShownAt(anchor), before);
    }
}

void TestPane::wheel() {
    Pane p(QRect(0, 20, 256, 477), 1.0);
    const auto turn = [&](QPointF at, Qt::KeyboardModifiers modifiers) {
        const QWheelEvent event(at, at, QPoint(), QPoint(0, -120), Qt::NoButton, modifiers,
                                Qt::NoScrollPhase, false);
        return p.pane.Wheel(event, at);
    };
    QVERIFY(!turn(QPointF(300, 100), Qt::NoModifier)); // beside the area: not its turn
    QVERIFY(turn(QPointF(100, 100), Qt::NoModifier));
    QCOMPARE(p.pane.VerticalBar()->Value(), 48);
    QVERIFY(turn(QPointF(100, 100), Qt::ShiftModifier));
    QCOMPARE(p.pane.HorizontalBar()->Value(), 48);
    QSignalSpy zoomed(&p.pane, &ImagePane::ZoomTurned);
    QVERIFY(turn(QPointF(100, 100), Qt::ControlModifier));
    QCOMPARE(zoomed.size(), 1);
    QCOMPARE(zoomed[0][0].toInt(), -1);
    QCOMPARE(zoomed[0][1].toPointF(), QPointF(100, 80));
    QCOMPARE(p.pane.VerticalBar()->Value(), 48); // a zoom turn scrolls nothing
}

// At every zoom each screen pixel of the preview shows, shaded, the picture's pixel under it by
// the rule the image's own pixels follow; the image shows around it.
void TestPane::previewSampledAsTheImage() {
    for (const double zoom : {0.37, 1.0, 1.5, 4.0}) {
        Pane p(QRect(0, 20, 256, 477), zoom);
        const QImage picture = PatternImage(QSize(64, 40), QPoint(700, 900));
        const QRect area(64, 128, 64, 40);
        p.view->SetPreview(&picture, area);
        const QImage shown = p.view->grab().toImage();
        const QRect around = p.view->OnScreen(area.adjusted(-2, -2, 2, 2));
        for (int i = 0; i < around.width() * around.height(); ++i) {
            const QPoint at = around.topLeft() + QPoint(i % around.width(), i / around.width());
            const QPoint pixel(int(std::floor(at.x() / zoom)), int(std::floor(at.y() / zoom)));
            const QRgb seen = RgbAt(shown, at);
            QVERIFY2(
                area.contains(pixel) ? ShadedAs(seen, RgbAt(picture, pixel - area.topLeft()))
                                     : seen == RgbAt(p.image, pixel),
                qPrintable(QStringLiteral("zoom %1, at %2, %3").arg(zoom).arg(at.x()).arg(at.y())));
        }
    }
}

// The cell and pixel readout tells where the arrow keys take the keyboard cursor.
void TestPane::readoutFollowsKeyCursor() {
    Pane p(QRect(0, 20, 256, 477), 1.0);
    auto* readout = p.parent.findChild<QLabel*>();
    QTest::keyClick(p.view, Qt::Key_Right);
    QTest::keyClick(p.view, Qt::Key_Down);
    QVERIFY(readout->isVisibleTo(&p.parent));
    QCOMPARE(readout->text().trimmed(), QStringLiteral("Column 1, row 1 \u00B7 pixel 64, 64"));
}

namespace {
// Every region the watched widget was asked to paint.
struct PaintRecorder : QObject {
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};
} // namespace

// A change of the image repaints what of it shows: not what lies beyond the viewing area, under
// the pane's neighbours, nor what the preview hides.
void TestPane::changesRepaintWhatShows() {
    Pane p(QRect(0, 20, 256, 477), 4.0);
    p.parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.parent));
    PaintRecorder recorder;
    p.view->installEventFilter(&recorder);
    const auto painted = [&](const QRect& change) {
        QCoreApplication::processEvents();
        recorder.Painted = QRegion();
        p.view->ShowChange(change);
        QCoreApplication::processEvents();
        return recorder.Painted;
    };
    const QRect seen = p.pane.Area().translated(-p.view->pos());
    QCOMPARE(painted(QRect(0, 0, 128, 8)), QRegion(p.view->OnScreen(QRect(0, 0, 128, 8)) & seen));
    QCOMPARE(painted(QRect(100, 0, 8, 8)), QRegion()); // beyond the area's right edge

    const QImage picture = PatternImage(QSize(64, 64), QPoint(700, 900));
    p.view->SetPreview(&picture, QRect(0, 0, 32, 32));
    QCOMPARE(painted(QRect(8, 8, 16, 16)), QRegion());
    QCOMPARE(painted(QRect(0, 0, 48, 8)), QRegion(p.view->OnScreen(QRect(32, 0, 16, 8))));
}

PATCHERY_WIDGET_TEST(TestPane)
#include "test_pane.moc"
