#pragma once
// What the widget tests share: an offscreen, isolated environment and a scripted user who
// answers file dialogs and message boxes instead of windows.

#include "platform/CommonDialog.h"
#include "platform/MsgBox.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Sets QT_QPA_PLATFORM=offscreen when unset and points XDG_CONFIG_HOME and TMPDIR at a fresh
// folder of this process. Call before the application object exists.
void PrepareTestEnvironment();

struct DialogCall {
    bool Save = false;
    QString DialogTitle, DefaultExt, Filter, FileNameOffered;
    int16_t FilterIndex = 0;
    bool CancelError = false;
    int32_t Flags = 0;
};

// Installs itself as the responder for file dialogs and message boxes while it lives.
class ScriptedUser {
  public:
    ScriptedUser();
    ~ScriptedUser();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    // Answers, taken in order; with none left a dialog is cancelled and a box gets OK/Yes.
    std::deque<std::optional<QString>> Files;
    std::deque<MsgResult> Answers;

    std::vector<DialogCall> Dialogs;
    std::vector<MsgBoxCall> Messages;

    QStringList MessageTexts() const;
};

// A TGA file built byte by byte: rows as given (first row stored first), 3 bytes a pixel.
QByteArray TgaBytes(int width, int height, const QByteArray& storedRows, uint8_t descriptor = 0x20,
                    uint8_t imageType = 2, uint8_t depth = 24);
// Pixel (x, y) of a test pattern that differs at every pixel of images up to 4096 wide.
void PatternPixel(int x, int y, uint8_t bgr[3]);
// A top-left-origin TGA of the pattern.
QByteArray PatternTga(int width, int height);
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// main() for a QtTest class that needs the widgets.
#define PATCHERY_WIDGET_TEST(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        PrepareTestEnvironment();                                                                  \
        Application app(argc, argv);                                                               \
        QApplication::setApplicationName(QStringLiteral("Patchery"));                              \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
