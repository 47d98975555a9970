#include "CommandLine.h"

#include "FileIO.h"
#include "Program.h"
#include "SheetBuild.h"
#include "SheetLayout.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
// The help or the version on standard output. A write that fails (a full disk, a closed
// output) is said and is status 1, as the standard tools do.
int Print(const QString& text) {
    const bool written = std::fputs(text.toLocal8Bit().constData(), stdout) >= 0;
    if (std::fflush(stdout) == 0 && written)
        return 0;
    std::fprintf(stderr, "patchery: write error: %s\n", std::strerror(errno));
    return 1;
}

// The arguments are read one byte to a character, so that a file name goes back to its exact
// bytes whatever their encoding (a Latin-1 name under a UTF-8 locale would not decode).
QByteArray Bytes(const QString& argument) {
    return argument.toLatin1();
}

// A regular file whose first bytes are a layout's. Anything else, a FIFO or a device included, is
// not read at all, so that the start never waits on it.
bool IsLayoutFile(const QByteArray& path) {
    constexpr size_t HeadSize = 4096;
    try {
        const fileio::FileDescriptor file = fileio::OpenForReading(path.toStdString());
        QByteArray head(HeadSize, Qt::Uninitialized);
        head.resize(qsizetype(fileio::ReadFully(file.get(), reinterpret_cast<uint8_t*>(head.data()),
                                                HeadSize, 0, path.toStdString())));
        return SheetLayout::LooksLike(head);
    } catch (const Failure&) {
        return false;
    }
}

// A full path, as the file dialog would have given it.
QByteArray FullPath(const QByteArray& path) {
    return path.startsWith('/') ? path : QFile::encodeName(QDir::currentPath()) + '/' + path;
}
} // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& named) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLatin1(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Assembles texture sheets from 64 x 64 tiles of 24-bit TGA images."));
    // Not addHelpOption(): it offers --help-all for Qt's own options, which are not taken here.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption target(QStringLiteral("target"),
                                    QStringLiteral("Open SHEET as the target sheet."),
                                    QStringLiteral("SHEET"));
    parser.addOption(target);
    const QCommandLineOption build(
        QStringLiteral("build"),
        QStringLiteral("Build the sheet LAYOUT names and write it, without a window. Exits 0 when "
                       "written, 1 on any problem (nothing is then written)."),
        QStringLiteral("LAYOUT"));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Exit 0 when the sheet on disk is what LAYOUT builds now, 1 when it "
                       "differs or is missing, 2 when LAYOUT cannot be built."),
        QStringLiteral("LAYOUT"));
    const QCommandLineOption output(
        QStringLiteral("output"),
        QStringLiteral("With --build or --check: the sheet is FILE, not the layout's own."),
        QStringLiteral("FILE"));
    const QCommandLineOption allowLarge(
        QStringLiteral("allow-large"),
        QStringLiteral("With --build or --check: read sources whose pixels need more than "
                       "256 MB of memory."));
    parser.addOptions({build, check, output, allowLarge});
    parser.addPositionalArgument(
        QStringLiteral("SOURCE"),
        QStringLiteral("Open each SOURCE as a source image, in the order named; a layout opens "
                       "as the target."),
        QStringLiteral("[SOURCE...]"));

    const auto wrong = [](const QString& reason) {
        // The reason may quote an argument: its own bytes go out again.
        std::fputs("patchery: " + Bytes(reason) + "\nTry 'patchery --help' for more information.\n",
                   stderr);
        return 2;
    };
    if (!parser.parse(arguments))
        return wrong(parser.errorText());
    if (parser.isSet(help)) {
        // The text's first line would name "<executable_name>": there is no application yet.
        return Print(QStringLiteral("Usage: patchery [options] [SOURCE...]\n") +
                     parser.helpText().section(QLatin1Char('\n'), 1));
    }
    if (parser.isSet(version)) {
        return Print(ProgramName() + QLatin1Char(' ') + ProgramVersion() + QLatin1Char('\n'));
    }
    const QStringList sources = parser.positionalArguments();
    const bool building = parser.isSet(build) || parser.isSet(check);
    if (parser.isSet(build) && parser.isSet(check))
        return wrong(QStringLiteral("--build and --check go one at a time"));
    if (building && (parser.isSet(target) || !sources.isEmpty()))
        return wrong(
            QStringLiteral("--%1 opens no window: no SOURCE or --target with it")
                .arg(parser.isSet(build) ? QStringLiteral("build") : QStringLiteral("check")));
    if (!building && (parser.isSet(output) || parser.isSet(allowLarge)))
        return wrong(QStringLiteral("--%1 goes with --build or --check")
                         .arg(parser.isSet(output) ? QStringLiteral("output")
                                                   : QStringLiteral("allow-large")));
    if (building) {
        if (parser.isSet(build))
            named.Build = Bytes(parser.value(build));
        else
            named.Check = Bytes(parser.value(check));
        if (parser.isSet(output))
            named.Output = Bytes(parser.value(output));
        named.AllowLarge = parser.isSet(allowLarge);
        return std::nullopt;
    }
    if (parser.isSet(target))
        named.Target = FullPath(Bytes(parser.value(target)));
    for (const QString& name : sources) {
        const QByteArray source = FullPath(Bytes(name));
        // A layout describes a sheet: the file manager's double click on one, which names it
        // as SOURCE, opens it as the target.
        if (!IsLayoutFile(source))
            named.Sources << source;
        else if (named.Target)
            return wrong(QStringLiteral("%1 is a layout, which opens as the target: not with "
                                        "--target or another layout as well")
                             .arg(name));
        else
            named.Target = source;
    }
    return std::nullopt;
}

int RunSheetCommand(const CommandLine& named, const ImageReaders& read) {
    SheetBuildRequest request;
    request.Read = read;
    request.Layout = named.Build ? *named.Build : named.Check.value_or(QByteArray());
    request.Output = named.Output;
    request.AllowLarge = named.AllowLarge;
    const SheetBuildResult result = named.Build ? BuildSheetFile(request) : CheckSheetFile(request);
    for (const std::string& line : result.Lines)
        std::fprintf(stderr, "patchery: %s\n", line.c_str());
    return result.Status;
}
