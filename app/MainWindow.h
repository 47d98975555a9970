#pragma once
// The main window: the source view, the middle panel with the selected tile, the target view,
// and the menus. The window holds the documents (the target sheet's document, the source
// image, the selected tile) and shows them through its views; its commands change them.

#include "FileDialog.h"
#include "ImagePane.h"
#include "ImageView.h"
#include "LaunchOptions.h"
#include "OpenSources.h"
#include "PrivateFolder.h"
#include "ScrollBar.h"
#include "SelectedTile.h"
#include "SheetDocument.h"
#include "SheetRecovery.h"
#include "Stroke.h"
#include "WatchedFiles.h"

#include <QMainWindow>
#include <QTimer>

#include <map>
#include <optional>
#include <set>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
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
    const SheetDocument& Document() const { return document_; }
    const TargetSheet& Sheet() const { return document_.Sheet(); }
    SheetHistory& History() { return document_.History(); }
    const QImage& Source() const; // the shown source's picture; null with none open
    const OpenSources& Sources() const { return sources_; }
    const QImage& Tile() const { return tile_.Picture(); }
    QSize TileCells() const { return tile_.Cells(); }
    LaunchOptions& Options() { return options_; }
    PrivateFolder& TemporaryFolder() { return temporaryFolder_; }
    SheetRecovery& Recovery() { return recovery_; }

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
    // Each view's viewing area, with its bars.
    ImagePane* sourcePane = nullptr;
    ImagePane* targetPane = nullptr;
    // Inside the middle panel.
    ImageView* composeView = nullptr; // hidden but while a save composes the sheet
    QComboBox* sizeList = nullptr;
    QPushButton* pasteButton = nullptr;
    QPushButton* copyButton = nullptr;
    ImageView* tileView = nullptr;
    QGroupBox* tileFrame = nullptr;
    QLabel* sizeLabel = nullptr;
    QLabel* tileCellsLabel = nullptr; // over the tile's preview: a block's size in cells
    QLabel* noteLabel = nullptr;      // over the target's viewing area: what a live update did
    QFrame* panelEdge = nullptr;
    QLabel* sourcesLabel = nullptr;
    QListWidget* sourceList = nullptr; // the open sources by name, the shown one current

    QMenu* fileMenu = nullptr;
    QAction* openSourceAction = nullptr;
    QAction* openTargetAction = nullptr;
    QMenu* recentMenu = nullptr; // Open Recent
    QAction* rebuildAction = nullptr;
    QAction* saveLayoutAsAction = nullptr;
    QAction* closeSourceAction = nullptr;
    // Window-wide keys: Ctrl+PgDown, Ctrl+PgUp, Ctrl+1 to Ctrl+9.
    QAction* nextSourceAction = nullptr;
    QAction* previousSourceAction = nullptr;
    QList<QAction*> sourceNumberActions;
    QAction* saveTargetAction = nullptr;
    QAction* saveTargetAsAction = nullptr;
    QAction* optionsAction = nullptr;
    QAction* quitAction = nullptr;
    QMenu* editMenu = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* copyTileAction = nullptr;
    QAction* pasteTileAction = nullptr;
    QAction* pasteBlockAction = nullptr; // Paste as Block
    QAction* newSheetAction = nullptr;
    QAction* flipHorizontallyAction = nullptr;
    QAction* flipVerticallyAction = nullptr;
    QAction* rotateAction = nullptr;
    QMenu* viewMenu = nullptr;
    QAction* zoomInAction = nullptr;
    QAction* zoomOutAction = nullptr;
    QAction* actualSizeAction = nullptr;
    QAction* fitAction = nullptr;
    QAction* gridAction = nullptr;
    QAction* resizableAction = nullptr; // Resizable Window
    QMenu* helpMenu = nullptr;
    QAction* handbookAction = nullptr;
    QAction* aboutAction = nullptr;

    // Commands.
    void OpenSource();
    void OpenTarget();
    // Files named on the command line or dropped on a view or its button: opened by the open
    // commands' steps, without the dialog.
    void OpenSourceFile(const QString& path);
    void OpenTargetFile(const QString& path);
    // A file named by its bytes (the command line): opened exactly as given, whatever their
    // encoding, and named in the caption as well as they decode.
    void OpenSourceFile(const QByteArray& path);
    // Several files, each added to the open sources in turn: the last is shown.
    void OpenSourceFiles(const QList<QByteArray>& paths);
    // The open sources: show one by its place in the order (from 0), the next or the previous
    // round the ends; close the shown one.
    void ShowSource(int index);
    void ShowNextSource();
    void ShowPreviousSource();
    void CloseSource();
    void OpenTargetFile(const QByteArray& path);
    bool PickTile(QPointF at);  // at: source image pixels; false where a press picks nothing
    void StampTile(QPointF at); // at: sheet pixels
    // Presses, drags and releases on the views: picks, block picks, stamps, strokes, erases.
    void PressSource(QPointF at);
    void PressTarget(Qt::KeyboardModifiers modifiers, QPointF at);
    void DragOnSource(Qt::MouseButtons buttons, QPointF at);
    void DragOnTarget(Qt::MouseButtons buttons, QPointF at);
    void EndDrag();
    void FlipTileHorizontally();
    void FlipTileVertically();
    void RotateTile();
    void ChangeTargetSize(); // the size list was chosen from
    void CopyTile();
    void PasteTile();
    // The clipboard's whole picture becomes the tile, a block of whole cells; the clipboard
    // keeps it.
    void PasteAsBlock();
    // A blank untitled sheet of the current size, as one undo step.
    void NewSheet();
    void SaveTarget(); // to the sheet's own file; an untitled sheet asks where
    void SaveTargetAs();
    // Layouts: the sheet's cells drawn again from every source as it is now; the sheet saved
    // as a layout with its TGA beside it.
    void RebuildFromSources();
    void SaveLayoutAs();
    void Undo();
    void Redo();
    void ShowOptions();
    void ShowHandbook();
    void ShowAbout();
    // Offers the sheets other instances left unsaved: one with a Yes/No question, several in
    // one box.
    void OfferRecoveries();
    void Quit(); // asks "Really Quit?"
    // The shutdown without "Really Quit?", then the program ends with status 128 + signal.
    void EndOnSignal(int signal);

    // View: zoom steps, on the view with the focus or last pressed (the target before any), about
    // a point of its viewing area (area pixels from its top-left corner), which keeps the image
    // pixel it shows; the grid over both views.
    void ZoomIn();
    void ZoomOut();
    void ActualSize();
    void FitView();
    void ZoomView(ImageView* view, double zoom, QPointF anchor);
    void ShowGrid(bool shown);
    // Ticked, the window may be resized and maximised, its views growing with it; unticked it
    // is the fixed 721 x 512 client area.
    void SetResizable(bool resizable);
    ImageView* ZoomedView() const { return MenuPane()->View(); }
    // The cell under the pointer outlined where a press would act; on the target, what the
    // press would leave there, with the keys held, shown over the sheet.
    void OutlineSourceCell(QPointF at);
    void OutlineTargetCell(QPointF at, Qt::KeyboardModifiers modifiers = {});

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void BuildLayout();
    void ArrangeControls(); // to the client area's size
    void BuildMenus();
    void Connect();
    void ConnectDrops();
    void BuildViewMenu();
    void BuildSourceList();
    // The shown source's place kept with it, from the view and its bars.
    void KeepSourcePlace();
    // The view, its bars, the button and the list show the shown source as it was last seen;
    // with none, the view is empty as at start-up.
    void ShowShownSource();
    void ListSources();
    void AddSource(const std::string& path, const QString& title,
                   std::optional<SourceImage::Place> seen);
    QList<SheetRecovery::KeptSource> KeptSources() const;
    // An open source's new pixels shown, keeping its place; or its file was deleted.
    void ReplaceSourcePicture(int index, QImage picture);
    void SourceDeleted(const QByteArray& path);
    // Reopens the files in order, each where it was seen; names those that cannot be read.
    void ReopenSources(const QList<SheetRecovery::KeptSource>& kept);
    void LoadViewSettings();
    void StepZoom(ImagePane* pane, int steps, std::optional<QPointF> anchor);
    ImagePane* PaneOf(const ImageView* view) const;
    ImagePane* MenuPane() const;
    void LoadStartupState();
    void ApplyStoredPosition();
    // "Really Quit?": whether the user wants to quit.
    bool ConfirmQuit();
    // Writes the options and the position, removes the temporary folder and closes the other
    // windows; once.
    void Shutdown();

    // named: a file to take as chosen; none: ask with the source's or the target's dialog,
    // starting on the filter that side's dialog was last left on. The chosen file's path as
    // the file functions take it; none when cancelled.
    std::optional<std::string> ChooseFile(const std::optional<QByteArray>& named, bool target);
    // False when the file could not be read; a declined open is not a failure.
    bool OpenSourceFrom(const std::optional<QByteArray>& named);
    bool OpenTargetFrom(const std::optional<QByteArray>& named);
    // Puts the file first in Open Recent.
    void RememberRecent(const QByteArray& path, bool target); // path: the name's bytes
    void ListRecent();
    void ApplyChosenSize();
    void ResizeSheet(QSize size, bool autoSize);
    // False when the save failed (and said so).
    bool SaveTargetTo(const QByteArray& path);
    void SaveLayoutTo(const QByteArray& layoutFile);
    bool OpenLayoutFile(const QByteArray& path);
    // The sources a layout was built from, already read, opened beside the others; the shown
    // one stays shown, else the first of them is.
    void OpenLayoutSources(const std::vector<std::pair<QByteArray, QImage>>& read);
    // Whether another program changed the sheet's own files since they were opened or saved;
    // if so, whether the user wants them replaced.
    bool ReplaceChangedOnDisk();
    void RememberOwnFiles();
    // Live sources: the files the sheet's cells come from (and the open sources) are watched;
    // a change shows an open source's new pixels and stamps the sheet's cells from it again as
    // one step, with a note in the window.
    void WatchSources();
    void FileChangedOnDisk(const QByteArray& file);
    void ShowNote(const QString& note);
    bool MayReplace(const QByteArray& path);
    std::optional<QByteArray> ChooseSaveFile(const QString& title, const QString& filter,
                                             const QString& extension, const QByteArray& own);
    void ComposeAndSave(const std::string& path);
    // The sheet changed: the view follows its size and repaints the area, the button its title.
    void ShowSheetChange(const QRect& area);
    static QString NoImageCaption();
    QString TargetCaption() const;
    void KeepForRecovery(const QRect& area); // area: what changed
    void ReportRecoveryFailure(const QString& what);
    void RestoreSheet(const SheetRecovery::Sheet& kept);
    void RestoreOrphan(SheetRecovery::Orphan& orphan);
    ScrollState TargetScroll() const;
    void PutTargetScroll(const ScrollState& state);
    // The clipboard's picture, bounded and asked about, grown to whole cells if wanted; null
    // when it holds none that can be read. False when declined or cancelled.
    bool FetchClipboardPicture(QImage& picture, bool wholeCells);
    // The preview and the block's size follow the selected tile.
    void ShowTile();
    // Picks the block of cells from the anchor cell to the one under at, within the image.
    void PickBlock(const QImage& from, const QRect& anchor, QPointF at);
    void StampOrErase(QPoint topLeft);
    // The block a press on the target at `at` stamps: the cell under it is its top-left one.
    QRect TargetBlockAt(QPointF at) const;
    // The target's outline and preview again, for the pointer where it rests.
    void RefreshPreview(Qt::KeyboardModifiers modifiers);

    SheetDocument document_;
    SheetRecovery recovery_;
    OpenSources sources_;
    int16_t sourceFilter_ = 1; // the filter each open dialog was last left on
    int16_t targetFilter_ = 1;
    // The open sources' files and those the sheet's cells come from, each watched once.
    WatchedFiles watched_;
    QTimer noteTimer_; // hides the note
    std::set<QByteArray> watchedSources_;
    std::set<QByteArray> changedDuringDrag_;                 // applied once the drag ends
    std::map<QByteArray, WatchedFiles::Signature> ownFiles_; // as last opened or saved
    SelectedTile tile_;
    QImage tileShown_; // a block, reduced to the preview's size
    // A drag in progress: what it does, the cell it started on, the places a stroke entered.
    enum class Drag { None, SourcePick, SheetPick, Paint, Erase };
    Drag drag_ = Drag::None;
    QRect dragAnchor_;
    std::optional<Stroke> stroke_;
    QImage composed_;
    LaunchOptions options_;
    PrivateFolder temporaryFolder_;
    QSize customSize_; // what the custom size dialog's boxes last held

    bool loaded_ = false;
    bool shutDown_ = false;
    bool endingOnSignal_ = false;
    QPoint wantedPosition_;         // outer frame, pixels
    ImagePane* lastPane_ = nullptr; // the one the View menu acts on
    QSize arranged_;                // the client area's size the controls were placed for
};
