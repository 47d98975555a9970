#pragma once
// Files whose changes on disk the program follows: the sources a sheet's cells come from, the
// sheet's own files. Editors often save by writing a new file and renaming it over the old one,
// which ends a watch on the old file: the folder is watched too, and the file watched again
// after each change. Changes come in bursts, so each is reported once things have settled, and
// only when the file really differs (its inode, size or time); the program's own writes are
// made known with Ignore and are not reported.

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <map>
#include <set>

class WatchedFiles : public QObject {
    Q_OBJECT
  public:
    explicit WatchedFiles(QObject* parent = nullptr, int settleMs = 300);

    // Counted: a file watched twice is unwatched after two Unwatch calls.
    void Watch(const QByteArray& path);
    void Unwatch(const QByteArray& path);
    bool Watches(const QByteArray& path) const { return files_.count(path) != 0; }
    // The file as it is now is the program's own doing.
    void Ignore(const QByteArray& path);

    // What tells one state of a file from another: whether it exists, its inode, size and time.
    struct Signature {
        bool Exists = false;
        qint64 Inode = 0, Size = 0, ModifiedNs = 0;
        bool operator==(const Signature&) const = default;
    };
    static Signature Read(const QByteArray& path);

  signals:
    void Changed(const QByteArray& path);
    void Removed(const QByteArray& path);

  private:
    struct File {
        int Uses = 0;
        Signature Seen;
    };
    static QByteArray FolderOf(const QByteArray& path);
    void Touched(const QByteArray& path);
    void Settle();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::map<QByteArray, File> files_;
    std::map<QByteArray, int> folders_;
    std::set<QByteArray> pending_;
};
