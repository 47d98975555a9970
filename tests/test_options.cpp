// The launch options: opt.cfg beside the executable, the start-up launch, the Options dialog.

#include "TestSupport.h"

#include "Application.h"
#include "Failure.h"
#include "LaunchOptions.h"
#include "MainWindow.h"
#include "OptionsDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <optional>
#include <sys/stat.h>

namespace {

bool Options(MainWindow& frm, const std::function<void(OptionsDialog*)>& act) {
    return WhileOpen<OptionsDialog>([&] { frm.optionsAction->trigger(); }, act);
}

// A click on the box itself, left of its caption.
void ClickCheckBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// "ticked, path and Browse enabled" and the like, to compare the dialog's state at once.
QString State(const OptionsDialog* d) {
    return QStringLiteral("%1, path %2, Browse %3")
        .arg(d->launchCheck->isChecked() ? QStringLiteral("ticked") : QStringLiteral("clear"))
        .arg(d->launchPathBox->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(d->browseButton->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"));
}

QString StateFor(bool ticked) {
    return ticked ? QStringLiteral("ticked, path on, Browse on")
                  : QStringLiteral("clear, path off, Browse off");
}

// A script that records how many arguments it got in the marker file.
QString WriteMarkerScript(const QString& path, const QString& marker, bool executable) {
    const QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$#\" > '" + QFile::encodeName(marker) +
                              ".part' && mv '" + QFile::encodeName(marker) + ".part' '" +
                              QFile::encodeName(marker) + "'\n";
    if (!WriteFile(path, script))
        return QStringLiteral("cannot write ") + path;
    const auto mode = QFile::ReadOwner | QFile::WriteOwner |
                      (executable ? QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther
                                  : QFileDevice::Permissions());
    if (!QFile::setPermissions(path, mode))
        return QStringLiteral("cannot make executable: ") + path;
    return {};
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void writtenAtShutdownAndReadBack_data();
    void writtenAtShutdownAndReadBack();
    void handMadeFile_data();
    void handMadeFile();
    void hostileFile_data();
    void hostileFile();
    void launchAtStart_data();
    void launchAtStart();
    void failedLaunchIgnored_data();
    void failedLaunchIgnored();
    void checkBoxActsAtOnce_data();
    void checkBoxActsAtOnce();
    void browse_data();
    void browse();
    void closingKeys_data();
    void closingKeys();
    void focusOrder();
    void whereKept_data();
    void whereKept();
};

void TestOptions::init() {
    RemoveOptionsFile();
}
void TestOptions::cleanup() {
    RemoveOptionsFile();
}

void TestOptions::writtenAtShutdownAndReadBack_data() {
    QTest::addColumn<int>("launch");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0, empty path") << 0 << QString() << QByteArray(" 0 \r\n\r\n");
    QTest::newRow("1, blanks and commas")
        << 1 << QStringLiteral("/opt/level tools/editor, v2 (beta).sh")
        << QByteArray(" 1 \r\n/opt/level tools/editor, v2 (beta).sh\r\n");
    QTest::newRow("0 keeps the path") << 0 << QStringLiteral("/usr/local/bin/editor")
                                      << QByteArray(" 0 \r\n/usr/local/bin/editor\r\n");
    QTest::newRow("non-ASCII") << 1 << QStringLiteral("/tmp/Bl\u00e4ser \u00fc.sh")
                               << QByteArray(" 1 \r\n/tmp/Bl\xc3\xa4ser \xc3\xbc.sh\r\n");
}

void TestOptions::writtenAtShutdownAndReadBack() {
    QFETCH(int, launch);
    QFETCH(QString, path);
    QFETCH(QByteArray, bytes);

    ScriptedUser user;
    {
        MainWindow frm;
        frm.Show();
        frm.Options() = {launch > 0, QFile::encodeName(path)};
        QVERIFY(frm.close());
    }
    QCOMPARE(ReadFile(OptionsFile()), bytes);

    MainWindow again;
    again.Show();
    QCOMPARE(again.Options().LaunchAtStart, launch > 0);
    QCOMPARE(QFile::decodeName(again.Options().Path), path);
    QCOMPARE(user.MessageTexts(), QStringList{QStringLiteral("Really Quit?")});
}

void TestOptions::handMadeFile_data() {
    QTest::addColumn<QByteArray>("bytes"); // null: no file
    QTest::addColumn<int>("launch");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("folder"); // a folder in the file's place
    QTest::newRow("CR LF") << QByteArray(" 1 \r\n/a b, c\r\n") << 1 << QStringLiteral("/a b, c")
                           << false;
    QTest::newRow("LF only") << QByteArray(" 1 \n/x/y z\n") << 1 << QStringLiteral("/x/y z")
                             << false;
    QTest::newRow("no blanks") << QByteArray("1\r\n/p\r\n") << 1 << QStringLiteral("/p") << false;
    QTest::newRow("other positive")
        << QByteArray(" 2 \r\n/p\r\n") << 2 << QStringLiteral("/p") << false;
    QTest::newRow("negative") << QByteArray("-1 \r\n/p\r\n") << -1 << QStringLiteral("/p") << false;
    QTest::newRow("empty path") << QByteArray(" 1 \r\n\r\n") << 1 << QString() << false;
    QTest::newRow("last line end missing")
        << QByteArray(" 0 \r\n/p") << 0 << QStringLiteral("/p") << false;
    QTest::newRow("not a number") << QByteArray("yes\r\n/p\r\n") << 0 << QString() << false;
    QTest::newRow("number and letters") << QByteArray(" 1x \r\n/p\r\n") << 0 << QString() << false;
    QTest::newRow("beyond 16 bits") << QByteArray(" 40000 \r\n/p\r\n") << 0 << QString() << false;
    QTest::newRow("second line missing") << QByteArray(" 1 \r\n") << 0 << QString() << false;
    QTest::newRow("one line without end") << QByteArray(" 1 ") << 0 << QString() << false;
    QTest::newRow("empty file") << QByteArray("") << 0 << QString() << false;
    QTest::newRow("no file") << QByteArray() << 0 << QString() << false;
    QTest::newRow("a folder in its place") << QByteArray() << 0 << QString() << true;
}

// Read when the window loads, and shown by the Options dialog.
void TestOptions::handMadeFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, launch);
    QFETCH(QString, path);
    QFETCH(bool, folder);

    if (!bytes.isNull())
        QVERIFY(WriteFile(OptionsFile(), bytes));
    if (folder)
        QVERIFY(QDir().mkdir(OptionsFile()));

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QCOMPARE(frm.Options().LaunchAtStart, launch > 0);
    QCOMPARE(QFile::decodeName(frm.Options().Path), path);
    QVERIFY(user.Messages.empty());

    QString state, shownPath;
    QVERIFY(Options(frm, [&](OptionsDialog* d) {
        state = State(d);
        shownPath = d->launchPathBox->text();
    }));
    QCOMPARE(state, StateFor(launch > 0));
    QCOMPARE(shownPath, path);
}

void TestOptions::hostileFile_data() {
    QTest::addColumn<QByteArray>("bytes"); // null: a FIFO with no writer in the file's place
    QTest::addColumn<int>("launch");
    QTest::addColumn<QByteArray>("path");
    const QByteArray longest(PATH_MAX - 1, 'p');
    QTest::newRow("FIFO") << QByteArray() << 0 << QByteArray();
    QTest::newRow("first line longer than a path")
        << QByteArray(" 1" + QByteArray(PATH_MAX, ' ') + "\r\n/p\r\n") << 0 << QByteArray();
    QTest::newRow("path longer than a path can be")
        << QByteArray(" 1 \r\n/" + longest + "\r\n") << 0 << QByteArray();
    QTest::newRow("longest path") << QByteArray(" 1 \r\n" + longest) << 1 << longest;
    QTest::newRow("Latin-1 name under UTF-8")
        << QByteArray(" 1 \r\n/tmp/caf\xe9 \xa7.sh\r\n") << 1 << QByteArray("/tmp/caf\xe9 \xa7.sh");
}

// Whatever the file holds, start-up goes on, and the path goes back to the file as its bytes.
void TestOptions::hostileFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, launch);
    QFETCH(QByteArray, path);

    if (bytes.isNull())
        QCOMPARE(::mkfifo(QFile::encodeName(OptionsFile()).constData(), 0600), 0);
    else
        QVERIFY(WriteFile(OptionsFile(), bytes));
    ScriptedUser user;
    {
        MainWindow frm;
        frm.Show(); // a FIFO's open used to wait here for a writer
        QCOMPARE(frm.Options().LaunchAtStart, launch > 0);
        QCOMPARE(frm.Options().Path, path);
        frm.Options().LaunchAtStart = false; // written back as " 0 " and the path
        if (bytes.isNull())
            QVERIFY(QFile::remove(OptionsFile()));
        QVERIFY(frm.close());
    }
    QCOMPARE(ReadFile(OptionsFile()), QByteArray(" 0 \r\n" + path + "\r\n"));
}

void TestOptions::launchAtStart_data() {
    QTest::addColumn<int>("launch");
    QTest::addColumn<bool>("withPath");
    QTest::addColumn<bool>("runs");
    QTest::newRow("1 with a path") << 1 << true << true;
    QTest::newRow("2 with a path") << 2 << true << true;
    QTest::newRow("0 with a path") << 0 << true << false;
    QTest::newRow("-1 with a path") << -1 << true << false;
    QTest::newRow("1 without a path") << 1 << false << false;
}

// The path is the program itself: blanks and commas in it split nothing, no arguments follow.
void TestOptions::launchAtStart() {
    QFETCH(int, launch);
    QFETCH(bool, withPath);
    QFETCH(bool, runs);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("level editor, v2")));
    const QString script = dir.filePath(QStringLiteral("level editor, v2/run me.sh"));
    const QString marker = dir.filePath(QStringLiteral("ran"));
    const QString written = WriteMarkerScript(script, marker, true);
    QVERIFY2(written.isEmpty(), qPrintable(written));

    QVERIFY(WriteFile(OptionsFile(), (launch < 0 ? "" : " ") + QByteArray::number(launch) +
                                         " \r\n" + (withPath ? QFile::encodeName(script) : "") +
                                         "\r\n"));
    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(user.Messages.empty());
    if (runs) {
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 20000);
        QCOMPARE(ReadFile(marker), QByteArray("0\n"));
    } else {
        // A launch would have left the marker well within this.
        QTest::qWait(1500);
        QVERIFY(!QFile::exists(marker));
    }
}

void TestOptions::failedLaunchIgnored_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("no such file") << QStringLiteral("missing");
    QTest::newRow("not executable") << QStringLiteral("plain");
    QTest::newRow("a folder") << QStringLiteral("folder");
}

void TestOptions::failedLaunchIgnored() {
    QFETCH(QString, kind);

    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("ran"));
    QString program = dir.filePath(QStringLiteral("level editor"));
    if (kind == QLatin1String("plain")) {
        const QString written = WriteMarkerScript(program, marker, false);
        QVERIFY2(written.isEmpty(), qPrintable(written));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("level editor")));
    }
    QVERIFY(WriteFile(OptionsFile(), " 1 \r\n" + QFile::encodeName(program) + "\r\n"));

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    QVERIFY(user.Messages.empty());
    // Loading went on past the launch: the blank start-up target is there.
    QVERIFY(frm.isVisible());
    QCOMPARE(frm.targetView->height(), 2048);
    QCOMPARE(frm.targetVerticalBar->Max(), int16_t(1571));
    QCOMPARE(QFile::decodeName(frm.Options().Path), program);
    QTest::qWait(500);
    QVERIFY(!QFile::exists(marker));
}

void TestOptions::checkBoxActsAtOnce_data() {
    QTest::addColumn<int>("launch");
    QTest::addColumn<int>("closeBy"); // 0 OK, 1 Cancel, 2 Esc
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("tick, Cancel") << 0 << 1 << QByteArray(" 1 \r\n/opt/ed\r\n");
    QTest::newRow("tick, Esc") << 0 << 2 << QByteArray(" 1 \r\n/opt/ed\r\n");
    QTest::newRow("clear, OK") << 1 << 0 << QByteArray(" 0 \r\n/opt/ed\r\n");
    QTest::newRow("clear, Cancel") << 1 << 1 << QByteArray(" 0 \r\n/opt/ed\r\n");
}

// A change of the box takes effect when made; Cancel undoes nothing; shutdown writes it.
void TestOptions::checkBoxActsAtOnce() {
    QFETCH(int, launch);
    QFETCH(int, closeBy);
    QFETCH(QByteArray, written);

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    frm.Options() = {launch > 0, "/opt/ed"};

    QStringList states;
    bool afterClick = launch > 0;
    int result = -1;
    QString shownPath;
    QVERIFY(Options(frm, [&](OptionsDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Options"));
        states << State(d);
        ClickCheckBox(d->launchCheck);
        states << State(d);
        afterClick = frm.Options().LaunchAtStart;
        // The path box takes no typing.
        QTest::keyClicks(d->launchPathBox, QStringLiteral("/x"));
        shownPath = d->launchPathBox->text();
        if (closeBy == 0)
            QTest::mouseClick(d->okButton, Qt::LeftButton);
        else if (closeBy == 1)
            QTest::mouseClick(d->cancelButton, Qt::LeftButton);
        else
            QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
        QVERIFY2(!d->isVisible(), "the dialog stayed open");
        result = d->result();
    }));
    QCOMPARE(states, (QStringList{StateFor(launch > 0), StateFor(launch == 0)}));
    QCOMPARE(afterClick, launch == 0);
    QCOMPARE(shownPath, QStringLiteral("/opt/ed"));
    QCOMPARE(result, int(closeBy == 0 ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(frm.Options().LaunchAtStart, launch == 0);
    QCOMPARE(frm.Options().Path, QByteArray("/opt/ed"));

    QVERIFY(frm.close());
    QCOMPARE(ReadFile(OptionsFile()), written);
}

void TestOptions::browse_data() {
    QTest::addColumn<bool>("picked");
    QTest::newRow("a program picked") << true;
    QTest::newRow("cancelled") << false;
}

void TestOptions::browse() {
    QFETCH(bool, picked);
    const QString chosen = QStringLiteral("/home/u/level editor, v2/run.sh");

    ScriptedUser user;
    MainWindow frm;
    frm.Show();
    frm.Options() = {true, "/old/prog"};
    if (picked)
        user.Files.push_back(chosen);

    QString shownPath, heldPath;
    bool stillOpen = false;
    QVERIFY(Options(frm, [&](OptionsDialog* d) {
        QTest::mouseClick(d->browseButton, Qt::LeftButton);
        shownPath = d->launchPathBox->text();
        heldPath = QFile::decodeName(frm.Options().Path);
        stillOpen = d->isVisible();
        QTest::mouseClick(d->cancelButton, Qt::LeftButton);
    }));
    const QString expected = picked ? chosen : QStringLiteral("/old/prog");
    QCOMPARE(shownPath, expected);
    QCOMPARE(heldPath, expected);
    QVERIFY(stillOpen);
    QCOMPARE(QFile::decodeName(frm.Options().Path), expected);
    QVERIFY(frm.Options().LaunchAtStart);
    QVERIFY(user.Messages.empty());

    QCOMPARE(user.Dialogs.size(), size_t(1));
    const DialogCall& dialog = user.Dialogs.front();
    QVERIFY(!dialog.Save);
    QCOMPARE(dialog.Title, QStringLiteral("Select Executable..."));
    QCOMPARE(dialog.DefaultExtension, QStringLiteral("*.exe"));
    QCOMPARE(dialog.Filter, QStringLiteral("Executable(*.exe)|*.exe"));
    QCOMPARE(dialog.FilterIndex, int16_t(1));
    QVERIFY(!dialog.ConfirmOverwrite);
}

void TestOptions::closingKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
}

// Esc presses Cancel; OK is not the default button, so Enter presses nothing.
void TestOptions::closingKeys() {
    QFETCH(int, key);
    QFETCH(bool, closes);

    MainWindow frm;
    frm.Show();
    bool closed = false;
    int result = -1;
    QVERIFY(Options(frm, [&](OptionsDialog* d) {
        QTest::keyClick(d->focusWidget(), Qt::Key(key));
        closed = !d->isVisible();
        result = d->result();
    }));
    QCOMPARE(closed, closes);
    if (closes)
        QCOMPARE(result, int(QDialog::Rejected)); // the key pressed Cancel
}

// OK, Cancel, the box, the path, Browse, and round again; OK has the focus at first.
void TestOptions::focusOrder() {
    MainWindow frm;
    frm.Show();
    frm.Options().LaunchAtStart = true;
    QStringList order;
    QVERIFY(Options(frm, [&order](OptionsDialog* d) {
        order = TabOrder(d,
                         {{d->okButton, QStringLiteral("OK")},
                          {d->cancelButton, QStringLiteral("Cancel")},
                          {d->launchCheck, QStringLiteral("box")},
                          {d->launchPathBox, QStringLiteral("path")},
                          {d->browseButton, QStringLiteral("Browse")}},
                         5);
    }));
    QCOMPARE(order,
             (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("box"),
                          QStringLiteral("path"), QStringLiteral("Browse"), QStringLiteral("OK")}));
}

void TestOptions::whereKept_data() {
    QTest::addColumn<bool>("installed");     // the desktop entry in ../share beside bin/
    QTest::addColumn<QString>("configHome"); // XDG_CONFIG_HOME within the test folder
    QTest::addColumn<bool>("adminDefault");  // an opt.cfg in $XDG_CONFIG_DIRS/Patchery
    QTest::addColumn<QByteArray>("read");    // the path read at start
    QTest::addColumn<QString>("written");    // within the test folder; empty: the write fails
    QTest::addColumn<QString>("reason");
    QTest::newRow("build folder") << false << QStringLiteral("/config") << true
                                  << QByteArray("/beside") << QStringLiteral("/prefix/bin/opt.cfg")
                                  << QString();
    QTest::newRow("installed, with a default")
        << true << QStringLiteral("/config") << true << QByteArray("/admin")
        << QStringLiteral("/config/Patchery/opt.cfg") << QString();
    QTest::newRow("installed, without a default")
        << true << QStringLiteral("/config") << false << QByteArray()
        << QStringLiteral("/config/Patchery/opt.cfg") << QString();
    QTest::newRow("installed, relative XDG_CONFIG_HOME")
        << true << QStringLiteral("config") << true << QByteArray("/admin")
        << QStringLiteral("/home/.config/Patchery/opt.cfg") << QString();
    QTest::newRow("installed, config folder under a file")
        << true << QStringLiteral("/file/config") << false << QByteArray() << QString()
        << QStringLiteral("Not a directory");
}

// An installed copy keeps the options per user and never writes into its installation; the
// administrator's default comes from the system's configuration folders.
void TestOptions::whereKept() {
    QFETCH(bool, installed);
    QFETCH(QString, configHome);
    QFETCH(bool, adminDefault);
    QFETCH(QByteArray, read);
    QFETCH(QString, written);
    QFETCH(QString, reason);
    TestFolder dir;
    const QString top = dir.path();
    const QString bin = top + QStringLiteral("/prefix/bin");
    for (const char* folder :
         {"/prefix/bin", "/prefix/share/applications", "/home", "/etc/Patchery", "/rel/Patchery"})
        QVERIFY(QDir().mkpath(top + QLatin1String(folder)));
    if (installed)
        dir.Put(QStringLiteral("prefix/share/applications/org.patchery.Patchery.desktop"), {});
    const QByteArray beside(" 1 \r\n/beside\r\n"), admin(" 1 \r\n/admin\r\n");
    dir.Put(QStringLiteral("prefix/bin/opt.cfg"), beside);
    if (adminDefault)
        dir.Put(QStringLiteral("etc/Patchery/opt.cfg"), admin);
    dir.Put(QStringLiteral("rel/Patchery/opt.cfg"), " 1 \r\n/relative\r\n"); // to be ignored
    dir.Put(QStringLiteral("file"), {});
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME")};
    qputenv("HOME", QFile::encodeName(top + QStringLiteral("/home")));
    qputenv(
        "XDG_CONFIG_HOME",
        QFile::encodeName(configHome.startsWith(QLatin1Char('/')) ? top + configHome : configHome));
    qputenv("XDG_CONFIG_DIRS",
            QFile::encodeName(QStringLiteral("rel:") + top + QStringLiteral("/etc")));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(top);

    const LaunchOptions got = ReadLaunchOptions(bin);
    std::optional<std::string> failed;
    try {
        WriteLaunchOptions({false, "/mine"}, bin);
    } catch (const Failure& failure) {
        failed = failure.Reason;
    }
    QDir::setCurrent(cwd);
    qputenv("HOME", saved[0]);
    qputenv("XDG_CONFIG_HOME", saved[1]);
    qunsetenv("XDG_CONFIG_DIRS");

    QCOMPARE(got.Path, read);
    QCOMPARE(QString::fromStdString(failed.value_or("")), reason);
    if (!written.isEmpty())
        QCOMPARE(ReadFile(top + written), QByteArray(" 0 \r\n/mine\r\n"));
    if (installed)
        QCOMPARE(ReadFile(bin + QStringLiteral("/opt.cfg")), beside);
    QVERIFY(!QFileInfo::exists(top + QStringLiteral("/config/Patchery")) ||
            written.startsWith(QStringLiteral("/config")));
}

PATCHERY_WIDGET_TEST(TestOptions)
#include "test_options.moc"
