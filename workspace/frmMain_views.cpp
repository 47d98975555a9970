// The three views that hold whole images: clear, redraw from CurImage, load from a file.

#include "app/frmMain.h"

#include "imaging/Module1.h"
#include "imaging/modFileBMP.h"
#include "workspace/ImageFile.h"
#include "workspace/Workspace.h"

void frmMain::ClearImage3() {
    pboxfinal->setPicture(LoadPicture());
    pboxfinal->Cls();
}

namespace {
// The whole image drawn into a new picture of its size, aside from any view.
QImage Drawn(const ImageData& image) {
    QImage drawn(image.Width, image.Height, QImage::Format_RGB32);
    if (drawn.isNull())
        throw std::bad_alloc();
    DrawImage(
        {drawn.bits(), drawn.width(), drawn.height(), static_cast<int32_t>(drawn.bytesPerLine())},
        image);
    return drawn;
}
} // namespace

// The source and the target view take the drawn image as their picture and drawing in one step,
// which changes nothing when the memory for it cannot be had.
void frmMain::RefreshPicture() {
    pbox1->Load(Drawn(CurImage));
    pbox1->Refresh();
}

void frmMain::RefreshPicture2() {
    pbox2->Load(Drawn(CurImage));
    pbox2->Refresh();
}

// The final view always takes the target's size, whatever was read back.
void frmMain::RefreshPicture3() {
    pboxfinal->setWidth(pbox2->Width());
    pboxfinal->setHeight(pbox2->Height());
    DrawImage(pboxfinal->hDC(), CurImage);
    pboxfinal->Refresh();
}

// The opens build the new view aside and put it in place only when all of it could be made: a
// file that cannot be read, or memory that runs out, leaves the view exactly as it was.
void frmMain::LloaD() {
    LoadImageFile(dlgbox.FileName, CurImage);
    RefreshPicture();
}

void frmMain::LloaD2() {
    LoadImageFile(dlgbox.FileName, CurImage);
    RefreshPicture2();
}

void frmMain::Lload3() {
    ClearImage3();
    LoadBMP(LocalPath(TempBitmapPath()), CurImage);
    RefreshPicture3();
}
