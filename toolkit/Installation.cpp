#include "Installation.h"

#include <QDir>
#include <QFileInfo>

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
