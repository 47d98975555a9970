// Opening an image file as the source or as the target, from the dialog, the command line or
// a drop.

#include "MainWindow.h"

#include "BackgroundWork.h"
#include "Checked.h"
#include "Failure.h"
#include "FileDrop.h"
#include "ImageFile.h"
#include "Layout.h"
#include "MessageBox.h"
#include "Program.h"
#include "SizeQuestions.h"
#include "ViewBars.h"

#include <QPushButton>

namespace {
void SetUpOpenDialog(FileDialog& dialog) {
    dialog.Title = MainWindow::tr("Select tga...");
    dialog.DefaultExtension = QStringLiteral("*.tga");
    dialog.Filter =
        MainWindow::tr("tga Image") + QStringLiteral("(*.tga)|*.tga|") + OtherImagesFilter();
    dialog.FilterIndex = 1;
    dialog.ConfirmOverwrite = false;
}

// Ranges a view's bars to its image; a bar is on exactly when the image, as the view shows it,
// exceeds the viewing area that way.
void FitBars(QSize size, double zoom, ScrollBar* vertical, ScrollBar* horizontal) {
    vertical->setEnabled(BarNeeded(size.height(), ViewHeight, zoom));
    horizontal->setEnabled(BarNeeded(size.width(), ViewWidth, zoom));
    vertical->setMax(BarMax(size.height(), ViewHeight, zoom));
    horizontal->setMax(BarMax(size.width(), ViewWidth, zoom));
}

// Decoded on a thread of its own, the window repainting meanwhile; Cancel throws SizeDeclined,
// the picture dropped.
QImage LoadInBackground(QWidget* parent, const std::string& path, const QString& title,
                        const SizeCheck& check) {
    QImage picture;
    if (!RunInBackground(parent, MainWindow::tr("Opening %1...").arg(title),
                         [&](const std::atomic<bool>& cancelled) {
                             picture = LoadPicture(path, check, &cancelled);
                         }))
        throw SizeDeclined();
    return picture;
}

void WrongFormat(QWidget* parent) {
    ShowMessage(MainWindow::tr("Wrong format"), MessageButtons::OK, ProgramName(),
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
    OpenSourceFrom(QFile::encodeName(path));
}
void MainWindow::OpenTargetFile(const QString& path) {
    OpenTargetFrom(QFile::encodeName(path));
}
void MainWindow::OpenSourceFile(const QByteArray& path) {
    OpenSourceFrom(path);
}
void MainWindow::OpenTargetFile(const QByteArray& path) {
    OpenTargetFrom(path);
}

void MainWindow::ConnectDrops() {
    const auto source = [this](const QByteArray& path) { OpenSourceFile(path); };
    const auto target = [this](const QByteArray& path) { OpenTargetFile(path); };
    AcceptFileDrops(sourceView, source);
    AcceptFileDrops(sourceButton, source);
    AcceptFileDrops(targetView, target);
    AcceptFileDrops(targetButton, target);
}

// Everything after this is the same for the dialog's choice and for a named file.
std::optional<std::string> MainWindow::ChooseFile(const std::optional<QByteArray>& named) {
    if (named) {
        fileDialog.Choose(QFile::decodeName(*named)); // named as well as the bytes decode
        return named->toStdString();
    }
    SetUpOpenDialog(fileDialog);
    if (!fileDialog.ShowOpen(this))
        return std::nullopt;
    return LocalPath(fileDialog.FileName);
}

// A cancelled open says "Wrong format" too: the dialog was asked for an image and gave none.
bool MainWindow::OpenSourceFrom(const std::optional<QByteArray>& named) {
    // A failed or cancelled open leaves the image on screen, and the bars that scroll it.
    const bool verticalWasOn = sourceVerticalBar->isEnabled();
    const bool horizontalWasOn = sourceHorizontalBar->isEnabled();
    sourceVerticalBar->setEnabled(false);
    sourceHorizontalBar->setEnabled(false);
    try {
        const std::optional<std::string> path = ChooseFile(named);
        if (!path)
            throw Failure("no file was chosen");
        // Decoded and drawn aside: a file that cannot be read, or memory that runs out, leaves
        // the source as it was.
        source_ = LoadInBackground(this, *path, fileDialog.FileTitle,
                                   AskBeforeLarge(this, tr("Open it anyway?")));
        sourceFile_ = QByteArray::fromStdString(*path);
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
    } catch (const SizeDeclined&) {
        sourceVerticalBar->setEnabled(verticalWasOn);
        sourceHorizontalBar->setEnabled(horizontalWasOn);
        return true; // declined, not unreadable
    } catch (const std::exception&) {
        sourceVerticalBar->setEnabled(verticalWasOn);
        sourceHorizontalBar->setEnabled(horizontalWasOn);
        WrongFormat(this);
        return false;
    }
    RememberRecent(fileDialog.FileName, false);
    return true;
}

bool MainWindow::OpenTargetFrom(const std::optional<QByteArray>& named) {
    try {
        const std::optional<std::string> path = ChooseFile(named);
        if (!path)
            throw Failure("no file was chosen");
        document_.Open(LoadInBackground(this, *path, fileDialog.FileTitle,
                                        SaveableOrAsk(this, fileDialog.FileTitle)),
                       QByteArray::fromStdString(*path));
        FitTargetBars();
    } catch (const SizeDeclined&) {
        return true; // declined, not unreadable
    } catch (const std::exception&) {
        WrongFormat(this);
        return false;
    }
    RememberRecent(fileDialog.FileName, true);
    return true;
}
