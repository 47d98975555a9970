// Paints the program's icon, the 4 x 4 bevelled tiles of app/patchery.xpm, at each size that
// the desktop asks for. Run by the build:
//   patchery_icons <patchery.xpm> <output folder> <name> <size>...
// writes <output folder>/<size>x<size>/apps/<name>.png.

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: patchery_icons <patchery.xpm> <output folder> <name> <size>...\n",
                   stderr);
        return 2;
    }
    const QImage design =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (design.isNull()) {
        std::fprintf(stderr, "patchery_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    // Every design pixel as an exact 8 x 8 block, then averaged down: the larger sizes stay
    // sharp, 16 and 48 get edges blended as a drawn icon would.
    const QImage large =
        design.scaled(design.size() * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size < 1 || size > large.width()) {
            std::fprintf(stderr, "patchery_icons: no icon of size %s\n", argv[i]);
            return 2;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = apps + QLatin1Char('/') + name + QStringLiteral(".png");
        const QImage icon =
            large.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB888);
        if (!QDir().mkpath(apps) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "patchery_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
