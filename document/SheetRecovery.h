#pragma once
// Unsaved work kept for recovery. Each running instance owns one recovery file in the state
// folder, "<instance>.sheet", with a lock file "<instance>.lock" held (flock) while it runs: the
// kernel lets go of it however the program ends, kill -9 included. A worker thread keeps its own
// copy of the sheet and writes it durably and atomically; the window's thread hands over only
// the pixels that changed, so a large sheet is never copied while the window draws into it.
// Recovery files whose instance no longer runs are found at the next start and offered, each
// locked while it is offered. The state folder's files are never opened through a link.

#include <QDateTime>
#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class SheetRecovery {
  public:
    // A source open beside the sheet: its file and where its view stood. Kept as a header line
    // "source X Y ZOOM FILE" ("shown" for the one shown), the file percent-encoded.
    struct KeptSource {
        QByteArray File;
        QPoint Scroll; // image pixels
        int ZoomPercent = 100;
        bool Shown = false; // the one the view showed
    };
    // What a recovery file holds.
    struct Sheet {
        QImage Image;        // RGB32, at the sheet's size
        QByteArray FilePath; // the sheet's own file, its name's bytes; empty when untitled
        QDateTime Changed;
        QSize Size;                // as the header says, also when the pixels are not read
        QByteArray Links;          // where its cells come from, as the document writes it
        QList<KeptSource> Sources; // in the order they were opened
    };

    // A recovery file of an instance that no longer runs, locked by this one while it lives.
    class Orphan {
      public:
        Orphan(QString path, int lock);
        Orphan(Orphan&& other) noexcept;
        Orphan& operator=(Orphan&& other) noexcept;
        ~Orphan(); // lets go of the lock, leaving the files
        const QString& Path() const { return path_; }
        // Read as it was kept; a Failure when the file is not a whole recovery file or holds a
        // sheet no save could write. Only the header, without the pixels, when header is set.
        // Stops with SheetRecovery::Cancelled once cancelled is set.
        Sheet Read(bool headerOnly = false, const std::atomic<bool>* cancelled = nullptr) const;
        // Removes the recovery file.
        void Discard();
        // Renames it aside, "<name>.unreadable", and gives the new name.
        QString SetAside();

      private:
        QString path_;
        int lock_ = -1;
    };

    // Thrown by a read that was cancelled.
    struct Cancelled {};

    // $XDG_STATE_HOME/Patchery, else ~/.local/state/Patchery.
    static QString DefaultFolder();

    // Makes the folder and takes this instance's lock. failed runs on the worker thread or
    // this one with what went wrong, at most once for the object's life: recovery then stops
    // being kept and the program goes on.
    SheetRecovery(const QString& folder, std::function<void(const QString&)> failed);
    SheetRecovery(const SheetRecovery&) = delete;
    SheetRecovery& operator=(const SheetRecovery&) = delete;
    // Finishes the write in hand, then lets go of the lock; the recovery file stays.
    ~SheetRecovery();

    // The sheet as it now is, changed within area since the last call (a null area: anywhere).
    // Only the changed pixels are copied, the whole image after a size change or a Discard.
    // Written as soon as the worker is free; only the newest sheet is written. Handing over an
    // unchanged image again, with other links or sources, copies no pixels.
    // links gives where the cells come from; it is called on the worker's thread, for the
    // newest sheet only, so it must hold what it writes (a snapshot), not refer to the document.
    using LinksText = std::function<QByteArray()>;
    void Keep(const QImage& image, const QByteArray& filePath, const QRect& area = {},
              LinksText links = {}, const QList<KeptSource>& sources = {});
    // Saved and unchanged: the recovery file goes.
    void Discard();
    // The orphan's sheet was handed over by the last Keep: its file goes once what was handed
    // over is on the disk (or the sheet is saved), never before.
    void Replace(Orphan orphan);
    // Waits until everything handed over is done.
    void Flush();
    // Whether something handed over is not yet done.
    bool Writing();

    QString FilePath() const { return path_; }
    // The next recovery file of an instance that no longer runs, not yet offered by this one.
    std::optional<Orphan> NextOrphan();

  private:
    // Pixels changed at a place: copied out of the window's image.
    struct Patch {
        QImage Pixels;
        QPoint At;
    };
    // What the worker is to do next: bring its copy up to date, then write it or remove the file.
    struct Job {
        bool Remove = false;
        std::optional<QImage> Whole;
        std::vector<Patch> Patches;
        qsizetype PatchBytes = 0;
        QByteArray FilePath;
        QDateTime Changed;
        LinksText Links;
        std::vector<Orphan> Replaces; // to go once this is done
        QList<KeptSource> Sources;
    };
    void Work();
    void Fail(const QString& what);

    QString folder_;
    QString path_;
    QString lockPath_;
    int lock_ = -1;
    std::function<void(const QString&)> failed_;
    bool hasFailed_ = false; // guarded by mutex_
    QStringList offered_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_;
    // What the window last handed over, so that an unchanged image is not copied again; the
    // worker's copy then holds these pixels once the pending job is done.
    qint64 handedKey_ = 0; // guarded by mutex_; 0: the worker's copy must be replaced whole
    QSize handedSize_;     // guarded by mutex_
    QImage copy_;          // the worker's own copy of the sheet; touched by the worker only
    // The worker's copy it replaced by a newer whole one, for the next whole copy to be made
    // into: memory the kernel would otherwise fault in page by page. Guarded by mutex_.
    QImage spare_;
    bool busy_ = false;
    std::vector<Orphan> replacedByBusy_; // to go once the job in hand is done; guarded by mutex_
    bool stopping_ = false;
    std::thread worker_;
};
