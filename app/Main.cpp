// Start-up: the one main window, created and shown; the program runs while it is open.

#include "app/CommandLine.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "platform/Application.h"
#include "platform/TerminationSignals.h"

#include <QTimer>

#include <csignal>

frmMain* MainForm = nullptr;

int Main(int argc, char** argv) {
    CommandLine named;
    if (const std::optional<int> status = ParseCommandLine(argc, argv, named))
        return *status;
    // A write past the file-size limit then fails with "File too large", which the save
    // reports, instead of ending the program with the sheet unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Patchery"));
    QApplication::setDesktopFileName(QStringLiteral("org.patchery.Patchery"));
    QApplication::setWindowIcon(frmAbout::ProgramIcon());
    frmMain form;
    MainForm = &form;
    OnTerminationSignals(&form, [&form](int signal) { form.EndOnSignal(signal); });
    form.Show();
    // Once the window is up, so that a "Wrong format" has it as owner.
    QTimer::singleShot(0, &form, [&form, &named] {
        if (named.Source)
            form.OpenSourceFile(*named.Source);
        if (named.Target)
            form.OpenTargetFile(*named.Target);
    });
    const int result = QApplication::exec();
    MainForm = nullptr;
    return result;
}
