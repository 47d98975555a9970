// Presses at a fractional screen scale, where a device pixel is two thirds of a pixel.

#include "TestSupport.h"

#include "Application.h"
#include "MainWindow.h"

#include <QtTest>

#include <cmath>

namespace {
// Read as the application starts, so set before main.
const bool scaled = qputenv("QT_SCALE_FACTOR", "1.5");
} // namespace

class TestFractionalScale : public QObject {
    Q_OBJECT
  private slots:
    void pressOnStraddlingDevicePixel();
};

// Scrolled by one pixel, the border between the source's first two cells falls inside a
// device pixel: a press there picks the cell under the pixel's centre, the one it shows.
void TestFractionalScale::pressOnStraddlingDevicePixel() {
    QVERIFY(scaled);
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(512, 256)));
    QCOMPARE(frm.devicePixelRatioF(), 1.5);
    frm.sourceHorizontalBar->setValue(1);
    const int border = frm.sourceView->mapTo(&frm, QPoint(64, 0)).x(); // in the window
    QCOMPARE(border % 2, 1); // at device column 1.5 x border
    const qreal straddling = std::floor(1.5 * border);
    for (const auto& [device, cell] : {std::pair(straddling, 64), std::pair(straddling - 1, 0)}) {
        const QPointF at(device / 1.5, 40);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            qt_handleMouseEvent(frm.windowHandle(), at, frm.mapToGlobal(at),
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::LeftButton, type, {}, 0);
        VERIFY_NO_MISMATCH(
            ImageDifference(frm.Tile(), PatternImage(QSize(64, 64), QPoint(cell, 0))));
    }
}

PATCHERY_WIDGET_TEST(TestFractionalScale)
#include "test_fractional_scale.moc"
