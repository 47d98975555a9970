#include "app/ooop.h"

#include "app/Options.h"
#include "platform/FitText.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

ooop::ooop(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(402, 213);

    // Created bottom of the stacking order first: cmdbrowse lies above Text1 above Check1.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(310, 140, 81, 25);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setGeometry(310, 175, 81, 25);
    Check1 = new QCheckBox(QStringLiteral("Launch external application on start up:"), this);
    Check1->setGeometry(20, 77, 215, 32);
    FitFontToWidth(Check1, Check1->text(),
                   Check1->width() - style()->pixelMetric(QStyle::PM_IndicatorWidth) -
                       style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
    Text1 = new QLineEdit(this);
    Text1->setGeometry(20, 107, 215, 19);
    Text1->setReadOnly(true);
    Text1->setEnabled(false);
    cmdbrowse = new QPushButton(QStringLiteral("Browse..."), this);
    cmdbrowse->setGeometry(239, 107, 55, 22);
    cmdbrowse->setEnabled(false);

    // Enter presses no button.
    for (QPushButton* button : {OKButton, CancelButton, cmdbrowse}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Check1);
    setTabOrder(Check1, Text1);
    setTabOrder(Text1, cmdbrowse);

    connect(Check1, &QCheckBox::toggled, this, &ooop::Check1_Click);
    connect(cmdbrowse, &QPushButton::clicked, this, &ooop::cmdbrowse_Click);
    connect(OKButton, &QPushButton::clicked, this, &ooop::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &ooop::CancelButton_Click);

    Form_Load();
}

void ooop::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The client area opens at a fixed place on the screen.
    move(184 - (geometry().x() - x()), 250 - (geometry().y() - y()));
    OKButton->setFocus();
}

void ooop::Form_Load() {
    // Ticking the box runs Check1_Click, as a click would.
    Check1->setChecked(LaunchAtStart > 0);
    Text1->setText(QFile::decodeName(LaunchPath));
    Text1->setEnabled(Check1->isChecked());
    cmdbrowse->setEnabled(Check1->isChecked());
}

void ooop::Check1_Click() {
    if (!Check1->isChecked()) {
        Text1->setEnabled(false);
        cmdbrowse->setEnabled(false);
        LaunchAtStart = 0;
    }
    if (Check1->isChecked()) {
        Text1->setEnabled(true);
        cmdbrowse->setEnabled(true);
        LaunchAtStart = 1;
    }
}

void ooop::cmdbrowse_Click() {
    dlgapp.DialogTitle = QStringLiteral("Select Executable...");
    dlgapp.DefaultExt = QStringLiteral("*.exe");
    dlgapp.Filter = QStringLiteral("Executable(*.exe)|*.exe");
    dlgapp.FilterIndex = 1;
    dlgapp.CancelError = true;
    try {
        dlgapp.ShowOpen(this);
        Text1->setText(dlgapp.FileName);
        LaunchPath = QFile::encodeName(dlgapp.FileName);
    } catch (const std::exception&) {
        // Cancelled or failed: nothing changes.
    }
}

void ooop::OKButton_Click() {
    DialogAccepted = -1;
    accept();
}

void ooop::CancelButton_Click() {
    DialogAccepted = 0;
    QDialog::reject();
}

void ooop::reject() {
    CancelButton_Click();
}
