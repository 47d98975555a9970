// Renders the program's scalable icon at each size that the desktop asks for, with its
// transparent ground kept. Run by the build:
//   patchery_icons <icon.svg> <output folder> <name> <size>...
// writes <output folder>/<size>x<size>/apps/<name>.png.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: patchery_icons <icon.svg> <output folder> <name> <size>...\n", stderr);
        return 2;
    }
    // The renderer needs no display, only the fonts and paint engines of a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    if (!drawing.isValid()) {
        std::fprintf(stderr, "patchery_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "patchery_icons: no icon of size %s\n", argv[i]);
            return 2;
        }
        QImage icon(size, size, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        drawing.render(&painter);
        painter.end();
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = apps + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(apps) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "patchery_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
