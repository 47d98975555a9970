#include "app/frmAbout.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {
// The box is laid out in twips, 15 to the pixel.
int Px(int twips) {
    return (twips + 7) / 15;
}
} // namespace

QPixmap frmAbout::ProgramPixmap() {
    // The picture is compiled into a static library, whose resource registration the linker
    // leaves out unless something refers to it.
    Q_INIT_RESOURCE(resources);
    return QPixmap(QStringLiteral(":/patchery.xpm"));
}
QIcon frmAbout::ProgramIcon() {
    return QIcon(ProgramPixmap());
}

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("About Patchery"));
    setFixedSize(Px(5865), Px(2325));

    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);

    lblTitle = new QLabel(QStringLiteral("Patchery v1.3"), this);
    lblTitle->setPalette(black);
    lblTitle->move(Px(1050), Px(240));
    lblTitle->adjustSize();
    lblDescription = new QLabel(QStringLiteral("Builds texture sheets from 64 x 64 tiles."), this);
    lblDescription->setPalette(black);
    lblDescription->move(Px(1050), Px(1125));
    lblDescription->adjustSize();
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(Px(4275), Px(1770), Px(1467), Px(345));
    cmdOK->setDefault(true);
    picIcon = new QLabel(this);
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(1);
    picIcon->setPixmap(ProgramPixmap());
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setGeometry(Px(240), Px(240), Px(540), Px(540));

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

// Esc, Enter and the close box all end as OK does.
void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect owner = parentWidget()->frameGeometry();
        move(owner.center() - rect().center());
    }
    cmdOK->setFocus();
}

// An engraved rule: white just above grey, between the texts and OK.
void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(Px(315), Px(1605), Px(5747), Px(1605));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(Px(330), Px(1575), Px(5747), Px(1575));
}
