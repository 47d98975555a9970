// Unsaved work kept for recovery: every change to the sheet is handed to the recovery file,
// and at start-up the sheets other instances left unsaved are offered back.

#include "MainWindow.h"

#include "MessageBox.h"
#include "Program.h"

#include <QFile>
#include <QFileInfo>

void MainWindow::KeepForRecovery(const QRect& area) {
    if (Sheet().Unsaved())
        recovery_.Keep(Sheet().Image(), QFile::decodeName(Sheet().FilePath()), area, KeptSources());
    else
        recovery_.Discard();
}

// Once per session: the work goes on without recovery.
void MainWindow::ReportRecoveryFailure(const QString& what) {
    ShowMessage(tr("Unsaved work cannot be kept for recovery: %1").arg(what), MessageButtons::OK,
                ProgramName(), MessageIcon::Critical, this);
}

void MainWindow::OfferRecoveries() {
    while (std::optional<SheetRecovery::Orphan> orphan = recovery_.NextOrphan()) {
        SheetRecovery::Sheet kept;
        try {
            kept = orphan->Read();
        } catch (const std::bad_alloc&) {
            ShowMessage(
                tr("There is not enough memory to restore the unsaved sheet kept in %1; it is "
                   "offered again next time.")
                    .arg(orphan->Path()),
                MessageButtons::OK, ProgramName(), MessageIcon::None, this);
            continue;
        } catch (const std::exception& e) {
            const QString aside = orphan->SetAside();
            ShowMessage(tr("An unsaved sheet could not be restored (%1); it is kept as %2")
                            .arg(QString::fromLocal8Bit(e.what()), aside),
                        MessageButtons::OK, ProgramName(), MessageIcon::Critical, this);
            continue;
        }
        const QString name =
            kept.FilePath.isEmpty() ? tr("Untitled") : QFileInfo(kept.FilePath).fileName();
        const QString text =
            tr("Restore the unsaved sheet %1 (%2x%3, last changed %4)?")
                .arg(name)
                .arg(kept.Image.width())
                .arg(kept.Image.height())
                .arg(kept.Changed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        if (ShowMessage(text, MessageButtons::YesNo, ProgramName(), MessageIcon::None, this) ==
            MessageAnswer::Yes) {
            try {
                RestoreSheet(kept);
            } catch (const std::bad_alloc&) {
                ShowMessage(
                    tr("There is not enough memory to restore the unsaved sheet; it is offered "
                       "again next time."),
                    MessageButtons::OK, ProgramName(), MessageIcon::None, this);
                continue;
            }
        }
        orphan->Discard();
    }
}

// As an opened target: undoable, its own file kept, and marked as changed; with it the sources
// that were open.
void MainWindow::RestoreSheet(const SheetRecovery::Sheet& kept) {
    document_.Restore(kept.Image, QFile::encodeName(kept.FilePath), tr("Untitled"));
    FitTargetBars();
    ReopenSources(kept.Sources);
}
