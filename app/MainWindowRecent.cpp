// File > Open Recent: the last files opened or saved, newest first, each opened again the way
// it was before, as the source or as the target. Kept in the settings.

#include "MainWindow.h"

#include "MessageBox.h"
#include "Program.h"
#include "Settings.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {
const QString Section = QStringLiteral("Recent");
constexpr int Kept = 8;
const QByteArray SourceMark = "source:";
const QByteArray TargetMark = "target:";

// Each entry as stored: its mark, then its path's bytes. A name that is not valid in the
// locale's encoding is kept as bytes (@ByteArray in the file), any other as plain text.
QList<QByteArray> StoredRecent() {
    QList<QByteArray> entries;
    for (int i = 1; i <= Kept; ++i) {
        const QByteArray entry = GetSettingBytes(ProgramName(), Section, QString::number(i));
        if (entry.startsWith(SourceMark) || entry.startsWith(TargetMark))
            entries << entry;
    }
    return entries;
}

void StoreRecent(const QList<QByteArray>& entries) {
    for (int i = 1; i <= Kept; ++i)
        SaveSettingBytes(ProgramName(), Section, QString::number(i), entries.value(i - 1));
}
} // namespace

void MainWindow::RememberRecent(const QByteArray& path, bool target) {
    const QByteArray entry = (target ? TargetMark : SourceMark) + path;
    QList<QByteArray> entries = StoredRecent();
    entries.removeAll(entry);
    entries.prepend(entry);
    StoreRecent(entries.mid(0, Kept));
    ListRecent();
}

void MainWindow::ListRecent() {
    recentMenu->clear();
    const QList<QByteArray> entries = StoredRecent();
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray& entry = entries[i];
        const bool target = entry.startsWith(TargetMark);
        const QByteArray path = entry.mid((target ? TargetMark : SourceMark).size());
        // Named as well as the bytes decode; an & in it is shown, not taken as the key.
        QString shown = QFile::decodeName(path);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = recentMenu->addAction(
            tr("&%1 %2 (%3)").arg(i + 1).arg(shown, target ? tr("target") : tr("source")));
        connect(item, &QAction::triggered, this, [this, entry, path, target] {
            // A file there that cannot be read says why, and stays listed.
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0 && errno != ENOENT && errno != ENOTDIR) {
                ShowMessage(
                    tr("Cannot open %1: %2")
                        .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(errno))),
                    MessageButtons::OK, ProgramName(), MessageIcon::Critical, this);
                return;
            }
            if (fd >= 0)
                ::close(fd);
            // A file that cannot be opened again leaves the list.
            if (!(target ? OpenTargetFrom(path) : OpenSourceFrom(path))) {
                QList<QByteArray> entries = StoredRecent();
                entries.removeAll(entry);
                StoreRecent(entries);
                ListRecent();
            }
        });
    }
    recentMenu->addSeparator();
    QAction* clear = recentMenu->addAction(tr("Clear Menu"));
    clear->setEnabled(!entries.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        StoreRecent({});
        ListRecent();
    });
}
