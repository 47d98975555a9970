#include "TestSupport.h"

#include "Failure.h"
#include "TgaFile.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(ImageData)

namespace {

// An 18-byte header of a 24-bit true-colour file; callers patch other fields by offset.
QByteArray Header(int width, int height, uint8_t descriptor) {
    return TgaBytes(width, height, {}, descriptor);
}

// A record unlike anything a load produces, to see that failures leave it alone.
ImageData Sentinel() {
    ImageData image;
    image.Width = 3;
    image.Height = 1;
    image.Bits = 8;
    image.Palette.resize(256, PaletteEntry{1, 2, 3, 4});
    image.Pixels = {7, 8, 9};
    return image;
}

bool Same(const ImageData& a, const ImageData& b) {
    return a.Width == b.Width && a.Height == b.Height && a.Bits == b.Bits && a.Pixels == b.Pixels &&
           a.Palette.size() == b.Palette.size() &&
           std::equal(a.Palette.begin(), a.Palette.end(), b.Palette.begin(),
                      [](const PaletteEntry& x, const PaletteEntry& y) {
                          return x.Blue == y.Blue && x.Green == y.Green && x.Red == y.Red &&
                                 x.Reserved == y.Reserved;
                      });
}

ImageData Image24(int width, int height) {
    ImageData image;
    image.Width = width;
    image.Height = height;
    image.Bits = 24;
    image.Pixels.resize(size_t(width) * height * 3);
    for (size_t i = 0; i < image.Pixels.size(); ++i)
        image.Pixels[i] = uint8_t(i * 7 + i / 251);
    return image;
}

std::string Std(const QString& s) {
    return s.toStdString();
}

} // namespace

class TestTga : public QObject {
    Q_OBJECT

  private slots:
    void saveWritesHeaderAndRowsTopFirst_data();
    void saveWritesHeaderAndRowsTopFirst();
    void saveReplacesLongerFile();
    void saveConvertsPaletteImage();
    void loadRefusesWithoutTouchingRecord_data();
    void loadRefusesWithoutTouchingRecord();
    void loadHonoursOrigin_data();
    void loadHonoursOrigin();
    void loadSkipsIdAndColourMap_data();
    void loadSkipsIdAndColourMap();
    void loadReadsMissingBytesAsZero_data();
    void loadReadsMissingBytesAsZero();
    void saveThenLoadRoundTrips();
    void failedSaveKeepsDestination_data();
    void failedSaveKeepsDestination();
    void saveFailsOnFileSizeLimit();
    void saveFollowsLinksAndRefusesSpecialFiles_data();
    void saveFollowsLinksAndRefusesSpecialFiles();
    void savedFileMode_data();
    void savedFileMode();
    void saveSyncsBeforeRenaming();
};

void TestTga::saveWritesHeaderAndRowsTopFirst_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<qint64>("fileSize");
    QTest::newRow("256x1024") << 256 << 1024
                              << QByteArray::fromHex("000002000000000000000000000100041820")
                              << qint64(786450);
    QTest::newRow("256x768") << 256 << 768
                             << QByteArray::fromHex("000002000000000000000000000100031820")
                             << qint64(589842);
    QTest::newRow("3x1") << 3 << 1 << QByteArray::fromHex("000002000000000000000000030001001820")
                         << qint64(27);
}

void TestTga::saveWritesHeaderAndRowsTopFirst() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QByteArray, header);
    QFETCH(qint64, fileSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.tga"));
    const ImageData image = Image24(width, height);

    SaveTGA(Std(path), image);

    const QByteArray file = ReadFile(path);
    QCOMPARE(file.size(), fileSize);
    QCOMPARE(file.left(18), header);
    QCOMPARE(file.mid(18), Bytes(image.Pixels));
}

void TestTga::saveReplacesLongerFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.tga"));
    QVERIFY(WriteFile(path, QByteArray(100000, 'x')));
    const ImageData image = Image24(4, 2);

    SaveTGA(Std(path), image);

    const QByteArray file = ReadFile(path);
    QCOMPARE(file.size(), 18 + 4 * 2 * 3);
    QCOMPARE(file.mid(18), Bytes(image.Pixels));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("sheet.tga")});
}

void TestTga::saveConvertsPaletteImage() {
    ImageData image;
    image.Width = 2;
    image.Height = 2;
    image.Bits = 8;
    image.Palette.resize(256);
    image.Palette[7] = {0x10, 0x20, 0x30, 0x99};
    image.Palette[200] = {0xA1, 0xB2, 0xC3, 0x44};
    image.Palette[255] = {0xFD, 0xFE, 0xFF, 0x00};
    image.Pixels = {7, 200, 255, 7};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.tga"));

    SaveTGA(Std(path), image);

    const QByteArray file = ReadFile(path);
    QCOMPARE(file.left(18), QByteArray::fromHex("000002000000000000000000020002001820"));
    QCOMPARE(file.mid(18), QByteArray::fromHex("102030 a1b2c3 fdfeff 102030"));
}

void TestTga::loadRefusesWithoutTouchingRecord_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    const QByteArray pixel("abc");
    QByteArray rle = Header(1, 1, 0x20);
    rle[2] = 10;
    QByteArray mapped = Header(1, 1, 0x20);
    mapped[1] = 1;
    mapped[2] = 1;
    QByteArray deep = Header(1, 1, 0x20);
    deep[16] = 32;
    QByteArray shallow = Header(1, 1, 0x20);
    shallow[16] = 16;
    QByteArray longId = Header(1, 1, 0x20);
    longId[0] = 10;
    QByteArray longMap = Header(1, 1, 0x20);
    longMap[1] = 1;
    longMap[5] = 3; // three 24-bit entries: 9 bytes, the file has 3 more after the header
    longMap[7] = 24;

    QTest::newRow("run-length") << rle + pixel << QStringLiteral("image type 10");
    QTest::newRow("colour-mapped") << mapped + pixel << QStringLiteral("image type 1");
    QTest::newRow("32-bit") << deep + "abcd" << QStringLiteral("pixel depth 32");
    QTest::newRow("16-bit") << shallow + "ab" << QStringLiteral("pixel depth 16");
    QTest::newRow("width 0") << Header(0, 1, 0x20) << QStringLiteral("width 0");
    QTest::newRow("width FFFF") << Header(0xFFFF, 1, 0x20) + pixel << QStringLiteral("width -1");
    QTest::newRow("height 32768") << Header(1, 0x8000, 0x20) + pixel
                                  << QStringLiteral("height -32768");
    QTest::newRow("32767 x 32767, 3 bytes of pixels")
        << Header(0x7FFF, 0x7FFF, 0x20) + pixel << QStringLiteral("file holds 3 of the");
    QTest::newRow("17 bytes") << Header(1, 1, 0x20).left(17) << QStringLiteral("too short");
    QTest::newRow("ID past end") << longId + pixel << QStringLiteral("ID field or colour map");
    QTest::newRow("colour map past end")
        << longMap + pixel << QStringLiteral("ID field or colour map");
    QTest::newRow("no file") << QByteArray() << QStringLiteral("No such file or directory");
}

void TestTga::loadRefusesWithoutTouchingRecord() {
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.tga"));
    if (!file.isNull())
        QVERIFY(WriteFile(path, file));
    ImageData image = Sentinel();

    try {
        LoadTGA(Std(path), image);
        QFAIL("the file was accepted");
    } catch (const Failure& e) {
        QVERIFY2(QString::fromStdString(e.what()).contains(reason), e.what());
    }
    QVERIFY(Same(image, Sentinel()));
}

void TestTga::loadHonoursOrigin_data() {
    QTest::addColumn<int>("descriptor");
    QTest::addColumn<QByteArray>("pixels");
    // Stored rows: "abcdef", "ghijkl", "mnopqr", two pixels of three bytes each.
    QTest::newRow("bottom-left") << 0x00 << QByteArray("mnopqrghijklabcdef");
    QTest::newRow("top-left") << 0x20 << QByteArray("abcdefghijklmnopqr");
    QTest::newRow("bottom-right") << 0x10 << QByteArray("pqrmnojklghidefabc");
    QTest::newRow("top-right") << 0x30 << QByteArray("defabcjklghipqrmno");
    // The attribute bit count says nothing about order.
    QTest::newRow("bottom-left, 8 attribute bits") << 0x08 << QByteArray("mnopqrghijklabcdef");
}

void TestTga::loadHonoursOrigin() {
    QFETCH(int, descriptor);
    QFETCH(QByteArray, pixels);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.tga"));
    QVERIFY(WriteFile(path, Header(2, 3, uint8_t(descriptor)) + "abcdefghijklmnopqr"));
    ImageData image = Sentinel();

    LoadTGA(Std(path), image);

    QCOMPARE(image.Width, 2);
    QCOMPARE(image.Height, 3);
    QCOMPARE(image.Bits, uint8_t(24));
    QVERIFY(image.Palette.empty());
    QCOMPARE(Bytes(image.Pixels), pixels);
}

void TestTga::loadSkipsIdAndColourMap_data() {
    QTest::addColumn<QByteArray>("file");
    QByteArray id = Header(2, 1, 0x20);
    id[0] = 5;
    QByteArray map24 = Header(2, 1, 0x20);
    map24[1] = 1;
    map24[3] = 9; // first entry index: does not change the size
    map24[5] = 2;
    map24[7] = 24;
    QByteArray map15 = map24;
    map15[7] = 15;
    QByteArray both = map24;
    both[0] = 3;
    QByteArray unusedMap = map24; // a map described but absent (map type 0) takes no bytes
    unusedMap[1] = 0;

    QTest::newRow("ID of 5") << id + "IIIII" + "abcdef";
    QTest::newRow("map 2 x 24 bits") << map24 + "MMMMMM" + "abcdef";
    QTest::newRow("map 2 x 15 bits") << map15 + "MMMM" + "abcdef";
    QTest::newRow("ID then map") << both + "III" + "MMMMMM" + "abcdef";
    QTest::newRow("map type 0") << unusedMap + "abcdef";
}

void TestTga::loadSkipsIdAndColourMap() {
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.tga"));
    QVERIFY(WriteFile(path, file));
    ImageData image;

    LoadTGA(Std(path), image);

    QCOMPARE(Bytes(image.Pixels), QByteArray("abcdef"));
}

void TestTga::loadReadsMissingBytesAsZero_data() {
    QTest::addColumn<int>("descriptor");
    QTest::addColumn<QByteArray>("pixels");
    const QByteArray z(1, '\0');
    // The file holds 8 of the 12 bytes of a 2x2 image: one row and a pixel and two thirds.
    QTest::newRow("top-left") << 0x20 << QByteArray("abcdefghij") + z + z;
    QTest::newRow("bottom-left") << 0x00 << QByteArray("ghij") + z + z + "abcdef";
    QTest::newRow("top-right") << 0x30 << QByteArray("defabcj") + z + z + "ghi";
}

void TestTga::loadReadsMissingBytesAsZero() {
    QFETCH(int, descriptor);
    QFETCH(QByteArray, pixels);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.tga"));
    QVERIFY(WriteFile(path, Header(2, 2, uint8_t(descriptor)) + "abcdefghij"));
    ImageData image;
    image.Pixels.assign(12, 0xEE);

    LoadTGA(Std(path), image);

    QCOMPARE(Bytes(image.Pixels), pixels);
}

void TestTga::saveThenLoadRoundTrips() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.tga"));
    // A bottom-left file comes back top-left: saving it again puts its top row first.
    QVERIFY(WriteFile(path, Header(1, 3, 0x00) + "abcdefghi"));
    ImageData image;
    LoadTGA(Std(path), image);
    SaveTGA(Std(path), image);
    QCOMPARE(ReadFile(path), Header(1, 3, 0x20) + "ghidefabc");

    const ImageData original = Image24(37, 1100); // more rows than one scattered read takes
    SaveTGA(Std(path), original);
    ImageData loaded;
    LoadTGA(Std(path), loaded);
    QVERIFY(Same(loaded, original));

    // The same rows stored bottom row first.
    QByteArray bottomUp = Header(37, 1100, 0x00);
    const QByteArray rows = Bytes(original.Pixels);
    for (int y = 1099; y >= 0; --y)
        bottomUp += rows.mid(y * 37 * 3, 37 * 3);
    QVERIFY(WriteFile(path, bottomUp));
    LoadTGA(Std(path), loaded);
    QVERIFY(Same(loaded, original));
}

void TestTga::failedSaveKeepsDestination_data() {
    QTest::addColumn<ImageData>("image");
    QTest::addColumn<QString>("target"); // relative to the folder holding "old.tga"
    QTest::addColumn<QString>("reason");
    const ImageData good = Image24(2, 2);
    ImageData wide = good;
    wide.Width = 40000;
    wide.Height = 1;
    wide.Pixels.resize(40000 * 3);
    ImageData noBits = good;
    noBits.Bits = 0;
    ImageData deep = good;
    deep.Bits = 32;
    deep.Pixels.resize(16);
    ImageData negative = good;
    negative.Height = -2;
    ImageData noWidth = good;
    noWidth.Width = 0;
    noWidth.Pixels.clear();
    ImageData noHeight = noWidth;
    std::swap(noHeight.Width, noHeight.Height);
    ImageData shortPixels = good;
    shortPixels.Pixels.pop_back();
    ImageData smallPalette;
    smallPalette.Width = 1;
    smallPalette.Height = 1;
    smallPalette.Bits = 8;
    smallPalette.Pixels = {0};
    smallPalette.Palette.resize(255);
    const QString old = QStringLiteral("old.tga");

    QTest::newRow("width 40000") << wide << old << QStringLiteral("40000");
    QTest::newRow("0 bits") << noBits << old
                            << QStringLiteral("an image of 0 bits per pixel cannot be saved");
    QTest::newRow("32 bits") << deep << old << QStringLiteral("32 bits per pixel");
    QTest::newRow("negative height") << negative << old << QStringLiteral("height -2");
    QTest::newRow("width 0") << noWidth << old << QStringLiteral("width 0");
    QTest::newRow("height 0") << noHeight << old << QStringLiteral("height 0");
    QTest::newRow("pixels short") << shortPixels << old << QStringLiteral("11 bytes");
    QTest::newRow("palette short") << smallPalette << old << QStringLiteral("255 entries");
    QTest::newRow("a folder") << good << QStringLiteral("sub") << QStringLiteral("Is a directory");
    QTest::newRow("folder missing")
        << good << QStringLiteral("missing/a.tga") << QStringLiteral("No such file or directory");
}

void TestTga::failedSaveKeepsDestination() {
    QFETCH(ImageData, image);
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    QVERIFY(folder.mkdir(QStringLiteral("sub")));
    const QByteArray oldBytes = Header(1, 1, 0x20) + "old";
    QVERIFY(WriteFile(folder.filePath(QStringLiteral("old.tga")), oldBytes));
    const QString path = folder.filePath(target);

    try {
        SaveTGA(Std(path), image);
        QFAIL("the save succeeded");
    } catch (const std::exception& e) {
        QVERIFY2(QString::fromStdString(e.what()).contains(reason), e.what());
    }
    QCOMPARE(ReadFile(folder.filePath(QStringLiteral("old.tga"))), oldBytes);
    QCOMPARE(folder.entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name),
             (QStringList{QStringLiteral("old.tga"), QStringLiteral("sub")}));
    QVERIFY(QDir(folder.filePath(QStringLiteral("sub"))).isEmpty());
}

void TestTga::saveFailsOnFileSizeLimit() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.tga"));
    const QByteArray oldBytes = Header(1, 1, 0x20) + "old";
    QVERIFY(WriteFile(path, oldBytes));

    QString message;
    {
        const FileSizeLimit limit(1000);
        QVERIFY(limit.ReadLimit);
        QVERIFY(limit.Lowered);
        try {
            SaveTGA(Std(path), Image24(40, 40));
        } catch (const std::exception& e) {
            message = QString::fromStdString(e.what());
        }
    }

    QCOMPARE(message, QStringLiteral("cannot save %1: File too large").arg(path));
    QCOMPARE(ReadFile(path), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("old.tga")});
}

void TestTga::saveFollowsLinksAndRefusesSpecialFiles_data() {
    QTest::addColumn<QStringList>("links"); // "name>target", made in order; @ is the folder
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("written"); // the file that gets the sheet
    QTest::addColumn<QString>("reason");  // why the save is refused; empty when it is not
    const QString a = QStringLiteral("a.tga"), old = QStringLiteral("old.tga"), none;
    const QString longName = QString(251, u'n') + QStringLiteral(".tga"); // NAME_MAX
    const QString special = QStringLiteral("not a regular file");
    QTest::newRow("link") << QStringList{QStringLiteral("a.tga>old.tga")} << a << old << none;
    QTest::newRow("chain through a folder")
        << QStringList{QStringLiteral("a.tga>sub/b.tga"), QStringLiteral("sub/b.tga>../old.tga")}
        << a << old << none;
    QTest::newRow("absolute link")
        << QStringList{QStringLiteral("a.tga>@/old.tga")} << a << old << none;
    QTest::newRow("link to a new file") << QStringList{QStringLiteral("a.tga>sub/new.tga")} << a
                                        << QStringLiteral("sub/new.tga") << none;
    QTest::newRow("255-byte name") << QStringList() << longName << longName << none;
    QTest::newRow("FIFO") << QStringList() << QStringLiteral("fifo") << none << special;
    QTest::newRow("link to a FIFO")
        << QStringList{QStringLiteral("a.tga>fifo")} << a << none << special;
    QTest::newRow("link loop") << QStringList{QStringLiteral("a.tga>b.tga"),
                                              QStringLiteral("b.tga>a.tga")}
                               << a << none << QStringLiteral("Too many levels of symbolic links");
}

void TestTga::saveFollowsLinksAndRefusesSpecialFiles() {
    QFETCH(QStringList, links);
    QFETCH(QString, destination);
    QFETCH(QString, written);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    QVERIFY(folder.mkdir(QStringLiteral("sub")));
    const QByteArray oldBytes = Header(1, 1, 0x20) + "old";
    QVERIFY(WriteFile(folder.filePath(QStringLiteral("old.tga")), oldBytes));
    QCOMPARE(mkfifo(Std(folder.filePath(QStringLiteral("fifo"))).c_str(), 0600), 0);
    for (const QString& link : links) {
        const QStringList parts = link.split(u'>');
        QCOMPARE(symlink(Std(QString(parts[1]).replace(u'@', dir.path())).c_str(),
                         Std(folder.filePath(parts[0])).c_str()),
                 0);
    }
    const auto listing = [&] {
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        return folder.entryList(all, QDir::Name) +
               QDir(folder.filePath(QStringLiteral("sub"))).entryList(all, QDir::Name);
    };
    QStringList expected = listing();
    if (!written.isEmpty() && !QFileInfo::exists(folder.filePath(written)))
        expected << QFileInfo(written).fileName();
    const ImageData image = Image24(2, 1);

    QString failure;
    try {
        SaveTGA(Std(folder.filePath(destination)), image);
    } catch (const Failure& e) {
        failure = QString::fromStdString(e.Reason);
    }

    QCOMPARE(failure, reason);
    if (!written.isEmpty())
        QCOMPARE(ReadFile(folder.filePath(written)), Header(2, 1, 0x20) + Bytes(image.Pixels));
    if (written != QStringLiteral("old.tga"))
        QCOMPARE(ReadFile(folder.filePath(QStringLiteral("old.tga"))), oldBytes);
    for (const QString& link : links)
        QVERIFY(QFileInfo(folder.filePath(link.section(u'>', 0, 0))).isSymLink());
    QStringList now = listing();
    now.sort();
    expected.sort();
    QCOMPARE(now, expected); // no temporary file left either
}

void TestTga::savedFileMode_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("existingMode"); // -1: no file before the save
    QTest::addColumn<int>("expectedMode");
    QTest::newRow("new, umask 022") << 022 << -1 << 0644;
    QTest::newRow("new, umask 077") << 077 << -1 << 0600;
    QTest::newRow("new, umask 002") << 002 << -1 << 0664;
    QTest::newRow("existing 0640") << 022 << 0640 << 0640;
    QTest::newRow("existing 0606") << 077 << 0606 << 0606;
}

void TestTga::savedFileMode() {
    QFETCH(int, mask);
    QFETCH(int, existingMode);
    QFETCH(int, expectedMode);
    QTemporaryDir dir;
    const std::string path = Std(dir.filePath(QStringLiteral("a.tga")));
    if (existingMode >= 0) {
        QVERIFY(WriteFile(QString::fromStdString(path), "old"));
        QCOMPARE(chmod(path.c_str(), mode_t(existingMode)), 0);
    }

    const mode_t previousMask = umask(mode_t(mask));
    try {
        SaveTGA(path, Image24(1, 1));
    } catch (...) {
        umask(previousMask);
        throw;
    }
    umask(previousMask);

    struct stat info {};
    QCOMPARE(stat(path.c_str(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), expectedMode);
}

QTEST_APPLESS_MAIN(TestTga)
// What no file shows afterwards, strace does: the new file is hidden and short-named in the
// destination's folder (a 255-byte name here), synced before it is renamed over the old one, and
// the folder synced after. The test runs itself under strace to save once.
void TestTga::saveSyncsBeforeRenaming() {
    if (const QByteArray traced = qgetenv("PATCHERY_TRACED_SAVE"); !traced.isEmpty()) {
        SaveTGA(traced.toStdString(), Image24(2, 1));
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed (scripts/install-deps installs it)");
    QTemporaryDir dir;
    const QString destination = dir.filePath(QString(251, u'n') + QStringLiteral(".tga"));
    QVERIFY(WriteFile(destination, "old"));
    const QString log = dir.filePath(QStringLiteral("strace.log"));
    QProcess traced;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATCHERY_TRACED_SAVE"), destination);
    traced.setProcessEnvironment(environment);
    traced.start(QStringLiteral("strace"),
                 {QStringLiteral("-qq"), QStringLiteral("-e"),
                  QStringLiteral("trace=openat,fsync,rename"), QStringLiteral("-o"), log,
                  QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(),
                  QStringLiteral("saveSyncsBeforeRenaming")});
    QVERIFY2(traced.waitForFinished(60000) && traced.exitCode() == 0,
             traced.readAllStandardError().constData());

    // The calls about the save, in order, with the descriptors as numbers.
    const QString text = QString::fromLocal8Bit(ReadFile(log));
    const QString folder = QRegularExpression::escape(dir.path());
    const auto find = [&](const QString& pattern, qsizetype from) {
        return QRegularExpression(pattern).match(text, from);
    };
    const QRegularExpressionMatch made =
        find(QStringLiteral("openat\\(AT_FDCWD, \"%1/(\\.patchery-save-[a-z]{6})\", "
                            "O_WRONLY\\|O_CREAT\\|O_EXCL[^=]*= (\\d+)")
                 .arg(folder),
             0);
    QVERIFY2(made.hasMatch(), qPrintable(text));
    const QRegularExpressionMatch synced =
        find(QStringLiteral("fsync\\(%1\\) += 0").arg(made.captured(2)), made.capturedEnd());
    const QRegularExpressionMatch renamed =
        find(QStringLiteral("rename\\(\"%1/%2\", \"%1/n+\\.tga\"\\) += 0")
                 .arg(folder, QRegularExpression::escape(made.captured(1))),
             0);
    QVERIFY2(synced.hasMatch() && renamed.capturedStart() > synced.capturedStart(),
             qPrintable(text));
    const QRegularExpressionMatch opened =
        find(QStringLiteral("openat\\(AT_FDCWD, \"%1\", O_RDONLY[^=]*O_DIRECTORY[^=]*= (\\d+)")
                 .arg(folder),
             renamed.capturedEnd());
    QVERIFY2(opened.hasMatch() && find(QStringLiteral("fsync\\(%1\\) += 0").arg(opened.captured(1)),
                                       opened.capturedEnd())
                                      .hasMatch(),
             qPrintable(text));
    QCOMPARE(ReadFile(destination), Header(2, 1, 0x20) + Bytes(Image24(2, 1).Pixels));
}

#include "test_tga.moc"
