// Opening an image file as the source or as the target, from the dialog, the command line or
// a drop.

#include "MainWindow.h"

#include "Checked.h"
#include "Failure.h"
#include "FileDrop.h"
#include "ImageFile.h"
#include "Layout.h"
#include "MessageBox.h"
#include "Program.h"
#include "ViewBars.h"

#include <QPushButton>

namespace {
void SetUpOpenDialog(FileDialog& dialog) {
    dialog.Title = QStringLiteral("Select tga...");
    dialog.DefaultExtension = QStringLiteral("*.tga");
    dialog.Filter = QStringLiteral("tga Image(*.tga)|*.tga|") + OtherImagesFilter();
    dialog.FilterIndex = 1;
    dialog.ConfirmOverwrite = false;
}

// Ranges a view's bars to its image; a bar is on when the view exceeds the viewing area.
void FitBars(QSize size, double zoom, ScrollBar* vertical, ScrollBar* horizontal) {
    if (BarNeeded(size.height(), ViewHeight, zoom))
        vertical->setEnabled(true);
    if (BarNeeded(size.width(), ViewWidth, zoom))
        horizontal->setEnabled(true);
    vertical->setMax(BarMax(size.height(), ViewHeight, zoom));
    horizontal->setMax(BarMax(size.width(), ViewWidth, zoom));
}

void WrongFormat(QWidget* parent) {
    ShowMessage(QStringLiteral("Wrong format"), MessageButtons::OK, ProgramName(),
                MessageIcon::None, parent);
}
} // namespace

void MainWindow::OpenSource() {
    OpenSourceFrom(std::nullopt);
}
void MainWindow::OpenTarget() {
    OpenTargetFrom(std::nullopt);
}
void MainWindow::OpenSourceFile(const QString& path) {
    OpenSourceFrom(path);
}
void MainWindow::OpenTargetFile(const QString& path) {
    OpenTargetFrom(path);
}

void MainWindow::ConnectDrops() {
    const auto source = [this](const QString& path) { OpenSourceFile(path); };
    const auto target = [this](const QString& path) { OpenTargetFile(path); };
    AcceptFileDrops(sourceView, source);
    AcceptFileDrops(sourceButton, source);
    AcceptFileDrops(targetView, target);
    AcceptFileDrops(targetButton, target);
}

// Everything after this is the same for the dialog's choice and for a named file.
bool MainWindow::ChooseFile(const std::optional<QString>& named) {
    if (named) {
        fileDialog.Choose(*named);
        return true;
    }
    SetUpOpenDialog(fileDialog);
    return fileDialog.ShowOpen(this);
}

// A cancelled open says "Wrong format" too: the dialog was asked for an image and gave none.
void MainWindow::OpenSourceFrom(const std::optional<QString>& named) {
    // A failed or cancelled open leaves the image on screen, and the bars that scroll it.
    const bool verticalWasOn = sourceVerticalBar->isEnabled();
    const bool horizontalWasOn = sourceHorizontalBar->isEnabled();
    sourceVerticalBar->setEnabled(false);
    sourceHorizontalBar->setEnabled(false);
    try {
        if (!ChooseFile(named))
            throw Failure("no file was chosen");
        // Decoded and drawn aside: a file that cannot be read, or memory that runs out, leaves
        // the source as it was.
        source_ = Drawn(LoadImageFile(fileDialog.FileName));
        sourceView->resize(sourceView->Zoomed(source_.size()));
        sourceView->update();
        sourceButton->setText(fileDialog.FileTitle + QStringLiteral(" - ") +
                              QString::number(source_.width()) + QLatin1Char('x') +
                              QString::number(source_.height()));
        sourceView->SetMark({}); // the last pick was from the previous source
        FitBars(source_.size(), sourceView->Zoom(), sourceVerticalBar, sourceHorizontalBar);
        if (sourceView->width() > ViewWidth) {
            sourceView->resize(ViewWidth, sourceView->height());
            // The bar may already stand away from 0: place the view where it says, so the
            // view still reaches the edge of its viewing area.
            PlaceSourceHorizontally();
        }
    } catch (const std::exception&) {
        sourceVerticalBar->setEnabled(verticalWasOn);
        sourceHorizontalBar->setEnabled(horizontalWasOn);
        WrongFormat(this);
    }
}

void MainWindow::OpenTargetFrom(const std::optional<QString>& named) {
    SheetHistory::Step before = history_.Sheet();
    try {
        if (!ChooseFile(named))
            throw Failure("no file was chosen");
        sheet_.Open(Drawn(LoadImageFile(fileDialog.FileName)), fileDialog.FileName);
        sheet_.SetAutoSize(true);
        FitBars(sheet_.Size(), targetView->Zoom(), targetVerticalBar, targetHorizontalBar);
        history_.Record(std::move(before));
    } catch (const std::exception&) {
        WrongFormat(this);
    }
}
