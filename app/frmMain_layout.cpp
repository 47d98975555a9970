// The main window's controls at their fixed places, its stacking and focus order, its menus.

#include "app/frmMain.h"

#include "platform/ComboBox.h"
#include "platform/CommandButton.h"
#include "platform/FitText.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <initializer_list>

namespace {
template <typename W> W* Place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Later siblings are drawn above earlier ones: raise from the bottom of the list upward.
void Stack(std::initializer_list<QWidget*> topmostFirst) {
    for (auto it = std::rbegin(topmostFirst); it != std::rend(topmostFirst); ++it)
        (*it)->raise();
}
} // namespace

void frmMain::BuildLayout() {
    client = new QWidget(this);
    client->setFixedSize(721, 512);
    setCentralWidget(client);

    Picture1 = Place(new PictureBox(client, false), 271, 0, 179, 20);
    cmdtarget =
        Place(new CommandButton(QStringLiteral("   --no image loaded--   256x2048"), client), 450,
              0, 271, 20);
    cmdsource =
        Place(new CommandButton(QStringLiteral("   --no image loaded--"), client), 0, 0, 271, 20);
    updown2 = Place(new ScrollBar(Qt::Vertical, client), 706, 20, 15, 477);
    side2 = Place(new ScrollBar(Qt::Horizontal, client), 450, 497, 256, 15);
    side1 = Place(new ScrollBar(Qt::Horizontal, client), 0, 497, 256, 15);
    pbox1 = Place(new PictureBox(client), 0, 20, 256, 477);
    cover1 = Place(new PictureBox(client, false), 271, 20, 179, 477);
    updown1 = Place(new ScrollBar(Qt::Vertical, client), 256, 20, 15, 477);
    coverbot = Place(new PictureBox(client, false), 0, 497, 721, 15);
    pbox2 = Place(new PictureBox(client), 450, 20, 256, 477);
    Stack({Picture1, cmdtarget, cmdsource, updown2, side2, side1, pbox1, cover1, updown1, coverbot,
           pbox2});

    pboxfinal = Place(new PictureBox(cover1), 106, 477, 28, 27);
    pboxfinal->setAutoSize(true);
    pboxfinal->hide();
    combo1 = Place(new ComboBox(cover1), 47, 210, 86, 21);
    combo1->addItems({QStringLiteral("256x768"), QStringLiteral("256x1024"),
                      QStringLiteral("256x1536"), QStringLiteral("256x2048"),
                      QStringLiteral("Custom...")});
    combo1->setCurrentIndex(-1);
    cmdpaste =
        Place(new CommandButton(QStringLiteral("Paste From Clipboard"), cover1), 47, 150, 86, 30);
    cmdcopy =
        Place(new CommandButton(QStringLiteral("Copy To Clipboard"), cover1), 47, 110, 86, 30);
    pboxsmall = Place(new PictureBox(cover1), 58, 25, 64, 64);
    Frame1 = Place(new QGroupBox(QStringLiteral("Selected   Tile"), cover1), 46, 8, 86, 90);
    Label1 = Place(new QLabel(QStringLiteral("Target Image Size"), cover1), 47, 190, 86, 13);
    FitFontToWidth(Label1, Label1->text(), Label1->width());
    Line1 = Place(new QFrame(cover1), 178, 0, 1, 477);
    Line1->setFrameShape(QFrame::VLine);
    Line1->setFrameShadow(QFrame::Plain);
    Stack({pboxfinal, combo1, cmdpaste, cmdcopy, pboxsmall, Frame1, Label1, Line1});

    // Focus order; picture boxes, panels and labels take no focus.
    QWidget* const order[] = {updown1,   updown2, side1,    side2, cmdsource,
                              cmdtarget, cmdcopy, cmdpaste, combo1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void frmMain::BuildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileopsour = mnuFile->addAction(QStringLiteral("Open Source..."));
    mnuFileoptar = mnuFile->addAction(QStringLiteral("Open Target..."));
    mnuFileBar0 = mnuFile->addSeparator();
    mnuFilesavtar = mnuFile->addAction(QStringLiteral("Save Target As..."));
    mnuFileBar1 = mnuFile->addSeparator();
    mnuFileopti = mnuFile->addAction(QStringLiteral("Options..."));
    mnuFileBar2 = mnuFile->addSeparator();
    mnuFilequitt = mnuFile->addAction(QStringLiteral("Quit"));
    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEditundo = mnuEdit->addAction(QStringLiteral("&Undo"));
    mnuEditundo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuEditundo->setEnabled(false);
    mnuEditredo = mnuEdit->addAction(QStringLiteral("&Redo"));
    mnuEditredo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuEditredo->setEnabled(false);
    mnuEditBar0 = mnuEdit->addSeparator();
    mnuEditcopy = mnuEdit->addAction(QStringLiteral("&Copy Tile"));
    mnuEditcopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditpaste = mnuEdit->addAction(QStringLiteral("&Paste Tile"));
    mnuEditpaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About "));

    // Shortcuts, shown beside the items; Quit still asks "Really Quit?".
    mnuFileopsour->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileoptar->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    mnuFilesavtar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFilequitt->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuHelpAbout->setShortcut(QKeySequence(Qt::Key_F1));
}

void frmMain::Connect() {
    connect(cmdsource, &QPushButton::clicked, this, &frmMain::cmdsource_Click);
    connect(cmdtarget, &QPushButton::clicked, this, &frmMain::cmdtarget_Click);
    connect(cmdcopy, &QPushButton::clicked, this, &frmMain::cmdcopy_Click);
    connect(cmdpaste, &QPushButton::clicked, this, &frmMain::cmdpaste_Click);
    connect(combo1, &QComboBox::activated, this, &frmMain::combo1_Click);
    connect(pbox1, &PictureBox::MouseDown, this, &frmMain::pbox1_MouseDown);
    connect(pbox2, &PictureBox::MouseDown, this, &frmMain::pbox2_MouseDown);
    pbox1->setMouseTracking(true);
    pbox2->setMouseTracking(true);
    connect(pbox1, &PictureBox::MouseMove, this, &frmMain::pbox1_MouseMove);
    connect(pbox2, &PictureBox::MouseMove, this, &frmMain::pbox2_MouseMove);
    connect(side1, &ScrollBar::Change, this, &frmMain::side1_Change);
    connect(updown1, &ScrollBar::Change, this, &frmMain::updown1_Change);
    connect(side2, &ScrollBar::Change, this, &frmMain::side2_Change);
    connect(updown2, &ScrollBar::Change, this, &frmMain::updown2_Change);
    connect(mnuFileopsour, &QAction::triggered, this, &frmMain::mnuFileopsour_Click);
    connect(mnuFileoptar, &QAction::triggered, this, &frmMain::mnuFileoptar_Click);
    connect(mnuFilesavtar, &QAction::triggered, this, &frmMain::mnuFilesavtar_Click);
    connect(mnuFileopti, &QAction::triggered, this, &frmMain::mnuFileopti_Click);
    connect(mnuFilequitt, &QAction::triggered, this, &frmMain::mnuFilequitt_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
    connect(mnuEditundo, &QAction::triggered, this, &frmMain::mnuEditundo_Click);
    connect(mnuEditredo, &QAction::triggered, this, &frmMain::mnuEditredo_Click);
    connect(mnuEditcopy, &QAction::triggered, this, &frmMain::mnuEditcopy_Click);
    connect(mnuEditpaste, &QAction::triggered, this, &frmMain::mnuEditpaste_Click);
}
