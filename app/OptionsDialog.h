#pragma once
// The Options dialog: whether and what to launch at start-up. Changes take effect at once;
// Cancel undoes nothing.

#include "FileDialog.h"
#include "LaunchOptions.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    // Edits options in place.
    OptionsDialog(QWidget* owner, LaunchOptions& options);

    FileDialog programDialog;
    QPushButton* browseButton = nullptr;
    QLineEdit* launchPathBox = nullptr;
    QCheckBox* launchCheck = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* okButton = nullptr;

    void ShowCurrent();
    void LaunchToggled();
    void BrowseForProgram();
    void Confirm();
    void Cancel();

    // Esc presses Cancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    LaunchOptions& options_;
};
