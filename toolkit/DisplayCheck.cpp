#include "DisplayCheck.h"

#include <QByteArray>
#include <QDir>
#include <QLibraryInfo>
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
// Tries the connection Qt would make, with the same authority (XAUTHORITY), and closes it.
// libxcb writes a server's refusal ("Authorization required, ...") to standard error itself:
// it is caught through a pipe (the reason is at most 255 bytes, less than the pipe holds) to
// become part of the one line. A server that takes the connection and never answers is given
// a few seconds. Gives the reason, or nothing when the display answers.
std::optional<std::string> TryDisplay(const QByteArray& display) {
    constexpr auto Patience = std::chrono::seconds(5);
    int caught[2];
    const int saved = ::dup(STDERR_FILENO);
    const bool catching = saved >= 0 && ::pipe2(caught, O_CLOEXEC | O_NONBLOCK) == 0;
    if (catching)
        ::dup2(caught[1], STDERR_FILENO);
    // On a thread of its own, which is left waiting if the server never answers: the program
    // then ends at once.
    struct Attempt {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<bool> refused;
    };
    const auto attempt = std::make_shared<Attempt>();
    std::thread([attempt, display] {
        xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
        const bool refused = xcb_connection_has_error(connection) != 0;
        xcb_disconnect(connection);
        const std::lock_guard lock(attempt->mutex);
        attempt->refused = refused;
        attempt->done.notify_one();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    if (!attempt->done.wait_for(lock, Patience, [&] { return attempt->refused.has_value(); })) {
        if (catching)
            ::dup2(saved, STDERR_FILENO); // the pipe stays open for the waiting thread
        return ": it does not answer";
    }
    const bool refused = *attempt->refused;
    lock.unlock();
    std::string reason;
    if (catching) {
        ::dup2(saved, STDERR_FILENO);
        ::close(caught[1]);
        char text[512];
        for (ssize_t n; (n = ::read(caught[0], text, sizeof text)) > 0;)
            reason.append(text, std::size_t(n));
        ::close(caught[0]);
    }
    if (saved >= 0)
        ::close(saved);
    if (!refused)
        return std::nullopt;
    const QByteArray line = QByteArray::fromStdString(reason).simplified();
    return line.isEmpty() ? std::string() : ": " + line.toStdString();
}
// Whether Qt would find its Wayland platform plugin, where it looks for plugins.
bool HasWaylandSupport() {
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'));
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& folder : folders)
        if (!folder.isEmpty() && !QDir(folder + QStringLiteral("/platforms"))
                                      .entryList({QStringLiteral("libqwayland*")}, QDir::Files)
                                      .isEmpty())
            return true;
    return false;
}
} // namespace

std::optional<std::string> DisplayProblem() {
    // Qt takes X (its xcb platform) unless QT_QPA_PLATFORM names another, or the session is a
    // Wayland one that gives no X display.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return std::nullopt;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            if (HasWaylandSupport())
                return std::nullopt;
            return "no display (DISPLAY is not set, and this Qt has no Wayland support for "
                   "WAYLAND_DISPLAY)";
        }
        return "no display (DISPLAY is not set)";
    }
    if (const std::optional<std::string> reason = TryDisplay(display))
        return "cannot open the display \"" + display.toStdString() + "\"" + *reason;
    return std::nullopt;
}
