// Edit > Undo and Redo: the target sheet's history of stamps, size changes and opened targets.

#include "app/frmMain.h"

#include <QAction>

TargetHistory& frmMain::History() {
    if (!history_) {
        history_ = std::make_unique<TargetHistory>(
            TargetHistory::Controls{pbox2, cmdtarget, updown2, side2}, [this] {
                mnuEditundo->setEnabled(history_->CanUndo());
                mnuEditredo->setEnabled(history_->CanRedo());
            });
    }
    return *history_;
}

void frmMain::mnuEditundo_Click() {
    History().Undo();
}

void frmMain::mnuEditredo_Click() {
    History().Redo();
}
