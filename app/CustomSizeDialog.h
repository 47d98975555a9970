#pragma once
// The Target Image Size dialog for "Custom...": a width and a height, each typed as digits.

#include <QDialog>
#include <QSize>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class CustomSizeDialog : public QDialog {
    Q_OBJECT
  public:
    // last: the values the boxes held when the dialog was last open; the boxes show them, and
    // OK applies them until a box is edited.
    CustomSizeDialog(QWidget* owner, QSize last);

    // The last value typed into each box (or given as last); exec() says whether OK took it.
    QSize Size() const { return {width_, height_}; }

    QLabel* sidesLabel = nullptr;
    QLineEdit* widthBox = nullptr;
    QLabel* timesLabel = nullptr;
    QLineEdit* heightBox = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    void ConfirmSize();
    void CancelSize();
    void WidthEdited();
    void HeightEdited();
    // A typed character's code; set to 0, the keystroke is dropped.
    void WidthKeyPress(int16_t& key);
    void HeightKeyPress(int16_t& key);

    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BoxChange(QLineEdit* box, QString& lastGood, int& value);
    void BoxKeyPress(QLineEdit* box, int16_t& key);

    int width_ = 0;
    int height_ = 0;
    QString lastWidth_;
    QString lastHeight_;
};
