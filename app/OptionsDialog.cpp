#include "OptionsDialog.h"

#include "FitText.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

OptionsDialog::OptionsDialog(QWidget* owner, LaunchOptions& options)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      options_(options) {
    setWindowTitle(tr("Options"));
    setFixedSize(402, 213);

    // Created bottom of the stacking order first: browseButton lies above launchPathBox above
    // launchCheck.
    okButton = new QPushButton(tr("OK"), this);
    okButton->setGeometry(310, 140, 81, 25);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setGeometry(310, 175, 81, 25);
    launchCheck = new QCheckBox(tr("Launch external application on start up:"), this);
    launchCheck->setGeometry(20, 77, 215, 32);
    FitFontToWidth(launchCheck, launchCheck->text(),
                   launchCheck->width() - style()->pixelMetric(QStyle::PM_IndicatorWidth) -
                       style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
    launchPathBox = new QLineEdit(this);
    launchPathBox->setGeometry(20, 107, 215, 19);
    launchPathBox->setReadOnly(true);
    launchPathBox->setEnabled(false);
    browseButton = new QPushButton(tr("Browse..."), this);
    browseButton->setGeometry(239, 107, 55, 22);
    browseButton->setEnabled(false);

    // Enter presses no button.
    for (QPushButton* button : {okButton, cancelButton, browseButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, launchCheck);
    setTabOrder(launchCheck, launchPathBox);
    setTabOrder(launchPathBox, browseButton);

    connect(launchCheck, &QCheckBox::toggled, this, &OptionsDialog::LaunchToggled);
    connect(browseButton, &QPushButton::clicked, this, &OptionsDialog::BrowseForProgram);
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::Confirm);
    connect(cancelButton, &QPushButton::clicked, this, &OptionsDialog::Cancel);

    ShowCurrent();
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The client area opens at a fixed place on the screen.
    move(184 - (geometry().x() - x()), 250 - (geometry().y() - y()));
    okButton->setFocus();
}

void OptionsDialog::ShowCurrent() {
    // Ticking the box runs LaunchToggled, as a click would.
    launchCheck->setChecked(options_.LaunchAtStart);
    launchPathBox->setText(QFile::decodeName(options_.Path));
    launchPathBox->setEnabled(launchCheck->isChecked());
    browseButton->setEnabled(launchCheck->isChecked());
}

void OptionsDialog::LaunchToggled() {
    if (!launchCheck->isChecked()) {
        launchPathBox->setEnabled(false);
        browseButton->setEnabled(false);
        options_.LaunchAtStart = false;
    }
    if (launchCheck->isChecked()) {
        launchPathBox->setEnabled(true);
        browseButton->setEnabled(true);
        options_.LaunchAtStart = true;
    }
}

void OptionsDialog::BrowseForProgram() {
    programDialog.Title = tr("Select Executable...");
    programDialog.DefaultExtension = QStringLiteral("*.exe");
    programDialog.Filter = tr("Executable") + QStringLiteral("(*.exe)|*.exe");
    programDialog.FilterIndex = 1;
    // Cancelled: nothing changes.
    if (!programDialog.ShowOpen(this))
        return;
    launchPathBox->setText(programDialog.FileName);
    options_.Path = QFile::encodeName(programDialog.FileName);
}

void OptionsDialog::Confirm() {
    accept();
}

void OptionsDialog::Cancel() {
    QDialog::reject();
}

void OptionsDialog::reject() {
    Cancel();
}
