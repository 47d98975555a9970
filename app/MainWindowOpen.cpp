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

#include "SheetLayout.h"

#include <QPushButton>

#include <algorithm>
#include <sys/stat.h>

namespace {
// Each open dialog starts on the filter it was last left on. A target may also be a layout.
void SetUpOpenDialog(FileDialog& dialog, int16_t filterIndex, bool target) {
    dialog.Title = MainWindow::tr("Select tga...");
    dialog.DefaultExtension = QStringLiteral("*.tga");
    dialog.Filter = MainWindow::tr("tga Image") + QStringLiteral("(*.tga)|*.tga|") +
                    OtherImagesFilter() + QLatin1Char('|') +
                    AllImagesFilter(target ? QStringLiteral("*.patchery") : QString());
    dialog.FilterIndex = filterIndex;
    dialog.ConfirmOverwrite = false;
}

// A regular file whose first bytes read as a layout; a FIFO or device is never read here.
bool IsLayout(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    return file.open(QIODevice::ReadOnly) && SheetLayout::LooksLike(file.read(4096));
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

void MainWindow::OpenSourceFiles(const QList<QByteArray>& paths) {
    for (const QByteArray& path : paths)
        OpenSourceFrom(path);
}

// Every file dropped on the source side opens, in the drop's order; on the target side, the
// first.
void MainWindow::ConnectDrops() {
    const auto source = [this](const QList<QByteArray>& paths) { OpenSourceFiles(paths); };
    const auto target = [this](const QList<QByteArray>& paths) { OpenTargetFile(paths.first()); };
    AcceptFileDrops(sourceView, source);
    AcceptFileDrops(sourceButton, source);
    AcceptFileDrops(targetView, target);
    AcceptFileDrops(targetButton, target);
}

// Everything after this is the same for the dialog's choice and for a named file.
std::optional<std::string> MainWindow::ChooseFile(const std::optional<QByteArray>& named,
                                                  bool target) {
    if (named) {
        fileDialog.Choose(QFile::decodeName(*named)); // named as well as the bytes decode
        return named->toStdString();
    }
    int16_t& filterIndex = target ? targetFilter_ : sourceFilter_;
    SetUpOpenDialog(fileDialog, filterIndex, target);
    const bool chosen = fileDialog.ShowOpen(this);
    filterIndex = fileDialog.FilterIndex;
    if (!chosen)
        return std::nullopt;
    return LocalPath(fileDialog.FileName);
}

// A cancelled open says "Wrong format" too: the dialog was asked for an image and gave none.
// A file already open is shown again, as it was last seen; a new one is added and shown where
// the view stands, as the one shown before was.
bool MainWindow::OpenSourceFrom(const std::optional<QByteArray>& named) {
    // A failed or cancelled open leaves the image on screen, and the bars that scroll it.
    const bool verticalWasOn = sourceVerticalBar->isEnabled();
    const bool horizontalWasOn = sourceHorizontalBar->isEnabled();
    sourceVerticalBar->setEnabled(false);
    sourceHorizontalBar->setEnabled(false);
    try {
        const std::optional<std::string> path = ChooseFile(named, false);
        if (!path)
            throw Failure("no file was chosen");
        const QByteArray file = QByteArray::fromStdString(*path);
        if (const std::optional<int> open = sources_.IndexOf(file)) {
            ShowSource(*open);
        } else {
            AddSource(*path, fileDialog.FileTitle, std::nullopt);
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
    RememberRecent(sources_.Shown()->File, false);
    return true;
}

// Decoded aside: a file that cannot be read, or memory that runs out, leaves the sources as
// they were. Without a place of its own, the new source is shown where the view stands.
void MainWindow::AddSource(const std::string& path, const QString& title,
                           std::optional<SourceImage::Place> seen) {
    QImage picture =
        LoadInBackground(this, path, title, AskBeforeLarge(this, tr("Open it anyway?")));
    EndDrag();
    KeepSourcePlace();
    if (!seen)
        seen = {{sourceHorizontalBar->Value(), sourceVerticalBar->Value()},
                sourceView->Zoom(),
                QRect(),
                sourceView->KeyCursor()};
    // A zoom kept for a file that has grown since stays within the window system's coordinates.
    while (std::max(picture.width(), picture.height()) * seen->Zoom > 32000 && seen->Zoom > 0.25)
        seen->Zoom /= 2;
    const QByteArray file = AbsoluteFile(QByteArray::fromStdString(path));
    sources_.Add({std::move(picture), file, title, *seen});
    watched_.Watch(file);
    ShowShownSource();
}

void MainWindow::ReplaceSourcePicture(int index, QImage picture) {
    SourceImage& source = sources_.At(index);
    const bool shown = index == sources_.ShownIndex();
    if (shown)
        KeepSourcePlace();
    source.Picture = std::move(picture);
    source.Deleted = false;
    if (shown)
        ShowShownSource();
}

bool MainWindow::OpenTargetFrom(const std::optional<QByteArray>& named) {
    try {
        const std::optional<std::string> path = ChooseFile(named, true);
        if (!path)
            throw Failure("no file was chosen");
        if (IsLayout(*path)) {
            if (!OpenLayoutFile(QByteArray::fromStdString(*path)))
                return true; // it said why
            RememberRecent(QByteArray::fromStdString(*path), true);
            return true;
        }
        document_.Open(LoadInBackground(this, *path, fileDialog.FileTitle,
                                        SaveableOrAsk(this, fileDialog.FileTitle)),
                       QByteArray::fromStdString(*path));
        targetPane->FitBars();
        RememberOwnFiles();
    } catch (const SizeDeclined&) {
        return true; // declined, not unreadable
    } catch (const std::exception&) {
        WrongFormat(this);
        return false;
    }
    RememberRecent(Sheet().FilePath(), true);
    return true;
}
