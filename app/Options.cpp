#include "app/Options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <stdexcept>

int16_t LaunchAtStart = 0;
QString LaunchPath;
int16_t DialogAccepted = 0;

namespace {
QString BesideExecutable() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/opt.cfg");
}

// An installed copy cannot write beside itself: each user keeps the options with the settings.
bool ExecutableFolderWritable() {
    return QFileInfo(QCoreApplication::applicationDirPath()).isWritable();
}
QByteArray WithoutLineEnd(QByteArray line) {
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}
} // namespace

QString OptionsFilePath() {
    if (ExecutableFolderWritable())
        return BesideExecutable();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Patchery/opt.cfg");
}

void ReadOptions() {
    LaunchAtStart = 0;
    LaunchPath.clear();

    // The user's own file, else the one an administrator left beside the executable.
    QString path = OptionsFilePath();
    if (!QFileInfo::exists(path))
        path = BesideExecutable();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray first = file.readLine();
    if (!first.endsWith('\n') || file.atEnd())
        return; // no second line
    bool ok = false;
    const short value = WithoutLineEnd(first).trimmed().toShort(&ok);
    if (!ok)
        return;
    const QByteArray second = WithoutLineEnd(file.readLine());
    LaunchAtStart = value;
    LaunchPath = QFile::decodeName(second);
}

void WriteOptions() {
    // A blank where the sign would go, the number, one blank: " 1 ", "-1 ".
    QByteArray text = LaunchAtStart < 0 ? QByteArray() : QByteArray(" ");
    text += QByteArray::number(LaunchAtStart) + " \r\n";
    text += QFile::encodeName(LaunchPath) + "\r\n";

    const QString path = OptionsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        throw std::runtime_error("Could not save the options to " +
                                 QFile::encodeName(path).toStdString() + ": " +
                                 file.errorString().toLocal8Bit().toStdString());
}

void LaunchExternal() {
    QProcess::startDetached(LaunchPath, {});
}
