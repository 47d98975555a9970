// Choosing the target's size from the list: a standard sheet or a custom size.

#include "app/frmMain.h"

#include "app/Options.h"
#include "imaging/Checked.h"
#include "platform/MsgBox.h"
#include "workspace/Workspace.h"
#include "workspace/wihei.h"

#include <QComboBox>
#include <QPushButton>

namespace {
QString UntitledCaption(const PictureBox* view) {
    return QStringLiteral("Untitled - ") + QString::number(view->Width()) + QLatin1Char('x') +
           QString::number(view->Height());
}
} // namespace

void frmMain::combo1_Click() {
    // Without the memory for the new size, sheet, caption and bars stay as they were.
    try {
        ChooseTargetSize();
    } catch (const std::bad_alloc&) {
        MsgBox(QStringLiteral("There is not enough memory to make the target sheet that size."),
               MsgButtons::OK, ProgramTitle(), MsgIcon::None, this);
    }
}

void frmMain::ChooseTargetSize() {
    TargetHistory::State before = History().Sheet();
    bool sized = false;
    // Five independent comparisons, each rereading the list's text.
    const struct {
        const char* text;
        int height;
    } standard[] = {{"256x768", 768}, {"256x1024", 1024}, {"256x1536", 1536}, {"256x2048", 2048}};
    for (const auto& size : standard) {
        if (combo1->currentText() == QLatin1String(size.text)) {
            pbox2->setSize(256, size.height); // both sides at once: all of it fits, or nothing
            pbox2->setAutoSize(true);
            cmdtarget->setText(UntitledCaption(pbox2));
            sized = true;
        }
    }
    if (combo1->currentText() == QLatin1String("Custom...")) {
        {
            wihei dialog(this);
            dialog.exec();
        }
        if (DialogAccepted) {
            pbox2->setSize(CustomWidth, CustomHeight);
            cmdtarget->setText(UntitledCaption(pbox2));
            sized = true;
        }
    }

    updown2->setEnabled(pbox2->Height() > ViewHeight);
    side2->setEnabled(pbox2->Width() > ViewWidth);
    updown2->setMax(checked::ToInt16(pbox2->Height() - ViewHeight));
    side2->setMax(checked::ToInt16(pbox2->Width() - ViewWidth));
    // A cancelled "Custom..." is no change, even where it refitted the bars.
    if (sized)
        History().Record(std::move(before));
}
