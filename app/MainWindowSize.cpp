// Choosing the target's size from the list: a standard sheet or a custom size.

#include "MainWindow.h"

#include "BackgroundWork.h"
#include "Checked.h"
#include "CustomSizeDialog.h"
#include "Layout.h"
#include "MessageBox.h"
#include "Program.h"
#include "ViewBars.h"

#include <QComboBox>

void MainWindow::ChangeTargetSize() {
    // Without the memory for the new size, sheet, caption and bars stay as they were.
    try {
        ApplyChosenSize();
    } catch (const std::bad_alloc&) {
        ShowMessage(
            QStringLiteral("There is not enough memory to make the target sheet that size."),
            MessageButtons::OK, ProgramName(), MessageIcon::None, this);
    }
}

void MainWindow::ApplyChosenSize() {
    SheetHistory::Step before = history_.Sheet();
    bool sized = false;
    const QString chosen = sizeList->currentText();
    const struct {
        const char* text;
        int height;
    } standard[] = {{"256x768", 768}, {"256x1024", 1024}, {"256x1536", 1536}, {"256x2048", 2048}};
    for (const auto& size : standard) {
        if (chosen == QLatin1String(size.text)) {
            const BusyCursor busy;
            sheet_.Resize(QSize(StartWidth, size.height)); // all of it fits, or nothing
            sheet_.SetAutoSize(true);
            sized = true;
        }
    }
    if (chosen == QLatin1String("Custom...")) {
        CustomSizeDialog dialog(this, customSize_);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        customSize_ = dialog.Size(); // what the boxes held, whether OK or Cancel ended it
        if (accepted) {
            const BusyCursor busy;
            sheet_.Resize(customSize_);
            sized = true;
        }
    }
    if (sized)
        sheet_.SetTitle(QStringLiteral("Untitled"));

    FitTargetBars();
    // A cancelled "Custom..." is no change, even where it refitted the bars.
    if (sized)
        history_.Record(std::move(before));
}

// Each bar is on exactly when the sheet exceeds the viewing area that way.
void MainWindow::FitTargetBars() {
    const double zoom = targetView->Zoom();
    targetVerticalBar->setEnabled(BarNeeded(sheet_.Height(), ViewHeight, zoom));
    targetHorizontalBar->setEnabled(BarNeeded(sheet_.Width(), ViewWidth, zoom));
    targetVerticalBar->setMax(BarMax(sheet_.Height(), ViewHeight, zoom));
    targetHorizontalBar->setMax(BarMax(sheet_.Width(), ViewWidth, zoom));
}
