#include "BackgroundWork.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>
#include <utility>

namespace {
// Shows the progress dialog of the work under way; held back while a question is open.
QTimer* showTimer = nullptr;
constexpr int ShowAfterMs = 500;

// Drops the user's input to the window the work is for; its dialogs (the progress, a question)
// take theirs.
class InputHeld : public QObject {
  public:
    explicit InputHeld(const QWidget* held) : held_(held) { qApp->installEventFilter(this); }
    ~InputHeld() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Drop:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Close: {
            const auto* widget = qobject_cast<const QWidget*>(watched);
            return held_ && widget && widget->window() == held_;
        }
        default:
            return false;
        }
    }

  private:
    const QWidget* held_;
};
} // namespace

bool RunInBackground(QWidget* parent, const QString& label,
                     const std::function<void(const std::atomic<bool>& cancelled)>& work) {
    std::atomic<bool> cancelled{false};
    std::exception_ptr failure;
    QProgressDialog dialog(label, QCoreApplication::translate("BackgroundWork", "Cancel"), 0, 0,
                           parent);
    dialog.setWindowTitle(label);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.cancel(); // hidden until the half second is up
    // The Cancel button, Esc, or the dialog's close box. The window takes no input until the
    // work has stopped, so the dialog stays up and says so until then.
    const auto cancel = [&cancelled, &dialog] {
        cancelled = true;
        dialog.setLabelText(QCoreApplication::translate("BackgroundWork", "Cancelling..."));
        dialog.show();
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, cancel);
    QObject::connect(&dialog, &QDialog::rejected, cancel);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &dialog, &QProgressDialog::show);
    QTimer* const outer = std::exchange(showTimer, &timer);
    const InputHeld held(parent ? parent->window() : nullptr);
    const BusyCursor busy;

    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(cancelled);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    timer.start(ShowAfterMs);
    loop.exec();
    thread->wait();
    showTimer = outer;
    if (failure && !cancelled)
        std::rethrow_exception(failure);
    return !cancelled;
}

void OnWindowThread(const std::function<void()>& call) {
    if (QThread::currentThread() == qApp->thread()) {
        call();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            // The progress dialog waits for the answer: it would cover the question.
            const bool waiting = showTimer && showTimer->isActive();
            if (showTimer)
                showTimer->stop();
            try {
                call();
            } catch (...) {
                failure = std::current_exception();
            }
            if (waiting)
                showTimer->start(ShowAfterMs);
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::BusyCursor);
}
BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}
