// Unsaved work kept for recovery: every change to the sheet is handed to the recovery file,
// and at start-up the sheets other instances left unsaved are offered back.

#include "MainWindow.h"

#include "BackgroundWork.h"
#include "MessageBox.h"
#include "Program.h"
#include "RecoveryDialog.h"

#include <QFile>
#include <QFileInfo>

void MainWindow::KeepForRecovery(const QRect& area) {
    if (Sheet().Unsaved())
        recovery_.Keep(Sheet().Image(), Sheet().FilePath(), area, document_.LinksSnapshot(),
                       KeptSources());
    else
        recovery_.Discard();
}

// Once per session: the work goes on without recovery.
void MainWindow::ReportRecoveryFailure(const QString& what) {
    ShowMessage(tr("Unsaved work cannot be kept for recovery: %1").arg(what), MessageButtons::OK,
                ProgramName(), MessageIcon::Critical, this);
}

namespace {
QString Described(const SheetRecovery::Sheet& kept) {
    return kept.FilePath.isEmpty() ? MainWindow::tr("Untitled")
                                   : QFileInfo(QFile::decodeName(kept.FilePath)).fileName();
}

QString Changed(const SheetRecovery::Sheet& kept) {
    return kept.Changed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
} // namespace

// Only an explicit No, or Discard, removes a sheet: a question closed any other way, a
// cancelled read or a signal keeps every sheet for the next start.
void MainWindow::OfferRecoveries() {
    std::vector<SheetRecovery::Orphan> orphans;
    std::vector<SheetRecovery::Sheet> kept;
    QStringList setAside;
    while (std::optional<SheetRecovery::Orphan> orphan = recovery_.NextOrphan()) {
        try {
            kept.push_back(orphan->Read(true));
            orphans.push_back(std::move(*orphan));
        } catch (const std::exception& e) {
            const QString aside = orphan->SetAside();
            setAside << tr("An unsaved sheet could not be restored (%1); it is kept as %2")
                            .arg(QString::fromLocal8Bit(e.what()), aside);
        }
    }
    if (!setAside.isEmpty())
        ShowMessage(setAside.join(QLatin1Char('\n')), MessageButtons::OK, ProgramName(),
                    MessageIcon::Critical, this);
    if (orphans.size() == 1) {
        const QString text = tr("Restore the unsaved sheet %1 (%2x%3, last changed %4)?")
                                 .arg(Described(kept[0]))
                                 .arg(kept[0].Size.width())
                                 .arg(kept[0].Size.height())
                                 .arg(Changed(kept[0]));
        switch (ShowMessage(text, MessageButtons::YesNoOrLater, ProgramName(), MessageIcon::None,
                            this)) {
        case MessageAnswer::Yes:
            RestoreOrphan(orphans[0]);
            break;
        case MessageAnswer::No:
            orphans[0].Discard();
            break;
        default:
            break;
        }
        return;
    }
    while (orphans.size() > 1 && !shutDown_) {
        QStringList lines;
        for (const SheetRecovery::Sheet& sheet : kept)
            lines << tr("%1 (%2x%3, last changed %4)")
                         .arg(Described(sheet))
                         .arg(sheet.Size.width())
                         .arg(sheet.Size.height())
                         .arg(Changed(sheet));
        RecoveryDialog dialog(lines, this);
        const RecoveryDialog::Choice choice = dialog.Ask();
        const QList<int> selected = dialog.Selected();
        if (choice == RecoveryDialog::Choice::Restore && selected.size() == 1) {
            RestoreOrphan(orphans[size_t(selected[0])]);
            return; // the others stay for the next start
        }
        if (choice != RecoveryDialog::Choice::Discard)
            return;
        for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
            orphans[size_t(*row)].Discard();
            orphans.erase(orphans.begin() + *row);
            kept.erase(kept.begin() + *row);
        }
    }
}

// Read on a thread of its own, with progress past half a second; its Cancel keeps the sheet.
// The file goes only once the restored sheet is on the disk as this run's own.
void MainWindow::RestoreOrphan(SheetRecovery::Orphan& orphan) {
    SheetRecovery::Sheet kept;
    try {
        bool cancelled = !RunInBackground(this, tr("Reading the unsaved sheet..."),
                                          [&](const std::atomic<bool>& stop) {
                                              try {
                                                  kept = orphan.Read(false, &stop);
                                              } catch (const SheetRecovery::Cancelled&) {
                                              }
                                          });
        if (cancelled || kept.Image.isNull() || shutDown_)
            return;
        RestoreSheet(kept);
    } catch (const std::bad_alloc&) {
        ShowMessage(tr("There is not enough memory to restore the unsaved sheet kept in %1; it is "
                       "offered again next time.")
                        .arg(orphan.Path()),
                    MessageButtons::OK, ProgramName(), MessageIcon::None, this);
        return;
    } catch (const std::exception& e) {
        const QString aside = orphan.SetAside();
        ShowMessage(tr("An unsaved sheet could not be restored (%1); it is kept as %2")
                        .arg(QString::fromLocal8Bit(e.what()), aside),
                    MessageButtons::OK, ProgramName(), MessageIcon::Critical, this);
        return;
    }
    recovery_.Replace(std::move(orphan));
}

// As an opened target: undoable, its own file kept, and marked as changed; with it the sources
// that were open.
void MainWindow::RestoreSheet(const SheetRecovery::Sheet& kept) {
    document_.Restore(kept.Image, kept.FilePath, tr("Untitled"), kept.Links);
    targetPane->FitBars();
    ReopenSources(kept.Sources);
}
