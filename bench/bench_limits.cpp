// The limits of opens: the memory an open of a large PNG takes at its peak, and how soon an image
// bomb (a 79-byte XBM declaring 32767 x 32767) is asked about, through the real main window.

#include "Samples.h"

#include "FileDialog.h"
#include "MainWindow.h"
#include "MessageBox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

// The peak is measured in a fresh process, not here: memory this process freed earlier would be
// reused without growing its resident size, and hide part of the peak. The child shows the
// window, resets the kernel's high-water mark of its resident memory to what it holds now
// (/proc/self/clear_refs, 5), opens the file and gives how far the mark rose: every byte the
// open made resident at its peak, the decoder's, the picture's and any copy's.
std::optional<int64_t> PeakOfOpen(const std::string& path, bool target) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--peak-of-open"),
                 target ? QStringLiteral("target") : QStringLiteral("source"),
                 QString::fromStdString(path)});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        return std::nullopt;
    bool ok = false;
    const int64_t peak = child.readAllStandardOutput().trimmed().toLongLong(&ok);
    return ok ? std::optional<int64_t>(peak) : std::nullopt;
}

// Time of an open of the pattern as a PNG through the window, and its peak memory against the
// pixels as the program holds them (4 bytes a pixel): the goal is under 2.5 times.
void OpenPng(benchmark::State& state, SheetSize size, bool target) {
    const std::optional<int64_t> peak = PeakOfOpen(PngPath(size), target);
    if (!peak) {
        state.SkipWithError("the child process measured no peak");
        return;
    }
    QStringList messages;
    SetMessageResponder([&messages](const MessageCall& call) {
        messages << call.Text;
        return MessageAnswer::OK;
    });
    MainWindow window;
    window.Show();
    const QString path = QString::fromStdString(PngPath(size));
    for (auto _ : state) {
        if (target)
            window.OpenTargetFile(path);
        else
            window.OpenSourceFile(path);
        QCoreApplication::processEvents();
    }
    SetMessageResponder(nullptr);
    if (!messages.isEmpty())
        state.SkipWithError(messages.join(QLatin1Char('\n')).toStdString().c_str());
    const double pixels = 4.0 * size.Width * size.Height;
    state.counters["peak_MB"] = double(*peak) / (1 << 20);
    state.counters["peak_x"] = double(*peak) / pixels;
}

// From the open of the bomb to the question's appearing; No is the answer.
void BombQuestion(benchmark::State& state) {
    const std::string path = OutPath("bomb.xbm");
    std::ofstream(path) << "#define b_width 32767\n#define b_height 32767\n"
                           "static char b_bits[] = {0x00};\n";
    MainWindow window;
    window.Show();
    QElapsedTimer clock;
    int64_t asked = -1;
    SetMessageResponder([&](const MessageCall&) {
        asked = clock.nsecsElapsed();
        return MessageAnswer::No;
    });
    for (auto _ : state) {
        asked = -1;
        clock.start();
        window.OpenSourceFile(QByteArray::fromStdString(path));
        if (asked < 0) {
            state.SkipWithError("no question was asked");
            break;
        }
        state.SetIterationTime(double(asked) / 1e9);
    }
    SetMessageResponder(nullptr);
}

} // namespace

int PeakOfOpenChild(const QString& where, const QString& path) {
    SetMessageResponder([](const MessageCall& call) {
        qWarning("%s", qPrintable(call.Text));
        std::_Exit(2);
        return MessageAnswer::OK;
    });
    MainWindow window;
    window.Show();
    QCoreApplication::processEvents();
    std::ofstream("/proc/self/clear_refs") << "5";
    const int64_t before = StatusBytes("VmRSS");
    if (where == QLatin1String("target"))
        window.OpenTargetFile(path);
    else
        window.OpenSourceFile(path);
    const int64_t peak = StatusBytes("VmHWM");
    std::printf("%lld\n", static_cast<long long>(peak - before));
    return 0;
}

// They set message responders of their own, and leave none: they run after the window's.
void RegisterLimitBenchmarks() {
    for (const SheetSize size : Sizes)
        for (const bool target : {false, true})
            benchmark::RegisterBenchmark(
                ("window/open PNG/" + std::string(target ? "target/" : "source/") + size.Name())
                    .c_str(),
                OpenPng, size, target)
                ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("window/question of a 32767x32767 XBM", BombQuestion)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}
