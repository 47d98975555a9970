// Layouts in the window: Save Layout As writes the layout and its sheet, a source changed on
// disk (by a rename, as editors save) stamps its cells again once as one undo step and shows in
// the source view, the layout opens again as the target with its links, and Save Target asks
// before replacing a sheet that another program changed; New Sheet starts a blank one beside the
// sources.

#include "TestSupport.h"

#include "Application.h"
#include "MainWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

#include <cstdio>

class TestLayouts : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { RemoveOptionsFile(); }
    void liveSourcesAndLayout();
};

void TestLayouts::liveSourcesAndLayout() {
    TestFolder dir;
    const QString source = dir.Put(QStringLiteral("a.tga"), PatternTga(128, 128));
    const QString layout = dir.filePath(QStringLiteral("wall.patchery"));
    const QString sheet = dir.filePath(QStringLiteral("wall.tga"));
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    OpenSource(frm, user, source);
    QTest::mousePress(frm.sourceView, Qt::LeftButton, {}, QPoint(70, 10)); // cell 1, 0
    QTest::mousePress(frm.targetView, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(frm.targetView, Qt::LeftButton, {}, QPoint(10, 10));
    const QImage stamped = frm.Sheet().Image().copy(0, 0, 64, 64);
    QCOMPARE(RgbAt(stamped, {0, 0}), PatternRgb(64, 0));

    user.Files.push_back(layout);
    frm.saveLayoutAsAction->trigger();
    QCOMPARE(user.Dialogs.back().Title, QStringLiteral("Save layout..."));
    QVERIFY2(ReadFile(layout).contains("{ \"at\": [0, 0], \"from\": \"a\", \"cell\": [1, 0] }"),
             ReadFile(layout).constData());
    QCOMPARE(frm.targetButton->text(), QStringLiteral("wall.tga - 256x2048"));
    QVERIFY(!frm.Sheet().Unsaved());
    const QByteArray saved = ReadFile(sheet);

    // The artist's editor writes a new a.tga beside the old one and renames it over it.
    const size_t steps = frm.History().UndoSteps();
    QByteArray flipped = PatternTga(128, 128);
    std::reverse(flipped.begin() + 18, flipped.end());
    QVERIFY(WriteFile(source + QStringLiteral(".new"), flipped));
    QVERIFY(std::rename(qPrintable(source + QStringLiteral(".new")), qPrintable(source)) == 0);
    QTRY_VERIFY(frm.Sheet().Image().copy(0, 0, 64, 64) != stamped);
    QTest::qWait(800); // a second report would come within this
    QCOMPARE(frm.History().UndoSteps(), steps + 1);
    // The file is watched once for both uses: the source view shows what the cell now holds.
    QVERIFY(frm.Source().copy(64, 0, 64, 64) == frm.Sheet().Image().copy(0, 0, 64, 64));
    QVERIFY(frm.noteLabel->isVisible() && frm.noteLabel->text().contains(QStringLiteral("a.tga")));
    frm.Undo();
    QVERIFY(frm.Sheet().Image().copy(0, 0, 64, 64) == stamped);
    QVERIFY(!frm.Sheet().Unsaved());
    frm.Redo();
    const QImage updated = frm.Sheet().Image();

    // Another program writes the sheet: Save Target asks, and No leaves its file alone.
    QVERIFY(WriteFile(sheet, saved + "changed"));
    user.Answers.push_back(MessageAnswer::No);
    frm.saveTargetAction->trigger();
    QVERIFY(!user.Messages.empty());
    QCOMPARE(user.Messages.back().Text,
             QStringLiteral("wall.tga has changed on disk since it was opened. Replace it?"));
    QCOMPARE(user.Messages.back().Buttons, MessageButtons::YesNoDefaultNo);
    QCOMPARE(ReadFile(sheet), saved + "changed");
    user.Answers.push_back(MessageAnswer::Yes);
    frm.saveTargetAction->trigger();
    QVERIFY(!frm.Sheet().Unsaved());

    // Opened again as the target: the same pixels, and its cells still follow the source,
    // which opens beside the one shown, once, however often it is opened.
    MainWindow again;
    again.Show();
    const QString other = dir.Put(QStringLiteral("b.tga"), PatternTga(64, 64));
    again.OpenSourceFile(other);
    again.OpenTargetFile(layout);
    again.OpenTargetFile(layout);
    VERIFY_NO_MISMATCH(ImageDifference(again.Sheet().Image(), updated));
    QCOMPARE(again.targetButton->text(), QStringLiteral("wall.tga - 256x2048"));
    QVERIFY(!again.Sheet().Unsaved());
    QCOMPARE(again.Sources().Files(),
             (QList<QByteArray>{QFile::encodeName(other), QFile::encodeName(source)}));
    QCOMPARE(again.sourceButton->text(), QStringLiteral("b.tga - 64x64"));
    again.ShowNextSource();
    QVERIFY(again.Source() == frm.Source());
    QVERIFY(WriteFile(source, PatternTga(128, 128)));
    QTRY_VERIFY(again.Sheet().Image().copy(0, 0, 64, 64) == stamped);

    // New Sheet: blank and untitled, the source, the tile and the zoom kept; its (no) links are
    // followed: a change to the source reaches the layout's sheet, not the new one.
    frm.ZoomView(frm.targetView, 2.0, {});
    frm.newSheetAction->trigger();
    QCOMPARE(frm.targetButton->text(), QStringLiteral("Untitled - 256x2048"));
    QImage blank(256, 2048, QImage::Format_RGB32);
    blank.fill(TargetSheet::BlankRgb);
    QVERIFY(frm.Sheet().Image() == blank);
    QVERIFY(!frm.Tile().isNull());
    QCOMPARE(frm.Sources().Count(), 1);
    QCOMPARE(frm.targetView->Zoom(), 2.0);
    QVERIFY(WriteFile(source, flipped));
    QTRY_VERIFY(again.Sheet().Image().copy(0, 0, 64, 64) != stamped);
    QTest::qWait(300);
    QVERIFY(frm.Sheet().Image() == blank);
    // Untitled: Save Target asks where.
    const QString fresh = dir.filePath(QStringLiteral("fresh.tga"));
    user.Files.push_back(fresh);
    frm.saveTargetAction->trigger();
    QCOMPARE(user.Dialogs.back().Title, QStringLiteral("Save tga..."));
    QVERIFY(QFileInfo::exists(fresh));
    frm.Undo(); // the save changed nothing to undo: the new sheet goes
    QCOMPARE(frm.targetButton->text(), QStringLiteral("wall.tga - 256x2048"));
}

PATCHERY_WIDGET_TEST(TestLayouts)
#include "test_layouts.moc"
