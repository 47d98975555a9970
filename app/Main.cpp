// Start-up: the one main window, created and shown; the program runs while it is open.

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "platform/Application.h"

#include <csignal>

frmMain* MainForm = nullptr;

int Main(int argc, char** argv) {
    // A write past the file-size limit then fails with "File too large", which the save
    // reports, instead of ending the program with the sheet unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Patchery"));
    QApplication::setWindowIcon(frmAbout::ProgramIcon());
    frmMain form;
    MainForm = &form;
    form.Show();
    const int result = QApplication::exec();
    MainForm = nullptr;
    return result;
}
