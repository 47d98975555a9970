// `make bench`: every benchmark in one run on this machine, then the table of ratios.
// Runs offscreen with its own settings and temporary folders, so it touches nothing of the user's.

#include "RatioReporter.h"
#include "Samples.h"

#include "Application.h"

#include <QByteArray>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--peak-of-open") {
        Application app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Patchery"));
        return PeakOfOpenChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/patchery-bench-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        std::cerr << "patchery_bench: cannot make a folder in " << folder << "\n";
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder + "/config"));
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(folder + "/state"));
    std::filesystem::create_directories(folder + "/tmp");
    qputenv("TMPDIR", QByteArray::fromStdString(folder + "/tmp"));

    int status = 0;
    {
        Application app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Patchery"));
        try {
            MakeSamples(folder + "/files");
            RegisterFileBenchmarks();
            RegisterWindowBenchmarks();
            RegisterLimitBenchmarks();
            RegisterBuildBenchmarks();
            RatioReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
        } catch (const std::exception& e) {
            std::cerr << "patchery_bench: " << e.what() << "\n";
            status = 1;
        }
        EndWindowBenchmarks();
    }
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return status;
}
