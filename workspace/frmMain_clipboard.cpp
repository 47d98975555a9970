// Trading the selected tile with other programs through the system clipboard.

#include "app/frmMain.h"

#include "workspace/ImageFile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void frmMain::cmdcopy_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // With no tile the clipboard stays empty.
    if (!pboxsmall->Picture().isNull())
        clipboard->setImage(pboxsmall->Picture());
}

// Paste moves the picture: the clipboard is emptied afterwards, whatever it held.
void frmMain::cmdpaste_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QImage picture;
    const QMimeData* data = clipboard->mimeData();
    if (data && data->hasImage())
        picture = clipboard->image();
    // Other programs' pictures come in any format.
    pboxsmall->setPicture(AsPicture(picture));
    clipboard->clear();
}

void frmMain::mnuEditcopy_Click() {
    cmdcopy_Click();
}

void frmMain::mnuEditpaste_Click() {
    cmdpaste_Click();
}
