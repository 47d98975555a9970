#include "SheetBuild.h"

#include "Failure.h"
#include "FileIO.h"
#include "LayoutBuild.h"
#include "TgaFile.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace {
// A layout is text: a file beyond this is no layout worth reading whole.
constexpr off_t MaxLayoutBytes = off_t{1} << 30;

QByteArray ReadLayout(const QByteArray& file) {
    const fileio::FileDescriptor fd = fileio::OpenForReading(file.toStdString());
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throw fileio::SystemError("cannot read", file.toStdString());
    if (info.st_size > MaxLayoutBytes)
        throw Failure("a file of " + std::to_string(info.st_size) + " bytes is no layout");
    QByteArray text(qsizetype(info.st_size), Qt::Uninitialized);
    text.truncate(qsizetype(fileio::ReadFully(fd.get(), reinterpret_cast<uint8_t*>(text.data()),
                                              size_t(text.size()), 0, file.toStdString())));
    return text;
}

std::optional<std::string> RealPath(const QByteArray& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr),
                                                           &std::free);
    if (!real)
        return std::nullopt;
    return std::string(real.get());
}

QByteArray FolderOf(const QByteArray& file) {
    return QFile::encodeName(QFileInfo(QFile::decodeName(file)).absolutePath());
}

// Why the layout's sheet may not be written where the layout names it, or nothing when it may:
// a layout from someone else must not overwrite files outside its own folder.
std::optional<std::string> RefusedSheet(const QByteArray& layoutFile, const QString& sheet) {
    if (QDir::isAbsolutePath(sheet))
        return "is an absolute path";
    const QString clean = QDir::cleanPath(sheet);
    if (clean == QStringLiteral("..") || clean.startsWith(QStringLiteral("../")))
        return "leads out of the layout's folder";
    const std::optional<std::string> base = RealPath(FolderOf(layoutFile));
    const QByteArray file = LayoutPath(layoutFile, sheet);
    const std::optional<std::string> folder = RealPath(FolderOf(file));
    if (!base || !folder)
        return "lies in a folder that does not exist";
    const auto inside = [&](const std::string& path) {
        return path == *base || path.starts_with(*base == "/" ? *base : *base + "/");
    };
    if (!inside(*folder))
        return "leads out of the layout's folder through a symbolic link";
    struct stat info {};
    if (::lstat(file.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // The save writes where the link leads.
        const std::optional<std::string> target = RealPath(file);
        if (!target || !inside(*target))
            return "is a symbolic link that leads out of the layout's folder";
    }
    const std::optional<std::string> layoutReal = RealPath(layoutFile);
    const std::optional<std::string> sheetReal = RealPath(file);
    if (layoutReal && sheetReal && *layoutReal == *sheetReal)
        return "is the layout itself";
    return std::nullopt;
}

std::string Memory(qint64 bytes) {
    char text[32];
    if (bytes >= qint64{1} << 30)
        std::snprintf(text, sizeof text, "%.1f GB", double(bytes) / double(qint64{1} << 30));
    else
        std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / double(1 << 20));
    return text;
}

// Every picture the layout names, each decoded on a thread of its own: the files are read side
// by side, and each is taken (or its failure thrown) when the sheet needs it, once.
std::map<QByteArray, std::future<ImageData>>
ReadAll(const SheetLayout& layout, const SheetBuildRequest& request, const SizeCheck& check) {
    std::map<QByteArray, std::future<ImageData>> read;
    const auto start = [&](const QString& path) {
        const QByteArray file = LayoutPath(request.Layout, path);
        if (!read.count(file))
            read[file] = std::async(std::launch::async, [file, check, &request] {
                return request.Read.File(file.toStdString(), check);
            });
    };
    if (!layout.Background.isEmpty())
        start(layout.Background);
    for (const auto& [name, path] : layout.Sources)
        start(path);
    return read;
}

struct Built {
    std::optional<ImageData> Pixels; // none: the layout cannot be built
    QByteArray SheetFile;            // where the sheet goes, or is compared
};

// The sheet's pixels as a save writes them, or the lines that say why there are none.
Built Build(const SheetBuildRequest& request, bool writing, std::vector<std::string>& lines) {
    const QString name = QFile::decodeName(request.Layout);
    const std::string prefix = name.toStdString() + ": ";
    Built result;
    try {
        const SheetLayout layout =
            SheetLayout::Parse(ReadLayout(request.Layout), name, request.Read.OtherPng);
        if (!request.Output.isEmpty()) {
            result.SheetFile = request.Output;
        } else {
            if (writing)
                if (const std::optional<std::string> refused =
                        RefusedSheet(request.Layout, layout.Sheet)) {
                    lines.push_back(prefix + "\"sheet\": " + layout.Sheet.toStdString() + " " +
                                    *refused + "; --output names where to write instead");
                    return result;
                }
            result.SheetFile = LayoutPath(request.Layout, layout.Sheet);
        }
        const SizeCheck bounded = [&](QSize size) {
            if (!request.AllowLarge && PixelBytes(size) > LargeImageBytes)
                throw Failure("its " + std::to_string(size.width()) + " x " +
                              std::to_string(size.height()) + " pixels need " +
                              Memory(PixelBytes(size)) + " of memory; --allow-large reads it");
        };
        std::map<QByteArray, std::future<ImageData>> read = ReadAll(layout, request, bounded);
        BuiltSheet built = BuildLayout(layout, request.Layout,
                                       [&](const QByteArray& path) { return read.at(path).get(); });
        for (const std::string& problem : built.Problems)
            lines.push_back(prefix + problem);
        if (built.Problems.empty())
            result.Pixels = std::move(built.Image);
    } catch (const Failure& failure) {
        // The layout's own failures name it already; a file's failure needs only its reason.
        const std::string what = failure.what();
        lines.push_back(what.starts_with(prefix) ? what : prefix + failure.Reason);
    } catch (const std::bad_alloc&) {
        lines.push_back(prefix + "not enough memory");
    }
    return result;
}
} // namespace

SheetBuildResult BuildSheetFile(const SheetBuildRequest& request) {
    SheetBuildResult result;
    const Built built = Build(request, true, result.Lines);
    if (built.Pixels) {
        try {
            SaveTGA(built.SheetFile.toStdString(), *built.Pixels);
        } catch (const std::exception& e) {
            result.Lines.push_back(QFile::decodeName(request.Layout).toStdString() + ": " +
                                   e.what());
        }
    }
    result.Status = result.Lines.empty() ? 0 : 1;
    return result;
}

SheetBuildResult CheckSheetFile(const SheetBuildRequest& request) {
    SheetBuildResult result;
    const Built built = Build(request, false, result.Lines);
    if (!built.Pixels) {
        result.Status = 2;
        return result;
    }
    const std::string prefix = QFile::decodeName(request.Layout).toStdString() + ": ";
    const std::string sheet = built.SheetFile.toStdString();
    const std::array<uint8_t, 18> header =
        SavedTgaHeader(built.Pixels->Width, built.Pixels->Height);
    const std::vector<uint8_t>& pixels = built.Pixels->Pixels;
    try {
        const fileio::FileDescriptor fd = fileio::OpenForReading(sheet);
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0)
            throw fileio::SystemError("cannot read", sheet);
        bool same = uint64_t(info.st_size) == header.size() + pixels.size();
        if (same) {
            std::vector<uint8_t> bytes(size_t(info.st_size));
            same =
                fileio::ReadFully(fd.get(), bytes.data(), bytes.size(), 0, sheet) == bytes.size() &&
                std::equal(header.begin(), header.end(), bytes.begin()) &&
                std::equal(pixels.begin(), pixels.end(), bytes.begin() + header.size());
        }
        if (!same)
            result.Lines.push_back(prefix + sheet + ": not what the layout builds now");
    } catch (const Failure& failure) {
        result.Lines.push_back(prefix + sheet + ": " + failure.Reason);
    } catch (const std::bad_alloc&) {
        result.Lines.push_back(prefix + "not enough memory");
        result.Status = 2;
        return result;
    }
    result.Status = result.Lines.empty() ? 0 : 1;
    return result;
}
