#include "CustomSizeDialog.h"

#include "FitText.h"
#include "MessageBox.h"
#include "Program.h"
#include "SaveableSize.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace {
constexpr int MaxSide = std::numeric_limits<int16_t>::max();

// A box holds digits only, and a value that fits 16 bits.
bool InRange(const QString& text) {
    if (text.isEmpty())
        return true;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value <= MaxSide;
}
} // namespace

CustomSizeDialog::CustomSizeDialog(QWidget* owner, QSize last)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      width_(last.width()), height_(last.height()) {
    setWindowTitle(QStringLiteral("Target Image Size"));
    setFixedSize(313, 83);

    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setGeometry(219, 45, 81, 25);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(219, 13, 81, 25);
    heightBox = new QLineEdit(this);
    heightBox->setGeometry(126, 30, 65, 20);
    timesLabel = new QLabel(QStringLiteral("X"), this);
    timesLabel->setGeometry(100, 33, 8, 13);
    widthBox = new QLineEdit(this);
    widthBox->setGeometry(15, 30, 65, 20);
    sidesLabel = new QLabel(QStringLiteral("Width                          Height     "), this);
    sidesLabel->setGeometry(36, 11, 153, 13);
    FitFontToWidth(sidesLabel, sidesLabel->text(), sidesLabel->width());

    for (QPushButton* button : {okButton, cancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, widthBox);
    setTabOrder(widthBox, heightBox);

    widthBox->installEventFilter(this);
    heightBox->installEventFilter(this);
    connect(widthBox, &QLineEdit::textChanged, this, &CustomSizeDialog::WidthEdited);
    connect(heightBox, &QLineEdit::textChanged, this, &CustomSizeDialog::HeightEdited);
    connect(okButton, &QPushButton::clicked, this, &CustomSizeDialog::ConfirmSize);
    connect(cancelButton, &QPushButton::clicked, this, &CustomSizeDialog::CancelSize);

    // The boxes show what OK would apply.
    if (last.width() > 0)
        widthBox->setText(QString::number(last.width()));
    if (last.height() > 0)
        heightBox->setText(QString::number(last.height()));
}

void CustomSizeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    okButton->setFocus();
}

bool CustomSizeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == widthBox || watched == heightBox)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Delete) reach the box as they are; under X11
        // Delete carries 0x7F, yet it edits and types nothing. Tab and Esc move the focus and
        // press Cancel: they belong to the dialog, not to the box.
        const bool dialogKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                               key->key() == Qt::Key_Escape;
        if (!dialogKey && text.size() == 1 && text[0].unicode() < 0x7F) {
            auto code = static_cast<int16_t>(text[0].unicode());
            if (watched == widthBox)
                WidthKeyPress(code);
            else
                HeightKeyPress(code);
            if (code == 0)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CustomSizeDialog::WidthKeyPress(int16_t& key) {
    BoxKeyPress(widthBox, key);
}
void CustomSizeDialog::HeightKeyPress(int16_t& key) {
    BoxKeyPress(heightBox, key);
}

void CustomSizeDialog::BoxKeyPress(QLineEdit* box, int16_t& key) {
    if (key == 8)
        return;
    if (key > '9' || key < '0') {
        key = 0;
        return;
    }
    // A digit that would take the box past 32767 is dropped too.
    QString after = box->text();
    if (box->hasSelectedText())
        after.remove(box->selectionStart(), box->selectedText().size());
    const int at = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    after.insert(at, QChar(key));
    if (!InRange(after))
        key = 0;
}

void CustomSizeDialog::WidthEdited() {
    BoxChange(widthBox, lastWidth_, width_);
}
void CustomSizeDialog::HeightEdited() {
    BoxChange(heightBox, lastHeight_, height_);
}

void CustomSizeDialog::BoxChange(QLineEdit* box, QString& lastGood, int& value) {
    // Pasted text that is not a number in range is not taken.
    if (!InRange(box->text())) {
        box->setText(lastGood);
        return;
    }
    if (box->text().isEmpty()) {
        box->setText(QStringLiteral("1")); // runs this handler again, which stores 1
        return;
    }
    lastGood = box->text();
    value = box->text().toInt();
}

void CustomSizeDialog::ConfirmSize() {
    if (!SaveableSize(Size())) {
        ShowMessage(QString::fromLatin1(SaveableSizeRule()), MessageButtons::OK, ProgramName(),
                    MessageIcon::None, this);
        return;
    }
    accept();
}

void CustomSizeDialog::CancelSize() {
    QDialog::reject();
}

void CustomSizeDialog::reject() {
    CancelSize();
}
