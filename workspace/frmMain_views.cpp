// The three views that hold whole images: clear, redraw from CurImage, load from a file.

#include "app/frmMain.h"

#include "imaging/Module1.h"
#include "imaging/modFileBMP.h"
#include "workspace/ImageFile.h"
#include "workspace/Workspace.h"

void frmMain::ClearImage() {
    pbox1->setPicture(LoadPicture());
    pbox1->Cls();
}

void frmMain::ClearImage2() {
    pbox2->setPicture(LoadPicture());
    pbox2->Cls();
}

void frmMain::ClearImage3() {
    pboxfinal->setPicture(LoadPicture());
    pboxfinal->Cls();
}

void frmMain::RefreshPicture() {
    pbox1->setWidth(CurImage.Width);
    pbox1->setHeight(CurImage.Height);
    DrawImage(pbox1->hDC(), CurImage);
    pbox1->Refresh();
}

void frmMain::RefreshPicture2() {
    pbox2->setWidth(CurImage.Width);
    pbox2->setHeight(CurImage.Height);
    DrawImage(pbox2->hDC(), CurImage);
    pbox2->Refresh();
}

// The final view always takes the target's size, whatever was read back.
void frmMain::RefreshPicture3() {
    pboxfinal->setWidth(pbox2->Width());
    pboxfinal->setHeight(pbox2->Height());
    DrawImage(pboxfinal->hDC(), CurImage);
    pboxfinal->Refresh();
}

// The opens decode before they clear: a file that cannot be read leaves the view as it was.
void frmMain::LloaD() {
    LoadImageFile(dlgbox.FileName, CurImage);
    ClearImage();
    RefreshPicture();
}

void frmMain::LloaD2() {
    LoadImageFile(dlgbox.FileName, CurImage);
    ClearImage2();
    RefreshPicture2();
}

void frmMain::Lload3() {
    ClearImage3();
    LoadBMP(LocalPath(TempBitmapPath()), CurImage);
    RefreshPicture3();
}
