#include "SheetHistory.h"

#include "TileGrid.h"

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
    Patch patch;
    patch.Area = area.intersected(sheet_.Image().rect());
    if (!patch.Area.isEmpty()) {
        patch.Pixels = sheet_.Image().copy(patch.Area);
        patch.Origins = sheet_.Origins().Copy(
            QRect(patch.Area.topLeft() / TileSize, OriginGrid::CellsOf(patch.Area.size())));
    }
    cell.Cells.push_back(std::move(patch));
    cell.Version = sheet_.Version();
    return cell;
}

SheetHistory::Step SheetHistory::Cells(const std::vector<QRect>& areas) const {
    Step cells;
    for (const QRect& area : areas)
        cells.Cells.push_back(std::move(Cell(area).Cells.front()));
    cells.Version = sheet_.Version();
    return cells;
}

SheetHistory::Step SheetHistory::Sheet() const {
    Step whole;
    whole.Whole = true;
    whole.Sheet = sheet_.Whole();
    whole.Version = sheet_.Version();
    if (ReadScroll)
        whole.Scroll = ReadScroll();
    return whole;
}

SheetHistory::Step SheetHistory::Capture(const Step& like) const {
    if (like.Whole)
        return Sheet();
    Step now;
    for (const Patch& patch : like.Cells)
        now.Cells.push_back(std::move(Cell(patch.Area).Cells.front()));
    now.Version = sheet_.Version();
    return now;
}

void SheetHistory::Apply(const Step& step) {
    sheet_.SetVersion(step.Version); // first: what the sheet reports already reads as it will be
    if (!step.Whole) {
        // Newest first, so that where a stroke came back to a cell, what it first replaced wins.
        for (auto patch = step.Cells.rbegin(); patch != step.Cells.rend(); ++patch)
            sheet_.Put(patch->Pixels, patch->Origins, patch->Area.topLeft());
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
        const QImage& sheet = sheet_.Image();
        for (const Patch& patch : before.Cells) {
            const QRect& a = patch.Area;
            if (!a.isEmpty() &&
                !(patch.Origins == sheet_.Origins().Copy(QRect(a.topLeft() / TileSize,
                                                               OriginGrid::CellsOf(a.size())))))
                return false;
            for (int y = 0; y < a.height(); ++y) {
                if (std::memcmp(patch.Pixels.constScanLine(y),
                                sheet.constScanLine(a.y() + y) + sizeof(QRgb) * a.x(),
                                sizeof(QRgb) * a.width()) != 0)
                    return false;
            }
        }
        return true;
    }
    const Step now = Sheet();
    const TargetSheet::State &was = before.Sheet, &is = now.Sheet;
    return is.Image.cacheKey() == was.Image.cacheKey() &&
           is.Picture.cacheKey() == was.Picture.cacheKey() && is.AutoSize == was.AutoSize &&
           is.Title == was.Title && is.FilePath == was.FilePath && is.Origins == was.Origins &&
           is.Background == was.Background && is.LayoutFile == was.LayoutFile &&
           now.Scroll == before.Scroll;
}

void SheetHistory::Record(Step before) {
    if (Unchanged(before)) {
        sheet_.SetVersion(before.Version); // nothing changed: still saved, if it was
        return;
    }
    while (!redo_.empty()) {
        Account(redo_.back(), -1);
        redo_.pop_back();
    }
    if (strokeKept_ && !before.Whole && CanUndo()) {
        Step& stroke = undo_.back();
        for (Patch& patch : before.Cells) {
            Account(patch.Pixels, +1);
            stroke.Cells.push_back(std::move(patch));
        }
    } else {
        Keep(undo_, std::move(before));
        strokeKept_ = inStroke_ && !undo_.back().Whole;
    }
    Trim();
    changed_();
}

void SheetHistory::StartStroke() {
    inStroke_ = true;
    strokeKept_ = false;
}

void SheetHistory::EndStroke() {
    inStroke_ = false;
    strokeKept_ = false;
}

// An undo or redo in the middle of a stroke ends the stroke's step: what follows is a new one.
void SheetHistory::Undo() {
    strokeKept_ = false;
    if (CanUndo())
        Swap(undo_, redo_);
}

void SheetHistory::Redo() {
    strokeKept_ = false;
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
    for (const Patch& patch : step.Cells)
        Account(patch.Pixels, sign);
    Account(step.Sheet.Image, sign);
    Account(step.Sheet.Picture, sign);
}

void SheetHistory::Account(const QImage& image, int sign) {
    if (image.isNull())
        return;
    const auto key = image.cacheKey();
    int& uses = uses_[key];
    uses += sign;
    if (sign > 0 && uses == 1)
        kept_ += image.sizeInBytes();
    if (uses == 0) {
        kept_ -= image.sizeInBytes();
        uses_.erase(key);
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
