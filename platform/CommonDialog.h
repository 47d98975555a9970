#pragma once
// The open and save file dialogs, with the old common dialog control's properties.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

class QWidget;

// Cancelling a dialog whose CancelError is on.
class DialogCancelled : public std::runtime_error {
  public:
    DialogCancelled() : std::runtime_error("the file dialog was cancelled") {}
};

class CommonDialog {
  public:
    static constexpr int32_t OverwritePrompt = 2;

    QString DialogTitle;
    QString DefaultExt; // "*.tga": a name typed without an extension gets ".tga"
    QString Filter;     // "description|patterns|description|patterns...", patterns split by ";"
    int16_t FilterIndex = 1;
    bool CancelError = false;
    int32_t Flags = 0;
    QString FileName; // kept from one use to the next
    QString FileTitle;

    // Takes path as the user's choice, as a file given on the command line or dropped is.
    void Choose(const QString& path);
    void ShowOpen(QWidget* parent = nullptr) { Show(false, parent); }
    void ShowSave(QWidget* parent = nullptr) { Show(true, parent); }

    // Qt's form of Filter: "tga Image(*.tga)|*.tga" becomes "tga Image(*.tga) (*.tga)", and
    // patterns "*.png;*.jpg" become "*.png *.jpg".
    QStringList NameFilters() const;

    // Tests answer the dialogs through one process-wide responder: it sees the dialog's
    // properties and returns the chosen full path, or nothing for Cancel.
    using Responder = std::function<std::optional<QString>(const CommonDialog&, bool save)>;
    static void SetResponder(Responder responder);

    // DefaultExt without its "*.": "tga".
    QString DefaultSuffix() const;

  private:
    void Show(bool save, QWidget* parent);
};
