// The main window's frame: start-up, window position, quit confirmation and shutdown.

#include "MainWindow.h"

#include "AboutDialog.h"
#include "Installation.h"
#include "Layout.h"
#include "MessageBox.h"
#include "OptionsDialog.h"
#include "Program.h"
#include "Settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
const QString Section = QStringLiteral("Settings");
constexpr float TwipsPerPixel = 15.0f;
constexpr float DefaultTwips = 1000.0f;
const QString ResizableKey = QStringLiteral("ResizableWindow");

// A value that is not a number, or no position a screen can have (X11 coordinates are 16-bit),
// gives the default.
float StoredTwips(const QString& key, float otherwise = DefaultTwips) {
    bool ok = false;
    const float value = GetSetting(ProgramName(), Section, key).toFloat(&ok);
    constexpr float Limit = 32767.0f * TwipsPerPixel;
    return ok && std::isfinite(value) && std::fabs(value) <= Limit ? value : otherwise;
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

// Moved in, where it can be, so that the whole frame lies on the screen it is on: its top-left
// corner kept on the screen first.
QPoint FittedOnScreen(QPoint frameTopLeft, QSize frame) {
    const QScreen* screen = QGuiApplication::screenAt(frameTopLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return frameTopLeft;
    const QRect area = screen->availableGeometry();
    const auto fit = [](int at, int length, int start, int end) {
        return std::max(start, std::min(at, end - length));
    };
    return {fit(frameTopLeft.x(), frame.width(), area.left(), area.right() + 1),
            fit(frameTopLeft.y(), frame.height(), area.top(), area.bottom() + 1)};
}
} // namespace

MainWindow::MainWindow()
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      document_(QSize(StartWidth, StartHeight),
                [this] {
                    undoAction->setEnabled(History().CanUndo());
                    redoAction->setEnabled(History().CanRedo());
                    WatchSources(); // what the cells come from may have changed
                }),
      recovery_(SheetRecovery::DefaultFolder(), [this](const QString& what) {
          QMetaObject::invokeMethod(
              this, [this, what] { ReportRecoveryFailure(what); }, Qt::QueuedConnection);
      }) {
    setWindowTitle(ProgramName() + QStringLiteral(" v") + ProgramVersion());
    History().ReadScroll = [this] { return TargetScroll(); };
    History().PutScroll = [this](const ScrollState& state) { PutTargetScroll(state); };
    BuildLayout();
    BuildMenus();
    BuildViewMenu();
    Connect();
    BuildSourceList();
    ConnectDrops();
    // Shift and Ctrl change what a press on the target does, wherever the focus is.
    qApp->installEventFilter(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow() = default;

void MainWindow::Show() {
    if (!loaded_) {
        LoadStartupState();
        loaded_ = true;
    }
    show();
    ApplyStoredPosition();
    if (resizableAction->isChecked() &&
        GetSetting(ProgramName(), Section, QStringLiteral("MainMaximized")) == QLatin1String("1"))
        showMaximized();
}

// The window manager learns of the change through the window's hints; Qt would otherwise make a
// new window for new flags.
void MainWindow::SetResizable(bool resizable) {
    SaveSetting(ProgramName(), Section, ResizableKey,
                resizable ? QStringLiteral("1") : QStringLiteral("0"));
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowMaximizeButtonHint, resizable);
    flags.setFlag(Qt::MSWindowsFixedSizeDialogHint, !resizable);
    if (flags != windowFlags()) {
        overrideWindowFlags(flags);
        if (QWindow* window = windowHandle())
            window->setFlags(flags);
    }
    if (resizable) {
        client->setMinimumSize(ClientWidth, ClientHeight);
        client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); // the fixed size stays set otherwise
        return;
    }
    if (isMaximized() || isFullScreen())
        showNormal();
    client->setFixedSize(ClientWidth, ClientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

void MainWindow::LoadStartupState() {
    // The stored position is applied as read, unless it would leave the title bar unreachable
    // (then the default) or part of the window off the screen (then moved in).
    QPoint wanted(qRound(StoredTwips(QStringLiteral("MainLeft")) / TwipsPerPixel),
                  qRound(StoredTwips(QStringLiteral("MainTop")) / TwipsPerPixel));
    if (!Reachable(wanted, ClientWidth))
        wanted = QPoint(qRound(DefaultTwips / TwipsPerPixel), qRound(DefaultTwips / TwipsPerPixel));
    // A resizable window takes its stored size, within the screen's.
    const bool resizable = GetSetting(ProgramName(), Section, ResizableKey) == QLatin1String("1");
    resizableAction->setChecked(resizable);
    QSize wantedSize = sizeHint();
    if (resizable) {
        const QScreen* screen = QGuiApplication::screenAt(wanted);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QSize stored(qRound(StoredTwips(QStringLiteral("MainWidth"), 0) / TwipsPerPixel),
                           qRound(StoredTwips(QStringLiteral("MainHeight"), 0) / TwipsPerPixel));
        wantedSize = stored.expandedTo(minimumSizeHint());
        if (screen)
            wantedSize = wantedSize.boundedTo(screen->availableGeometry().size());
        resize(wantedSize);
    }
    wantedPosition_ = FittedOnScreen(wanted, wantedSize);
    move(wantedPosition_);

    options_ = ReadLaunchOptions();
    if (!options_.Path.isEmpty() && options_.LaunchAtStart)
        Launch(options_.Path);

    sourceHorizontalBar->setEnabled(false);
    sourceVerticalBar->setEnabled(false);
    targetPane->FitBars();
    LoadViewSettings();
}

// Under a window manager the frame only gets its size after showing; before that, move() places
// the inner window. Once the margins are known, put the outer frame where it was stored.
void MainWindow::ApplyStoredPosition() {
    // Whether the margins were known, and the frame placed.
    const auto place = [this] {
        QWindow* window = windowHandle();
        const QMargins margins = window ? window->frameMargins() : QMargins();
        if (margins.isNull())
            return false;
        wantedPosition_ = FittedOnScreen(wantedPosition_, size().grownBy(margins));
        window->setPosition(wantedPosition_ + QPoint(margins.left(), margins.top()));
        return true;
    };
    if (place())
        return;
    auto* poll = new QTimer(this);
    auto attempts = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [poll, attempts, place] {
        if (place() || ++*attempts >= 100)
            poll->deleteLater();
    });
    poll->start(20);
}

float MainWindow::Left() const {
    const QWindow* window = windowHandle();
    const int margin = window ? window->frameMargins().left() : 0;
    return static_cast<float>(geometry().left() - margin) * TwipsPerPixel;
}

float MainWindow::Top() const {
    const QWindow* window = windowHandle();
    const int margin = window ? window->frameMargins().top() : 0;
    return static_cast<float>(geometry().top() - margin) * TwipsPerPixel;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A signal may have ended the program while "Really Quit?" was asked.
    if (!shutDown_ && !ConfirmQuit() && !shutDown_) {
        event->ignore();
        return;
    }
    Shutdown();
    event->accept();
}

// Any dialog or message box still open is closed by the unload; exit() also ends the event
// loops of modal windows, and any that a handler still opens returns at once.
void MainWindow::EndOnSignal(int signal) {
    endingOnSignal_ = true;
    Shutdown();
    QCoreApplication::exit(128 + signal);
}

bool MainWindow::ConfirmQuit() {
    return ShowMessage(tr("Really Quit?"), MessageButtons::YesNo, ProgramName(), MessageIcon::None,
                       this) != MessageAnswer::No;
}

void MainWindow::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    // A failure to write the options is told, but must not stop the shutdown or lose the
    // position. Ending on a signal asks nobody anything: a box would hold up a logout.
    try {
        WriteLaunchOptions(options_);
    } catch (const std::exception& e) {
        if (endingOnSignal_)
            std::fprintf(stderr, "patchery: %s\n", e.what());
        else
            ShowMessage(QString::fromLocal8Bit(e.what()), MessageButtons::OK, ProgramName(),
                        MessageIcon::Critical, this);
    }

    temporaryFolder_.Clear(); // removes temp000.bmp with its folder

    // The other windows still open, newest first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }

    if (!isMinimized()) {
        // A maximised window keeps the place and size it had before.
        const bool maximized = isMaximized();
        const QWindow* window = windowHandle();
        const QMargins margins = window ? window->frameMargins() : QMargins();
        const QRect normal = maximized ? normalGeometry() : geometry();
        const auto twips = [](int pixels) { return QString::number(pixels * TwipsPerPixel); };
        SaveSetting(ProgramName(), Section, QStringLiteral("MainLeft"),
                    maximized ? twips(normal.left() - margins.left()) : QString::number(Left()));
        SaveSetting(ProgramName(), Section, QStringLiteral("MainTop"),
                    maximized ? twips(normal.top() - margins.top()) : QString::number(Top()));
        if (resizableAction->isChecked()) {
            SaveSetting(ProgramName(), Section, QStringLiteral("MainWidth"), twips(normal.width()));
            SaveSetting(ProgramName(), Section, QStringLiteral("MainHeight"),
                        twips(normal.height()));
            SaveSetting(ProgramName(), Section, QStringLiteral("MainMaximized"),
                        maximized ? QStringLiteral("1") : QStringLiteral("0"));
        }
    }
}

void MainWindow::Quit() {
    close();
}

// Changes take effect at once, whether the dialog ends with OK or Cancel.
void MainWindow::ShowOptions() {
    OptionsDialog dialog(this, options_);
    dialog.exec();
}

// The README, in the desktop's viewer for it; where nothing can show it, where it lies.
void MainWindow::ShowHandbook() {
    const QString path = HandbookPath();
    QString problem;
    if (!QFileInfo::exists(path))
        problem = tr("The handbook is missing: it should be the file %1").arg(path);
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        problem = tr("No program could show the handbook. It is the file %1").arg(path);
    if (!problem.isEmpty())
        ShowMessage(problem, MessageButtons::OK, tr("Patchery Handbook"), MessageIcon::None, this);
}

void MainWindow::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}
