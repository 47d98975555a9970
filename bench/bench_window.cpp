// Through the real main window, offscreen: a stamp, a block's stamp, a drag stroke, the outline
// following the pointer, an open of a target (TGA or PNG), a whole save, an undo.

#include "Samples.h"

#include "DurableFile.h"
#include "FileDialog.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "SheetRecovery.h"
#include "TgaFile.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

// The window and the user who answers its dialogs: a file dialog gets Answer, a message box
// is recorded as a failure of the benchmark running.
struct Session {
    MainWindow Window;
    QString Answer;
    QStringList Messages;

    Session() {
        FileDialog::SetResponder(
            [this](const FileDialog&, bool) { return std::optional<QString>(Answer); });
        SetMessageResponder([this](const MessageCall& call) {
            Messages << call.Text;
            return MessageAnswer::OK;
        });
        Window.Show();
        QCoreApplication::processEvents();
    }
};

// Made after the application object and destroyed before it.
std::unique_ptr<Session> Current;

Session& TheSession() {
    if (!Current)
        Current = std::make_unique<Session>();
    return *Current;
}

void SkipOnMessages(benchmark::State& state, Session& session) {
    if (!session.Messages.isEmpty()) {
        state.SkipWithError(session.Messages.join(QLatin1Char('\n')).toStdString().c_str());
        session.Messages.clear();
    }
}

// The pointer moving onto a point of the target view, as the toolkit delivers it.
void MovePointer(MainWindow& window, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, window.targetView->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.targetView, &move);
}

// The pointer leaving the target view, taking its outline and preview with it.
void PointerLeaves(MainWindow& window) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(window.targetView, &leave);
}

// The event loop's heartbeat: a 1 ms timer from Start on, and the longest it went without
// firing, which is the longest the loop's thread was busy at a stretch. beat, if given, runs at
// every tick with the time since Start.
class LoopWatch {
  public:
    explicit LoopWatch(std::function<void(qint64 nanoseconds)> beat = {}) {
        QObject::connect(&tick_, &QTimer::timeout, [this, beat = std::move(beat)] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, (now - last_) / 1e6);
            last_ = now;
            if (beat)
                beat(now);
        });
    }
    void Start() {
        clock_.start();
        tick_.start(1);
    }
    const QElapsedTimer& Clock() const { return clock_; }
    double LongestMs() const { return longest_; }

  private:
    QElapsedTimer clock_;
    QTimer tick_;
    qint64 last_ = 0;
    double longest_ = 0;
};

void OpenTarget(Session& session, SheetSize size, bool png = false) {
    session.Answer = QString::fromStdString(png ? PngPath(size) : TgaPath(size));
    session.Window.OpenTarget();
    QCoreApplication::processEvents();
}

// A tile picked from a source, then presses on the visible cells of the target in turn.
void Stamp(benchmark::State& state, bool withPaint) {
    Session& session = TheSession();
    MainWindow& window = session.Window;
    OpenTarget(session, Sizes[0]);
    session.Answer = QString::fromStdString(TgaPath(Sizes[0]));
    window.OpenSource();
    window.PickTile(QPointF(70, 70)); // cell (1, 1)
    QCoreApplication::processEvents();
    FaultCounter faults(state);
    int cell = 0;
    for (auto _ : state) {
        const QPointF at(64 * (cell % 4) + 10, 64 * (cell / 4 % 7) + 10);
        ++cell;
        if (withPaint) {
            // The press as the toolkit delivers it, and the repaint of the cell it causes.
            QMouseEvent press(QEvent::MouseButtonPress, at, window.targetView->mapToGlobal(at),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window.targetView, &press);
            QCoreApplication::processEvents();
        } else {
            window.StampTile(at);
        }
    }
    SkipOnMessages(state, session);
    // A benchmark of a press that stamps nothing would measure nothing.
    // Source and target are the same picture: the first press put cell (1, 1) into cell (0, 0).
    const QImage& source = window.Source();
    if (window.Sheet().Image().pixel(0, 0) != source.pixel(64, 64) ||
        source.pixel(64, 64) == source.pixel(0, 0))
        state.SkipWithError("the press did not stamp the tile");
}

// A 4 x 4-cell block picked with a drag on the source, then stamped by presses down the part of
// the sheet in sight, the pointer moved to each first: each with its repaint, the preview of
// the block under the pointer drawn over the sheet.
void StampBlock(benchmark::State& state) {
    Session& session = TheSession();
    MainWindow& window = session.Window;
    OpenTarget(session, Sizes[0]);
    session.Answer = QString::fromStdString(TgaPath(Sizes[0]));
    window.OpenSource();
    window.PressSource(QPointF(10, 70));
    window.DragOnSource(Qt::LeftButton, QPointF(250, 300));
    window.EndDrag();
    FaultCounter faults(state);
    const auto leave = qScopeGuard([&] { PointerLeaves(window); });
    int row = 0;
    for (auto _ : state) {
        // The pointer comes to the place first, as for any press: its move and the preview's
        // repaint are the pointer benchmarks' to time.
        const QPointF at(10, 64 * (row++ % 4) + 10);
        state.PauseTiming();
        MovePointer(window, at);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.PressTarget({}, at);
        window.EndDrag();
        QCoreApplication::processEvents();
    }
    SkipOnMessages(state, session);
    // The last press put the block's bottom-right pixel, source (255, 319), 255 rows below it.
    const int last = 64 * ((row - 1) % 4);
    if (window.TileCells() != QSize(4, 4) ||
        window.Sheet().Image().pixel(255, last + 255) != window.Source().pixel(255, 319))
        state.SkipWithError("the press did not stamp the block");
    if (window.targetView->Preview() != QRect(0, last, 256, 256))
        state.SkipWithError("no preview of the block under the pointer");
}

// One stroke, press to release: down the sheet's first column across 32 cells, a move a cell,
// each repainted; the tile alternates so that every stroke changes its cells. With undo, the
// stroke is made with the clock stopped and Edit > Undo of it is timed.
void StrokeDown(benchmark::State& state, bool undo) {
    Session& session = TheSession();
    MainWindow& window = session.Window;
    OpenTarget(session, Sizes[0]);
    session.Answer = QString::fromStdString(TgaPath(Sizes[0]));
    window.OpenSource();
    FaultCounter faults(state);
    int round = 0;
    const auto stroke = [&] {
        window.PressTarget({}, QPointF(10, 10));
        for (int cell = 1; cell < 32; ++cell) {
            window.DragOnTarget(Qt::LeftButton, QPointF(10, 64 * cell + 10));
            QCoreApplication::processEvents();
        }
        window.EndDrag();
        QCoreApplication::processEvents();
    };
    for (auto _ : state) {
        state.PauseTiming();
        window.PickTile(QPointF(round++ % 2 ? 70 : 10, 10));
        if (!undo)
            state.ResumeTiming();
        stroke();
        if (undo) {
            state.ResumeTiming();
            window.Undo();
            QCoreApplication::processEvents();
        }
    }
    SkipOnMessages(state, session);
    // One more stroke, with the other tile: one undo takes all of it back.
    window.PickTile(QPointF(round % 2 ? 70 : 10, 10));
    const QImage before = window.Sheet().Image().copy(0, 0, 64, 2048);
    stroke();
    const bool changed = window.Sheet().Image().copy(0, 0, 64, 2048) != before;
    window.Undo();
    if (!changed || window.Sheet().Image().copy(0, 0, 64, 2048) != before)
        state.SkipWithError("a stroke did not undo as one step");
    if (!undo)
        state.counters["per_cell"] = benchmark::Counter(
            32, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The pointer crossing a cell border on the target, and the repaint of the two cells' rings and
// previews, at a zoom: the border lies at 64 image pixels, the pointer 4 screen pixels either
// side of it.
void Outline(benchmark::State& state, double zoom) {
    Session& session = TheSession();
    MainWindow& window = session.Window;
    OpenTarget(session, Sizes[0]);
    session.Answer = QString::fromStdString(TgaPath(Sizes[0]));
    window.OpenSource();
    window.PickTile(QPointF(10, 10)); // a tile, without which nothing is outlined
    window.ZoomView(window.targetView, zoom, QPointF(0, 0));
    const auto restore = qScopeGuard([&] {
        PointerLeaves(window);
        window.ZoomView(window.targetView, 1.0, {});
    });
    const double border = 64 * zoom;
    int step = 0;
    for (auto _ : state) {
        MovePointer(window, QPointF(++step % 2 ? border - 4 : border + 4, 100));
        QCoreApplication::processEvents();
    }
    const int row = static_cast<int>(100 / zoom) / 64 * 64;
    const QRect cell(step % 2 ? 0 : 64, row, 64, 64);
    if (window.targetView->Outline() != cell)
        state.SkipWithError("the outline did not follow the pointer");
    if (window.targetView->Preview() != cell)
        state.SkipWithError("the preview did not follow the pointer");
}

// One repaint of all a zoomed target view shows of a 256 x 2048 sheet, its middle in sight.
void RepaintZoomed(benchmark::State& state, double zoom) {
    Session& session = TheSession();
    MainWindow& window = session.Window;
    OpenTarget(session, Sizes[0]);
    window.ZoomView(window.targetView, zoom, QPointF(0, 0));
    const auto restore = qScopeGuard([&] { window.ZoomView(window.targetView, 1.0, {}); });
    window.targetVerticalBar->setValue(window.targetVerticalBar->Max() / 2);
    QCoreApplication::processEvents();
    for (auto _ : state)
        window.targetView->repaint();
    // What is on the screen must be the sheet, enlarged or reduced.
    const QPoint seen = window.targetView->mapFrom(window.client, QPoint(450 + 100, 20 + 100));
    const QImage shown = window.targetView->grab(QRect(seen, QSize(1, 1))).toImage();
    const QPoint pixel(static_cast<int>(seen.x() / zoom), static_cast<int>(seen.y() / zoom));
    if (shown.pixel(0, 0) != window.Sheet().Image().pixel(pixel))
        state.SkipWithError("the view does not show the sheet");
}

// One repaint of the whole target view of a window made resizable and grown to about a
// maximised 1920 x 1080 screen's size, at a zoom, the sheet's middle in sight.
void RepaintMaximised(benchmark::State& state, double zoom) {
    Session& session = TheSession();
    MainWindow& window = session.Window;
    OpenTarget(session, Sizes[0]);
    window.resizableAction->setChecked(true);
    window.resize(1920, 1050);
    window.ZoomView(window.targetView, zoom, QPointF(0, 0));
    const auto restore = qScopeGuard([&] {
        window.ZoomView(window.targetView, 1.0, {});
        window.resizableAction->setChecked(false);
        QCoreApplication::processEvents();
    });
    window.targetVerticalBar->setValue(window.targetVerticalBar->Max() / 2);
    QCoreApplication::processEvents();
    for (auto _ : state)
        window.targetView->repaint();
    const QRect area = window.targetPane->Area();
    state.counters["area_width"] = area.width();
    state.counters["area_height"] = area.height();
    if (area.width() < 800 || area.height() < 900)
        state.SkipWithError("the window did not grow");
    // The sheet enlarged or reduced, as far into the area as it reaches.
    const QPoint seen = window.targetView->mapFrom(window.client, area.topLeft() + QPoint(40, 400));
    const QImage shown = window.targetView->grab(QRect(seen, QSize(1, 1))).toImage();
    const QPoint pixel(static_cast<int>(seen.x() / zoom), static_cast<int>(seen.y() / zoom));
    if (shown.pixel(0, 0) != window.Sheet().Image().pixel(pixel))
        state.SkipWithError("the view does not show the sheet");
}

// Ctrl+PgDown between two open 512 x 512 sources, each scrolled elsewhere, from the key to the
// view repainted; the memory each holds is counted against its pixels.
void SwitchSources(benchmark::State& state) {
    Current = std::make_unique<Session>(); // these two sources only
    MainWindow& window = Current->Window;
    window.Show();
    const QString folder = QDir::tempPath();
    for (int i = 0; i < 2; ++i) {
        QImage picture(512, 512, QImage::Format_RGB32);
        picture.fill(i ? qRgb(200, 30, 30) : qRgb(30, 30, 200));
        const QString path = folder + QStringLiteral("/switch-%1.png").arg(i);
        picture.save(path, "PNG");
        window.OpenSourceFile(path);
        window.sourceVerticalBar->setValue(static_cast<int16_t>(10 + i * 20));
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&window, Qt::Key_PageDown, Qt::ControlModifier);
        window.sourceView->repaint();
    }
    qint64 bytes = 0;
    for (int i = 0; i < window.Sources().Count(); ++i)
        bytes += window.Sources().At(i).Picture.sizeInBytes();
    state.counters["held_MB"] = static_cast<double>(bytes) / (1 << 20);
    if (window.Sources().Count() != 2 || window.sourceView->Displayed() != &window.Source() ||
        window.Sources().ShownIndex() != static_cast<int>(state.iterations() % 2 ? 0 : 1))
        state.SkipWithError("the key did not show the other source");
}

// Two 4096 x 4096 sources open, each shown: the resident memory they added against their
// pixels at 4 bytes a pixel; a second copy kept for the view would make it 2.
void SourcesHeld(benchmark::State& state) {
    Current = std::make_unique<Session>();
    MainWindow& window = Current->Window;
    for (auto _ : state) {
        const int64_t before = StatusBytes("VmRSS");
        window.OpenSourceFile(QString::fromStdString(TgaPath(Sizes[1], true)));
        window.OpenSourceFile(QString::fromStdString(TgaPath(Sizes[1], false)));
        for (int shown = 0; shown < 2; ++shown) {
            window.ShowNextSource();
            window.sourceView->repaint();
        }
        state.counters["per_pixels"] =
            double(StatusBytes("VmRSS") - before) / (2.0 * 4096 * 4096 * 4);
    }
    if (window.Sources().Count() != 2)
        state.SkipWithError("the two sources did not open");
    SkipOnMessages(state, *Current);
}

// A layout of 128 cells from one 512 x 512 PNG, opened with its source; the source is
// replaced on disk by a rename, as editors save, in two colours by turns. Timed from the rename
// until the sheet shows the new pixels (the watch settles for 300 ms first); the longest wait
// of the window's event loop meanwhile is the time its thread was busy at a stretch.
void LiveSourceChange(benchmark::State& state) {
    Current = std::make_unique<Session>();
    MainWindow& window = Current->Window;
    const QDir folder(QDir::tempPath());
    const QString source = folder.filePath(QStringLiteral("live.png"));
    std::array<QByteArray, 2> versions;
    for (int i = 0; i < 2; ++i) {
        QImage picture(512, 512, QImage::Format_RGB32);
        picture.fill(i ? qRgb(200, 30, 30) : qRgb(30, 30, 200));
        QBuffer buffer(&versions[size_t(i)]);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    const auto put = [&](int version) {
        QFile file(source + QStringLiteral(".new"));
        file.open(QIODevice::WriteOnly);
        file.write(versions[size_t(version)]);
        file.close();
        std::rename(qPrintable(file.fileName()), qPrintable(source));
    };
    put(0);
    QByteArray cells;
    for (int i = 0; i < 128; ++i)
        cells += (i ? ", " : "") + QByteArray("{\"at\": [") + QByteArray::number(i % 4) + ", " +
                 QByteArray::number(i / 4) + "], \"from\": \"live\", \"cell\": [" +
                 QByteArray::number(i % 8) + ", " + QByteArray::number(i / 8 % 8) + "]}";
    const QString layout = folder.filePath(QStringLiteral("live.patchery"));
    QFile text(layout);
    text.open(QIODevice::WriteOnly);
    text.write("{\"patchery\": 1, \"size\": [256, 2048], \"sheet\": \"live.tga\", "
               "\"sources\": {\"live\": \"live.png\"}, \"cells\": [" +
               cells + "]}");
    text.close();
    window.OpenTargetFile(layout);
    QCoreApplication::processEvents();
    if (window.Sources().Count() != 1)
        state.SkipWithError("the layout's source did not open with it");

    double longest = 0;
    int version = 0;
    for (auto _ : state) {
        version ^= 1;
        const QRgb wanted = version ? qRgb(200, 30, 30) : qRgb(30, 30, 200);
        LoopWatch watch;
        put(version);
        watch.Start();
        const QElapsedTimer& clock = watch.Clock();
        while ((window.Sheet().Image().pixel(255, 2047) & 0xFFFFFF) != (wanted & 0xFFFFFF) &&
               clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        window.targetView->repaint();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        longest = std::max(longest, watch.LongestMs());
        if (clock.elapsed() >= 5000)
            state.SkipWithError("the sheet did not follow its source within 5 s");
    }
    state.counters["window_thread_ms"] = longest;
    SkipOnMessages(state, *Current);
}

void Open(benchmark::State& state, SheetSize size, bool png) {
    Session& session = TheSession();
    FaultCounter faults(state);
    for (auto _ : state)
        OpenTarget(session, size, png);
    SkipOnMessages(state, session);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size.TgaBytes()));
}

// File > Save Target As... answered with a path, to a fresh destination or over the last one;
// as the program saves, waiting for the disk, or without the waits to show what they cost.
void Save(benchmark::State& state, SheetSize size, bool replace, bool sync) {
    Session& session = TheSession();
    SaveSyncs = sync;
    const auto restore = qScopeGuard([] { SaveSyncs = true; });
    OpenTarget(session, size);
    const std::string path = OutPath("target-" + size.Name() + ".tga");
    session.Answer = QString::fromStdString(path);
    FaultCounter faults(state);
    for (auto _ : state) {
        if (!replace) {
            state.PauseTiming();
            ::unlink(path.c_str());
            state.ResumeTiming();
        }
        session.Window.SaveTargetAs();
        QCoreApplication::processEvents();
    }
    SkipOnMessages(state, session);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size.TgaBytes()));
}

// The target's history after changes made one way, then Edit > Undo of one of them, the repaint
// included; when none is left, all are redone with the clock stopped.
void Undo(benchmark::State& state, bool stamps) {
    Current = std::make_unique<Session>(); // a history of these changes only
    MainWindow& window = Current->Window;
    OpenTarget(*Current, Sizes[0]);
    SheetHistory& history = window.History();
    const size_t steps = stamps ? 1000 : 100;
    if (stamps) {
        Current->Answer = QString::fromStdString(TgaPath(Sizes[0]));
        window.OpenSource();
    }
    // Every press changes its cell: each round of the sheet's 128 cells stamps the other tile.
    for (size_t i = 0; history.UndoSteps() < steps && i < 10 * steps; ++i) {
        if (stamps) {
            if (i % 128 == 0)
                window.PickTile(QPointF(i / 128 % 2 ? 70 : 10, 10));
            window.StampTile(QPointF(64 * (i % 4) + 10, 64 * (i / 4 % 32) + 10));
        } else {
            window.sizeList->setCurrentIndex(static_cast<int>(i % 4));
            window.ChangeTargetSize();
        }
    }
    state.counters["kept_MB"] = static_cast<double>(history.KeptBytes()) / (1 << 20);
    state.counters["steps"] = static_cast<double>(history.UndoSteps());
    for (auto _ : state) {
        if (!history.CanUndo()) {
            state.PauseTiming();
            while (history.CanRedo())
                history.Redo();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        window.Undo();
        QCoreApplication::processEvents();
    }
    SkipOnMessages(state, *Current);
}

// What the window's thread does for recovery at each change: a stamp-sized change handed over,
// while the worker writes the sheet.
void RecoveryHandOver(benchmark::State& state) {
    SheetRecovery recovery(SheetRecovery::DefaultFolder(), [&state](const QString& what) {
        state.SkipWithError(what.toStdString().c_str());
    });
    QImage sheet = PatternPicture(Sizes[0]).convertToFormat(QImage::Format_RGB32);
    const QByteArray file = "/sheets/sheet.tga";
    recovery.Keep(sheet, file);
    int change = 0;
    for (auto _ : state) {
        const QRect cell((change % 4) * 64, (change / 4 % 32) * 64, 64, 64);
        sheet.setPixel(cell.topLeft(), qRgb(change, 0, 0));
        recovery.Keep(sheet, file, cell);
        ++change;
    }
    recovery.Flush();
    recovery.Discard();
    recovery.Flush();
}

// From a change to its recovery file on the disk.
void RecoveryOnDisk(benchmark::State& state) {
    SheetRecovery recovery(SheetRecovery::DefaultFolder(), [&state](const QString& what) {
        state.SkipWithError(what.toStdString().c_str());
    });
    QImage sheet = PatternPicture(Sizes[0]).convertToFormat(QImage::Format_RGB32);
    recovery.Keep(sheet, QByteArray("/sheets/sheet.tga"));
    recovery.Flush();
    int change = 0;
    for (auto _ : state) {
        sheet.setPixel(0, 0, qRgb(++change, 0, 0));
        recovery.Keep(sheet, QByteArray("/sheets/sheet.tga"), QRect(0, 0, 64, 64));
        recovery.Flush();
    }
    recovery.Discard();
    recovery.Flush();
}

// The longest the event loop waits while an 8192 x 8192 sheet's recovery file is written: idle,
// or with a stamp-sized change handed over at every turn of the loop for the first second.
void RecoveryBlock(benchmark::State& state, bool stamping) {
    SheetRecovery recovery(SheetRecovery::DefaultFolder(), [&state](const QString& what) {
        state.SkipWithError(what.toStdString().c_str());
    });
    QImage sheet(8192, 8192, QImage::Format_RGB32);
    sheet.fill(qRgb(239, 239, 239));
    double longest = 0;
    for (auto _ : state) {
        int change = 0;
        LoopWatch watch([&](qint64 now) {
            if (stamping && now < 1'000'000'000) {
                const QRect cell((change % 128) * 64, (change / 128 % 128) * 64, 64, 64);
                sheet.setPixel(cell.topLeft(), qRgb(++change, 1, 2));
                recovery.Keep(sheet, QByteArrayLiteral("/sheets/big.tga"), cell);
            }
        });
        recovery.Keep(sheet, QByteArrayLiteral("/sheets/big.tga"));
        watch.Start();
        while (recovery.Writing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        longest = std::max(longest, watch.LongestMs());
    }
    state.counters["longest_block_ms"] = longest;
    recovery.Discard();
    recovery.Flush();
}

} // namespace

void EndWindowBenchmarks() {
    Current.reset();
    FileDialog::SetResponder(nullptr);
    SetMessageResponder(nullptr);
}

void RegisterWindowBenchmarks() {
    benchmark::RegisterBenchmark("window/stamp", Stamp, false);
    benchmark::RegisterBenchmark("window/stamp+paint", Stamp, true);
    benchmark::RegisterBenchmark("window/stamp block 4x4+paint", StampBlock);
    benchmark::RegisterBenchmark("window/stroke 32 cells+paint", StrokeDown, false);
    benchmark::RegisterBenchmark("window/undo/stroke 32 cells", StrokeDown, true);
    benchmark::RegisterBenchmark("window/outline", Outline, 1.0);
    benchmark::RegisterBenchmark("window/outline/400%", Outline, 4.0);
    benchmark::RegisterBenchmark("window/repaint view/800%", RepaintZoomed, 8.0);
    benchmark::RegisterBenchmark("window/repaint view/25%", RepaintZoomed, 0.25);
    for (const double zoom : {0.25, 1.0, 8.0})
        benchmark::RegisterBenchmark(
            ("window/repaint view/maximised 1920x1080/" + std::to_string(int(zoom * 100)) + "%")
                .c_str(),
            RepaintMaximised, zoom);
    benchmark::RegisterBenchmark("window/switch sources 512x512+paint", SwitchSources);
    benchmark::RegisterBenchmark("window/sources held/2 x 4096x4096", SourcesHeld)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("window/live source change/128 cells", LiveSourceChange)
        ->UseManualTime()
        ->Iterations(6)
        ->Unit(benchmark::kMillisecond);
    for (const SheetSize size : Sizes)
        benchmark::RegisterBenchmark(("window/open target/" + size.Name()).c_str(), Open, size,
                                     false)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("window/open target/png/" + Sizes[0].Name()).c_str(), Open,
                                 Sizes[0], true)
        ->Unit(benchmark::kMillisecond);
    const SheetSize sheet = Sizes[0];
    for (const bool replace : {false, true}) {
        const std::string kind = replace ? "replace" : "new";
        benchmark::RegisterBenchmark(("window/save target/" + kind + "/" + sheet.Name()).c_str(),
                                     Save, sheet, replace, true)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("window/save target/" + kind + " without sync/" + sheet.Name()).c_str(), Save, sheet,
            replace, false)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(("window/recovery/hand-over/" + sheet.Name()).c_str(),
                                 RecoveryHandOver);
    benchmark::RegisterBenchmark(("window/recovery/on disk/" + sheet.Name()).c_str(),
                                 RecoveryOnDisk)
        ->Unit(benchmark::kMillisecond);
    for (const bool stamping : {false, true})
        benchmark::RegisterBenchmark(stamping ? "window/recovery/block/8192x8192 stamping"
                                              : "window/recovery/block/8192x8192",
                                     RecoveryBlock, stamping)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    benchmark::RegisterBenchmark("window/undo/stamp", Undo, true);
    benchmark::RegisterBenchmark("window/undo/size change", Undo, false);
}
