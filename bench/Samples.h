#pragma once
// The files every benchmark reads or writes, made once per run in a private folder.

#include "Blit.h"
#include "ImageData.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <string>

struct SheetSize {
    int Width;
    int Height;
    std::string Name() const { return std::to_string(Width) + "x" + std::to_string(Height); }
    // "/256x2048", the end of a benchmark's name.
    std::string Suffix() const {
        std::string suffix = "/";
        return suffix += Name();
    }
    size_t PixelBytes() const { return size_t{3} * Width * Height; }
    size_t TgaBytes() const { return 18 + PixelBytes(); }
};

// The standard sheet at its tallest, and a large picture.
inline constexpr SheetSize Sizes[] = {{256, 2048}, {4096, 4096}};

// Makes the folder and its sample files; the caller removes the folder at the end.
void MakeSamples(const std::string& folder);

// A top-left (saved by Patchery) or bottom-left TGA of the pattern.
std::string TgaPath(SheetSize size, bool topOrigin = true);
// The 24-bit BMP SaveBMP writes for the pattern.
std::string BmpPath(SheetSize size);
// The pattern as an RGB PNG, as Qt writes it (random pixels: zlib finds nothing to pack).
std::string PngPath(SheetSize size);
// A path in the folder for files the benchmarks write.
std::string OutPath(const std::string& name);

// Pseudo-random pixels: nothing in them is cheaper to handle than a real sheet.
ImageData PatternImage(SheetSize size);
QImage PatternPicture(SheetSize size);
// The picture's pixels as the file writers take them.
PixelSurface Surface(QImage& picture);

// Reports the minor page faults per iteration as the counter "faults": at 1.5 MB a fresh
// buffer costs as much in faults as in copying.
class FaultCounter {
  public:
    explicit FaultCounter(benchmark::State& state);
    ~FaultCounter();
    FaultCounter(const FaultCounter&) = delete;
    FaultCounter& operator=(const FaultCounter&) = delete;

  private:
    benchmark::State& state_;
    long start_;
};

void RegisterFileBenchmarks();
void RegisterWindowBenchmarks();
void RegisterLimitBenchmarks();
void RegisterBuildBenchmarks();
// The child process of the peak measurements: `patchery_bench --peak-of-open source|target
// PATH` prints the bytes by which the open raised its peak resident memory.
// A line of /proc/self/status in bytes ("VmHWM", "VmRSS").
int64_t StatusBytes(const char* field);
int PeakOfOpenChild(const QString& where, const QString& path);
// Closes the window the window benchmarks opened, before the application object goes.
void EndWindowBenchmarks();
