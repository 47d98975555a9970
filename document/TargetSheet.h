#pragma once
// The target sheet: what the user builds and saves. Its drawing (every pixel, as it will be
// saved), where each cell's pixels came from, the background picture it was opened from, its
// title and file, and the auto-size flag. Every operation either completes or leaves the sheet
// exactly as it was, out of memory included, and reports what it changed. The sheet's edits as
// commands, with their undo, are SheetDocument's.

#include "OriginGrid.h"
#include "TileGrid.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class TargetSheet {
  public:
    // Everything the sheet is, as undo keeps it.
    struct State {
        QImage Image;
        QImage Picture;
        bool AutoSize = false;
        QString Title;
        QByteArray FilePath;
        OriginGrid Origins;
        QByteArray Background;
        QByteArray LayoutFile;
    };

    // The colour of blank pixels: of a new sheet and of what a size adds. Fixed, so that the
    // bytes of a saved sheet never depend on the desktop's theme.
    static constexpr QRgb BlankRgb = qRgb(BlankLevel, BlankLevel, BlankLevel);

    // A blank sheet of the given size; its title is null until it is first opened or sized.
    explicit TargetSheet(QSize size);

    QSize Size() const { return image_.size(); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // Every pixel of the sheet, RGB32.
    const QImage& Image() const { return image_; }
    // The background picture: the image it was opened from; null for a blank sheet.
    const QImage& Picture() const { return picture_; }
    static QColor Blank() { return QColor(BlankRgb); }
    // The name of a file, as the title shows it.
    static QString FileName(const QByteArray& path);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on) { autoSize_ = on; }
    // The file's name, "Untitled" after a size was chosen, or null at start-up.
    const QString& Title() const { return title_; }
    // The file it was opened from or saved to, as its name's bytes; empty when untitled.
    const QByteArray& FilePath() const { return filePath_; }
    void SetTitle(const QString& title);
    // Written to filePath as it is now: the sheet takes the file as its own, and its name as
    // the title.
    void Saved(const QByteArray& filePath);
    // Whether it differs from what was last opened or saved. Each change gives the sheet a new
    // version; undo puts an older one back, so undoing to the saved sheet reads as saved.
    bool Unsaved() const { return version_ != savedVersion_; }
    uint64_t Version() const { return version_; }
    void SetVersion(uint64_t version) { version_ = version; }

    // Where each cell's pixels came from, a cell at a partial edge counted.
    const OriginGrid& Origins() const { return origins_; }
    // The file the background picture was read from; empty without one.
    const QByteArray& Background() const { return background_; }
    // The layout the sheet was opened from or last saved as; empty when it has none.
    const QByteArray& LayoutFile() const { return layoutFile_; }
    // Written as the layout layoutFile, its sheet to sheetFile.
    void SavedLayout(const QByteArray& layoutFile, const QByteArray& sheetFile);

    // Keeps the drawing where it fits; new area shows the background picture, else the blank
    // colour. Throws std::bad_alloc, with nothing changed, when the image cannot be had.
    void Resize(QSize size);
    // Resize in two halves, for a sheet made on another thread: the new drawing, the sheet left
    // as it is and only read, so safe while it is not changed (null once *cancelled is set;
    // std::bad_alloc without the memory); then that drawing taken as the sheet's.
    QImage Resized(QSize size, const std::atomic<bool>* cancelled = nullptr) const;
    void SetResized(QImage resized);
    // An opened image becomes background and drawing, and the sheet takes its size; the title
    // is the file's name, and the sheet reads as saved: it is what the file holds. Throws
    // std::bad_alloc, with nothing changed.
    void Open(const QImage& picture, const QByteArray& filePath);
    // Copies the tile's top-left cells (a block of them, as far as the tile reaches) to
    // topLeft, a cell's corner, clipped to the sheet; each cell takes its origin from origins
    // (cells it does not name: pixels of no file). Gives the area that was drawn.
    QRect Stamp(const QImage& tile, QPoint topLeft, QSize cells = QSize(1, 1),
                const OriginGrid& origins = {});
    // Clears the cell at topLeft to the blank colour, clipped to the sheet; gives that area.
    QRect Erase(QPoint topLeft);
    // The areas those would draw, without drawing: tile is the tile's size.
    QRect Stamped(QSize tile, QPoint topLeft, QSize cells) const;
    QRect Erased(QPoint topLeft) const;
    // Puts pixels and their cells' origins back at their place, as undo does for a cell; the
    // version is the caller's to set.
    void Put(const QImage& pixels, const OriginGrid& origins, QPoint topLeft);

    State Whole() const;
    // Everything back as it was; the version is the caller's to set.
    void Restore(const State& state);
    // Everything as given, as a change; saved: the sheet reads as saved from then on.
    void Replace(const State& state, bool saved = false);

    // Called after every change with the area that changed (the whole sheet when its size,
    // picture or title may have changed).
    void OnChanged(std::function<void(const QRect&)> changed) { changed_ = std::move(changed); }

  private:
    void Assign(const State& state);
    void Changed(const QRect& area);
    void ChangedWhole();
    void Notify(const QRect& area);

    QImage image_;
    QImage picture_;
    bool autoSize_ = false;
    QString title_;
    QByteArray filePath_;
    OriginGrid origins_;
    QByteArray background_;
    QByteArray layoutFile_;
    uint64_t version_ = 0;
    uint64_t savedVersion_ = 0;
    std::function<void(const QRect&)> changed_;
};
