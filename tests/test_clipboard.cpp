// Trading the selected tile through the system clipboard.

#include "TestSupport.h"

#include "Application.h"
#include "MainWindow.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

namespace {

QClipboard* Clipboard() {
    return QGuiApplication::clipboard();
}

bool ClipboardEmpty() {
    const QMimeData* data = Clipboard()->mimeData();
    return !data || data->formats().isEmpty();
}

// The cell (cx, cy) of a pattern image, as a pick of it should select it.
QImage PatternCell(int cx, int cy) {
    return PatternImage(QSize(64, 64), QPoint(cx, cy));
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
    void pastedBombAsksFirst();
    void pasteAsBlockKeepsTheClipboard();
};

void TestClipboard::init() {
    RemoveOptionsFile();
    Clipboard()->clear();
}
void TestClipboard::cleanup() {
    RemoveOptionsFile();
    Clipboard()->clear();
}

void TestClipboard::copyPastePasteAgain() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(256, 256)));
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(100, 140)); // cell (64, 128)

    QTest::mouseClick(frm.copyButton, Qt::LeftButton);
    VERIFY_NO_MISMATCH(ImageDifference(Clipboard()->image(), PatternCell(64, 128)));

    // A different tile selected, so that the paste visibly brings the copied one back.
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    VERIFY_NO_MISMATCH(ImageDifference(frm.Tile(), PatternCell(64, 128)));
    QVERIFY(ClipboardEmpty());

    const QImage target = Stamped(frm.Sheet().Image(), PatternCell(64, 128), 64, 0);
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(70, 10));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), target));

    // The second paste finds nothing: no tile, and a press on the target stamps nothing.
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QVERIFY(frm.Tile().isNull());
    QVERIFY(ClipboardEmpty());
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mousePress(frm.targetView, Qt::RightButton, {}, QPoint(70, 200));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), target));
}

void TestClipboard::copyWithoutTileLeavesClipboardEmpty() {
    MainWindow frm;
    frm.Show();
    Clipboard()->setText(QStringLiteral("left by another program"));
    QTest::mouseClick(frm.copyButton, Qt::LeftButton);
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

    MainWindow frm;
    frm.Show();
    Clipboard()->setImage(picture);
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QVERIFY(ClipboardEmpty());
    VERIFY_NO_MISMATCH(ImageDifference(frm.Tile(), expected));
    QCOMPARE(frm.Tile().format(), QImage::Format_RGB32);

    const QImage before = frm.Sheet().Image();
    QTest::mousePress(frm.targetView, Qt::MiddleButton, Qt::MetaModifier, QPoint(130, 1100));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), Stamped(before, expected, 128, 1088)));
}

void TestClipboard::largePictureStampsTopLeftAndCopiesWhole() {
    const QImage large = PatternImage(QSize(128, 128), QPoint(1000, 500));

    MainWindow frm;
    frm.Show();
    Clipboard()->setImage(large);
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QVERIFY(ClipboardEmpty());

    const QImage before = frm.Sheet().Image();
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(70, 70));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), Stamped(before, large, 64, 64)));

    QTest::mouseClick(frm.copyButton, Qt::LeftButton);
    VERIFY_NO_MISMATCH(ImageDifference(Clipboard()->image(), large));
}

// The part of the 64 x 64 cell that a smaller picture doesn't cover keeps what was there.
void TestClipboard::smallPictureStampsOnlyItsPixels() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(64, 64)));
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage before = frm.Sheet().Image();

    QImage small(20, 30, QImage::Format_RGB32);
    small.fill(qRgb(200, 10, 90));
    Clipboard()->setImage(small);
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(40, 40));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), Stamped(before, small, 0, 0)));
}

void TestClipboard::pasteOfTextLeavesNoTile() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(64, 64)));
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!frm.Tile().isNull());

    Clipboard()->setText(QStringLiteral("just words"));
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QVERIFY(frm.Tile().isNull());
    QVERIFY(ClipboardEmpty());
    QVERIFY(Clipboard()->text().isEmpty());

    const QImage before = frm.Sheet().Image();
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(5, 5));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), before));
}

// Another program's picture arrives encoded: one needing more than 256 MB asks before it is
// decoded, and No (the default) leaves the tile and the clipboard; a small one pastes.
void TestClipboard::pastedBombAsksFirst() {
    TestFolder dir;
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, dir.Put(QStringLiteral("source.tga"), PatternTga(64, 64)));
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage tile = frm.Tile();
    QVERIFY(!tile.isNull());

    auto* bomb = new QMimeData;
    bomb->setData(QStringLiteral("image/jpeg"), JpegDeclaring({32767, 32767}));
    Clipboard()->setMimeData(bomb);
    const qint64 before = DataBytes();
    qint64 atQuestion = -1;
    user.Seen = [&](const MessageCall&) { atQuestion = DataBytes(); };
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QCOMPARE(user.MessageTexts(),
             QStringList{QStringLiteral("The image's 32767 \u00d7 32767 pixels "
                                        "need 3.0 GB of memory. Paste it "
                                        "anyway?")});
    QCOMPARE(user.Messages[0].Buttons, MessageButtons::YesNoDefaultNo);
    QVERIFY2(atQuestion - before < 64 << 20, qPrintable(QString::number(atQuestion - before)));
    QVERIFY(frm.Tile() == tile);
    QVERIFY(!ClipboardEmpty());

    // Yes, then Cancel as the decoding begins: the same. (Qt's JPEG reader reads on to the
    // end whatever its file does; the XBM one stops.)
    auto* xbm = new QMimeData;
    xbm->setData(QStringLiteral("image/x-xbitmap"), XbmDeclaring({32767, 32767}));
    Clipboard()->setMimeData(xbm);
    user.Answers = {MessageAnswer::Yes};
    user.Seen = [&frm](const MessageCall&) {
        auto* progress = frm.findChild<QProgressDialog*>();
        QVERIFY(progress);
        progress->findChild<QPushButton*>()->click();
    };
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    QCOMPARE(user.Messages.size(), size_t(2));
    QVERIFY(frm.Tile() == tile);
    QVERIFY(!ClipboardEmpty());

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    PatternCell(64, 0).save(&buffer, "png");
    auto* picture = new QMimeData;
    picture->setData(QStringLiteral("image/png"), png);
    Clipboard()->setMimeData(picture);
    QTest::mouseClick(frm.pasteButton, Qt::LeftButton);
    VERIFY_NO_MISMATCH(ImageDifference(frm.Tile(), PatternCell(64, 0)));
    QVERIFY(ClipboardEmpty());
    QCOMPARE(user.Messages.size(), size_t(2)); // no question for the small one
}

// The whole picture, in whole cells with blank beyond a partial edge, stamped as one block; the
// clipboard keeps it. A picture too large asks as any paste; no picture keeps the tile.
void TestClipboard::pasteAsBlockKeepsTheClipboard() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QImage picture = PatternImage(QSize(130, 70), QPoint(300, 40));
    Clipboard()->setImage(picture);
    frm.pasteBlockAction->trigger();
    QCOMPARE(frm.TileCells(), QSize(3, 2));
    VERIFY_NO_MISMATCH(ImageDifference(Clipboard()->image(), picture));

    QImage expected = frm.Sheet().Image();
    QPainter painter(&expected);
    painter.fillRect(QRect(64, 64, 192, 128), TargetSheet::Blank());
    painter.drawImage(QPoint(64, 64), picture);
    painter.end();
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(70, 70));
    VERIFY_NO_MISMATCH(ImageDifference(frm.Sheet().Image(), expected));

    auto* bomb = new QMimeData;
    bomb->setData(QStringLiteral("image/jpeg"), JpegDeclaring({32767, 32767}));
    Clipboard()->setMimeData(bomb);
    frm.pasteBlockAction->trigger();
    QCOMPARE(user.MessageTexts(),
             QStringList{QStringLiteral("The image's 32767 \u00d7 32767 pixels "
                                        "need 3.0 GB of memory. Paste it anyway?")});
    Clipboard()->setText(QStringLiteral("just words"));
    frm.pasteBlockAction->trigger();
    QCOMPARE(frm.TileCells(), QSize(3, 2));
    QCOMPARE(Clipboard()->text(), QStringLiteral("just words"));
}

PATCHERY_WIDGET_TEST(TestClipboard)
#include "test_clipboard.moc"
