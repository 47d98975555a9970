#include "Samples.h"

#include "BmpFile.h"
#include "TgaFile.h"

#include <QString>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/resource.h>

namespace {
std::string Folder;

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}
} // namespace

FaultCounter::FaultCounter(benchmark::State& state) : state_(state), start_(MinorFaults()) {}

FaultCounter::~FaultCounter() {
    state_.counters["faults"] = benchmark::Counter(static_cast<double>(MinorFaults() - start_),
                                                   benchmark::Counter::kAvgIterations);
}

ImageData PatternImage(SheetSize size) {
    ImageData image;
    image.Width = size.Width;
    image.Height = size.Height;
    image.Bits = 24;
    image.Pixels.resize(size.PixelBytes());
    uint32_t state = 0x2545F491;
    for (uint8_t& byte : image.Pixels) {
        state = state * 1664525 + 1013904223;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return image;
}

PixelSurface Surface(QImage& picture) {
    return {picture.bits(), picture.width(), picture.height(),
            static_cast<int32_t>(picture.bytesPerLine())};
}

QImage PatternPicture(SheetSize size) {
    const ImageData image = PatternImage(size);
    QImage picture(size.Width, size.Height, QImage::Format_RGB32);
    for (int y = 0; y < size.Height; ++y) {
        const uint8_t* in = image.Pixels.data() + size_t{3} * size.Width * y;
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.Width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return picture;
}

std::string TgaPath(SheetSize size, bool topOrigin) {
    return Folder + "/pattern-" + size.Name() + (topOrigin ? "-top.tga" : "-bottom.tga");
}

std::string BmpPath(SheetSize size) {
    return Folder + "/pattern-" + size.Name() + ".bmp";
}

std::string PngPath(SheetSize size) {
    return Folder + "/pattern-" + size.Name() + ".png";
}

std::string OutPath(const std::string& name) {
    return Folder + "/out/" + name;
}

void MakeSamples(const std::string& folder) {
    Folder = folder;
    std::filesystem::create_directories(folder + "/out");
    for (const SheetSize size : Sizes) {
        const ImageData image = PatternImage(size);
        SaveTGA(TgaPath(size, true), image);

        // The same picture stored bottom row first, as most other programs write it. One write,
        // as SaveTGA's: the kernel caches a file written in small pieces in small pages, which
        // are slower to read back.
        std::string bottom(18, '\0');
        bottom[2] = 2;
        bottom[12] = static_cast<char>(size.Width & 0xFF);
        bottom[13] = static_cast<char>(size.Width >> 8);
        bottom[14] = static_cast<char>(size.Height & 0xFF);
        bottom[15] = static_cast<char>(size.Height >> 8);
        bottom[16] = 24;
        const size_t row = size_t{3} * size.Width;
        for (int y = size.Height - 1; y >= 0; --y)
            bottom.append(reinterpret_cast<const char*>(image.Pixels.data()) + row * y, row);
        std::ofstream file(TgaPath(size, false), std::ios::binary);
        file.write(bottom.data(), static_cast<std::streamsize>(bottom.size()));
        if (!file.flush())
            throw std::runtime_error("cannot write " + TgaPath(size, false));

        QImage picture = PatternPicture(size);
        SaveBMP(Surface(picture), BmpPath(size));
        if (!PatternPicture(size).save(QString::fromStdString(PngPath(size)), "png"))
            throw std::runtime_error("cannot write " + PngPath(size));
    }
}

int64_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    const std::string key = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(key.size())) * 1024;
    return -1;
}
