#include "PngFile.h"

#include "FileIO.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <new>
#include <unistd.h>
#include <vector>

namespace {
// Where libpng's reads come from: bytes in memory, or a file read in parts into a buffer.
struct Source {
    const uint8_t* Data = nullptr; // the bytes at hand, of which At are taken
    size_t Size = 0;
    size_t At = 0;
    int File = -1; // refills Buffer when the bytes at hand are taken
    uint8_t* Buffer = nullptr;
    size_t BufferSize = 0;
    bool Warned = false;
};

struct Header {
    png_uint_32 Width = 0, Height = 0;
    int Depth = 0, Colour = 0, Interlace = 0;
    bool Transparent = false;
};

void ReadFrom(png_structp png, png_bytep out, png_size_t size) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    while (size > 0) {
        if (source->At == source->Size) {
            ssize_t got = -1;
            if (source->File >= 0)
                do
                    got = ::read(source->File, source->Buffer, source->BufferSize);
                while (got < 0 && errno == EINTR);
            if (got <= 0)
                png_error(png, "truncated");
            source->Data = source->Buffer;
            source->Size = size_t(got);
            source->At = 0;
        }
        const size_t part = std::min(size, source->Size - source->At);
        std::memcpy(out, source->Data + source->At, part);
        source->At += part;
        out += part;
        size -= part;
    }
}

void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
// Whatever libpng warns of, Qt's reader may make something else of: such a file is left to it.
void Warned(png_structp png, png_const_charp) {
    if (auto* source = static_cast<Source*>(png_get_io_ptr(png)))
        source->Warned = true;
}

// Indices past the end of a short palette show its first colour, as they do in Qt's reader. A
// one-bit file with a one-colour palette, which Qt shows otherwise, is declined.
bool PadPalette(png_structp png, png_infop info, int depth) {
    png_colorp palette = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &palette, &count) || count < 1)
        return false;
    const int full = 1 << depth;
    if (count >= full)
        return true;
    if (depth == 1)
        return false;
    png_color padded[256];
    std::copy(palette, palette + count, padded);
    std::fill(padded + count, padded + full, palette[0]);
    png_set_PLTE(png, info, padded, full);
    return true;
}

// Only trivially destructible locals: longjmp skips no destructor.
bool ReadHeader(png_structp png, png_infop info, Header& header) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_benign_errors(png, 0); // a bad CRC of an ancillary chunk, say: an error here
    png_read_info(png, info);
    png_get_IHDR(png, info, &header.Width, &header.Height, &header.Depth, &header.Colour,
                 &header.Interlace, nullptr, nullptr);
    header.Transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    return true;
}

bool ReadRows(png_structp png, png_infop info, const Header& header, uint8_t* pixels) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (header.Colour == PNG_COLOR_TYPE_PALETTE) {
        if (!PadPalette(png, info, header.Depth))
            return false;
        png_set_palette_to_rgb(png);
    }
    if (header.Colour == PNG_COLOR_TYPE_GRAY) {
        if (header.Depth < 8)
            png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (header.Depth < 8 && header.Colour == PNG_COLOR_TYPE_PALETTE)
        png_set_packing(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{3} * header.Width)
        return false;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < header.Height; ++y)
            png_read_row(png, pixels + size_t{3} * header.Width * y, nullptr);
    png_read_end(png, nullptr);
    return !static_cast<Source*>(png_get_io_ptr(png))->Warned;
}

struct Structs {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    Structs() {
        Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warned);
        if (Png)
            Info = png_create_info_struct(Png);
    }
    ~Structs() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
    Structs(const Structs&) = delete;
    Structs& operator=(const Structs&) = delete;
};

PngRead Decode(Source& source, ImageData& image,
               const std::function<void(int32_t, int32_t)>& check) {
    Structs structs;
    if (!structs.Info)
        throw std::bad_alloc();
    png_set_read_fn(structs.Png, &source, ReadFrom);
    Header header;
    if (!ReadHeader(structs.Png, structs.Info, header) || source.Warned || header.Depth > 8 ||
        header.Transparent || header.Width == 0 || header.Height == 0 || header.Width > 32767 ||
        header.Height > 32767 ||
        (header.Colour != PNG_COLOR_TYPE_GRAY && header.Colour != PNG_COLOR_TYPE_RGB &&
         header.Colour != PNG_COLOR_TYPE_PALETTE))
        return PngRead::Declined;
    if (check)
        check(int32_t(header.Width), int32_t(header.Height));
    std::vector<uint8_t> pixels(size_t{3} * header.Width * header.Height);
    if (!ReadRows(structs.Png, structs.Info, header, pixels.data()))
        return PngRead::Declined;
    image.Width = int32_t(header.Width);
    image.Height = int32_t(header.Height);
    image.Bits = 24;
    image.Palette.clear();
    image.Pixels.swap(pixels);
    return PngRead::Read;
}
} // namespace

PngRead LoadPNG(const uint8_t* data, size_t size, ImageData& image,
                const std::function<void(int32_t, int32_t)>& check) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return PngRead::Declined;
    Source source;
    source.Data = data;
    source.Size = size;
    return Decode(source, image, check);
}

PngRead LoadPNG(const std::string& path, ImageData& image,
                const std::function<void(int32_t, int32_t)>& check) {
    const fileio::FileDescriptor fd = fileio::OpenForReading(path);
    uint8_t signature[8];
    if (fileio::ReadFully(fd.get(), signature, sizeof signature, 0, path) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        return PngRead::Declined;
    // Read in parts as libpng asks: no copy of the whole file is held. (A mapping of it would
    // end the program with SIGBUS where another program shortens the file meanwhile.)
    std::vector<uint8_t> buffer(size_t{64} << 10);
    Source source;
    source.File = fd.get();
    source.Buffer = buffer.data();
    source.BufferSize = buffer.size();
    return Decode(source, image, check);
}
