// Start-up: the one main window, created and shown; the program runs while it is open.

#include "Startup.h"
#include "AboutDialog.h"
#include "Application.h"
#include "CommandLine.h"
#include "DisplayCheck.h"
#include "LayoutOf.h"
#include "MainWindow.h"
#include "Program.h"
#include "Settings.h"
#include "TerminationSignals.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>

int RunPatchery(int argc, char** argv) {
    IgnoreRelativeXdgFolders();
    CommandLine named;
    if (const std::optional<int> status = ParseCommandLine(argc, argv, named))
        return *status;
    // A write past the file-size limit then fails with "File too large", which the save
    // reports, instead of ending the program with the sheet unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    // A build needs no display: Qt's image readers need only the core application.
    if (named.Build || named.Check) {
        const QCoreApplication core(argc, argv);
        return RunSheetCommand(named, QtImageReaders());
    }
    // A clear line and status 1 where Qt would abort.
    if (const std::optional<std::string> problem = DisplayProblem()) {
        std::fprintf(stderr, "patchery: %s\n", problem->c_str());
        return 1;
    }
    Application app(argc, argv);
    QApplication::setApplicationName(ProgramName());
    QApplication::setDesktopFileName(QStringLiteral("org.patchery.Patchery"));
    QApplication::setWindowIcon(AboutDialog::ProgramIcon());
    const Translations translations;
    MainWindow form;
    OnTerminationSignals(&form, [&form](int signal) { form.EndOnSignal(signal); });
    form.Show();
    // Once the window is up, so that a "Wrong format" has it as owner.
    QTimer::singleShot(0, &form, [&form, &named] {
        form.OfferRecoveries();
        form.OpenSourceFiles(named.Sources);
        if (named.Target)
            form.OpenTargetFile(*named.Target);
    });
    return QApplication::exec();
}
