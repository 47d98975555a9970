// Several sources open at once in the real window: which one a pick takes its pixels and its
// file from after each kind of switch, the place each keeps, one file opened twice, Close
// Source, a restore of the sources after a crash, and the filter each open dialog starts on.

#include "TestSupport.h"

#include "Application.h"
#include "MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <cstdio>

namespace {
// The top-left pixel of each source's pattern differs from every other's.
QString PutPattern(const TestFolder& dir, const QString& name, QSize size, QPoint offset) {
    const QString path = dir.filePath(name);
    if (!PatternImage(size, offset).save(path, "PNG"))
        return {};
    return path;
}

QImage CellOf(const QString& path, QPoint cell) {
    return QImage(path)
        .convertToFormat(QImage::Format_RGB32)
        .copy(cell.x() * 64, cell.y() * 64, 64, 64);
}

// Presses the source view on the image pixel at.
void PickAt(MainWindow& frm, QPoint at) {
    const double zoom = frm.sourceView->Zoom();
    QTest::mouseClick(frm.sourceView, Qt::LeftButton, {},
                      QPoint(int(at.x() * zoom) + 1, int(at.y() * zoom) + 1));
}

void StampAt(MainWindow& frm, QPoint at) {
    QTest::mouseClick(frm.targetView, Qt::LeftButton, {}, at);
}

QStringList Listed(const MainWindow& frm) {
    QStringList names;
    for (int i = 0; i < frm.sourceList->count(); ++i)
        names << frm.sourceList->item(i)->text();
    return names;
}
} // namespace

class TestSources : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init();
    void eachSwitchPicksFromTheShownSource();
    void eachSourceKeepsItsPlace();
    void aFileOpenAgainIsShownNotCopied();
    void closeShowsTheNextUntilNoneIsLeft();
    void restoreReopensTheSourcesInOrder();
    void eachDialogStartsOnItsLastFilter();
    void aChangedFileReloadsInPlace();

  private:
    std::unique_ptr<TestFolder> dir_;
};

void TestSources::init() {
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") +
                  QStringLiteral("/Patchery/Patchery.conf"));
    dir_ = std::make_unique<TestFolder>();
}

// Keys, a click on the list and a reopen each show a source; the next pick takes that one's
// cell and records that one's file.
void TestSources::eachSwitchPicksFromTheShownSource() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowActive(&frm));
    const QStringList files{PutPattern(*dir_, QStringLiteral("a.png"), {256, 256}, {0, 0}),
                            PutPattern(*dir_, QStringLiteral("b.png"), {256, 256}, {300, 0}),
                            PutPattern(*dir_, QStringLiteral("c.png"), {256, 256}, {600, 0})};
    for (const QString& file : files)
        OpenSource(frm, user, file);
    QCOMPARE(Listed(frm), (QStringList{QStringLiteral("a.png"), QStringLiteral("b.png"),
                                       QStringLiteral("c.png")}));

    const std::function<void()> switches[] = {
        [&] { QTest::keyClick(&frm, Qt::Key_PageUp, Qt::ControlModifier); },   // b
        [&] { QTest::keyClick(&frm, Qt::Key_PageUp, Qt::ControlModifier); },   // a
        [&] { QTest::keyClick(&frm, Qt::Key_PageUp, Qt::ControlModifier); },   // round to c
        [&] { QTest::keyClick(&frm, Qt::Key_PageDown, Qt::ControlModifier); }, // round to a
        [&] { QTest::keyClick(&frm, Qt::Key_2, Qt::ControlModifier); },        // b
        [&] {
            QListWidget* list = frm.sourceList;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(2)).center());
        },                                                              // c
        [&] { QTest::keyClick(&frm, Qt::Key_9, Qt::ControlModifier); }, // no ninth: stays c
        [&] { OpenSource(frm, user, files[0]); },                       // a
    };
    const int shown[] = {1, 0, 2, 0, 1, 2, 2, 0};
    for (size_t i = 0; i < std::size(switches); ++i) {
        switches[i]();
        const int index = shown[i];
        const QString name = QFileInfo(files[index]).fileName();
        QCOMPARE(frm.Sources().ShownIndex(), index);
        QCOMPARE(frm.sourceList->currentRow(), index);
        QCOMPARE(frm.sourceButton->text(), name + QStringLiteral(" - 256x256"));
        PickAt(frm, {70, 130}); // cell 1, 2
        QVERIFY2(frm.Tile() == CellOf(files[index], {1, 2}), qPrintable(name));
        const CellOrigin origin = CellOrigin::OfSource(QFile::encodeName(files[index]), {1, 2});
        StampAt(frm, {1, 1});
        QCOMPARE(frm.Sheet().Origins().At({0, 0}), origin);
    }
    QCOMPARE(user.MessageTexts(), QStringList());
}

// Bars, zoom, pick frame and keyboard cursor come back as they were when it was last shown.
void TestSources::eachSourceKeepsItsPlace() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowActive(&frm));
    const QString a = PutPattern(*dir_, QStringLiteral("a.png"), {512, 1024}, {0, 0});
    const QString b = PutPattern(*dir_, QStringLiteral("b.png"), {1024, 512}, {0, 2000});
    OpenSource(frm, user, a);
    frm.ZoomView(frm.sourceView, 2.0, QPointF());
    frm.sourceHorizontalBar->setValue(200);
    frm.sourceVerticalBar->setValue(300);
    PickAt(frm, {260, 330});
    frm.sourceView->SetKeyCursor(QRect(256, 384, 64, 64));
    const QRect geometry = frm.sourceView->geometry();
    const QImage seen = frm.sourceView->Rendered(); // the outline may follow the pointer

    OpenSource(frm, user, b);
    QCOMPARE(frm.sourceView->Mark(), QRect()); // the pick was from the other one
    frm.ZoomView(frm.sourceView, 0.5, QPointF());
    frm.sourceHorizontalBar->setValue(40);
    PickAt(frm, {500, 10});
    QCOMPARE(frm.sourceView->Mark(), QRect(448, 0, 64, 64));

    QTest::keyClick(&frm, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(frm.sourceView->Zoom(), 2.0);
    QCOMPARE(frm.sourceHorizontalBar->Value(), int16_t(200));
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(300));
    QCOMPARE(frm.sourceHorizontalBar->Max(), int16_t(512 - 128));
    QCOMPARE(frm.sourceView->geometry(), geometry);
    QCOMPARE(frm.sourceView->Mark(), QRect(256, 320, 64, 64));
    QCOMPARE(frm.sourceView->KeyCursor(), QRect(256, 384, 64, 64));
    VERIFY_NO_MISMATCH(ImageDifference(frm.sourceView->Rendered(), seen));

    QTest::keyClick(&frm, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(frm.sourceView->Zoom(), 0.5);
    QCOMPARE(frm.sourceHorizontalBar->Value(), int16_t(40));
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(0));
    QVERIFY(!frm.sourceVerticalBar->isEnabled()); // 256 high at 50 %
    QCOMPARE(frm.sourceView->Mark(), QRect(448, 0, 64, 64));
}

// By its name, through a symbolic link or a hard link: one file is one source.
void TestSources::aFileOpenAgainIsShownNotCopied() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QString a = PutPattern(*dir_, QStringLiteral("a.png"), {128, 128}, {0, 0});
    const QString b = PutPattern(*dir_, QStringLiteral("b.png"), {128, 128}, {500, 0});
    const QString link = dir_->filePath(QStringLiteral("link.png"));
    const QString hard = dir_->filePath(QStringLiteral("hard.png"));
    QVERIFY(QFile::link(a, link));
    QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(hard).constData()), 0);
    OpenSource(frm, user, a);
    OpenSource(frm, user, b);
    for (const QString& again : {a, link, hard}) {
        OpenSource(frm, user, again);
        QCOMPARE(frm.Sources().Count(), 2);
        QCOMPARE(frm.Sources().ShownIndex(), 0);
        QTest::keyClick(&frm, Qt::Key_2, Qt::ControlModifier);
    }
    frm.OpenSourceFiles({QFile::encodeName(b), QFile::encodeName(a), QFile::encodeName(b)});
    QCOMPARE(frm.Sources().Files(),
             (QList<QByteArray>{QFile::encodeName(a), QFile::encodeName(b)}));
    QCOMPARE(frm.Sources().ShownIndex(), 1);
}

// The next one is shown, or none: the view, its bars and its button as at start-up, and a
// press there picks nothing. The tile stays.
void TestSources::closeShowsTheNextUntilNoneIsLeft() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(QTest::qWaitForWindowActive(&frm));
    const QRect sourceSide(0, 0, 271, 512);
    const QImage empty = Shown(frm).copy(sourceSide);
    const QString start = frm.sourceButton->text();
    const QStringList files{PutPattern(*dir_, QStringLiteral("a.png"), {512, 512}, {0, 0}),
                            PutPattern(*dir_, QStringLiteral("b.png"), {300, 600}, {0, 700}),
                            PutPattern(*dir_, QStringLiteral("c.png"), {512, 512}, {0, 1400})};
    for (const QString& file : files)
        OpenSource(frm, user, file);
    QTest::keyClick(&frm, Qt::Key_2, Qt::ControlModifier);
    PickAt(frm, {0, 0});
    const QImage tile = frm.Tile();

    QVERIFY(frm.closeSourceAction->isEnabled());
    QTest::keyClick(&frm, Qt::Key_W, Qt::ControlModifier); // b goes, c shows
    QCOMPARE(Listed(frm), (QStringList{QStringLiteral("a.png"), QStringLiteral("c.png")}));
    QCOMPARE(frm.sourceButton->text(), QStringLiteral("c.png - 512x512"));
    QCOMPARE(frm.sourceView->Displayed(), &frm.Source());
    QCOMPARE(RgbAt(Shown(frm), {0, 20}), PatternRgb(0, 1400));
    QCOMPARE(frm.sourceView->Mark(), QRect());
    QTest::keyClick(&frm, Qt::Key_W, Qt::ControlModifier); // c was the last: a shows
    QCOMPARE(frm.sourceButton->text(), QStringLiteral("a.png - 512x512"));
    QCOMPARE(RgbAt(Shown(frm), {0, 20}), PatternRgb(0, 0));
    frm.closeSourceAction->trigger();

    QVERIFY(frm.Source().isNull());
    QCOMPARE(frm.sourceButton->text(), start);
    QVERIFY(!frm.sourceHorizontalBar->isEnabled() && !frm.sourceVerticalBar->isEnabled());
    QCOMPARE(frm.sourceView->geometry(), QRect(0, 20, 256, 477));
    QCOMPARE(frm.sourceList->count(), 0);
    QVERIFY(!frm.closeSourceAction->isEnabled());
    VERIFY_NO_MISMATCH(ImageDifference(Shown(frm).copy(sourceSide), empty));
    PickAt(frm, {10, 10});
    QVERIFY(frm.Tile() == tile);
    QCOMPARE(user.MessageTexts(), QStringList());
}

// One run ends unsaved with three sources open; the next restores the sheet with them, in order
// and where each was, the shown one shown; one that has gone is named.
// With the sheet's links: its cells keep their origins.
void TestSources::restoreReopensTheSourcesInOrder() {
    QDir(SheetRecovery::DefaultFolder()).removeRecursively();
    ScriptedUser user;
    OriginGrid origins;
    const QStringList files{PutPattern(*dir_, QStringLiteral("c.png"), {512, 512}, {0, 0}),
                            PutPattern(*dir_, QStringLiteral("a.png"), {512, 1024}, {0, 600}),
                            PutPattern(*dir_, QStringLiteral("gone.png"), {64, 64}, {0, 1700}),
                            PutPattern(*dir_, QStringLiteral("b.png"), {512, 512}, {0, 1800})};
    {
        MainWindow frm;
        frm.Show();
        frm.OpenSourceFiles({QFile::encodeName(files[0]), QFile::encodeName(files[1]),
                             QFile::encodeName(files[2]), QFile::encodeName(files[3])});
        frm.sourceVerticalBar->setValue(100);
        frm.ShowSource(1);
        frm.ZoomView(frm.sourceView, 0.5, QPointF());
        frm.sourceVerticalBar->setValue(50);
        PickAt(frm, {0, 0});
        StampAt(frm, {1, 1}); // unsaved
        origins = frm.Sheet().Origins();
        frm.Recovery().Flush();
    }
    QVERIFY(QFile::remove(files[2]));
    MainWindow frm;
    frm.Show();
    user.Answers.push_back(MessageAnswer::Yes);
    frm.OfferRecoveries();
    QCOMPARE(user.MessageTexts().size(), 2);
    QCOMPARE(user.MessageTexts()[1],
             QStringLiteral("These sources could not be opened again: ") + files[2]);
    QCOMPARE(Listed(frm), (QStringList{QStringLiteral("c.png"), QStringLiteral("a.png"),
                                       QStringLiteral("b.png")}));
    QCOMPARE(frm.Sources().ShownIndex(), 1);
    QVERIFY(frm.Sheet().Origins() == origins); // the cells still know where they came from
    QCOMPARE(frm.sourceView->Zoom(), 0.5);
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(50));
    frm.ShowSource(2);
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(35)); // as far as b scrolls
    frm.ShowSource(0);
    QCOMPARE(frm.sourceView->Zoom(), 1.0);
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(0)); // never moved while c was shown
}

// Qt's own dialog: the source dialog left on "All images" starts there next time; the target
// dialog keeps its own.
void TestSources::eachDialogStartsOnItsLastFilter() {
    MainWindow frm;
    frm.Show();
    QStringList started;
    const auto open = [&](QAction* command, const QString& leaveOn) {
        QVERIFY(WhileOpen<QFileDialog>([command] { command->trigger(); },
                                       [&](QFileDialog* dialog) {
                                           started << dialog->selectedNameFilter();
                                           for (const QString& filter : dialog->nameFilters())
                                               if (!leaveOn.isEmpty() && filter.startsWith(leaveOn))
                                                   dialog->selectNameFilter(filter);
                                           dialog->reject();
                                       }));
        // The cancel says "Wrong format": answered by the box's own close.
    };
    ScriptedUser boxes; // answers the message boxes; the file dialogs stay real
    FileDialog::SetResponder({});
    open(frm.openSourceAction, QStringLiteral("All images"));
    const QString all = frm.fileDialog.NameFilters().value(2);
    QVERIFY(all.startsWith(QStringLiteral("All images(*.tga;*.png;")));
    open(frm.openSourceAction, {});
    open(frm.openTargetAction, {});
    QCOMPARE(started, (QStringList{QStringLiteral("tga Image(*.tga) (*.tga)"), all,
                                   QStringLiteral("tga Image(*.tga) (*.tga)")}));
}

// Saved by another program (a new file renamed over it): read again where it was seen, while
// another is shown too; deleted: its last pixels stay, said once.
void TestSources::aChangedFileReloadsInPlace() {
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    const QString a = PutPattern(*dir_, QStringLiteral("a.png"), {512, 512}, {0, 0});
    const QString b = PutPattern(*dir_, QStringLiteral("b.png"), {512, 512}, {0, 600});
    OpenSource(frm, user, a);
    frm.sourceHorizontalBar->setValue(100);
    frm.sourceVerticalBar->setValue(30);
    OpenSource(frm, user, b);
    const auto replace = [this](const QString& path, QPoint offset) {
        const QString fresh = PutPattern(*dir_, QStringLiteral("fresh.png"), {512, 512}, offset);
        QVERIFY(std::rename(QFile::encodeName(fresh).constData(),
                            QFile::encodeName(path).constData()) == 0);
    };
    replace(a, {0, 1200});
    replace(b, {0, 1800});
    QTRY_COMPARE(RgbAt(frm.Source(), {0, 0}), PatternRgb(0, 1800));
    QTRY_COMPARE(RgbAt(frm.Sources().At(0).Picture, {0, 0}), PatternRgb(0, 1200));
    frm.ShowSource(0);
    QCOMPARE(frm.sourceHorizontalBar->Value(), int16_t(100));
    QCOMPARE(frm.sourceVerticalBar->Value(), int16_t(30));
    QCOMPARE(RgbAt(Shown(frm), {0, 20}), PatternRgb(100, 1230));

    QVERIFY(QFile::remove(a));
    QTRY_COMPARE(user.MessageTexts(),
                 QStringList{QStringLiteral("The source ") + a +
                             QStringLiteral(" has been deleted; its last pixels stay open.")});
    QTest::qWait(700);
    QCOMPARE(user.MessageTexts().size(), 1);
    QCOMPARE(frm.Sources().Count(), 2);
    QCOMPARE(RgbAt(Shown(frm), {0, 20}), PatternRgb(100, 1230));
}

PATCHERY_WIDGET_TEST(TestSources)
#include "test_sources.moc"
