// File > Open Recent: the last files opened or saved, newest first, each opened again the way
// it was before, as the source or as the target. Kept in the settings.

#include "MainWindow.h"

#include "Program.h"
#include "Settings.h"

#include <QAction>
#include <QFile>
#include <QMenu>

namespace {
const QString Section = QStringLiteral("Recent");
constexpr int Kept = 8;
const QString SourceMark = QStringLiteral("source:");
const QString TargetMark = QStringLiteral("target:");

// Each entry as stored: its mark, then its path.
QStringList StoredRecent() {
    QStringList entries;
    for (int i = 1; i <= Kept; ++i) {
        const QString entry = GetSetting(ProgramName(), Section, QString::number(i));
        if (entry.startsWith(SourceMark) || entry.startsWith(TargetMark))
            entries << entry;
    }
    return entries;
}

void StoreRecent(const QStringList& entries) {
    for (int i = 1; i <= Kept; ++i)
        SaveSetting(ProgramName(), Section, QString::number(i), entries.value(i - 1));
}
} // namespace

void MainWindow::RememberRecent(const QString& path, bool target) {
    const QString entry = (target ? TargetMark : SourceMark) + path;
    QStringList entries = StoredRecent();
    entries.removeAll(entry);
    entries.prepend(entry);
    StoreRecent(entries.mid(0, Kept));
    ListRecent();
}

void MainWindow::ListRecent() {
    recentMenu->clear();
    const QStringList entries = StoredRecent();
    for (int i = 0; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        const bool target = entry.startsWith(TargetMark);
        const QString path = entry.mid((target ? TargetMark : SourceMark).size());
        QAction* item = recentMenu->addAction(
            QStringLiteral("&%1 %2 (%3)")
                .arg(i + 1)
                .arg(path, target ? QStringLiteral("target") : QStringLiteral("source")));
        connect(item, &QAction::triggered, this, [this, entry, path, target] {
            // A file that cannot be opened again leaves the list.
            if (!(target ? OpenTargetFrom(QFile::encodeName(path))
                         : OpenSourceFrom(QFile::encodeName(path)))) {
                QStringList entries = StoredRecent();
                entries.removeAll(entry);
                StoreRecent(entries);
                ListRecent();
            }
        });
    }
    recentMenu->addSeparator();
    QAction* clear = recentMenu->addAction(QStringLiteral("Clear Menu"));
    clear->setEnabled(!entries.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        StoreRecent({});
        ListRecent();
    });
}
