#include "app/Options.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <stdexcept>

int16_t LaunchAtStart = 0;
QString LaunchPath;
int16_t DialogAccepted = 0;

QString OptionsFilePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/opt.cfg");
}

namespace {
QByteArray WithoutLineEnd(QByteArray line) {
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}
} // namespace

void ReadOptions() {
    LaunchAtStart = 0;
    LaunchPath.clear();

    QFile file(OptionsFilePath());
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

    QFile file(OptionsFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        throw std::runtime_error("cannot write " + OptionsFilePath().toStdString() + ": " +
                                 file.errorString().toStdString());
}

void LaunchExternal() {
    QProcess::startDetached(LaunchPath, {});
}
