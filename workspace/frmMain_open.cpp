// Opening an image file as the source or as the target.

#include "app/frmMain.h"

#include "imaging/Checked.h"
#include "platform/MsgBox.h"
#include "workspace/ImageFile.h"
#include "workspace/Workspace.h"

#include <QPushButton>

namespace {
void SetUpOpenDialog(CommonDialog& dialog) {
    dialog.DialogTitle = QStringLiteral("Select tga...");
    dialog.DefaultExt = QStringLiteral("*.tga");
    dialog.Filter = QStringLiteral("tga Image(*.tga)|*.tga|") + OtherImagesFilter();
    dialog.FilterIndex = 1;
    dialog.CancelError = true;
}

QString Caption(const QString& name, const PictureBox* view) {
    return name + QStringLiteral(" - ") + QString::number(view->Width()) + QLatin1Char('x') +
           QString::number(view->Height());
}

// Ranges a view's bars to its size; a bar is on when the view exceeds the viewing area.
void FitBars(const PictureBox* view, ScrollBar* vertical, ScrollBar* horizontal) {
    if (view->Height() > ViewHeight)
        vertical->setEnabled(true);
    if (view->Width() > ViewWidth)
        horizontal->setEnabled(true);
    vertical->setMax(checked::ToInt16(view->Height() - ViewHeight));
    horizontal->setMax(checked::ToInt16(view->Width() - ViewWidth));
}

void WrongFormat(QWidget* parent) {
    MsgBox(QStringLiteral("Wrong format"), MsgButtons::OK, ProgramTitle(), MsgIcon::None, parent);
}
} // namespace

void frmMain::cmdsource_Click() {
    OpenSource();
}
void frmMain::mnuFileopsour_Click() {
    OpenSource();
}
void frmMain::cmdtarget_Click() {
    OpenTarget();
}
void frmMain::mnuFileoptar_Click() {
    OpenTarget();
}

void frmMain::OpenSourceFile(const QString& path) {
    OpenSource(path);
}
void frmMain::OpenTargetFile(const QString& path) {
    OpenTarget(path);
}

// Everything after this is the same for the dialog's choice and for a named file.
void frmMain::ChooseFile(const std::optional<QString>& named) {
    if (named) {
        dlgbox.Choose(*named);
        return;
    }
    SetUpOpenDialog(dlgbox);
    dlgbox.ShowOpen(this);
}

void frmMain::OpenSource(const std::optional<QString>& named) {
    // A failed or cancelled open leaves the image on screen, and the bars that scroll it.
    const bool verticalWasOn = updown1->isEnabled();
    const bool horizontalWasOn = side1->isEnabled();
    updown1->setEnabled(false);
    side1->setEnabled(false);
    try {
        ChooseFile(named);
        pbox1->setAutoSize(true);
        LloaD(); // the drawn image is the view's picture too
        cmdsource->setText(Caption(dlgbox.FileTitle, pbox1));
        pbox1->setMark({}); // the last pick was from the previous source
        FitBars(pbox1, updown1, side1);
        if (pbox1->Width() > ViewWidth) {
            pbox1->setWidth(ViewWidth);
            // The bar may already stand away from 0: place the view where it says, so the
            // view still reaches the edge of its viewing area.
            side1_Change();
        }
    } catch (const std::exception&) {
        updown1->setEnabled(verticalWasOn);
        side1->setEnabled(horizontalWasOn);
        WrongFormat(this);
    }
}

void frmMain::OpenTarget(const std::optional<QString>& named) {
    TargetHistory::State before = History().Sheet();
    try {
        ChooseFile(named);
        pbox2->setAutoSize(true);
        LloaD2(); // the drawn image is the view's picture too
        cmdtarget->setText(Caption(dlgbox.FileTitle, pbox2));
        FitBars(pbox2, updown2, side2);
        History().Record(std::move(before));
    } catch (const std::exception&) {
        WrongFormat(this);
    }
}
