// The Help menu: the About box, opened from Help > "&About ", and the handbook.

#include "TestSupport.h"

#include "AboutDialog.h"
#include "Application.h"
#include "Installation.h"
#include "MainWindow.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QtTest>

namespace {

bool About(MainWindow& frm, const std::function<void(AboutDialog*)>& act) {
    return WhileOpen<AboutDialog>([&] { frm.aboutAction->trigger(); }, act);
}

// What the box shows, in words and numbers, to compare two openings.
QString Appearance(const AboutDialog* d) {
    QString text =
        QStringLiteral("%1 %2x%3 ").arg(d->windowTitle()).arg(d->width()).arg(d->height());
    for (const QWidget* child : d->findChildren<QWidget*>()) {
        const QRect r = child->geometry();
        text += QStringLiteral("[%1 %2,%3 %4x%5")
                    .arg(QString::fromLatin1(child->metaObject()->className()))
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height());
        if (const auto* label = qobject_cast<const QLabel*>(child))
            text += QLatin1Char(' ') + label->text();
        if (const auto* button = qobject_cast<const QPushButton*>(child))
            text += QLatin1Char(' ') + button->text();
        text += QLatin1Char(']');
    }
    return text;
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void appearance();
    void closes_data();
    void closes();
    void secondOpeningUnchanged();
    void handbook();
};

// Receives the desktop's requests to show a file, as its viewer would.
class FileViewer : public QObject {
    Q_OBJECT

  public:
    FileViewer() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Show"); }
    ~FileViewer() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> Shown;

  public slots:
    void Show(const QUrl& url) { Shown << url; }
};

// Showing the window reads opt.cfg: none left over may launch anything.
void TestAbout::init() {
    RemoveOptionsFile();
}

void TestAbout::appearance() {
    MainWindow frm;
    frm.Show();
    QVERIFY(About(frm, [&frm](AboutDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("About Patchery"));
        QCOMPARE(d->size(), QSize(391, 155));
        // Fixed: it cannot be resized.
        QCOMPARE(d->minimumSize(), QSize(391, 155));
        QCOMPARE(d->maximumSize(), QSize(391, 155));
        QCOMPARE(d->titleLabel->text(), QStringLiteral("Patchery v1.3"));
        QVERIFY(!d->descriptionLabel->text().isEmpty());
        QCOMPARE(d->okButton->text(), QStringLiteral("OK"));
        QVERIFY(d->isModal());
        QCOMPARE(d->parentWidget(), &frm);

        // The program's own 32 x 32 picture, in at most 16 colours.
        const QImage icon = d->iconLabel->pixmap().toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QSet<QRgb> colours;
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x)
                colours.insert(icon.pixel(x, y));
        }
        QVERIFY2(colours.size() > 1 && colours.size() <= 16,
                 qPrintable(QString::number(colours.size())));

        // Centred over the main window, give or take a window frame's width.
        const QPoint offset = d->frameGeometry().center() - frm.frameGeometry().center();
        QVERIFY2(qAbs(offset.x()) <= 4 && qAbs(offset.y()) <= 4,
                 qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    }));
}

void TestAbout::closes_data() {
    QTest::addColumn<int>("how"); // a key, or 0 for the OK button, -1 for the close box
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("OK") << 0;
    QTest::newRow("close box") << -1;
}

void TestAbout::closes() {
    QFETCH(int, how);

    MainWindow frm;
    frm.Show();
    bool closed = false;
    QVERIFY(About(frm, [&](AboutDialog* d) {
        QCOMPARE(d->focusWidget(), d->okButton);
        if (how == 0)
            QTest::mouseClick(d->okButton, Qt::LeftButton);
        else if (how == -1)
            d->close();
        else
            QTest::keyClick(d->focusWidget(), Qt::Key(how));
        closed = !d->isVisible();
    }));
    QVERIFY(closed);
    // Destroyed when closed: nothing of it is left.
    QVERIFY(frm.findChildren<AboutDialog*>().isEmpty());
}

void TestAbout::secondOpeningUnchanged() {
    MainWindow frm;
    frm.Show();
    QString first, second;
    QImage firstLook, secondLook;
    QVERIFY(About(frm, [&](AboutDialog* d) {
        first = Appearance(d);
        firstLook = d->grab().toImage();
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
    }));
    QVERIFY(About(frm, [&](AboutDialog* d) {
        second = Appearance(d);
        secondLook = d->grab().toImage();
        QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
    }));
    QVERIFY(!first.isEmpty());
    QCOMPARE(second, first);
    QVERIFY(secondLook == firstLook);
}

// Help > "Patchery Handbook" shows the README in the desktop's viewer: the installed one for an
// installed copy, the source tree's for this build; with no viewer, a message says where it is.
void TestAbout::handbook() {
    const QString readme = QStringLiteral(PATCHERY_SOURCE_DIR "/README.md");
    QCOMPARE(HandbookPath(), readme);
    const TestFolder installed;
    for (const char* folder : {"/bin", "/share/applications"})
        QVERIFY(QDir().mkpath(installed.path() + QLatin1String(folder)));
    installed.Put(QStringLiteral("share/applications/org.patchery.Patchery.desktop"), {});
    QCOMPARE(HandbookPath(installed.path() + QStringLiteral("/bin")),
             installed.path() + QStringLiteral("/share/doc/patchery/README.md"));

    MainWindow frm;
    frm.Show();
    {
        ScriptedUser user;
        FileViewer viewer;
        frm.handbookAction->trigger();
        QCOMPARE(viewer.Shown, QList<QUrl>{QUrl::fromLocalFile(readme)});
        QCOMPARE(user.MessageTexts(), QStringList());
    }
    ScriptedUser user; // offscreen, nothing can show a file
    frm.handbookAction->trigger();
    QCOMPARE(user.MessageTexts(),
             QStringList{QStringLiteral("No program could show the handbook. It is the file ") +
                         readme});
}

PATCHERY_WIDGET_TEST(TestAbout)
#include "test_about.moc"
