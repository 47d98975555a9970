// Files dropped on the views and their buttons open as if chosen in the open dialog.

#include "app/frmMain.h"

#include "platform/FileDrop.h"

#include <QPushButton>

void frmMain::ConnectDrops() {
    const auto source = [this](const QString& path) { OpenSourceFile(path); };
    const auto target = [this](const QString& path) { OpenTargetFile(path); };
    AcceptFileDrops(pbox1, source);
    AcceptFileDrops(cmdsource, source);
    AcceptFileDrops(pbox2, target);
    AcceptFileDrops(cmdtarget, target);
}
