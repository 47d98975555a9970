#include "LaunchOptions.h"

#include "Failure.h"
#include "FileIO.h"
#include "Installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <climits>
#include <filesystem>
#include <sys/wait.h>
#include <system_error>

namespace {
QString BesideExecutable(const QString& folder) {
    return folder + QStringLiteral("/opt.cfg");
}

// The XDG rules ignore a folder that is not given as an absolute path.
QString UserOptionsFile() {
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/Patchery/opt.cfg");
}

// An administrator's default: the first $XDG_CONFIG_DIRS/Patchery/opt.cfg that exists.
QString AdministratorsFile() {
    const QString folders = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString& folder : folders.split(QLatin1Char(':'))) {
        const QString file = folder + QStringLiteral("/Patchery/opt.cfg");
        if (QDir::isAbsolutePath(folder) && QFileInfo::exists(file))
            return file;
    }
    return {};
}

QByteArray WithoutLineEnd(QByteArray line) {
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}
} // namespace

QString OptionsFilePath(const QString& executableFolder) {
    // A copy run from its build or a portable folder keeps its options beside itself, where it
    // may write there.
    if (!IsInstalledCopy(executableFolder) && QFileInfo(executableFolder).isWritable())
        return BesideExecutable(executableFolder);
    return UserOptionsFile();
}

LaunchOptions ReadLaunchOptions(const QString& executableFolder) {
    // The user's own file, else an administrator's default: for an installed copy in the
    // system's configuration folders, for another one beside the executable.
    QString chosen = OptionsFilePath(executableFolder);
    if (!QFileInfo::exists(chosen))
        chosen = IsInstalledCopy(executableFolder) ? AdministratorsFile()
                                                   : BesideExecutable(executableFolder);
    if (chosen.isEmpty())
        return {};
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

void WriteLaunchOptions(const LaunchOptions& options, const QString& executableFolder) {
    // A blank where the sign would go, the number, one blank: " 1 " or " 0 ".
    QByteArray text = options.LaunchAtStart ? " 1 \r\n" : " 0 \r\n";
    text += options.Path + "\r\n";

    const QString path = OptionsFilePath(executableFolder);
    const std::string action =
        QCoreApplication::translate("LaunchOptions", "Could not save the options to %1")
            .arg(path)
            .toLocal8Bit()
            .toStdString();
    // The folder's own failure is the reason: the file's open would only say it is missing.
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(QFileInfo(path).path()).toStdString(),
                                        made);
    if (made)
        throw Failure(action, made.message());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        throw Failure(action, file.errorString().toLocal8Bit().toStdString());
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
