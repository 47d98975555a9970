#include "Installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramFolder() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString window = QStringLiteral("/" PATCHERY_WINDOW_DIR);
    if (!folder.endsWith(window))
        return folder;
    return folder.chopped(window.size()) + QStringLiteral("/" PATCHERY_BIN_DIR);
}

bool IsInstalledCopy(const QString& executableFolder) {
    return QFileInfo::exists(
        executableFolder + QStringLiteral("/../share/applications/org.patchery.Patchery.desktop"));
}

QString HandbookPath(const QString& executableFolder) {
    if (IsInstalledCopy(executableFolder))
        return QDir::cleanPath(executableFolder +
                               QStringLiteral("/../share/doc/patchery/README.md"));
    return QStringLiteral(PATCHERY_SOURCE_DIR "/README.md");
}
