#include "CommandLine.h"

#include "Program.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {
void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The arguments are read one byte to a character, so that a file name goes back to its exact
// bytes whatever their encoding (a Latin-1 name under a UTF-8 locale would not decode).
QByteArray Bytes(const QString& argument) {
    return argument.toLatin1();
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
    parser.addPositionalArgument(
        QStringLiteral("SOURCE"),
        QStringLiteral("Open each SOURCE as a source image, in the order named."),
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
        Print(stdout, QStringLiteral("Usage: patchery [options] [SOURCE...]\n") +
                          parser.helpText().section(QLatin1Char('\n'), 1));
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, ProgramName() + QLatin1Char(' ') + ProgramVersion() + QLatin1Char('\n'));
        return 0;
    }
    const QStringList sources = parser.positionalArguments();
    for (const QString& source : sources)
        named.Sources << FullPath(Bytes(source));
    if (parser.isSet(target))
        named.Target = FullPath(Bytes(parser.value(target)));
    return std::nullopt;
}
