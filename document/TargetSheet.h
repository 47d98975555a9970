#pragma once
// The target sheet: what the user builds and saves. Its drawing (every pixel, as it will be
// saved), the background picture it was opened from, its title and file, and the auto-size
// flag. Every operation either completes or leaves the sheet exactly as it was, out of memory
// included, and reports what it changed.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

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
        QString FilePath;
    };

    // The colour of blank pixels: of a new sheet and of what a size adds. Fixed, so that the
    // bytes of a saved sheet never depend on the desktop's theme.
    static constexpr QRgb BlankRgb = qRgb(239, 239, 239);

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
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on) { autoSize_ = on; }
    // The file's name, "Untitled" after a size was chosen, or null at start-up.
    const QString& Title() const { return title_; }
    // The file it was opened from; empty when untitled.
    const QString& FilePath() const { return filePath_; }
    void SetTitle(const QString& title, const QString& filePath = {});
    // Written to filePath as it is now: the sheet takes the file as its own, and its name as
    // the title.
    void Saved(const QString& filePath);
    // Whether it changed since it was made or last saved.
    bool Unsaved() const { return revision_ != savedRevision_; }

    // Keeps the drawing where it fits; new area shows the background picture, else the blank
    // colour. Throws std::bad_alloc, with nothing changed, when the image cannot be had.
    void Resize(QSize size);
    // An opened image becomes background and drawing, and the sheet takes its size; the title
    // is the file's name. Throws std::bad_alloc, with nothing changed.
    void Open(const QImage& picture, const QString& filePath);
    // Copies the tile's top-left cells (a block of them, as far as the tile reaches) to
    // topLeft, clipped to the sheet; gives the area that was drawn.
    QRect Stamp(const QImage& tile, QPoint topLeft, QSize cells = QSize(1, 1));
    // Clears the cell at topLeft to the blank colour, clipped to the sheet; gives that area.
    QRect Erase(QPoint topLeft);
    // Puts pixels back at their place, as undo does for a cell.
    void Put(const QImage& pixels, QPoint topLeft);

    State Whole() const;
    void Restore(const State& state);

    // Called after every change with the area that changed (the whole sheet when its size,
    // picture or title may have changed).
    void OnChanged(std::function<void(const QRect&)> changed) { changed_ = std::move(changed); }

  private:
    void Changed(const QRect& area);
    void ChangedWhole();

    QImage image_;
    QImage picture_;
    bool autoSize_ = false;
    QString title_;
    QString filePath_;
    uint64_t revision_ = 0; // counts the changes
    uint64_t savedRevision_ = 0;
    std::function<void(const QRect&)> changed_;
};
