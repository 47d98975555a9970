#pragma once
// The main window: the source view, the middle panel with the selected tile, the target view,
// and the menus. The window holds the documents (the target sheet and its history, the source
// image, the selected tile) and shows them through its views; its commands change them.

#include "FileDialog.h"
#include "ImageView.h"
#include "LaunchOptions.h"
#include "PrivateFolder.h"
#include "ScrollBar.h"
#include "SheetHistory.h"
#include "TargetSheet.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow();
    ~MainWindow() override;

    // Restores the stored position and the launch options, launches the program they name,
    // and shows the window.
    void Show();

    // Window position of the outer frame, in twips (15 to the pixel), as stored.
    float Left() const;
    float Top() const;

    // The documents.
    const TargetSheet& Sheet() const { return sheet_; }
    SheetHistory& History() { return history_; }
    const QImage& Source() const { return source_; }
    const QImage& Tile() const { return tile_; }
    LaunchOptions& Options() { return options_; }
    PrivateFolder& TemporaryFolder() { return temporaryFolder_; }

    // Controls, in stacking order, topmost first.
    QWidget* client = nullptr;
    QWidget* buttonGap = nullptr;
    QPushButton* targetButton = nullptr;
    QPushButton* sourceButton = nullptr;
    ScrollBar* targetVerticalBar = nullptr;
    ScrollBar* targetHorizontalBar = nullptr;
    ScrollBar* sourceHorizontalBar = nullptr;
    ImageView* sourceView = nullptr;
    QWidget* middlePanel = nullptr;
    ScrollBar* sourceVerticalBar = nullptr;
    QWidget* bottomStrip = nullptr;
    FileDialog fileDialog;
    ImageView* targetView = nullptr;
    // Inside the middle panel.
    ImageView* composeView = nullptr; // hidden but while a save composes the sheet
    QComboBox* sizeList = nullptr;
    QPushButton* pasteButton = nullptr;
    QPushButton* copyButton = nullptr;
    ImageView* tileView = nullptr;
    QGroupBox* tileFrame = nullptr;
    QLabel* sizeLabel = nullptr;
    QFrame* panelEdge = nullptr;

    QMenu* fileMenu = nullptr;
    QAction* openSourceAction = nullptr;
    QAction* openTargetAction = nullptr;
    QAction* saveTargetAsAction = nullptr;
    QAction* optionsAction = nullptr;
    QAction* quitAction = nullptr;
    QMenu* editMenu = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* copyTileAction = nullptr;
    QAction* pasteTileAction = nullptr;
    QMenu* viewMenu = nullptr;
    QAction* zoomInAction = nullptr;
    QAction* zoomOutAction = nullptr;
    QAction* actualSizeAction = nullptr;
    QAction* fitAction = nullptr;
    QAction* gridAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* aboutAction = nullptr;

    // Commands.
    void OpenSource();
    void OpenTarget();
    // Files named on the command line or dropped on a view or its button: opened by the open
    // commands' steps, without the dialog.
    void OpenSourceFile(const QString& path);
    void OpenTargetFile(const QString& path);
    void PickTile(QPointF at);  // at: source image pixels
    void StampTile(QPointF at); // at: sheet pixels
    void ChangeTargetSize();    // the size list was chosen from
    void CopyTile();
    void PasteTile();
    void SaveTargetAs();
    void Undo();
    void Redo();
    void ShowOptions();
    void ShowAbout();
    void Quit(); // asks "Really Quit?"
    // The shutdown without "Really Quit?", then the program ends with status 128 + signal.
    void EndOnSignal(int signal);

    // The views follow their bars.
    void PlaceSourceHorizontally();
    void PlaceSourceVertically();
    void PlaceTargetHorizontally();
    void PlaceTargetVertically();
    // View: zoom steps, on the view the pointer was last over (the target before any), about
    // a point of its viewing area (area pixels from its top-left corner), which keeps the image
    // pixel it shows; the grid over both views.
    void ZoomIn();
    void ZoomOut();
    void ActualSize();
    void FitView();
    void ZoomView(ImageView* view, double zoom, QPointF anchor);
    void ShowGrid(bool shown);
    ImageView* ZoomedView() const { return lastView_; }
    // The cell under the pointer outlined where a press would act.
    void OutlineSourceCell(QPointF at);
    void OutlineTargetCell(QPointF at);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void BuildLayout();
    void BuildMenus();
    void Connect();
    void ConnectDrops();
    void BuildViewMenu();
    void LoadViewSettings();
    void StepZoom(int steps, std::optional<QPointF> anchor);
    QRect ViewingArea(const ImageView* view) const; // in the client area
    void LoadStartupState();
    void ApplyStoredPosition();
    // "Really Quit?": whether the user wants to quit.
    bool ConfirmQuit();
    // Writes the options and the position, removes the temporary folder and closes the other
    // windows; once.
    void Shutdown();

    // named: a file to take as chosen; none: ask with the dialog. False when cancelled.
    bool ChooseFile(const std::optional<QString>& named);
    void OpenSourceFrom(const std::optional<QString>& named);
    void OpenTargetFrom(const std::optional<QString>& named);
    void ApplyChosenSize();
    void FitTargetBars();
    void ComposeAndSave(const QString& path);
    // The sheet changed: the view follows its size and repaints the area, the button its title.
    void ShowSheetChange(const QRect& area);
    QString TargetCaption() const;
    ScrollState TargetScroll() const;
    void PutTargetScroll(const ScrollState& state);

    TargetSheet sheet_;
    SheetHistory history_;
    QImage source_; // the opened source image; null before one
    QImage tile_;   // the selected tile; null while none is selected
    QImage composed_;
    LaunchOptions options_;
    PrivateFolder temporaryFolder_;
    QSize customSize_; // what the custom size dialog's boxes last held

    bool loaded_ = false;
    bool shutDown_ = false;
    bool endingOnSignal_ = false;
    QPoint wantedPosition_;         // outer frame, pixels
    ImageView* lastView_ = nullptr; // the view the View menu acts on
    int zoomWheelRest_ = 0;         // a Ctrl+wheel turn short of a notch
};
