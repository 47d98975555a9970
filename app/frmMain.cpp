// The main window's frame: start-up, window position, quit confirmation and shutdown.

#include "app/frmMain.h"

#include "app/Options.h"
#include "app/frmAbout.h"
#include "app/ooop.h"
#include "imaging/Checked.h"
#include "platform/Application.h"
#include "platform/MsgBox.h"
#include "platform/Settings.h"

#include <QCloseEvent>
#include <QDir>
#include <QLayout>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString AppTitle = QStringLiteral("Patchery");
const QString Section = QStringLiteral("Settings");
constexpr float TwipsPerPixel = 15.0f;
constexpr float DefaultTwips = 1000.0f;

// A value that is not a number, or no position a screen can have (X11 coordinates are 16-bit),
// gives the default.
float StoredTwips(const QString& key) {
    bool ok = false;
    const float value = GetSetting(AppTitle, Section, key).toFloat(&ok);
    constexpr float Limit = 32767.0f * TwipsPerPixel;
    return ok && std::isfinite(value) && std::fabs(value) <= Limit ? value : DefaultTwips;
}

// Whether some part of a title bar at this outer position lies on any screen.
bool Reachable(QPoint frameTopLeft, int width) {
    const QRect titleBar(frameTopLeft, QSize(width, 24));
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (screen->geometry().intersects(titleBar))
            return true;
    }
    return false;
}
} // namespace

frmMain::frmMain()
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Patchery v1.3"));
    BuildLayout();
    BuildMenus();
    Connect();
    ConnectDrops();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmMain::~frmMain() = default;

void frmMain::Show() {
    if (!loaded_) {
        Form_Load();
        loaded_ = true;
    }
    show();
    ApplyStoredPosition();
}

void frmMain::Form_Load() {
    // The stored position is applied as read, unless it would leave the title bar unreachable.
    QPoint wanted(qRound(StoredTwips(QStringLiteral("MainLeft")) / TwipsPerPixel),
                  qRound(StoredTwips(QStringLiteral("MainTop")) / TwipsPerPixel));
    if (!Reachable(wanted, 721))
        wanted = QPoint(qRound(DefaultTwips / TwipsPerPixel), qRound(DefaultTwips / TwipsPerPixel));
    wantedPosition_ = wanted;
    move(wanted);

    ReadOptions();
    if (!LaunchPath.isEmpty() && LaunchAtStart > 0)
        LaunchExternal();

    side1->setEnabled(false);
    updown1->setEnabled(false);
    side2->setEnabled(false);

    pbox2->setWidth(256);
    pbox2->setHeight(2048);

    updown2->setMax(checked::ToInt16(pbox2->Height() - 477));
    side2->setMax(checked::ToInt16(pbox2->Width() - 256));
}

// Under a window manager the frame only gets its size after showing; before that, move() places
// the inner window. Once the margins are known, put the outer frame where it was stored.
void frmMain::ApplyStoredPosition() {
    auto* poll = new QTimer(this);
    auto attempts = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, attempts] {
        QWindow* window = windowHandle();
        const QMargins margins = window ? window->frameMargins() : QMargins();
        if (!margins.isNull()) {
            window->setPosition(wantedPosition_ + QPoint(margins.left(), margins.top()));
            poll->deleteLater();
        } else if (++*attempts >= 100) {
            poll->deleteLater();
        }
    });
    poll->start(20);
}

float frmMain::Left() const {
    const QWindow* window = windowHandle();
    const int margin = window ? window->frameMargins().left() : 0;
    return static_cast<float>(geometry().left() - margin) * TwipsPerPixel;
}

float frmMain::Top() const {
    const QWindow* window = windowHandle();
    const int margin = window ? window->frameMargins().top() : 0;
    return static_cast<float>(geometry().top() - margin) * TwipsPerPixel;
}

namespace {
// TMPDIR when it names a folder, else /tmp.
QString TempRoot() {
    const QByteArray dir = qgetenv("TMPDIR");
    struct stat info {};
    if (!dir.isEmpty() && ::stat(dir.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return QFile::decodeName(dir);
    return QStringLiteral("/tmp");
}

// The private folder as it was made: a real folder, not a link, ours, open to nobody else.
bool StillPrivate(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700;
}

const QString TempBitmapName = QStringLiteral("temp000.bmp");
} // namespace

QString frmMain::TempBitmapPath() {
    if (tempDir_ && !StillPrivate(tempDir_->path())) {
        // Removed by a cleaner, or replaced: what is there now is not ours to delete.
        tempDir_->setAutoRemove(false);
        tempDir_.reset();
    }
    if (!tempDir_) {
        // QTemporaryDir makes the folder with mode 0700: no other user can read or replace
        // the file in it.
        const QString root = TempRoot();
        tempDir_ =
            std::make_unique<QTemporaryDir>(QDir(root).filePath(QStringLiteral("patchery-XXXXXX")));
        if (!tempDir_->isValid()) {
            const QString reason = tempDir_->errorString();
            tempDir_.reset();
            throw std::runtime_error("cannot make a temporary folder in " + root.toStdString() +
                                     ": " + reason.toStdString());
        }
    }
    return tempDir_->filePath(TempBitmapName);
}

void frmMain::RemoveTempBitmap() {
    if (tempDir_ && StillPrivate(tempDir_->path()))
        QFile::remove(tempDir_->filePath(TempBitmapName));
}

QString frmMain::TempFolderPath() const {
    return tempDir_ ? tempDir_->path() : QString();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        int16_t cancel = 0;
        Form_QueryUnload(cancel, 0);
        // A signal may have ended the program while "Really Quit?" was asked.
        if (cancel != 0 && !unloaded_) {
            event->ignore();
            return;
        }
        Unload();
    }
    event->accept();
}

void frmMain::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    int16_t cancel = 0;
    Form_Unload(cancel);
}

// Any dialog or message box still open is closed by the unload; exit() also ends the event
// loops of modal windows, and any that a handler still opens returns at once.
void frmMain::EndOnSignal(int signal) {
    endingOnSignal_ = true;
    Unload();
    QCoreApplication::exit(128 + signal);
}

void frmMain::Form_QueryUnload(int16_t& Cancel, int16_t /*UnloadMode*/) {
    if (MsgBox(QStringLiteral("Really Quit?"), MsgButtons::YesNo, AppTitle, MsgIcon::None, this) ==
        MsgResult::No)
        Cancel = 1;
}

void frmMain::Form_Unload(int16_t& /*Cancel*/) {
    // A failure to write the options is told, but must not stop the shutdown or lose the
    // position. Ending on a signal asks nobody anything: a box would hold up a logout.
    try {
        WriteOptions();
    } catch (const std::exception& e) {
        if (endingOnSignal_)
            std::fprintf(stderr, "patchery: %s\n", e.what());
        else
            MsgBox(QString::fromLocal8Bit(e.what()), MsgButtons::OK, AppTitle, MsgIcon::Critical,
                   this);
    }

    tempDir_.reset(); // removes temp000.bmp with its folder

    // The other windows still open, newest first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }

    if (!isMinimized()) {
        SaveSetting(AppTitle, Section, QStringLiteral("MainLeft"), QString::number(Left()));
        SaveSetting(AppTitle, Section, QStringLiteral("MainTop"), QString::number(Top()));
    }
}

void frmMain::mnuFilequitt_Click() {
    close();
}

void frmMain::mnuFileopti_Click() {
    ooop dialog(this);
    dialog.exec();
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout about(this);
    about.exec();
}
