// The file readers and writers against the machine's limits and against stb_image.

#include "Samples.h"

#include "Blit.h"
#include "BmpFile.h"
#include "DurableFile.h"
#include "TgaFile.h"

#include <QScopeGuard>

#include <stb_image.h>
#include <stb_image_write.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

void ReadAll(const std::string& path, uint8_t* buffer, size_t count) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    for (size_t done = 0; done < count;) {
        const ssize_t n = ::read(fd, buffer + done, count - done);
        if (n <= 0) {
            ::close(fd);
            throw std::runtime_error("cannot read " + path);
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

void WriteAll(int fd, const uint8_t* bytes, size_t count) {
    for (size_t done = 0; done < count;) {
        const ssize_t n = ::write(fd, bytes + done, count - done);
        if (n <= 0)
            throw std::runtime_error(std::string("cannot write: ") + std::strerror(errno));
        done += static_cast<size_t>(n);
    }
}

// Runs body, turning a failure into the benchmark's error instead of ending the run.
template <typename Body> void Guarded(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void SetBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void LimitMemcpy(benchmark::State& state, SheetSize size) {
    const size_t n = size.TgaBytes();
    std::vector<uint8_t> from(n, 1);
    std::vector<uint8_t> to(n, 2);
    FaultCounter faults(state);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state, n);
}

// open, read and close the file from the page cache into a buffer used again and again.
void LimitRead(benchmark::State& state, SheetSize size) {
    std::vector<uint8_t> buffer(size.TgaBytes());
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state)
            ReadAll(TgaPath(size), buffer.data(), buffer.size());
    });
    SetBytes(state, size.TgaBytes());
}

// The same into memory allocated for the read, as a reader must return: at 48 MB it comes fresh
// from the kernel, which zeroes it (2 MB pages asked for, as the readers do).
void LimitReadNewBuffer(benchmark::State& state, SheetSize size) {
    const size_t n = size.TgaBytes();
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state) {
            const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(n);
            constexpr uintptr_t Huge = uintptr_t{2} << 20;
            const auto at = reinterpret_cast<uintptr_t>(buffer.get());
            const uintptr_t begin = (at + Huge - 1) & ~(Huge - 1);
            const uintptr_t end = (at + n) & ~(Huge - 1);
            if (end > begin)
                ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
            ReadAll(TgaPath(size), buffer.get(), n);
            benchmark::DoNotOptimize(buffer.get());
        }
    });
    SetBytes(state, n);
}

// open, write and close the same bytes over a file of that size, whose pages are cached.
void LimitWrite(benchmark::State& state, SheetSize size) {
    std::vector<uint8_t> bytes(size.TgaBytes(), 7);
    const std::string path = OutPath("write-" + size.Name());
    Guarded(state, [&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + path);
        WriteAll(fd, bytes.data(), bytes.size());
        ::close(fd);
        FaultCounter faults(state);
        for (auto _ : state) {
            const int out = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (out < 0)
                throw std::runtime_error("cannot open " + path);
            WriteAll(out, bytes.data(), bytes.size());
            ::close(out);
        }
    });
    SetBytes(state, size.TgaBytes());
}

// create, write and close a file that did not exist: the floor of any save that never overwrites
// the old file in place. Removing the previous one is not timed.
void LimitWriteNew(benchmark::State& state, SheetSize size) {
    std::vector<uint8_t> bytes(size.TgaBytes(), 7);
    const std::string path = OutPath("write-new-" + size.Name());
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state) {
            state.PauseTiming();
            ::unlink(path.c_str());
            state.ResumeTiming();
            const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (out < 0)
                throw std::runtime_error("cannot create " + path);
            WriteAll(out, bytes.data(), bytes.size());
            ::close(out);
        }
    });
    SetBytes(state, size.TgaBytes());
}

void BmLoadTGA(benchmark::State& state, SheetSize size, bool topOrigin) {
    ImageData image;
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state)
            LoadTGA(TgaPath(size, topOrigin), image);
    });
    SetBytes(state, size.TgaBytes());
}

void BmStbLoad(benchmark::State& state, SheetSize size, bool topOrigin) {
    const std::string path = TgaPath(size, topOrigin);
    FaultCounter faults(state);
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
        if (pixels == nullptr || width != size.Width || height != size.Height) {
            state.SkipWithError("stbi_load failed");
            break;
        }
        stbi_image_free(pixels);
    }
    SetBytes(state, size.TgaBytes());
}

// A fresh destination each time, or the previous run's file to replace. Without waiting for
// the disk, so that the figure is the writer's own work; the window's save shows the wait.
void BmSaveTGA(benchmark::State& state, SheetSize size, bool replace) {
    const ImageData image = PatternImage(size);
    const std::string path = OutPath("save-" + size.Name() + ".tga");
    SaveSyncs = false;
    const auto restore = qScopeGuard([] { SaveSyncs = true; });
    Guarded(state, [&] {
        SaveTGA(path, image);
        FaultCounter faults(state);
        for (auto _ : state) {
            if (!replace) {
                state.PauseTiming();
                ::unlink(path.c_str());
                state.ResumeTiming();
            }
            SaveTGA(path, image);
        }
    });
    SetBytes(state, size.TgaBytes());
}

void BmStbWrite(benchmark::State& state, SheetSize size) {
    const ImageData image = PatternImage(size);
    const std::string path = OutPath("stb-" + size.Name() + ".tga");
    stbi_write_tga_with_rle = 0;
    FaultCounter faults(state);
    for (auto _ : state) {
        state.PauseTiming();
        ::unlink(path.c_str());
        state.ResumeTiming();
        if (stbi_write_tga(path.c_str(), size.Width, size.Height, 3, image.Pixels.data()) == 0) {
            state.SkipWithError("stbi_write_tga failed");
            break;
        }
    }
    SetBytes(state, size.TgaBytes());
}

void BmLoadBMP(benchmark::State& state, SheetSize size) {
    ImageData image;
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state)
            LoadBMP(BmpPath(size), image);
    });
    SetBytes(state, size.TgaBytes());
}

// Into a surface used again and again, as a view's image is.
void BmDrawImage(benchmark::State& state, SheetSize size) {
    const ImageData image = PatternImage(size);
    std::vector<uint8_t> surface(size_t{4} * size.Width * size.Height);
    const PixelSurface dc{surface.data(), size.Width, size.Height, 4 * size.Width};
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state) {
            DrawImage(dc, image);
            benchmark::ClobberMemory();
        }
    });
    SetBytes(state, size.PixelBytes());
}

// A new file each time, as every save writes its temporary bitmap.
void BmSaveBMP(benchmark::State& state, SheetSize size) {
    QImage picture = PatternPicture(size);
    const std::string path = OutPath("picture-" + size.Name() + ".bmp");
    Guarded(state, [&] {
        FaultCounter faults(state);
        for (auto _ : state) {
            state.PauseTiming();
            ::unlink(path.c_str());
            state.ResumeTiming();
            SaveBMP(Surface(picture), path);
        }
    });
    SetBytes(state, size.TgaBytes());
}

} // namespace

void RegisterFileBenchmarks() {
    for (const SheetSize size : Sizes) {
        const std::string at = size.Suffix();
        benchmark::RegisterBenchmark(("limit/memcpy" + at).c_str(), LimitMemcpy, size);
        benchmark::RegisterBenchmark(("limit/read" + at).c_str(), LimitRead, size);
        benchmark::RegisterBenchmark(("limit/read new buffer" + at).c_str(), LimitReadNewBuffer,
                                     size);
        benchmark::RegisterBenchmark(("limit/write" + at).c_str(), LimitWrite, size);
        benchmark::RegisterBenchmark(("limit/write new file" + at).c_str(), LimitWriteNew, size);
        benchmark::RegisterBenchmark(("LoadTGA/top-left" + at).c_str(), BmLoadTGA, size, true);
        benchmark::RegisterBenchmark(("LoadTGA/bottom-left" + at).c_str(), BmLoadTGA, size, false);
        benchmark::RegisterBenchmark(("stbi_load/top-left" + at).c_str(), BmStbLoad, size, true);
        benchmark::RegisterBenchmark(("stbi_load/bottom-left" + at).c_str(), BmStbLoad, size,
                                     false);
        benchmark::RegisterBenchmark(("SaveTGA/new" + at).c_str(), BmSaveTGA, size, false);
        benchmark::RegisterBenchmark(("SaveTGA/replace" + at).c_str(), BmSaveTGA, size, true);
        benchmark::RegisterBenchmark(("stbi_write_tga/new" + at).c_str(), BmStbWrite, size);
        benchmark::RegisterBenchmark(("LoadBMP" + at).c_str(), BmLoadBMP, size);
        benchmark::RegisterBenchmark(("DrawImage" + at).c_str(), BmDrawImage, size);
        benchmark::RegisterBenchmark(("SaveBMP/new" + at).c_str(), BmSaveBMP, size);
    }
}
