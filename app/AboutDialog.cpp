#include "AboutDialog.h"

#include "Program.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {
// The box is laid out in twips, 15 to the pixel.
int Px(int twips) {
    return (twips + 7) / 15;
}
} // namespace

QPixmap AboutDialog::ProgramPixmap() {
    // The picture is compiled into a static library, whose resource registration the linker
    // leaves out unless something refers to it.
    Q_INIT_RESOURCE(resources);
    return QPixmap(QStringLiteral(":/patchery.xpm"));
}
QIcon AboutDialog::ProgramIcon() {
    return QIcon(ProgramPixmap());
}

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(tr("About Patchery"));
    setFixedSize(Px(5865), Px(2325));

    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);

    titleLabel = new QLabel(ProgramName() + QStringLiteral(" v") + ProgramVersion(), this);
    titleLabel->setPalette(black);
    titleLabel->move(Px(1050), Px(240));
    titleLabel->adjustSize();
    descriptionLabel = new QLabel(tr("Builds texture sheets from 64 x 64 tiles."), this);
    descriptionLabel->setPalette(black);
    descriptionLabel->move(Px(1050), Px(1125));
    descriptionLabel->adjustSize();
    okButton = new QPushButton(tr("OK"), this);
    okButton->setGeometry(Px(4275), Px(1770), Px(1467), Px(345));
    okButton->setDefault(true);
    iconLabel = new QLabel(this);
    iconLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    iconLabel->setLineWidth(1);
    iconLabel->setPixmap(ProgramPixmap());
    iconLabel->setAlignment(Qt::AlignCenter);
    iconLabel->setGeometry(Px(240), Px(240), Px(540), Px(540));

    // Esc, Enter and the close box all end as OK does.
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect owner = parentWidget()->frameGeometry();
        move(owner.center() - rect().center());
    }
    okButton->setFocus();
}

// An engraved rule: white just above grey, between the texts and OK.
void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(Px(315), Px(1605), Px(5747), Px(1605));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(Px(330), Px(1575), Px(5747), Px(1575));
}
