#pragma once
// The command line: patchery [--target SHEET] [SOURCE...], a SOURCE that is a layout opening
// as the target; or without a window patchery --build LAYOUT [--output FILE] [--allow-large] |
// --check LAYOUT.

#include "SheetBuild.h"

#include <QByteArray>
#include <QList>

#include <optional>

struct CommandLine {
    // Full paths of the files named, as their bytes: opened exactly as given.
    QList<QByteArray> Sources; // in the order named
    std::optional<QByteArray> Target;
    // A sheet to build or check from its layout, as its bytes (as given: messages name it so).
    std::optional<QByteArray> Build;
    std::optional<QByteArray> Check;
    QByteArray Output; // --output: where to write the sheet; empty: where the layout says
    bool AllowLarge = false;
};

// Reads the arguments before any window exists. Gives the exit status when the program is to
// end at once: 0 after --help or --version (printed on standard output), 2 after a wrong
// command line (the reason on standard error).
std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& named);

// Runs --build or --check with these readers, needing a QCoreApplication only; prints one line
// a problem on standard error and gives the exit status. Passes on OtherReaderNeeded, having
// printed and written nothing.
int RunSheetCommand(const CommandLine& named, const ImageReaders& read);
