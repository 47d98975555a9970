#pragma once
// Undo and redo of the target sheet. Each change to the sheet leaves a step holding what it
// replaced: a stamp just its cell's pixels, a size change or an opened target the whole sheet
// with its background picture, button caption and bars. Undo swaps a step with what the sheet
// holds now, so the same step then holds what redo puts back.

#include "platform/PictureBox.h"
#include "platform/ScrollBar.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <unordered_map>

class QPushButton;

class TargetHistory {
  public:
    // The pixels the steps may keep; the oldest steps go first beyond it.
    static constexpr int64_t DefaultLimit = int64_t{256} << 20;

    struct Controls {
        PictureBox* View;
        QPushButton* Caption;
        ScrollBar* Vertical;
        ScrollBar* Horizontal;
    };

    struct Bar {
        bool Enabled = false;
        int16_t Max = 0;
        int16_t Value = 0;
        bool operator==(const Bar&) const = default;
    };

    // What a change replaces, or what an undo puts back. A cell holds only its Area's pixels;
    // a whole sheet holds everything.
    struct State {
        bool Whole = false;
        QRect Area;
        QImage Pixels;
        QImage Picture;
        bool AutoSize = false;
        QString Caption;
        Bar Vertical, Horizontal;
    };

    // changed runs whenever what can be undone or redone may have changed.
    TargetHistory(Controls target, std::function<void()> changed, int64_t limit = DefaultLimit);

    // Taken before a change: the cell a stamp will draw into (clipped to the sheet), or the
    // whole sheet. Handed to Record once the change has succeeded.
    State Cell(QRect area) const;
    State Sheet() const;
    // Keeps a change as the newest step and forgets what could be redone; a stamp or size that
    // left the sheet as it was is not kept.
    void Record(State before);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    void Undo();
    void Redo();

    // Bytes the steps keep: their pixels, each picture once however many steps share it, and a
    // small fixed cost per step.
    int64_t KeptBytes() const { return kept_; }
    size_t UndoSteps() const { return undo_.size(); }

  private:
    State Capture(const State& like) const;
    bool Unchanged(const State& before) const;
    void Apply(const State& state);
    // Undo and redo alike: applies the step taken from one list and keeps what it replaced on
    // the other.
    void Swap(std::deque<State>& from, std::deque<State>& to);
    void Keep(std::deque<State>& list, State state);
    void Account(const State& state, int sign);
    void Trim();

    Controls target_;
    std::function<void()> changed_;
    int64_t limit_;
    std::deque<State> undo_; // oldest first
    std::deque<State> redo_; // the next to redo last
    int64_t kept_ = 0;
    // Pictures shared by several steps (or with the sheet) are counted once.
    std::unordered_map<qint64, int> uses_;
};
