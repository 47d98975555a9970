#pragma once
// The open and save file dialogs: their settings, and the file last chosen, which the next
// use offers again.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

class FileDialog {
  public:
    QString Title;
    QString DefaultExtension; // "*.tga": a name typed without an extension gets ".tga"
    QString Filter; // "description|patterns|description|patterns...", patterns split by ";"
    int16_t FilterIndex = 1;       // from 1; after a use, the filter the user left the dialog on
    bool ConfirmOverwrite = false; // the save dialog asks before replacing a file
    QString FileName;              // kept from one use to the next
    QString FileTitle;

    // Takes path as the user's choice, as a file given on the command line or dropped is.
    void Choose(const QString& path);
    // Whether a file was chosen (FileName, FileTitle); false when the user cancelled.
    bool ShowOpen(QWidget* parent = nullptr) { return Show(false, parent); }
    bool ShowSave(QWidget* parent = nullptr) { return Show(true, parent); }

    // Qt's form of Filter: "tga Image(*.tga)|*.tga" becomes "tga Image(*.tga) (*.tga)", and
    // patterns "*.png;*.jpg" become "*.png *.jpg".
    QStringList NameFilters() const;

    // Tests answer the dialogs through one process-wide responder: it sees the dialog's
    // properties and returns the chosen full path, or nothing for Cancel.
    using Responder = std::function<std::optional<QString>(const FileDialog&, bool save)>;
    static void SetResponder(Responder responder);

    // DefaultExtension without its "*.": "tga".
    QString DefaultSuffix() const;

  private:
    bool Show(bool save, QWidget* parent);
};
