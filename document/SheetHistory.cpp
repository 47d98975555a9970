#include "SheetHistory.h"

#include <cstring>
#include <utility>

namespace {
// The step itself and its pictures' headers: a million one-pixel cells still count.
constexpr int64_t StepOverhead = 256;
} // namespace

SheetHistory::SheetHistory(TargetSheet& sheet, std::function<void()> changed, int64_t limit)
    : sheet_(sheet), changed_(std::move(changed)), limit_(limit) {}

SheetHistory::Step SheetHistory::Cell(QRect area) const {
    Step cell;
    cell.Area = area.intersected(sheet_.Image().rect());
    if (!cell.Area.isEmpty())
        cell.Pixels = sheet_.Image().copy(cell.Area);
    return cell;
}

SheetHistory::Step SheetHistory::Sheet() const {
    Step whole;
    whole.Whole = true;
    whole.Sheet = sheet_.Whole();
    if (ReadScroll)
        whole.Scroll = ReadScroll();
    return whole;
}

SheetHistory::Step SheetHistory::Capture(const Step& like) const {
    return like.Whole ? Sheet() : Cell(like.Area);
}

void SheetHistory::Apply(const Step& step) {
    if (!step.Whole) {
        sheet_.Put(step.Pixels, step.Area.topLeft());
        return;
    }
    sheet_.Restore(step.Sheet);
    if (PutScroll)
        PutScroll(step.Scroll);
}

// A cell compares its pixels. A whole sheet compares its images by identity, not content: a
// size that changed nothing keeps the very same pixels, while an opened file always counts.
bool SheetHistory::Unchanged(const Step& before) const {
    if (!before.Whole) {
        const QRect& a = before.Area;
        const QImage& sheet = sheet_.Image();
        for (int y = 0; y < a.height(); ++y) {
            if (std::memcmp(before.Pixels.constScanLine(y),
                            sheet.constScanLine(a.y() + y) + sizeof(QRgb) * a.x(),
                            sizeof(QRgb) * a.width()) != 0)
                return false;
        }
        return true;
    }
    const Step now = Sheet();
    const TargetSheet::State &was = before.Sheet, &is = now.Sheet;
    return is.Image.cacheKey() == was.Image.cacheKey() &&
           is.Picture.cacheKey() == was.Picture.cacheKey() && is.AutoSize == was.AutoSize &&
           is.Title == was.Title && is.FilePath == was.FilePath && now.Scroll == before.Scroll;
}

void SheetHistory::Record(Step before) {
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

void SheetHistory::Undo() {
    if (CanUndo())
        Swap(undo_, redo_);
}

void SheetHistory::Redo() {
    if (CanRedo())
        Swap(redo_, undo_);
}

void SheetHistory::Swap(std::deque<Step>& from, std::deque<Step>& to) {
    Step step = std::move(from.back());
    from.pop_back();
    Account(step, -1);
    Step now = Capture(step);
    Apply(step);
    step = {}; // the sheet alone holds its pixels now
    Keep(to, std::move(now));
    Trim();
    changed_();
}

void SheetHistory::Keep(std::deque<Step>& list, Step step) {
    Account(step, +1);
    list.push_back(std::move(step));
}

void SheetHistory::Account(const Step& step, int sign) {
    kept_ += sign * StepOverhead;
    for (const QImage* image : {&step.Pixels, &step.Sheet.Image, &step.Sheet.Picture}) {
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
void SheetHistory::Trim() {
    while (kept_ > limit_) {
        std::deque<Step>& list = undo_.empty() ? redo_ : undo_;
        if (list.empty())
            break;
        Account(list.front(), -1);
        list.pop_front();
    }
}
