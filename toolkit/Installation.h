#pragma once
// Where an installed copy keeps what it brings along, and whether this copy is one.

#include <QString>

// The folder of the patchery command: the window program's own (a build folder, a copy), or
// for an installed window program in libexec/patchery, the bin folder of its installation.
QString ProgramFolder();

// An installed copy has its desktop entry in the share folder beside bin/: it never writes into
// its installation, which belongs to the package.
bool IsInstalledCopy(const QString& executableFolder = ProgramFolder());

// The handbook, the README: installed in share/doc/patchery beside bin/; for a copy run from its
// build folder, the README of the source tree it was built from.
QString HandbookPath(const QString& executableFolder = ProgramFolder());
