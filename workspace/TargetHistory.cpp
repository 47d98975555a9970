#include "workspace/TargetHistory.h"

#include <QPushButton>

#include <cstring>
#include <utility>

namespace {
// The step itself and its pictures' headers: a million one-pixel cells still count.
constexpr int64_t StepOverhead = 256;

TargetHistory::Bar StateOf(const ScrollBar* bar) {
    return {bar->isEnabled(), bar->Max(), bar->Value()};
}

// Switched, ranged, then placed: a Change from either move places the view as the bar says.
void Put(ScrollBar* bar, const TargetHistory::Bar& state) {
    bar->setEnabled(state.Enabled);
    bar->setMax(state.Max);
    bar->setValue(state.Value);
}
} // namespace

TargetHistory::TargetHistory(Controls target, std::function<void()> changed, int64_t limit)
    : target_(target), changed_(std::move(changed)), limit_(limit) {}

TargetHistory::State TargetHistory::Cell(QRect area) const {
    State cell;
    cell.Area = area.intersected(target_.View->rect());
    if (!cell.Area.isEmpty())
        cell.Pixels = target_.View->Image().copy(cell.Area);
    return cell;
}

TargetHistory::State TargetHistory::Sheet() const {
    const PictureBox* view = target_.View;
    return {true,
            {},
            view->Image(),
            view->Picture(),
            view->AutoSize(),
            target_.Caption->text(),
            StateOf(target_.Vertical),
            StateOf(target_.Horizontal)};
}

TargetHistory::State TargetHistory::Capture(const State& like) const {
    return like.Whole ? Sheet() : Cell(like.Area);
}

void TargetHistory::Apply(const State& state) {
    if (!state.Whole) {
        const QRect& a = state.Area;
        if (!a.isEmpty())
            target_.View->PaintPicture(state.Pixels, a.x(), a.y(), a.width(), a.height(), 0, 0,
                                       a.width(), a.height());
        return;
    }
    target_.View->Restore(state.Picture, state.Pixels);
    target_.View->setAutoSize(state.AutoSize);
    target_.Caption->setText(state.Caption);
    Put(target_.Vertical, state.Vertical);
    Put(target_.Horizontal, state.Horizontal);
}

// A cell compares its pixels. A whole sheet compares its pictures by identity, not content: a
// size that changed nothing keeps the very same pixels, while an opened file always counts.
bool TargetHistory::Unchanged(const State& before) const {
    if (!before.Whole) {
        const QRect& a = before.Area;
        const QImage sheet = target_.View->Image();
        for (int y = 0; y < a.height(); ++y) {
            if (std::memcmp(before.Pixels.constScanLine(y),
                            sheet.constScanLine(a.y() + y) + sizeof(QRgb) * a.x(),
                            sizeof(QRgb) * a.width()) != 0)
                return false;
        }
        return true;
    }
    const State now = Sheet();
    return now.Pixels.cacheKey() == before.Pixels.cacheKey() &&
           now.Picture.cacheKey() == before.Picture.cacheKey() && now.AutoSize == before.AutoSize &&
           now.Caption == before.Caption && now.Vertical == before.Vertical &&
           now.Horizontal == before.Horizontal;
}

void TargetHistory::Record(State before) {
    if (Unchanged(before))
        return;
    while (!redo_.empty()) {
        Account(redo_.back(), -1);
        redo_.pop_back();
    }
    Keep(undo_, std::move(before));
    Trim();
    changed_();
}

void TargetHistory::Undo() {
    if (CanUndo())
        Swap(undo_, redo_);
}

void TargetHistory::Redo() {
    if (CanRedo())
        Swap(redo_, undo_);
}

void TargetHistory::Swap(std::deque<State>& from, std::deque<State>& to) {
    State step = std::move(from.back());
    from.pop_back();
    Account(step, -1);
    State now = Capture(step);
    Apply(step);
    step = {}; // the view alone holds its pixels now
    Keep(to, std::move(now));
    Trim();
    changed_();
}

void TargetHistory::Keep(std::deque<State>& list, State state) {
    Account(state, +1);
    list.push_back(std::move(state));
}

void TargetHistory::Account(const State& state, int sign) {
    kept_ += sign * StepOverhead;
    for (const QImage* image : {&state.Pixels, &state.Picture}) {
        if (image->isNull())
            continue;
        const auto key = image->cacheKey();
        int& uses = uses_[key];
        uses += sign;
        if (sign > 0 && uses == 1)
            kept_ += image->sizeInBytes();
        if (uses == 0) {
            kept_ -= image->sizeInBytes();
            uses_.erase(key);
        }
    }
}

// The oldest undo steps go first, then the redo steps farthest away.
void TargetHistory::Trim() {
    while (kept_ > limit_) {
        std::deque<State>& list = undo_.empty() ? redo_ : undo_;
        if (list.empty())
            break;
        Account(list.front(), -1);
        list.pop_front();
    }
}
