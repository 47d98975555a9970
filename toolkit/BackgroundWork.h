#pragma once
// Long work (decoding a large image) done on another thread while the window keeps repainting:
// past half a second a progress dialog with Cancel shows, and the pointer is busy throughout.

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

// Runs work on a thread of its own and waits for it, the events flowing meanwhile; input to
// the other windows is held back, so no command can start in between. Cancel sets the flag
// work is given, which it checks often, and the work's end is still awaited. Returns false
// when cancelled; passes on what work throws.
bool RunInBackground(QWidget* parent, const QString& label,
                     const std::function<void(const std::atomic<bool>& cancelled)>& work);

// Runs call on the window's thread and waits for it: for a question work must ask on the way.
// Passes on what call throws. Called on the window's thread itself, it simply calls.
void OnWindowThread(const std::function<void()>& call);

// The busy pointer while it lives, for work that cannot report progress.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
