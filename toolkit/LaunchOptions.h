#pragma once
// The launch options (whether and what to start with the program), their file opt.cfg, and
// the start-up launch.

#include "Installation.h"

#include <QByteArray>
#include <QString>

struct LaunchOptions {
    bool LaunchAtStart = false;
    // Full path of the program to launch, as the file's bytes: decoded only to be shown.
    QByteArray Path;
};

// The options of a program run from executableFolder. An installed copy (its bin/ beside
// share/applications/org.patchery.Patchery.desktop) keeps them per user in
// $XDG_CONFIG_HOME/Patchery/opt.cfg, and never writes into its installation; a copy run from
// its build or a portable folder keeps them beside itself where that folder is writable, else
// per user too. A relative $XDG_CONFIG_HOME or $XDG_CONFIG_DIRS is ignored.
QString OptionsFilePath(const QString& executableFolder = ProgramFolder());

// Reads OptionsFilePath(); where that does not exist, an administrator's default: for an
// installed copy the first $XDG_CONFIG_DIRS/Patchery/opt.cfg (/etc/xdg by default), for
// another the file beside the executable.
// A missing or unreadable file, a first line that is not a 16-bit number, or a missing line
// give no launch and the empty path; a number above 0 is a launch.
LaunchOptions ReadLaunchOptions(const QString& executableFolder = ProgramFolder());
// Throws a Failure naming the file and the reason when it cannot be written (also when its
// folder cannot be made).
void WriteLaunchOptions(const LaunchOptions& options,
                        const QString& executableFolder = ProgramFolder());
// Starts the program at path itself: no shell, no splitting into words. A failure is ignored.
void Launch(const QByteArray& path);
