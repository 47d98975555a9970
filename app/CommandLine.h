#pragma once
// The command line: patchery [--target SHEET] [SOURCE...].

#include <QByteArray>
#include <QList>

#include <optional>

struct CommandLine {
    // Full paths of the files named, as their bytes: opened exactly as given.
    QList<QByteArray> Sources; // in the order named
    std::optional<QByteArray> Target;
};

// Reads the arguments before any window exists. Gives the exit status when the program is to
// end at once: 0 after --help or --version (printed on standard output), 2 after a wrong
// command line (the reason on standard error).
std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& named);
