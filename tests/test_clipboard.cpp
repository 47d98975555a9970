// Trading the selected tile through the system clipboard.

#include "TestSupport.h"

#include "app/frmMain.h"
#include "platform/Application.h"

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString OptionsFile() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/opt.cfg");
}

QClipboard* Clipboard() {
    return QGuiApplication::clipboard();
}

bool ClipboardEmpty() {
    const QMimeData* data = Clipboard()->mimeData();
    return !data || data->formats().isEmpty();
}

QRgb PatternRgb(int x, int y) {
    uint8_t bgr[3];
    PatternPixel(x, y, bgr);
    return qRgb(bgr[2], bgr[1], bgr[0]);
}

// The cell (cx, cy) of a pattern image, as a pick of it should select it.
QImage PatternCell(int cx, int cy) {
    QImage cell(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            cell.setPixel(x, y, PatternRgb(cx + x, cy + y));
    }
    return cell;
}

// Empty when both show the same colours everywhere, else the first place they differ.
QString Difference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y) & 0xFFFFFF;
            const QRgb e = expected.pixel(x, y) & 0xFFFFFF;
            if (a != e)
                return QStringLiteral("at (%1, %2): %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 6, 16, QLatin1Char('0'))
                    .arg(e, 6, 16, QLatin1Char('0'));
        }
    }
    return {};
}

// What the target holds after a stamp of picture into the cell at (cx, cy): the picture's
// own pixels, at most 64 x 64 of them; the rest as before.
QImage Stamped(QImage target, const QImage& picture, int cx, int cy) {
    for (int y = 0; y < qMin(64, picture.height()); ++y) {
        for (int x = 0; x < qMin(64, picture.width()); ++x) {
            if (target.rect().contains(cx + x, cy + y))
                target.setPixel(cx + x, cy + y, picture.pixel(x, y));
        }
    }
    return target;
}

void OpenSource(frmMain& frm, ScriptedUser& user, const QString& path) {
    user.Files.push_back(path);
    QTest::mouseClick(frm.cmdsource, Qt::LeftButton);
    QVERIFY(user.Messages.empty());
}

} // namespace

class TestClipboard : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void copyPastePasteAgain();
    void copyWithoutTileLeavesClipboardEmpty();
    void pastedPictureOfAnyFormat_data();
    void pastedPictureOfAnyFormat();
    void largePictureStampsTopLeftAndCopiesWhole();
    void smallPictureStampsOnlyItsPixels();
    void pasteOfTextLeavesNoTile();
};

void TestClipboard::init() {
    QFile::remove(OptionsFile());
    Clipboard()->clear();
}
void TestClipboard::cleanup() {
    QFile::remove(OptionsFile());
    Clipboard()->clear();
}

void TestClipboard::copyPastePasteAgain() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.tga"));
    QVERIFY(WriteFile(source, PatternTga(256, 256)));

    ScriptedUser user;
    frmMain frm;
    frm.Show();
    OpenSource(frm, user, source);
    QTest::mousePress(frm.pbox1, Qt::LeftButton, {}, QPoint(100, 140)); // cell (64, 128)

    QTest::mouseClick(frm.cmdcopy, Qt::LeftButton);
    const QString copied = Difference(Clipboard()->image(), PatternCell(64, 128));
    QVERIFY2(copied.isEmpty(), qPrintable(copied));

    // A different tile selected, so that the paste visibly brings the copied one back.
    QTest::mousePress(frm.pbox1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(frm.cmdpaste, Qt::LeftButton);
    const QString pasted = Difference(frm.pboxsmall->Picture(), PatternCell(64, 128));
    QVERIFY2(pasted.isEmpty(), qPrintable(pasted));
    QVERIFY(ClipboardEmpty());

    const QImage target = Stamped(frm.pbox2->Image(), PatternCell(64, 128), 64, 0);
    QTest::mousePress(frm.pbox2, Qt::LeftButton, {}, QPoint(70, 10));
    const QString stamped = Difference(frm.pbox2->Image(), target);
    QVERIFY2(stamped.isEmpty(), qPrintable(stamped));

    // The second paste finds nothing: no tile, and a press on the target stamps nothing.
    QTest::mouseClick(frm.cmdpaste, Qt::LeftButton);
    QVERIFY(frm.pboxsmall->Picture().isNull());
    QVERIFY(ClipboardEmpty());
    QTest::mousePress(frm.pbox2, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mousePress(frm.pbox2, Qt::RightButton, {}, QPoint(70, 200));
    const QString unchanged = Difference(frm.pbox2->Image(), target);
    QVERIFY2(unchanged.isEmpty(), qPrintable(unchanged));
}

void TestClipboard::copyWithoutTileLeavesClipboardEmpty() {
    frmMain frm;
    frm.Show();
    Clipboard()->setText(QStringLiteral("left by another program"));
    QTest::mouseClick(frm.cmdcopy, Qt::LeftButton);
    QVERIFY(ClipboardEmpty());
    QVERIFY(Clipboard()->image().isNull());
    QVERIFY(Clipboard()->text().isEmpty());
}

void TestClipboard::pastedPictureOfAnyFormat_data() {
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QImage>("expected"); // the colours as RGB32

    // One colour bit a pixel: a checkerboard of two table colours.
    QImage mono(64, 64, QImage::Format_Mono);
    mono.setColorTable({qRgb(10, 20, 30), qRgb(250, 240, 230)});
    QImage monoColours(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            mono.setPixel(x, y, (x / 4 + y / 8) % 2);
            monoColours.setPixel(x, y,
                                 (x / 4 + y / 8) % 2 ? qRgb(250, 240, 230) : qRgb(10, 20, 30));
        }
    }
    QTest::newRow("one colour") << mono << monoColours;

    QImage indexed(64, 64, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << qRgb(i, 255 - i, (i * 7) & 0xFF);
    indexed.setColorTable(table);
    QImage indexedColours(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const int i = (x * 3 + y * 5) & 0xFF;
            indexed.setPixel(x, y, uint(i));
            indexedColours.setPixel(x, y, qRgb(i, 255 - i, (i * 7) & 0xFF));
        }
    }
    QTest::newRow("256 colours") << indexed << indexedColours;

    const QImage rgb888 = PatternCell(0, 0).convertToFormat(QImage::Format_RGB888);
    QTest::newRow("24 bits") << rgb888 << PatternCell(0, 0);
    const QImage argb = PatternCell(64, 0).convertToFormat(QImage::Format_ARGB32);
    QTest::newRow("opaque 32 bits with alpha") << argb << PatternCell(64, 0);
}

// Pictures from other programs arrive in whatever format they were made in.
void TestClipboard::pastedPictureOfAnyFormat() {
    QFETCH(QImage, picture);
    QFETCH(QImage, expected);

    frmMain frm;
    frm.Show();
    Clipboard()->setImage(picture);
    QTest::mouseClick(frm.cmdpaste, Qt::LeftButton);
    QVERIFY(ClipboardEmpty());
    const QString tile = Difference(frm.pboxsmall->Picture(), expected);
    QVERIFY2(tile.isEmpty(), qPrintable(tile));
    QCOMPARE(frm.pboxsmall->Picture().format(), QImage::Format_RGB32);

    const QImage before = frm.pbox2->Image();
    QTest::mousePress(frm.pbox2, Qt::MiddleButton, Qt::ShiftModifier, QPoint(130, 1100));
    const QString target = Difference(frm.pbox2->Image(), Stamped(before, expected, 128, 1088));
    QVERIFY2(target.isEmpty(), qPrintable(target));
}

void TestClipboard::largePictureStampsTopLeftAndCopiesWhole() {
    QImage large(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x)
            large.setPixel(x, y, PatternRgb(x + 1000, y + 500));
    }

    frmMain frm;
    frm.Show();
    Clipboard()->setImage(large);
    QTest::mouseClick(frm.cmdpaste, Qt::LeftButton);
    QVERIFY(ClipboardEmpty());

    const QImage before = frm.pbox2->Image();
    QTest::mousePress(frm.pbox2, Qt::LeftButton, {}, QPoint(70, 70));
    const QString target = Difference(frm.pbox2->Image(), Stamped(before, large, 64, 64));
    QVERIFY2(target.isEmpty(), qPrintable(target));

    QTest::mouseClick(frm.cmdcopy, Qt::LeftButton);
    const QString copied = Difference(Clipboard()->image(), large);
    QVERIFY2(copied.isEmpty(), qPrintable(copied));
}

// The part of the 64 x 64 cell that a smaller picture doesn't cover keeps what was there.
void TestClipboard::smallPictureStampsOnlyItsPixels() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.tga"));
    QVERIFY(WriteFile(source, PatternTga(64, 64)));

    ScriptedUser user;
    frmMain frm;
    frm.Show();
    OpenSource(frm, user, source);
    QTest::mousePress(frm.pbox1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(frm.pbox2, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage before = frm.pbox2->Image();

    QImage small(20, 30, QImage::Format_RGB32);
    small.fill(qRgb(200, 10, 90));
    Clipboard()->setImage(small);
    QTest::mouseClick(frm.cmdpaste, Qt::LeftButton);
    QTest::mousePress(frm.pbox2, Qt::LeftButton, {}, QPoint(40, 40));
    const QString target = Difference(frm.pbox2->Image(), Stamped(before, small, 0, 0));
    QVERIFY2(target.isEmpty(), qPrintable(target));
}

void TestClipboard::pasteOfTextLeavesNoTile() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.tga"));
    QVERIFY(WriteFile(source, PatternTga(64, 64)));

    ScriptedUser user;
    frmMain frm;
    frm.Show();
    OpenSource(frm, user, source);
    QTest::mousePress(frm.pbox1, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!frm.pboxsmall->Picture().isNull());

    Clipboard()->setText(QStringLiteral("just words"));
    QTest::mouseClick(frm.cmdpaste, Qt::LeftButton);
    QVERIFY(frm.pboxsmall->Picture().isNull());
    QVERIFY(ClipboardEmpty());
    QVERIFY(Clipboard()->text().isEmpty());

    const QImage before = frm.pbox2->Image();
    QTest::mousePress(frm.pbox2, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(Difference(frm.pbox2->Image(), before).isEmpty());
}

PATCHERY_WIDGET_TEST(TestClipboard)
#include "test_clipboard.moc"
