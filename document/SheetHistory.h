#pragma once
// Undo and redo of the target sheet. Each change to the sheet leaves a step holding what it
// replaced: a stamp just its cell's pixels, a size change or an opened target the whole sheet,
// with the view's scroll position beside it. Undo swaps a step with what the sheet holds now,
// so the same step then holds what redo puts back.

#include "TargetSheet.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <deque>
#include <functional>
#include <unordered_map>
#include <vector>

// Where a view's scroll bars stand: on or off, their range and position.
struct ScrollState {
    struct Bar {
        bool Enabled = false;
        int16_t Max = 0;
        int16_t Value = 0;
        bool operator==(const Bar&) const = default;
    };
    Bar Vertical, Horizontal;
    bool operator==(const ScrollState&) const = default;
};

class SheetHistory {
  public:
    // The pixels the steps may keep; the oldest steps go first beyond it.
    static constexpr int64_t DefaultLimit = int64_t{256} << 20;

    // Some pixels of the sheet, the origins of their cells, and their place.
    struct Patch {
        QRect Area;
        QImage Pixels;
        OriginGrid Origins;
    };
    // What a change replaces, or what an undo puts back. A change to cells holds only their
    // pixels, in the order they were taken (a stroke's first); a whole sheet holds everything.
    struct Step {
        bool Whole = false;
        std::vector<Patch> Cells;
        TargetSheet::State Sheet;
        ScrollState Scroll;
        uint64_t Version = 0; // the sheet's, so that undoing to the saved sheet reads as saved
    };

    // changed runs whenever what can be undone or redone may have changed.
    SheetHistory(TargetSheet& sheet, std::function<void()> changed, int64_t limit = DefaultLimit);

    // The view's scroll position, kept and put back with whole sheets; none by default.
    std::function<ScrollState()> ReadScroll;
    std::function<void(const ScrollState&)> PutScroll;

    // Taken before a change: the cell a stamp will draw into (clipped to the sheet), or the
    // whole sheet. Handed to Record once the change has succeeded.
    Step Cell(QRect area) const;
    Step Cells(const std::vector<QRect>& areas) const; // several cells, as one step
    Step Sheet() const;
    // Keeps a change as the newest step and forgets what could be redone; a stamp or size that
    // left the sheet as it was is not kept. Within a stroke, changes to cells join the stroke's
    // step.
    void Record(Step before);
    // A stroke: the cell changes recorded from its start to its end undo as one step.
    void StartStroke();
    void EndStroke();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    void Undo();
    void Redo();

    // Bytes the steps keep: their pixels, each picture once however many steps share it, and a
    // small fixed cost per step.
    int64_t KeptBytes() const { return kept_; }
    size_t UndoSteps() const { return undo_.size(); }

  private:
    Step Capture(const Step& like) const;
    bool Unchanged(const Step& before) const;
    void Apply(const Step& step);
    // Undo and redo alike: applies the step taken from one list and keeps what it replaced on
    // the other.
    void Swap(std::deque<Step>& from, std::deque<Step>& to);
    void Keep(std::deque<Step>& list, Step step);
    void Account(const Step& step, int sign);
    void Account(const QImage& image, int sign);
    void Trim();

    TargetSheet& sheet_;
    std::function<void()> changed_;
    int64_t limit_;
    std::deque<Step> undo_; // oldest first
    std::deque<Step> redo_; // the next to redo last
    int64_t kept_ = 0;
    bool inStroke_ = false;
    bool strokeKept_ = false; // the newest undo step is the open stroke's
    // Pictures shared by several steps (or with the sheet) are counted once.
    std::unordered_map<qint64, int> uses_;
};
