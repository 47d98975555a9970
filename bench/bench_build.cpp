// A sheet built without a window: `patchery --build` of a 256 x 2048 sheet of 128 cells from
// four 512 x 512 PNG sources, as a whole process, against ImageMagick's convert doing the same
// in one command and against the least in-process work (decoding the sources, SaveTGA); and the
// document's stamp, which records each cell's origin.

#include "Samples.h"

#include "ImageFile.h"
#include "PlainImageFile.h"
#include "SheetDocument.h"
#include "SheetPixels.h"
#include "TgaFile.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

namespace {
constexpr int Sources = 4, Cells = 128;

std::string SourcePath(int n) {
    return OutPath("build-source-" + std::to_string(n) + ".png");
}

// Cell i of the sheet, in row order, from source i % 4 at a cell spread over the source.
QPoint SheetCell(int i) {
    return {i % 4, i / 4};
}
QPoint SourceCell(int i) {
    return {(i / 4) % 8, (i / 32) % 8};
}

// The sources (random pixels, which PNG cannot pack) and the layout, made once.
const std::string& Layout() {
    static const std::string layout = [] {
        QRandomGenerator random(27);
        QByteArray sources, cells;
        for (int n = 0; n < Sources; ++n) {
            QImage picture(512, 512, QImage::Format_RGB32);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    picture.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
            picture.convertToFormat(QImage::Format_RGB888)
                .save(QString::fromStdString(SourcePath(n)), "PNG");
            sources += (n ? ", " : "") + QByteArray("\"s") + QByteArray::number(n) + "\": \"" +
                       QByteArray::fromStdString(SourcePath(n)).split('/').last() + '"';
        }
        for (int i = 0; i < Cells; ++i)
            cells += (i ? ", " : "") + QByteArray("{\"at\": [") +
                     QByteArray::number(SheetCell(i).x()) + ", " +
                     QByteArray::number(SheetCell(i).y()) + "], \"from\": \"s" +
                     QByteArray::number(i % 4) + "\", \"cell\": [" +
                     QByteArray::number(SourceCell(i).x()) + ", " +
                     QByteArray::number(SourceCell(i).y()) + "]}";
        const std::string path = OutPath("build.patchery");
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write("{\"patchery\": 1, \"size\": [256, 2048], \"sheet\": \"build.tga\", "
                       "\"sources\": {" +
                       sources + "}, \"cells\": [" + cells + "]}") < 0)
            throw std::runtime_error("cannot write " + path);
        return path;
    }();
    return layout;
}

bool Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

void BuildProcess(benchmark::State& state) {
    const QStringList arguments{QStringLiteral("--build"), QString::fromStdString(Layout())};
    for (auto _ : state)
        if (!Run(QStringLiteral(PATCHERY_EXECUTABLE), arguments)) {
            state.SkipWithError("patchery --build failed");
            return;
        }
}

// convert's best single command: each source read once into mpr:, then cropped and composited
// over the blank sheet; written as PPM, which every reader takes the right way up.
void BuildConvert(benchmark::State& state) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    Layout();
    QStringList arguments;
    for (int n = 0; n < Sources; ++n)
        arguments << QString::fromStdString(SourcePath(n)) << QStringLiteral("-write")
                  << QStringLiteral("mpr:s%1").arg(n) << QStringLiteral("+delete");
    arguments << QStringLiteral("-size") << QStringLiteral("256x2048")
              << QStringLiteral("xc:rgb(239,239,239)");
    for (int i = 0; i < Cells; ++i)
        arguments
            << QStringLiteral("(") << QStringLiteral("mpr:s%1").arg(i % 4)
            << QStringLiteral("-crop")
            << QStringLiteral("64x64+%1+%2").arg(SourceCell(i).x() * 64).arg(SourceCell(i).y() * 64)
            << QStringLiteral("+repage") << QStringLiteral(")") << QStringLiteral("-geometry")
            << QStringLiteral("+%1+%2").arg(SheetCell(i).x() * 64).arg(SheetCell(i).y() * 64)
            << QStringLiteral("-composite");
    arguments << QStringLiteral("-depth") << QStringLiteral("8")
              << QString::fromStdString(OutPath("build-convert.ppm"));
    for (auto _ : state)
        if (!Run(convert, arguments)) {
            state.SkipWithError("convert failed");
            return;
        }
}

// What no build can avoid: the four sources decoded, by the reader the build uses, and the
// sheet written.
void DecodeAndSave(benchmark::State& state) {
    Layout();
    const ImageData sheet = SheetPixels(PatternPicture({256, 2048}));
    for (auto _ : state) {
        for (int n = 0; n < Sources; ++n)
            benchmark::DoNotOptimize(LoadPlainImage(SourcePath(n), {}));
        SaveTGA(OutPath("build-least.tga"), sheet);
    }
}

// A stamp of a cell picked from a source, its origin recorded with it, down the sheet's cells.
void DocumentStamp(benchmark::State& state) {
    SheetDocument document(QSize(256, 2048), [] {});
    const QImage source = PatternPicture({256, 2048});
    SelectedTile tile;
    tile.Pick(source, QRect(64, 64, 64, 64), TargetSheet::Blank(),
              OriginGrid::OfSource("/art/source.png", QRect(1, 1, 1, 1)));
    int cell = 0;
    for (auto _ : state) {
        document.Stamp(tile, QPoint(64 * (cell % 4), 64 * (cell / 4 % 32)));
        ++cell;
    }
    if (!(document.Sheet().Origins().At({0, 0}) == tile.Origins().At({0, 0})))
        state.SkipWithError("the stamp recorded no origin");
}
} // namespace

void RegisterBuildBenchmarks() {
    benchmark::RegisterBenchmark("build/patchery --build", BuildProcess)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("build/convert", BuildConvert)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("build/decode and SaveTGA", DecodeAndSave)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("document/stamp with origin", DocumentStamp)
        ->Unit(benchmark::kMicrosecond);
}
