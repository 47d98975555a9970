#pragma once
// The About box: icon, title and version, one line of description, OK.

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* owner);

    // Patchery's own 32 x 32, 16-colour picture of a grid of tiles.
    static QIcon ProgramIcon();
    static QPixmap ProgramPixmap();

    QLabel* iconLabel = nullptr;
    QPushButton* okButton = nullptr;
    QLabel* descriptionLabel = nullptr;
    QLabel* titleLabel = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
