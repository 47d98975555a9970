#pragma once
// The About box: icon, title and version, one line of description, OK.

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* owner);

    // Patchery's own 32 x 32, 16-colour picture of a grid of tiles.
    static QIcon ProgramIcon();
    static QPixmap ProgramPixmap();

    QLabel* picIcon = nullptr;
    QPushButton* cmdOK = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblTitle = nullptr;

    void cmdOK_Click();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
