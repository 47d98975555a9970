#pragma once
// The launch options (whether and what to start with the program), their file opt.cfg, and
// the start-up launch.

#include <QByteArray>
#include <QString>

struct LaunchOptions {
    bool LaunchAtStart = false;
    // Full path of the program to launch, as the file's bytes: decoded only to be shown.
    QByteArray Path;
};

// Where the options are written: beside the executable where that folder is writable, else
// $XDG_CONFIG_HOME/Patchery/opt.cfg.
QString OptionsFilePath();

// Reads OptionsFilePath(), or the file beside the executable where that does not exist.
// A missing or unreadable file, a first line that is not a 16-bit number, or a missing line
// give no launch and the empty path; a number above 0 is a launch.
LaunchOptions ReadLaunchOptions();
// Throws a Failure naming the file and the reason when it cannot be written.
void WriteLaunchOptions(const LaunchOptions& options);
// Starts the program at path itself: no shell, no splitting into words. A failure is ignored.
void Launch(const QByteArray& path);
