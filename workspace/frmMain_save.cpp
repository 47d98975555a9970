// "Save Target As...": the target view's image goes through a temporary BMP into CurImage,
// which is written as a 24-bit TGA.

#include "app/frmMain.h"

#include "imaging/TGALS.h"
#include "imaging/modFileBMP.h"
#include "platform/MsgBox.h"
#include "workspace/Workspace.h"

#include <QScopeGuard>

void frmMain::mnuFilesavtar_Click() {
    dlgbox.DialogTitle = QStringLiteral("Save tga...");
    dlgbox.DefaultExt = QStringLiteral("*.tga");
    dlgbox.Filter = QStringLiteral("tga Image(*.tga)|*.tga");
    dlgbox.FilterIndex = 1;
    dlgbox.CancelError = true;
    dlgbox.Flags = CommonDialog::OverwritePrompt;
    try {
        dlgbox.ShowSave(this);
    } catch (const DialogCancelled&) {
        return;
    }

    const QString chosen = dlgbox.FileName;
    try {
        SaveTarget();
    } catch (const UnsupportedBitmap&) {
        pboxfinal->hide();
        MsgBox(QStringLiteral("Image format unsupported"), MsgButtons::OK, QStringLiteral("Error"),
               MsgIcon::Critical, this);
        return;
    } catch (const std::exception& e) {
        pboxfinal->hide();
        // A save that fails silently would leave the user believing the sheet is on disk.
        const auto* saveError = dynamic_cast<const TgaSaveError*>(&e);
        const QString reason =
            saveError ? QString::fromLocal8Bit(saveError->Reason) : FailureText(e);
        MsgBox(QStringLiteral("Could not save ") + chosen + QStringLiteral(": ") + reason,
               MsgButtons::OK, ProgramTitle(), MsgIcon::Critical, this);
        return;
    }
    pboxfinal->hide();
}

void frmMain::SaveTarget() {
    pboxfinal->show();
    pboxfinal->Cls();
    pboxfinal->setWidth(pbox2->Width());
    pboxfinal->setHeight(pbox2->Height());
    pboxfinal->PaintPicture(pbox2->Image(), 0, 0, pboxfinal->Width(), pboxfinal->Height(), 0, 0,
                            pbox2->Width(), pbox2->Height());
    pboxfinal->setPicture(pboxfinal->Image());
    {
        // No copy of the sheet stays in the temporary folder, whether the save goes on or fails.
        const auto removeBitmap = qScopeGuard([this] { RemoveTempBitmap(); });
        SavePicture(pboxfinal->Picture(), TempBitmapPath());
        Lload3();
    }
    SaveTGA(LocalPath(dlgbox.FileName), CurImage);
}
