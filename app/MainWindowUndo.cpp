// The target sheet as the window shows it, and Edit > Undo and Redo of its changes.

#include "MainWindow.h"

#include <QGuiApplication>
#include <QPushButton>

// A button's caption before anything is opened, indented as the window was laid out.
QString MainWindow::NoImageCaption() {
    return QStringLiteral("   ") + tr("--no image loaded--");
}

QString MainWindow::TargetCaption() const {
    // Before the first open or size, the button still reads as the window was laid out.
    if (Sheet().Title().isNull())
        return NoImageCaption() + QStringLiteral("   256x2048");
    return Sheet().Title() + QStringLiteral(" - ") + QString::number(Sheet().Width()) +
           QLatin1Char('x') + QString::number(Sheet().Height());
}

void MainWindow::ShowSheetChange(const QRect& area) {
    targetView->ShowChange(area);
    // Only a change of the whole sheet changes its size or title: a stamp costs no caption.
    if (area != Sheet().Image().rect())
        return;
    const QSize shown = targetView->Zoomed(Sheet().Size());
    if (targetView->size() != shown)
        targetView->resize(shown);
    RefreshPreview(QGuiApplication::keyboardModifiers()); // clipped to the new sheet
    const QString caption = TargetCaption();
    if (targetButton->text() != caption)
        targetButton->setText(caption);
}

ScrollState MainWindow::TargetScroll() const {
    const auto state = [](const ScrollBar* bar) {
        return ScrollState::Bar{bar->isEnabled(), bar->Max(), bar->Value()};
    };
    return {state(targetVerticalBar), state(targetHorizontalBar)};
}

// Switched, ranged, then placed: a change from either move places the view as the bar says.
void MainWindow::PutTargetScroll(const ScrollState& state) {
    const auto put = [](ScrollBar* bar, const ScrollState::Bar& to) {
        bar->setEnabled(to.Enabled);
        bar->setMax(to.Max);
        bar->setValue(to.Value);
    };
    put(targetVerticalBar, state.Vertical);
    put(targetHorizontalBar, state.Horizontal);
    // Taken at another zoom, the ranges would not fit the sheet as it is seen now.
    if (targetView->Zoom() != 1.0)
        targetPane->FitBars();
}

void MainWindow::Undo() {
    document_.Undo();
}

void MainWindow::Redo() {
    document_.Redo();
}
