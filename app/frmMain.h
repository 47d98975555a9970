#pragma once
// The main window: source view, middle panel with the selected tile, target view, menus.
// Frame, layout, menus and shutdown live in app/; the workspace commands in workspace/.

#include "platform/CommonDialog.h"
#include "platform/PictureBox.h"
#include "platform/ScrollBar.h"
#include "workspace/TargetHistory.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTemporaryDir;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    frmMain();
    ~frmMain() override;

    // Loads the window (Form_Load) and shows it.
    void Show();

    // Window position of the outer frame, in twips.
    float Left() const;
    float Top() const;

    // The temporary composition file of the save, inside a private folder of this run. The
    // folder is checked at every call; if it has gone, or is no longer a private folder of
    // ours, a new one is made and the old one left as it is.
    QString TempBitmapPath();
    QString TempFolderPath() const;

    // Controls, in stacking order, topmost first.
    QWidget* client = nullptr;
    PictureBox* Picture1 = nullptr;
    QPushButton* cmdtarget = nullptr;
    QPushButton* cmdsource = nullptr;
    ScrollBar* updown2 = nullptr;
    ScrollBar* side2 = nullptr;
    ScrollBar* side1 = nullptr;
    PictureBox* pbox1 = nullptr;
    PictureBox* cover1 = nullptr;
    ScrollBar* updown1 = nullptr;
    PictureBox* coverbot = nullptr;
    CommonDialog dlgbox;
    PictureBox* pbox2 = nullptr;
    // Inside cover1.
    PictureBox* pboxfinal = nullptr;
    QComboBox* combo1 = nullptr;
    QPushButton* cmdpaste = nullptr;
    QPushButton* cmdcopy = nullptr;
    PictureBox* pboxsmall = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Line1 = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuFileopsour = nullptr;
    QAction* mnuFileoptar = nullptr;
    QAction* mnuFileBar0 = nullptr;
    QAction* mnuFilesavtar = nullptr;
    QAction* mnuFileBar1 = nullptr;
    QAction* mnuFileopti = nullptr;
    QAction* mnuFileBar2 = nullptr;
    QAction* mnuFilequitt = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // Frame and shutdown.
    void Form_Load();
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode);
    void Form_Unload(int16_t& Cancel);
    void mnuFileopti_Click();
    void mnuHelpAbout_Click();
    void mnuFilequitt_Click();
    // The unload steps without "Really Quit?", then the program ends with status 128 + signal.
    void EndOnSignal(int signal);

    // Views.
    void ClearImage3();
    void RefreshPicture();
    void RefreshPicture2();
    void RefreshPicture3();
    void LloaD();
    void LloaD2();
    void Lload3();

    // Open.
    void cmdsource_Click();
    void mnuFileopsour_Click();
    void cmdtarget_Click();
    void mnuFileoptar_Click();

    // Pick and stamp.
    void pbox1_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void pbox2_MouseDown(int16_t Button, int16_t Shift, float X, float Y);

    // Scrolling.
    void side1_Change();
    void updown1_Change();
    void side2_Change();
    void updown2_Change();

    // Size, clipboard, save.
    void combo1_Click();
    void cmdcopy_Click();
    void cmdpaste_Click();
    void mnuFilesavtar_Click();

    // Files named on the command line or dropped on a view or its button: opened by the open
    // commands' steps, without the dialog.
    void OpenSourceFile(const QString& path);
    void OpenTargetFile(const QString& path);

    // Workbench: the cell under the pointer outlined, and the wheel over the views.
    void pbox1_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void pbox2_MouseMove(int16_t Button, int16_t Shift, float X, float Y);

    // Edit menu: undo and redo of every change to the target sheet, and the tile clipboard.
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditundo = nullptr;
    QAction* mnuEditredo = nullptr;
    QAction* mnuEditBar0 = nullptr;
    QAction* mnuEditcopy = nullptr;
    QAction* mnuEditpaste = nullptr;
    void mnuEditundo_Click();
    void mnuEditredo_Click();
    void mnuEditcopy_Click();
    void mnuEditpaste_Click();
    // The target's steps, made on first use; stamps, size changes and target opens record here.
    TargetHistory& History();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void BuildLayout();
    void BuildMenus();
    void Connect();
    void ApplyStoredPosition();
    // named: a file to take as chosen; none: ask with the dialog.
    void OpenSource(const std::optional<QString>& named = std::nullopt);
    void OpenTarget(const std::optional<QString>& named = std::nullopt);
    void ChooseFile(const std::optional<QString>& named);
    void ConnectDrops();
    void SaveTarget();

    void ChooseTargetSize();
    void Unload(); // Form_Unload, once
    // The save's temporary bitmap: removed as soon as the save has read it back.
    void RemoveTempBitmap();

    bool loaded_ = false;
    bool unloaded_ = false;
    bool endingOnSignal_ = false;
    QPoint wantedPosition_; // outer frame, pixels
    std::unique_ptr<QTemporaryDir> tempDir_;
    std::unique_ptr<TargetHistory> history_;
};

// The one main window, created by Main.
extern frmMain* MainForm;

// Start-up: creates and shows the main window, then runs the program until it ends.
int Main(int argc, char** argv);
