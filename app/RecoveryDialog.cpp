#include "RecoveryDialog.h"

#include "Program.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

RecoveryDialog::RecoveryDialog(const QStringList& sheets, QWidget* owner) : QDialog(owner) {
    setWindowTitle(ProgramName());
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(tr("Earlier runs of Patchery left %1 unsaved sheets. Restore one, "
                               "discard those selected, or keep them all for later.")
                                .arg(sheets.size()),
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    sheetList = new QListWidget(this);
    sheetList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sheetList->addItems(sheets);
    sheetList->setCurrentRow(0);
    sheetList->setMinimumWidth(460);
    layout->addWidget(sheetList);
    auto* buttons = new QDialogButtonBox(this);
    restoreButton = buttons->addButton(tr("&Restore"), QDialogButtonBox::AcceptRole);
    discardButton = buttons->addButton(tr("&Discard"), QDialogButtonBox::DestructiveRole);
    laterButton = buttons->addButton(tr("Keep for &Later"), QDialogButtonBox::RejectRole);
    restoreButton->setDefault(true);
    layout->addWidget(buttons);
    connect(sheetList, &QListWidget::itemSelectionChanged, this, [this] {
        restoreButton->setEnabled(Selected().size() == 1);
        discardButton->setEnabled(!Selected().isEmpty());
    });
    connect(restoreButton, &QPushButton::clicked, this, [this] {
        choice_ = Choice::Restore;
        accept();
    });
    connect(discardButton, &QPushButton::clicked, this, [this] {
        choice_ = Choice::Discard;
        accept();
    });
    connect(laterButton, &QPushButton::clicked, this, &QDialog::reject);
    sheetList->setFocus();
}

RecoveryDialog::Choice RecoveryDialog::Ask() {
    choice_ = Choice::Later;
    exec();
    return result() == QDialog::Accepted ? choice_ : Choice::Later;
}

QList<int> RecoveryDialog::Selected() const {
    QList<int> rows;
    for (int row = 0; row < sheetList->count(); ++row)
        if (sheetList->item(row)->isSelected())
            rows << row;
    return rows;
}
