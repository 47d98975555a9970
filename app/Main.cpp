// Start-up: the one main window, created and shown; the program runs while it is open.

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "platform/Application.h"
#include "platform/TerminationSignals.h"

frmMain* MainForm = nullptr;

int Main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Patchery"));
    QApplication::setWindowIcon(frmAbout::ProgramIcon());
    frmMain form;
    MainForm = &form;
    OnTerminationSignals(&form, [&form](int signal) { form.EndOnSignal(signal); });
    form.Show();
    const int result = QApplication::exec();
    MainForm = nullptr;
    return result;
}
