#pragma once
// The target sheet as a document: the sheet, its undo history, and every edit the user makes
// to it as one operation that changes the sheet and records its own undo step. The window calls
// one operation per command and shows what the sheet reports as changed.

#include "LayoutBuild.h"
#include "OriginGrid.h"
#include "SelectedTile.h"
#include "SheetHistory.h"
#include "TargetSheet.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <set>

class SheetDocument {
  public:
    // A blank sheet of the size. historyChanged runs whenever what can be undone or redone may
    // have changed.
    SheetDocument(QSize size, std::function<void()> historyChanged,
                  int64_t historyLimit = SheetHistory::DefaultLimit);

    const TargetSheet& Sheet() const { return sheet_; }
    SheetHistory& History() { return history_; }
    const SheetHistory& History() const { return history_; }
    // Called after every change to the sheet with the area that changed.
    void OnChanged(std::function<void(const QRect&)> changed) {
        sheet_.OnChanged(std::move(changed));
    }

    // An opened picture becomes the sheet, its file the sheet's own; it reads as saved. Throws
    // std::bad_alloc with nothing changed.
    void Open(const QImage& picture, const QByteArray& file);
    // The sheet's drawing at a new size, made without changing the document, so that another
    // thread may make it (null once *cancelled is set; std::bad_alloc without the memory).
    QImage Resized(QSize size, const std::atomic<bool>* cancelled = nullptr) const {
        return sheet_.Resized(size, cancelled);
    }
    // A new size, from Resized (null: the size stays), and the title it takes; autoSize: whether
    // the sheet follows an opened picture's size from now on.
    void Resize(QImage resized, const QString& title, bool autoSize);
    // A blank sheet of the size the sheet has now, titled untitledTitle, with no file, layout,
    // background or links; like the sheet at start-up it reads as saved. Throws std::bad_alloc
    // with nothing changed.
    void New(const QString& untitledTitle);
    // The tile (a block, as far as it reaches) with its origins at topLeft, a cell's corner.
    void Stamp(const SelectedTile& tile, QPoint topLeft);
    // The cell at topLeft back to the blank colour.
    void Erase(QPoint topLeft);
    // The pixels those would set, as the window previews them.
    QRect Stamped(const SelectedTile& tile, QPoint topLeft) const {
        return tile.IsNull() ? QRect()
                             : sheet_.Stamped(tile.Picture().size(), topLeft, tile.Cells());
    }
    QRect Erased(QPoint topLeft) const { return sheet_.Erased(topLeft); }
    // Stamps and erases from the start of a stroke to its end undo as one step.
    void StartStroke() { history_.StartStroke(); }
    void EndStroke() { history_.EndStroke(); }
    // A sheet kept for recovery becomes the sheet, unsaved: image, own file (empty: untitled,
    // then titled untitledTitle), the origins of its cells (empty: pixels of no file) and the
    // file its background came from.
    void Restore(const QImage& image, const QByteArray& file, const QString& untitledTitle,
                 const QByteArray& links = {});
    // Where the cells come from, the layout and the background, as text of plain ASCII lines
    // for the recovery file; Restore reads it back (what it cannot read counts as pixels of no
    // file).
    QByteArray Links() const;
    // The same, made when called, from the sheet as it is now: for another thread.
    std::function<QByteArray()> LinksSnapshot() const;
    void Undo() { history_.Undo(); }
    void Redo() { history_.Redo(); }
    // Written to file as it is now.
    void Saved(const QByteArray& file) { sheet_.Saved(file); }

    // A sheet built from the layout in layoutFile becomes the sheet, the layout's sheet its own
    // file; it reads as saved.
    void OpenLayout(const BuiltSheet& built, const QByteArray& layoutFile);
    // Written as the layout layoutFile with its sheet sheetFile: both are the sheet's own now.
    void SavedLayout(const QByteArray& layoutFile, const QByteArray& sheetFile) {
        sheet_.SavedLayout(layoutFile, sheetFile);
    }
    // The source files the sheet's cells come from.
    std::set<QByteArray> SourceFiles() const;
    // What a restamp did: the cells drawn again, and those the picture no longer has (they keep
    // their pixels and their links).
    struct Restamped {
        int Cells = 0;
        int Outside = 0;
    };
    // The cells that come from each file drawn again from its picture as it is now, all of it
    // as one undo step (none where nothing changed).
    Restamped Restamp(const std::map<QByteArray, QImage>& pictures);

    // The origins of a block of the sheet's cells (in pixels, whole cells), as a pick from the
    // sheet copies them. A cell cut by the sheet's edge is copied as pixels: its copy shows the
    // blank colour where the sheet ends, whatever its origin would give.
    OriginGrid OriginsOf(const QRect& block) const;

  private:
    TargetSheet sheet_;
    SheetHistory history_;
};
