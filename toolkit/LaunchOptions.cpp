#include "LaunchOptions.h"

#include "Failure.h"
#include "FileIO.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <climits>
#include <sys/wait.h>

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

LaunchOptions ReadLaunchOptions() {
    // The user's own file, else the one an administrator left beside the executable.
    QString chosen = OptionsFilePath();
    if (!QFileInfo::exists(chosen))
        chosen = BesideExecutable();
    const std::string path = QFile::encodeName(chosen).toStdString();
    // Two lines, each at most as long as a path can be: a longer line is not a path, and
    // reading no further keeps a huge or endless file from costing time and memory.
    constexpr qsizetype MaxLine = PATH_MAX - 1;
    QByteArray bytes(2 * (MaxLine + 2), Qt::Uninitialized);
    try {
        const auto file = fileio::OpenForReading(path);
        bytes.truncate(static_cast<qsizetype>(fileio::ReadFully(
            file.get(), reinterpret_cast<uint8_t*>(bytes.data()), size_t(bytes.size()), 0, path)));
    } catch (const Failure&) {
        return {};
    }
    const qsizetype firstEnd = bytes.indexOf('\n');
    if (firstEnd < 0 || firstEnd + 1 == bytes.size())
        return {}; // no second line
    const QByteArray first = WithoutLineEnd(bytes.left(firstEnd + 1));
    const qsizetype secondEnd = bytes.indexOf('\n', firstEnd + 1);
    const QByteArray second =
        WithoutLineEnd(bytes.mid(firstEnd + 1, secondEnd < 0 ? -1 : secondEnd - firstEnd));
    bool ok = false;
    const short value = first.trimmed().toShort(&ok);
    if (!ok || first.size() > MaxLine || second.size() > MaxLine)
        return {};
    return {value > 0, second}; // the path as the file's own bytes, whatever the locale
}

void WriteLaunchOptions(const LaunchOptions& options) {
    // A blank where the sign would go, the number, one blank: " 1 " or " 0 ".
    QByteArray text = options.LaunchAtStart ? " 1 \r\n" : " 0 \r\n";
    text += options.Path + "\r\n";

    const QString path = OptionsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        throw Failure("Could not save the options to " + QFile::encodeName(path).toStdString(),
                      file.errorString().toLocal8Bit().toStdString());
}

// Qt starts a program named by text, which cannot hold every name's bytes (Latin-1 under a UTF-8
// locale): the path is started as it is held. The child forks the program and ends, so the
// program is nobody's child to wait for, as with QProcess::startDetached.
void Launch(const QByteArray& path) {
    QByteArray program = path;
    char* const argv[] = {program.data(), nullptr};
    const pid_t child = ::fork();
    if (child == 0) {
        if (::fork() == 0)
            ::execvp(argv[0], argv);
        ::_exit(0);
    }
    if (child > 0)
        ::waitpid(child, nullptr, 0);
}
