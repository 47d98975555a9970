#pragma once
// A folder of this run's own under $TMPDIR (else /tmp), mode 0700, for the save's temporary
// bitmap; removed with everything in it when the object goes.

#include <QString>
#include <QTemporaryDir>

#include <memory>

class PrivateFolder {
  public:
    PrivateFolder();
    ~PrivateFolder();

    // The file's path in the folder. The folder is checked at every call; if it has gone, or is
    // no longer a private folder of ours, a new one is made and the old one left as it is.
    // Throws a Failure naming the place when no folder can be made.
    QString FilePath(const QString& name);
    // Removes the file if the folder is still ours.
    void Remove(const QString& name);
    // Empty before the first FilePath and after Clear.
    QString Path() const;
    // Removes the folder with everything in it.
    void Clear();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
};
