// patchery, linked to Qt Core alone so that a build starts fast: it builds and checks sheets
// itself, and becomes patchery-window, the program with the window and all of Qt's image
// readers, for everything else.

#include "CommandLine.h"
#include "OtherReaderNeeded.h"
#include "PlainImageFile.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
// Beside this program in a build folder; where the installation puts it otherwise.
std::string WindowProgram() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = length > 0 ? std::string(self, size_t(length)) : std::string();
    folder = folder.substr(0, folder.rfind('/') + 1);
    const std::string installed = folder + PATCHERY_WINDOW_FROM_BIN "/patchery-window";
    return ::access(installed.c_str(), X_OK) == 0 ? installed : folder + "patchery-window";
}
} // namespace

int main(int argc, char** argv) {
    CommandLine named;
    if (const std::optional<int> status = ParseCommandLine(argc, argv, named))
        return *status;
    if (named.Build || named.Check) {
        // A write past the file-size limit then fails with "File too large", which is said.
        std::signal(SIGXFSZ, SIG_IGN);
        const QCoreApplication core(argc, argv);
        try {
            return RunSheetCommand(named, {LoadPlainImage, {}});
        } catch (const OtherReaderNeeded&) {
        }
    }
    const std::string window = WindowProgram();
    ::execv(window.c_str(), argv);
    std::fprintf(stderr, "patchery: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
    return 1;
}
