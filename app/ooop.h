#pragma once
// The Options dialog: whether and what to launch at start-up. Changes take effect at once;
// Cancel undoes nothing.

#include "platform/CommonDialog.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

class ooop : public QDialog {
    Q_OBJECT
  public:
    explicit ooop(QWidget* owner);

    CommonDialog dlgapp;
    QPushButton* cmdbrowse = nullptr;
    QLineEdit* Text1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

    void Form_Load();
    void Check1_Click();
    void cmdbrowse_Click();
    void OKButton_Click();
    void CancelButton_Click();

    // Esc presses Cancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
};
