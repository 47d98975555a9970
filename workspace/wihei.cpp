#include "workspace/wihei.h"

#include "app/Options.h"
#include "platform/FitText.h"
#include "platform/MsgBox.h"
#include "workspace/Workspace.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

int16_t CustomWidth = 0;
int16_t CustomHeight = 0;

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

bool TargetSizeAllowed(int width, int height) {
    if (width < 1 || width > MaxSide || height < 1 || height > MaxSide)
        return false;
    const int64_t padded = (3LL * width + 3) / 4 * 4;
    return padded * height <= std::numeric_limits<int32_t>::max();
}

wihei::wihei(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Target Image Size"));
    setFixedSize(313, 83);

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setGeometry(219, 45, 81, 25);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(219, 13, 81, 25);
    txtheight = new QLineEdit(this);
    txtheight->setGeometry(126, 30, 65, 20);
    Label1 = new QLabel(QStringLiteral("X"), this);
    Label1->setGeometry(100, 33, 8, 13);
    txtwidth = new QLineEdit(this);
    txtwidth->setGeometry(15, 30, 65, 20);
    Label2 = new QLabel(QStringLiteral("Width                          Height     "), this);
    Label2->setGeometry(36, 11, 153, 13);
    FitFontToWidth(Label2, Label2->text(), Label2->width());

    for (QPushButton* button : {OKButton, CancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, txtwidth);
    setTabOrder(txtwidth, txtheight);

    txtwidth->installEventFilter(this);
    txtheight->installEventFilter(this);
    connect(txtwidth, &QLineEdit::textChanged, this, &wihei::txtwidth_Change);
    connect(txtheight, &QLineEdit::textChanged, this, &wihei::txtheight_Change);
    connect(OKButton, &QPushButton::clicked, this, &wihei::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &wihei::CancelButton_Click);
}

void wihei::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    OKButton->setFocus();
}

bool wihei::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == txtwidth || watched == txtheight)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Delete) reach the box as they are; under X11
        // Delete carries 0x7F, yet it edits and types nothing. Tab and Esc move the focus and
        // press Cancel: they belong to the dialog, not to the box.
        const bool dialogKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                               key->key() == Qt::Key_Escape;
        if (!dialogKey && text.size() == 1 && text[0].unicode() < 0x7F) {
            auto code = static_cast<int16_t>(text[0].unicode());
            if (watched == txtwidth)
                txtwidth_KeyPress(code);
            else
                txtheight_KeyPress(code);
            if (code == 0)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void wihei::txtwidth_KeyPress(int16_t& KeyAscii) {
    BoxKeyPress(txtwidth, KeyAscii);
}
void wihei::txtheight_KeyPress(int16_t& KeyAscii) {
    BoxKeyPress(txtheight, KeyAscii);
}

void wihei::BoxKeyPress(QLineEdit* box, int16_t& KeyAscii) {
    if (KeyAscii == 8)
        return;
    if (KeyAscii > '9' || KeyAscii < '0') {
        KeyAscii = 0;
        return;
    }
    // A digit that would take the box past 32767 is dropped too.
    QString after = box->text();
    if (box->hasSelectedText())
        after.remove(box->selectionStart(), box->selectedText().size());
    const int at = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    after.insert(at, QChar(KeyAscii));
    if (!InRange(after))
        KeyAscii = 0;
}

void wihei::txtwidth_Change() {
    BoxChange(txtwidth, lastWidth_, CustomWidth);
}
void wihei::txtheight_Change() {
    BoxChange(txtheight, lastHeight_, CustomHeight);
}

void wihei::BoxChange(QLineEdit* box, QString& lastGood, int16_t& value) {
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
    value = static_cast<int16_t>(box->text().toInt());
}

void wihei::OKButton_Click() {
    if (!TargetSizeAllowed(CustomWidth, CustomHeight)) {
        MsgBox(QStringLiteral("Width and height must each be from 1 to 32767, and 3 x width x "
                              "height at most 2147483647."),
               MsgButtons::OK, ProgramTitle(), MsgIcon::None, this);
        return;
    }
    DialogAccepted = -1;
    accept();
}

void wihei::CancelButton_Click() {
    DialogAccepted = 0;
    QDialog::reject();
}

void wihei::reject() {
    CancelButton_Click();
}
