#pragma once
// The Target Image Size dialog for "Custom...".

#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

// The last value typed into each box; they outlive the dialog.
extern int16_t CustomWidth;
extern int16_t CustomHeight;

// Sizes the program can hold and save: each side 1 to 32767, and the pixel data (also with
// rows padded to 4 bytes) within the signed 32-bit range.
bool TargetSizeAllowed(int width, int height);

class wihei : public QDialog {
    Q_OBJECT
  public:
    explicit wihei(QWidget* owner);

    QLabel* Label2 = nullptr;
    QLineEdit* txtwidth = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtheight = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void OKButton_Click();
    void CancelButton_Click();
    void txtwidth_Change();
    void txtheight_Change();
    // KeyAscii 0 drops the keystroke.
    void txtwidth_KeyPress(int16_t& KeyAscii);
    void txtheight_KeyPress(int16_t& KeyAscii);

    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BoxChange(QLineEdit* box, QString& lastGood, int16_t& value);
    void BoxKeyPress(QLineEdit* box, int16_t& KeyAscii);

    QString lastWidth_;
    QString lastHeight_;
};
