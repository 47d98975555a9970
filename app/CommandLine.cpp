#include "CommandLine.h"

#include "Program.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}
} // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& named) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);

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
    parser.addPositionalArgument(QStringLiteral("SOURCE"),
                                 QStringLiteral("Open SOURCE as the source image."),
                                 QStringLiteral("[SOURCE]"));

    const auto wrong = [](const QString& reason) {
        Print(stderr, QStringLiteral("patchery: ") + reason +
                          QStringLiteral("\nTry 'patchery --help' for more information.\n"));
        return 2;
    };
    if (!parser.parse(arguments))
        return wrong(parser.errorText());
    if (parser.isSet(help)) {
        // The text's first line would name "<executable_name>": there is no application yet.
        Print(stdout, QStringLiteral("Usage: patchery [options] [SOURCE]\n") +
                          parser.helpText().section(QLatin1Char('\n'), 1));
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, ProgramName() + QLatin1Char(' ') + ProgramVersion() + QLatin1Char('\n'));
        return 0;
    }
    const QStringList sources = parser.positionalArguments();
    if (sources.size() > 1)
        return wrong(QStringLiteral("one SOURCE at most, not %1").arg(sources.size()));

    // Full paths, as the file dialog would have given them.
    if (!sources.isEmpty())
        named.Source = QFileInfo(sources.constFirst()).absoluteFilePath();
    if (parser.isSet(target))
        named.Target = QFileInfo(parser.value(target)).absoluteFilePath();
    return std::nullopt;
}
