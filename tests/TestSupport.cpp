#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    QDir().mkpath(home.filePath(QStringLiteral("tmp")));
    qputenv("TMPDIR", QFile::encodeName(home.filePath(QStringLiteral("tmp"))));
}

ScriptedUser::ScriptedUser() {
    CommonDialog::SetResponder([this](const CommonDialog& d, bool save) {
        Dialogs.push_back({save, d.DialogTitle, d.DefaultExt, d.Filter, d.FileName, d.FilterIndex,
                           d.CancelError, d.Flags});
        if (Files.empty())
            return std::optional<QString>();
        auto answer = Files.front();
        Files.pop_front();
        return answer;
    });
    SetMsgBoxResponder([this](const MsgBoxCall& call) {
        Messages.push_back(call);
        if (!Answers.empty()) {
            const MsgResult answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        return call.Buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::OK;
    });
}

ScriptedUser::~ScriptedUser() {
    CommonDialog::SetResponder(nullptr);
    SetMsgBoxResponder(nullptr);
}

QStringList ScriptedUser::MessageTexts() const {
    QStringList texts;
    for (const MsgBoxCall& call : Messages)
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
