#pragma once
// What the widget tests share: an offscreen, isolated environment, a scripted user who answers
// file dialogs and message boxes instead of windows, the test pattern, and short ways to drive
// the main window and its modal dialogs.

#include "FileDialog.h"
#include "MessageBox.h"

#include <QApplication>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <sys/resource.h>

class MainWindow;

// Sets QT_QPA_PLATFORM=offscreen when unset and points XDG_CONFIG_HOME, XDG_STATE_HOME and TMPDIR
// at a fresh
// folder of this process. Call before the application object exists.
void PrepareTestEnvironment();

struct DialogCall {
    bool Save = false;
    QString Title, DefaultExtension, Filter, FileNameOffered;
    int16_t FilterIndex = 0;
    bool ConfirmOverwrite = false;
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
    std::deque<MessageAnswer> Answers;
    // Called as each message box appears, before it is answered.
    std::function<void(const MessageCall&)> Seen;

    std::vector<DialogCall> Dialogs;
    std::vector<MessageCall> Messages;

    QStringList MessageTexts() const;
};

// Image bombs of a few bytes: an XBM and a JPEG declaring size, whose pixels would need far
// more memory than the file holds.
QByteArray XbmDeclaring(QSize size);
QByteArray JpegDeclaring(QSize size);
// The process's data memory (VmData), taken or only reserved: what an allocation adds at once.
qint64 DataBytes();

// A TGA file built byte by byte: rows as given (first row stored first), 3 bytes a pixel.
QByteArray TgaBytes(int width, int height, const QByteArray& storedRows, uint8_t descriptor = 0x20,
                    uint8_t imageType = 2, uint8_t depth = 24);
// Pixel (x, y) of a test pattern that differs at every pixel of images up to 4096 wide.
void PatternPixel(int x, int y, uint8_t bgr[3]);
// The same pixel as 0xRRGGBB, alpha aside, as RgbAt reads images.
QRgb PatternRgb(int x, int y);
// A top-left-origin TGA of the pattern.
QByteArray PatternTga(int width, int height);
// The pattern from (offset) on as an RGB32 image: pixel (x, y) shows pattern pixel offset + (x, y).
QImage PatternImage(QSize size, QPoint offset = {});

// The colour of a pixel without its alpha.
QRgb RgbAt(const QImage& image, QPoint at);
// Whether a view shows pixel as a preview does, each channel less a quarter of it, rounded down.
bool ShadedAs(QRgb shown, QRgb pixel);
// Empty when both images have one size and the same colours everywhere, alpha aside; else the
// first place they differ.
QString ImageDifference(const QImage& actual, const QImage& expected);

// For helpers that describe the first mismatch they find: fails with it unless it is empty.
#define VERIFY_NO_MISMATCH(...)                                                                    \
    do {                                                                                           \
        const QString mismatch_ = (__VA_ARGS__);                                                   \
        QVERIFY2(mismatch_.isEmpty(), qPrintable(mismatch_));                                      \
    } while (false)

bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// The bytes of a vector, for QCOMPARE to show.
QByteArray Bytes(const std::vector<uint8_t>& v);

// A fresh folder for one test's files, removed with it.
class TestFolder : public QTemporaryDir {
  public:
    // Writes name in the folder and gives its path; a failed write fails the running test.
    QString Put(const QString& name, const QByteArray& bytes) const;
};

// opt.cfg beside the test executable, where the window reads and writes its launch options.
QString OptionsFile();
// Removes it, or a folder in its place, so that no run sees what another one left.
void RemoveOptionsFile();

// Lowers the file size limit while it lives, with SIGXFSZ ignored, so that a write past it
// fails with EFBIG instead of killing the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ReadLimit = false, Lowered = false;

  private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

// Picks text from the size list as a user's choice does.
void ChooseSize(MainWindow& frm, const QString& text);
// Opens path as the source through the source button; the open must report nothing.
void OpenSource(MainWindow& frm, ScriptedUser& user, const QString& path);
// What the window shows in its client area.
QImage Shown(MainWindow& frm);

// Runs open(), which shows a modal dialog, and hands the dialog to act while it is open. A
// dialog that act left open is closed, so a failing check cannot leave the test waiting.
template <typename Dialog>
bool WhileOpen(const std::function<void()>& open, const std::function<void(Dialog*)>& act) {
    bool found = false;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            found = true;
            act(dialog);
        }
        if (modal && modal->isVisible())
            modal->close();
    });
    open();
    return found;
}

// Which widget of dialog has the focus at first and after each of tabs presses of Tab, by the
// names given (others by class name).
QStringList TabOrder(QWidget* dialog, const QList<QPair<QWidget*, QString>>& names, int tabs);

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
