// Several source images open at once: the list of their names below the size list, the keys
// that show the next, the previous or the n-th, Close Source, and each one's place in the view
// (bars, zoom, pick frame, keyboard cursor) kept while another is shown.

#include "MainWindow.h"

#include "Layout.h"
#include "MessageBox.h"
#include "Program.h"
#include "SizeQuestions.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {
QString Caption(const SourceImage& source) {
    return source.Title + QStringLiteral(" - ") + QString::number(source.Picture.width()) +
           QLatin1Char('x') + QString::number(source.Picture.height());
}
} // namespace

const QImage& MainWindow::Source() const {
    static const QImage none;
    const SourceImage* shown = sources_.Shown();
    return shown ? shown->Picture : none;
}

void MainWindow::BuildSourceList() {
    // In the middle panel's free space below the size list, where no control lay before.
    sourcesLabel = new QLabel(tr("Open Sources"), middlePanel);
    sourcesLabel->setGeometry(8, 244, 163, 13);
    sourceList = new QListWidget(middlePanel);
    sourceList->setGeometry(8, 260, 163, 209);
    sourceList->setAccessibleName(tr("Open sources"));
    sourcesLabel->setBuddy(sourceList);
    setTabOrder(sizeList, sourceList);
    setTabOrder(sourceList, sourceView);
    connect(sourceList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ShowSource(row);
    });

    nextSourceAction = new QAction(tr("Next Source"), this);
    nextSourceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    previousSourceAction = new QAction(tr("Previous Source"), this);
    previousSourceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    connect(nextSourceAction, &QAction::triggered, this, &MainWindow::ShowNextSource);
    connect(previousSourceAction, &QAction::triggered, this, &MainWindow::ShowPreviousSource);
    addAction(nextSourceAction);
    addAction(previousSourceAction);
    for (int i = 0; i < 9; ++i) {
        auto* action = new QAction(tr("Source %1").arg(i + 1), this);
        action->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + i)));
        connect(action, &QAction::triggered, this, [this, i] { ShowSource(i); });
        addAction(action);
        sourceNumberActions << action;
    }
    connect(closeSourceAction, &QAction::triggered, this, &MainWindow::CloseSource);
    closeSourceAction->setEnabled(false); // until a source opens
    ListSources();
}

void MainWindow::ShowSource(int index) {
    if (index < 0 || index >= sources_.Count())
        return;
    if (index != sources_.ShownIndex()) {
        EndDrag();
        KeepSourcePlace();
        sources_.Show(index);
    }
    ShowShownSource();
}

void MainWindow::ShowNextSource() {
    ShowSource(sources_.StepsAway(1));
}

void MainWindow::ShowPreviousSource() {
    ShowSource(sources_.StepsAway(-1));
}

// The tile keeps what was picked from it; the view shows the next source, or none.
void MainWindow::CloseSource() {
    if (sources_.IsEmpty())
        return;
    EndDrag();
    watched_.Unwatch(sources_.Shown()->File);
    sources_.CloseShown();
    ShowShownSource();
}

// Said once; a file that comes back is read again.
void MainWindow::SourceDeleted(const QByteArray& path) {
    for (int i = 0; i < sources_.Count(); ++i) {
        SourceImage& source = sources_.At(i);
        if (source.File != path || source.Deleted)
            continue;
        source.Deleted = true;
        ShowMessage(tr("The source %1 has been deleted; its last pixels stay open.")
                        .arg(QFile::decodeName(path)),
                    MessageButtons::OK, ProgramName(), MessageIcon::None, this);
    }
}

void MainWindow::KeepSourcePlace() {
    SourceImage* shown = sources_.Shown();
    if (!shown)
        return;
    shown->Seen = {{sourceHorizontalBar->Value(), sourceVerticalBar->Value()},
                   sourceView->Zoom(),
                   sourceView->Mark(),
                   sourceView->KeyCursor()};
}

// As an open places a new image: sized by its zoom, the bars ranged to it, then set where it
// was seen, which places the view.
void MainWindow::ShowShownSource() {
    const SourceImage* shown = sources_.Shown();
    sourceView->Display(shown ? &shown->Picture : nullptr);
    sourceView->SetOutline({});
    if (!shown) {
        sourceView->SetMark({});
        sourceView->SetKeyCursor({});
        sourceButton->setText(NoImageCaption());
        sourceHorizontalBar->setMax(0);
        sourceVerticalBar->setMax(0);
        sourceHorizontalBar->setEnabled(false);
        sourceVerticalBar->setEnabled(false);
        sourceView->setGeometry(sourcePane->Area());
    } else {
        const SourceImage::Place& seen = shown->Seen;
        sourceView->SetZoom(seen.Zoom);
        sourceView->resize(sourceView->Zoomed(shown->Picture.size()));
        const bool wide = sourceView->width() > sourcePane->Area().width();
        sourcePane->FitBars();
        const auto within = [](const ScrollBar* bar, int value) {
            return static_cast<int16_t>(
                std::clamp<int>(value, std::min<int>(0, bar->Max()), std::max<int>(0, bar->Max())));
        };
        sourceHorizontalBar->setValue(within(sourceHorizontalBar, seen.Scroll.x()));
        sourceVerticalBar->setValue(within(sourceVerticalBar, seen.Scroll.y()));
        // The bars may already have stood where they now are: place the view as they say, so
        // that it still reaches the edge of its viewing area.
        if (wide)
            sourcePane->PlaceHorizontally();
        sourcePane->PlaceVertically();
        sourceView->SetMark(seen.Mark);
        sourceView->SetKeyCursor(seen.KeyCursor);
        sourceButton->setText(Caption(*shown));
    }
    sourceView->update();
    closeSourceAction->setEnabled(!sources_.IsEmpty());
    ListSources();
    if (Sheet().Unsaved()) // the sources open beside it are kept with it
        KeepForRecovery(QRect());
}

// Made again only when the sources are others: a switch moves the selection alone, which
// halves its time.
void MainWindow::ListSources() {
    const QSignalBlocker quiet(sourceList);
    bool same = sourceList->count() == sources_.Count();
    for (int i = 0; same && i < sources_.Count(); ++i)
        same = sourceList->item(i)->toolTip() == QFile::decodeName(sources_.At(i).File);
    if (!same) {
        sourceList->clear();
        for (int i = 0; i < sources_.Count(); ++i) {
            const SourceImage& source = sources_.At(i);
            auto* item = new QListWidgetItem(source.Title, sourceList);
            item->setToolTip(QFile::decodeName(source.File));
        }
    }
    sourceList->setCurrentRow(sources_.ShownIndex());
}

QList<SheetRecovery::KeptSource> MainWindow::KeptSources() const {
    QList<SheetRecovery::KeptSource> kept;
    for (int i = 0; i < sources_.Count(); ++i) {
        const SourceImage& source = sources_.At(i);
        const bool shown = i == sources_.ShownIndex();
        const QPoint scroll = shown
                                  ? QPoint(sourceHorizontalBar->Value(), sourceVerticalBar->Value())
                                  : source.Seen.Scroll;
        const double zoom = shown ? sourceView->Zoom() : source.Seen.Zoom;
        kept.append({source.File, scroll, qRound(zoom * 100), shown});
    }
    return kept;
}

// Each where it was seen; the one shown then is shown again. A file that has gone, or no longer
// reads, is left out, and all such are named in one message.
void MainWindow::ReopenSources(const QList<SheetRecovery::KeptSource>& kept) {
    QStringList missing;
    std::optional<int> shownAgain;
    for (const SheetRecovery::KeptSource& source : kept) {
        if (sources_.IndexOf(source.File)) // opened again meanwhile
            continue;
        const QString title = QFileInfo(QFile::decodeName(source.File)).fileName();
        double zoom = 1.0;
        for (const int step : {25, 50, 100, 200, 400, 800})
            if (source.ZoomPercent == step)
                zoom = step / 100.0;
        try {
            AddSource(source.File.toStdString(), title,
                      SourceImage::Place{source.Scroll, zoom, QRect(), QRect()});
        } catch (const SizeDeclined&) {
            continue;
        } catch (const std::exception&) {
            missing << QFile::decodeName(source.File);
            continue;
        }
        if (source.Shown)
            shownAgain = sources_.ShownIndex();
    }
    if (shownAgain)
        ShowSource(*shownAgain);
    if (!missing.isEmpty())
        ShowMessage(tr("These sources could not be opened again: %1")
                        .arg(missing.join(QStringLiteral(", "))),
                    MessageButtons::OK, ProgramName(), MessageIcon::None, this);
}
