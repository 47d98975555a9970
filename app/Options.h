#pragma once
// The two option values, their file opt.cfg, and the start-up launch.

#include <QByteArray>
#include <QString>

#include <cstdint>

extern int16_t LaunchAtStart; // greater than 0: launch LaunchPath at start-up
// Full path of the program to launch, as the file's bytes: decoded only to be shown.
extern QByteArray LaunchPath;
extern int16_t DialogAccepted; // -1 after OK, 0 after Cancel, in either dialog

// Where the options are written: beside the executable where that folder is writable, else
// $XDG_CONFIG_HOME/Patchery/opt.cfg.
QString OptionsFilePath();

// Reads OptionsFilePath(), or the file beside the executable where that does not exist.
// A missing or unreadable file, a first line that is not a 16-bit number, or a missing line
// give 0 and the empty path.
void ReadOptions();
// Throws std::runtime_error naming the file and the reason when it cannot be written.
void WriteOptions();
// Starts LaunchPath itself as the program: no shell, no splitting into words. A failure is
// ignored.
void LaunchExternal();
