// "Save Target" and "Save Target As...": the sheet is composed in the hidden compose view, written
// as a temporary BMP, read back, and written as a 24-bit TGA.

#include "MainWindow.h"

#include "BmpFile.h"
#include "Failure.h"
#include "ImageFile.h"
#include "MessageBox.h"
#include "Program.h"
#include "TgaFile.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScopeGuard>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// The bitmap's name inside the private folder.
const QString ComposedBitmap = QStringLiteral("temp000.bmp");

PixelSurface SurfaceOf(QImage& image) {
    return {image.bits(), image.width(), image.height(),
            static_cast<int32_t>(image.bytesPerLine())};
}
} // namespace

// The sheet's own file, when it is a TGA: an opened PNG is never overwritten with TGA bytes.
// A sheet with a layout saves both. Files another program changed since they were opened or
// saved are replaced only when the user says so.
void MainWindow::SaveTarget() {
    const QByteArray& own = Sheet().FilePath();
    if (!Sheet().LayoutFile().isEmpty()) {
        if (ReplaceChangedOnDisk())
            SaveLayoutTo(Sheet().LayoutFile());
    } else if (own.isEmpty() || !own.toLower().endsWith(".tga")) {
        SaveTargetAs();
    } else if (ReplaceChangedOnDisk()) {
        SaveTargetTo(own);
    }
}

void MainWindow::SaveTargetAs() {
    // The dialog starts from the sheet's own file, as a TGA, never from a file opened as a
    // source; an untitled sheet starts from no name.
    if (const std::optional<QByteArray> chosen =
            ChooseSaveFile(tr("Save tga..."), tr("tga Image") + QStringLiteral("(*.tga)"),
                           QStringLiteral("tga"), Sheet().FilePath()))
        SaveTargetTo(*chosen);
}

// The save dialog with one filter, asking before it overwrites; it starts from `own` with the
// extension in place of its own, or from no name.
std::optional<QByteArray> MainWindow::ChooseSaveFile(const QString& title, const QString& filter,
                                                     const QString& extension,
                                                     const QByteArray& own) {
    fileDialog.Title = title;
    fileDialog.DefaultExtension = QStringLiteral("*.") + extension;
    fileDialog.Filter = filter + QStringLiteral("|*.") + extension;
    fileDialog.FilterIndex = 1;
    fileDialog.ConfirmOverwrite = true;
    const QFileInfo info(QFile::decodeName(own));
    fileDialog.Choose(own.isEmpty() ? QString()
                                    : info.dir().filePath(info.completeBaseName() +
                                                          QLatin1Char('.') + extension));
    if (!fileDialog.ShowSave(this))
        return std::nullopt;
    return QFile::encodeName(fileDialog.FileName);
}

// Whether a save may replace the file there (the file at the end of its links): a file made
// read-only is never replaced silently, and one with other names (hard links) only once the
// user has agreed that they keep the old sheet. The save itself stays a durable replacement.
bool MainWindow::MayReplace(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return true; // nothing there yet; anything else the save refuses itself
    const QString name = QFile::decodeName(path);
    if (::access(path.constData(), W_OK) != 0 || (info.st_mode & 0222) == 0) {
        if (ShowMessage(tr("%1 is write-protected. Save the sheet under another name?").arg(name),
                        MessageButtons::YesNo, ProgramName(), MessageIcon::None,
                        this) == MessageAnswer::Yes)
            SaveTargetAs();
        return false;
    }
    if (info.st_nlink > 1)
        return ShowMessage(tr("%1 has other names (hard links). Saving makes it a new file; the "
                              "other names keep the old sheet. Save anyway?")
                               .arg(name),
                           MessageButtons::YesNoDefaultNo, ProgramName(), MessageIcon::None,
                           this) == MessageAnswer::Yes;
    return true;
}

// path: the file's name as its bytes; the messages name it as well as they decode.
bool MainWindow::SaveTargetTo(const QByteArray& path) {
    if (!MayReplace(path))
        return false;
    const QString chosen = QFile::decodeName(path);
    const auto hide = qScopeGuard([this] {
        composeView->hide();
        composed_ = QImage();
    });
    try {
        ComposeAndSave(path.toStdString());
        document_.Saved(path);
        RememberOwnFiles();
        RememberRecent(path, true);
    } catch (const Failure& failure) {
        if (failure.Type == Failure::Kind::Unsupported) {
            ShowMessage(tr("Image format unsupported"), MessageButtons::OK, tr("Error"),
                        MessageIcon::Critical, this);
            return false;
        }
        // A save that fails silently would leave the user believing the sheet is on disk. The
        // message names the file; a failure of the file itself needs only its reason.
        const bool ofTheFile = failure.Action == "cannot save " + path.toStdString();
        ShowMessage(
            tr("Could not save %1: %2")
                .arg(chosen, QString::fromLocal8Bit(ofTheFile ? failure.Reason : failure.what())),
            MessageButtons::OK, ProgramName(), MessageIcon::Critical, this);
        return false;
    } catch (const std::exception& e) {
        ShowMessage(tr("Could not save %1: %2").arg(chosen, FailureText(e)), MessageButtons::OK,
                    ProgramName(), MessageIcon::Critical, this);
        return false;
    }
    return true;
}

// The composed picture goes to the disk and back before it is written: what is saved is what
// the bitmap holds, exactly the sheet's pixels at its size.
void MainWindow::ComposeAndSave(const std::string& path) {
    composeView->show();
    composed_ = QImage(Sheet().Size(), QImage::Format_RGB32);
    if (composed_.isNull())
        throw std::bad_alloc();
    composed_.fill(TargetSheet::Blank());
    {
        QPainter painter(&composed_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, Sheet().Image());
    }
    composeView->resize(composed_.size());
    ImageData readBack;
    {
        // No copy of the sheet stays in the temporary folder, whether the save goes on or fails.
        const auto removeBitmap = qScopeGuard([this] { temporaryFolder_.Remove(ComposedBitmap); });
        const std::string bitmap = LocalPath(temporaryFolder_.FilePath(ComposedBitmap));
        SaveBMP(SurfaceOf(composed_), bitmap);
        LoadBMP(bitmap, readBack);
    }
    // The compose view shows what was read back, at the sheet's size whatever the file said.
    composed_.fill(TargetSheet::Blank());
    DrawImage(SurfaceOf(composed_), readBack);
    composeView->update();
    SaveTGA(path, readBack);
}
