#pragma once
// The source images open at once, in the order they were opened, and which of them is shown.
// Each picture is held once; its address stays the same while it is open, so a view can draw it
// where it lies.

#include "SourceImage.h"

#include <QList>

#include <memory>
#include <optional>
#include <vector>

class OpenSources {
  public:
    int Count() const { return static_cast<int>(sources_.size()); }
    bool IsEmpty() const { return sources_.empty(); }
    // The shown source's place in the order; -1 with none open.
    int ShownIndex() const { return shown_; }
    SourceImage* Shown() { return shown_ < 0 ? nullptr : sources_[size_t(shown_)].get(); }
    const SourceImage* Shown() const {
        return shown_ < 0 ? nullptr : sources_[size_t(shown_)].get();
    }
    const SourceImage& At(int index) const { return *sources_.at(size_t(index)); }
    SourceImage& At(int index) { return *sources_.at(size_t(index)); }

    // The open source read from the same file as path: the same name, or the same file reached
    // by another name or a link; none when it is not open.
    std::optional<int> IndexOf(const QByteArray& path) const;
    // Adds it after the others and shows it.
    void Add(SourceImage source);
    void Show(int index); // ignored outside the list
    // The index steps away from the shown one, round the ends (steps may be negative).
    int StepsAway(int steps) const;
    // Closes the shown source and shows the one after it, or the first when it was the last;
    // none when it was the only one.
    void CloseShown();
    // Each one's file, in order.
    QList<QByteArray> Files() const;

  private:
    std::vector<std::unique_ptr<SourceImage>> sources_;
    int shown_ = -1;
};
