// Choosing the target's size from the list: a standard sheet or a custom size; a new blank sheet
// of the size it has.

#include "MainWindow.h"

#include "BackgroundWork.h"
#include "Checked.h"
#include "CustomSizeDialog.h"
#include "Layout.h"
#include "MessageBox.h"
#include "Program.h"

#include <QComboBox>

void MainWindow::ChangeTargetSize() {
    // Without the memory for the new size, sheet, caption and bars stay as they were.
    try {
        ApplyChosenSize();
    } catch (const std::bad_alloc&) {
        ShowMessage(tr("There is not enough memory to make the target sheet that size."),
                    MessageButtons::OK, ProgramName(), MessageIcon::None, this);
    }
}

void MainWindow::ApplyChosenSize() {
    // The list's items in order: the standard heights, then "Custom...".
    constexpr int standardHeights[] = {768, 1024, 1536, 2048};
    const int chosen = sizeList->currentIndex();
    if (chosen >= 0 && chosen < int(std::size(standardHeights))) {
        // All of it fits, or nothing.
        ResizeSheet(QSize(StartWidth, standardHeights[chosen]), true);
    } else if (chosen == int(std::size(standardHeights))) {
        CustomSizeDialog dialog(this, customSize_);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        customSize_ = dialog.Size(); // what the boxes held, whether OK or Cancel ended it
        if (accepted)
            ResizeSheet(customSize_, Sheet().AutoSize());
    }
    targetPane->FitBars(); // a cancelled "Custom..." is no change, even where it refitted the bars
}

// The new sheet is made on a thread of its own, the window repainting meanwhile: past half a
// second a progress dialog shows, whose Cancel leaves the sheet as it was.
void MainWindow::ResizeSheet(QSize size, bool autoSize) {
    QImage resized;
    if (size != Sheet().Size() &&
        !RunInBackground(this, tr("Sizing the sheet..."), [&](const std::atomic<bool>& cancelled) {
            resized = document_.Resized(size, &cancelled);
        }))
        return;
    document_.Resize(std::move(resized), tr("Untitled"), autoSize);
}

// The sources, the tile and the zoom stay. The old sheet's files stay known as they were seen,
// for an undo back to it.
void MainWindow::NewSheet() {
    try {
        document_.New(tr("Untitled"));
    } catch (const std::bad_alloc&) {
        ShowMessage(tr("There is not enough memory for a new sheet."), MessageButtons::OK,
                    ProgramName(), MessageIcon::None, this);
    }
}
