#include "DisplayCheck.h"

#include <QByteArray>
#include <QtGlobal>

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
// Tries the connection Qt would make, with the same authority (XAUTHORITY), and closes it.
// libxcb writes a server's refusal ("Authorization required, ...") to standard error itself:
// it is caught through a pipe (the reason is at most 255 bytes, less than the pipe holds) to
// become part of the one line. Gives the reason, or nothing when the display answers.
std::optional<std::string> TryDisplay(const QByteArray& display) {
    int caught[2];
    const int saved = ::dup(STDERR_FILENO);
    const bool catching = saved >= 0 && ::pipe2(caught, O_CLOEXEC | O_NONBLOCK) == 0;
    if (catching)
        ::dup2(caught[1], STDERR_FILENO);
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool refused = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
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
} // namespace

std::optional<std::string> DisplayProblem() {
    // Qt takes X (its xcb platform) unless QT_QPA_PLATFORM names another, or the session is a
    // Wayland one that gives no X display.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return std::nullopt;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return std::nullopt;
        return "no display (DISPLAY is not set)";
    }
    if (const std::optional<std::string> reason = TryDisplay(display))
        return "cannot open the display \"" + display.toStdString() + "\"" + *reason;
    return std::nullopt;
}
