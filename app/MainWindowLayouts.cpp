// Layouts: a sheet saved with where its cells come from, opened again as a target, stamped
// again when its sources change on disk (live) or on request (Rebuild from Sources).

#include "MainWindow.h"

#include "DurableFile.h"
#include "Failure.h"
#include "ImageFile.h"
#include "Layout.h"
#include "LayoutBuild.h"
#include "LayoutOf.h"
#include "MessageBox.h"
#include "Program.h"
#include "SheetLayout.h"
#include "SheetPixels.h"
#include "SizeQuestions.h"

#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {
// A layout larger than this is no layout a person or a program wrote for a sheet.
constexpr qint64 LargestLayout = qint64{64} << 20;

QString Named(const QByteArray& file) {
    return QFileInfo(QFile::decodeName(file)).fileName();
}

QString Lines(const std::vector<std::string>& problems) {
    QStringList lines;
    for (const std::string& problem : problems)
        lines << QString::fromStdString(problem);
    return lines.join(u'\n');
}

// A source read for a live update asks nothing: one too large for the question's bound is
// refused with the reason.
QImage ReadQuietly(const QByteArray& file) {
    return LoadPicture(file.toStdString(), [](QSize size) {
        if (PixelBytes(size) > LargeImageBytes)
            throw Failure("its pixels need more memory than a source is read with unasked");
    });
}

void WriteDurably(const QByteArray& path, QByteArray bytes) {
    DurableFile file(path.toStdString());
    iovec part{bytes.data(), static_cast<size_t>(bytes.size())};
    file.Write(&part, 1);
    file.Commit();
}
} // namespace

bool MainWindow::OpenLayoutFile(const QByteArray& path) {
    const QString name = Named(path);
    try {
        QFile file(QFile::decodeName(path));
        if (!file.open(QIODevice::ReadOnly))
            throw Failure(name.toStdString(), file.errorString().toStdString());
        if (file.size() > LargestLayout)
            throw Failure(name.toStdString(), "too large for a layout");
        const SheetLayout layout = ParseLayout(file.readAll(), name);
        const SizeCheck check = AskBeforeLarge(this, tr("Open it anyway?"));
        // The cells of a source that cannot be read keep what the layout's sheet holds now.
        ImageData fallback;
        try {
            fallback =
                SheetPixels(LoadPicture(LayoutPath(path, layout.Sheet).toStdString(), check));
        } catch (const std::exception&) {
        }
        std::vector<std::pair<QByteArray, QImage>> read;
        const BuiltSheet built = ::BuildLayout(
            layout, path,
            [&](const QByteArray& source) {
                return SheetPixels(
                    read.emplace_back(source, LoadPicture(source.toStdString(), check)).second);
            },
            fallback);
        document_.OpenLayout(built, AbsoluteFile(path));
        targetPane->FitBars();
        RememberOwnFiles();
        std::erase_if(read, [&](const auto& file) { return file.first == built.Background; });
        OpenLayoutSources(read);
        if (!built.Problems.empty())
            ShowMessage(tr("Some sources of %1 could not be read; their cells keep the sheet's "
                           "pixels and are filled when they can be read again:\n%2")
                            .arg(name, Lines(built.Problems)),
                        MessageButtons::OK, ProgramName(), MessageIcon::None, this);
    } catch (const SizeDeclined&) {
        return false;
    } catch (const std::exception& e) {
        ShowMessage(FailureText(e), MessageButtons::OK, ProgramName(), MessageIcon::Critical, this);
        return false;
    }
    return true;
}

// Their pixels are those the sheet was just built from: nothing is read twice.
void MainWindow::OpenLayoutSources(const std::vector<std::pair<QByteArray, QImage>>& read) {
    const int shown = sources_.ShownIndex();
    std::optional<int> first;
    KeepSourcePlace();
    for (const auto& [file, picture] : read) {
        if (sources_.IndexOf(file))
            continue;
        sources_.Add({picture, file, Named(file), SourceImage::Place{}});
        watched_.Watch(file);
        if (!first)
            first = sources_.ShownIndex();
    }
    if (!first)
        return;
    sources_.Show(shown >= 0 ? shown : *first);
    ShowShownSource();
}

void MainWindow::SaveLayoutAs() {
    const QByteArray& own =
        Sheet().LayoutFile().isEmpty() ? Sheet().FilePath() : Sheet().LayoutFile();
    if (const std::optional<QByteArray> chosen = ChooseSaveFile(
            tr("Save layout..."), tr("Patchery layout") + QStringLiteral(" (*.patchery)"),
            QStringLiteral("patchery"), own))
        SaveLayoutTo(*chosen);
}

// The sheet first, then the layout that names it: a failed save of the sheet leaves the old
// layout, which still builds the old sheet.
void MainWindow::SaveLayoutTo(const QByteArray& layoutFile) {
    QByteArray sheetFile = Sheet().FilePath();
    if (sheetFile.isEmpty() || !sheetFile.toLower().endsWith(".tga")) {
        const QFileInfo layout(QFile::decodeName(layoutFile));
        sheetFile = QFile::encodeName(
            layout.dir().filePath(layout.completeBaseName() + QStringLiteral(".tga")));
    }
    const QByteArray text = LayoutOf(Sheet(), layoutFile, sheetFile).Text();
    if (!SaveTargetTo(sheetFile))
        return;
    try {
        WriteDurably(layoutFile, text);
    } catch (const std::exception& e) {
        ShowMessage(tr("Could not save %1: %2").arg(QFile::decodeName(layoutFile), FailureText(e)),
                    MessageButtons::OK, ProgramName(), MessageIcon::Critical, this);
        return;
    }
    document_.SavedLayout(AbsoluteFile(layoutFile), sheetFile);
    RememberOwnFiles();
    RememberRecent(AbsoluteFile(layoutFile), true);
}

bool MainWindow::ReplaceChangedOnDisk() {
    for (const auto& [file, seen] : ownFiles_) {
        const WatchedFiles::Signature now = WatchedFiles::Read(file);
        if (now.Exists && !(now == seen) &&
            ShowMessage(
                tr("%1 has changed on disk since it was opened. Replace it?").arg(Named(file)),
                MessageButtons::YesNoDefaultNo, ProgramName(), MessageIcon::None,
                this) != MessageAnswer::Yes)
            return false;
    }
    return true;
}

// What the sheet's own files are on disk now: the program's own doing.
void MainWindow::RememberOwnFiles() {
    ownFiles_.clear();
    for (const QByteArray& file : {Sheet().FilePath(), Sheet().LayoutFile()}) {
        if (file.isEmpty())
            continue;
        ownFiles_[file] = WatchedFiles::Read(file);
        watched_.Ignore(file);
    }
}

void MainWindow::WatchSources() {
    std::set<QByteArray> files = document_.SourceFiles();
    if (files == watchedSources_)
        return;
    for (const QByteArray& file : files) {
        if (!watchedSources_.count(file))
            watched_.Watch(file);
    }
    for (const QByteArray& file : watchedSources_) {
        if (!files.count(file))
            watched_.Unwatch(file);
    }
    watchedSources_ = std::move(files);
}

// Read once for both. An open source is read as an open reads it (asked about when large); for
// the cells alone, without a box: the window says what happened for a few seconds. A file that
// cannot be read now (caught part-way through a write, or declined) keeps its last pixels until
// its next change.
void MainWindow::FileChangedOnDisk(const QByteArray& file) {
    if (drag_ != Drag::None) {
        changedDuringDrag_.insert(file);
        return;
    }
    std::optional<int> open = sources_.IndexOf(file);
    if (open && sources_.At(*open).File != file)
        open.reset();
    const bool linked = watchedSources_.count(file) != 0;
    if (!open && !linked)
        return;
    QImage picture;
    try {
        picture = open ? LoadInBackground(this, file.toStdString(), sources_.At(*open).Title,
                                          AskBeforeLarge(this, tr("Open it anyway?")))
                       : ReadQuietly(file);
    } catch (const SizeDeclined&) {
        return;
    } catch (const std::exception& e) {
        if (linked)
            ShowNote(tr("%1 changed but could not be read: %2").arg(Named(file), FailureText(e)));
        return;
    }
    // The reading may have let other input in: the sources are looked up again.
    open = sources_.IndexOf(file);
    if (open && sources_.At(*open).File == file)
        ReplaceSourcePicture(*open, picture);
    if (!linked)
        return;
    const SheetDocument::Restamped done = document_.Restamp({{file, picture}});
    QString note = tr("%1 changed: %n cell(s) updated", nullptr, done.Cells).arg(Named(file));
    if (done.Outside > 0)
        note += QStringLiteral("; ") +
                tr("%n cell(s) no longer in it kept as they were", nullptr, done.Outside);
    ShowNote(note);
}

void MainWindow::RebuildFromSources() {
    std::map<QByteArray, QImage> pictures;
    QStringList unread;
    const SizeCheck check = AskBeforeLarge(this, tr("Open it anyway?"));
    for (const QByteArray& file : document_.SourceFiles()) {
        try {
            pictures[file] = LoadPicture(file.toStdString(), check);
        } catch (const SizeDeclined&) {
            unread << Named(file);
        } catch (const std::exception& e) {
            unread << QFile::decodeName(file) + QStringLiteral(": ") + FailureText(e);
        }
    }
    const SheetDocument::Restamped done = document_.Restamp(pictures);
    if (!unread.isEmpty())
        ShowMessage(tr("These sources could not be read; their cells keep their pixels:\n%1")
                        .arg(unread.join(u'\n')),
                    MessageButtons::OK, ProgramName(), MessageIcon::None, this);
    if (done.Outside > 0)
        ShowNote(
            tr("%n cell(s) no longer in their sources kept as they were", nullptr, done.Outside));
}

void MainWindow::ShowNote(const QString& note) {
    noteLabel->setText(QStringLiteral(" ") + note + QStringLiteral(" "));
    noteLabel->adjustSize();
    const QRect area = targetPane->Area();
    noteLabel->setMaximumWidth(area.width());
    noteLabel->move(area.left(), area.bottom() + 1 - noteLabel->height());
    noteLabel->raise();
    noteLabel->show();
    noteTimer_.start(5000);
}
