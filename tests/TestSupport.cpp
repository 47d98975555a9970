#include "TestSupport.h"

#include "MainWindow.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <cstdlib>

void PrepareTestEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "60000");
    // Lives for the whole process; removed at exit.
    static QTemporaryDir home;
    home.setAutoRemove(true);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    QDir().mkpath(home.filePath(QStringLiteral("tmp")));
    qputenv("TMPDIR", QFile::encodeName(home.filePath(QStringLiteral("tmp"))));
}

ScriptedUser::ScriptedUser() {
    FileDialog::SetResponder([this](const FileDialog& d, bool save) {
        Dialogs.push_back({save, d.Title, d.DefaultExtension, d.Filter, d.FileName, d.FilterIndex,
                           d.ConfirmOverwrite});
        if (Files.empty())
            return std::optional<QString>();
        auto answer = Files.front();
        Files.pop_front();
        return answer;
    });
    SetMessageResponder([this](const MessageCall& call) {
        Messages.push_back(call);
        if (Seen)
            Seen(call);
        if (!Answers.empty()) {
            const MessageAnswer answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        return call.Buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::OK;
    });
}

ScriptedUser::~ScriptedUser() {
    FileDialog::SetResponder(nullptr);
    SetMessageResponder(nullptr);
}

QStringList ScriptedUser::MessageTexts() const {
    QStringList texts;
    for (const MessageCall& call : Messages)
        texts << call.Text;
    return texts;
}

QByteArray TgaBytes(int width, int height, const QByteArray& storedRows, uint8_t descriptor,
                    uint8_t imageType, uint8_t depth) {
    QByteArray bytes(18, '\0');
    bytes[2] = static_cast<char>(imageType);
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>((width >> 8) & 0xFF);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>((height >> 8) & 0xFF);
    bytes[16] = static_cast<char>(depth);
    bytes[17] = static_cast<char>(descriptor);
    return bytes + storedRows;
}

void PatternPixel(int x, int y, uint8_t bgr[3]) {
    bgr[0] = static_cast<uint8_t>(x);
    bgr[1] = static_cast<uint8_t>(y);
    bgr[2] = static_cast<uint8_t>(((x >> 8) & 0x0F) | ((y >> 4) & 0xF0));
}

QRgb PatternRgb(int x, int y) {
    uint8_t bgr[3];
    PatternPixel(x, y, bgr);
    return qRgb(bgr[2], bgr[1], bgr[0]) & 0xFFFFFF;
}

QByteArray PatternTga(int width, int height) {
    QByteArray rows(3 * width * height, '\0');
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            PatternPixel(x, y, reinterpret_cast<uint8_t*>(rows.data()) + 3 * (y * width + x));
    }
    return TgaBytes(width, height, rows, 0x20);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage PatternImage(QSize size, QPoint offset) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = 0xFF000000 | PatternRgb(offset.x() + x, offset.y() + y);
    }
    return image;
}

QRgb RgbAt(const QImage& image, QPoint at) {
    return image.pixel(at) & 0xFFFFFF;
}

bool ShadedAs(QRgb shown, QRgb pixel) {
    const auto shade = [](int p) { return p - p / 4; };
    return qRgb(shade(qRed(pixel)), shade(qGreen(pixel)), shade(qBlue(pixel))) ==
           qRgb(qRed(shown), qGreen(shown), qBlue(shown));
}

QString ImageDifference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = RgbAt(actual, {x, y});
            const QRgb e = RgbAt(expected, {x, y});
            if (a != e)
                return QStringLiteral("at (%1, %2): %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 6, 16, QLatin1Char('0'))
                    .arg(e, 6, 16, QLatin1Char('0'));
        }
    }
    return {};
}

QByteArray Bytes(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

QString TestFolder::Put(const QString& name, const QByteArray& bytes) const {
    const QString path = filePath(name);
    QTest::qVerify(WriteFile(path, bytes), "WriteFile(path, bytes)",
                   qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
    return path;
}

QString OptionsFile() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/opt.cfg");
}

void RemoveOptionsFile() {
    if (QFileInfo(OptionsFile()).isDir())
        QDir(OptionsFile()).removeRecursively();
    else
        QFile::remove(OptionsFile());
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    ReadLimit = getrlimit(RLIMIT_FSIZE, &saved_) == 0;
    if (!ReadLimit)
        return;
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    Lowered = setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (!ReadLimit)
        return;
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
}

void ChooseSize(MainWindow& frm, const QString& text) {
    const int index = frm.sizeList->findText(text);
    QVERIFY(index >= 0);
    frm.sizeList->setCurrentIndex(index);
    emit frm.sizeList->activated(index);
}

void OpenSource(MainWindow& frm, ScriptedUser& user, const QString& path) {
    user.Files.push_back(path);
    QTest::mouseClick(frm.sourceButton, Qt::LeftButton);
    QVERIFY2(user.Messages.empty(), qPrintable(user.MessageTexts().join(u'|')));
}

QImage Shown(MainWindow& frm) {
    return frm.client->grab().toImage();
}

QStringList TabOrder(QWidget* dialog, const QList<QPair<QWidget*, QString>>& names, int tabs) {
    auto name = [&names](QWidget* w) {
        for (const auto& [widget, text] : names) {
            if (widget == w)
                return text;
        }
        return w ? QString::fromLatin1(w->metaObject()->className()) : QStringLiteral("none");
    };
    QStringList order{name(dialog->focusWidget())};
    for (int i = 0; i < tabs; ++i) {
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        order << name(dialog->focusWidget());
    }
    return order;
}

QByteArray XbmDeclaring(QSize size) {
    return QStringLiteral(
               "#define b_width %1\n#define b_height %2\nstatic char b_bits[] = {0x00};\n")
        .arg(size.width())
        .arg(size.height())
        .toLatin1();
}

QByteArray JpegDeclaring(QSize size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    PatternImage(QSize(8, 8)).save(&buffer, "jpeg");
    // The frame header (SOF0): marker, length, precision, then height and width.
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    for (const auto& [at, value] :
         {std::pair{frame + 5, size.height()}, {frame + 7, size.width()}}) {
        bytes[at] = char(value >> 8);
        bytes[at + 1] = char(value & 0xFF);
    }
    return bytes;
}

qint64 DataBytes() {
    const QByteArray status = ReadFile(QStringLiteral("/proc/self/status"));
    const qsizetype at = status.indexOf("VmData:");
    return status.mid(at + 7, status.indexOf('\n', at) - at - 7)
               .trimmed()
               .split(' ')[0]
               .toLongLong() *
           1024;
}
