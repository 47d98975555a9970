#pragma once
// A file replaced so that a crash or power cut at any moment leaves either the old file or the
// whole new one: the new bytes go into a hidden temporary file beside the destination, which is
// synced, renamed over the destination and its folder synced.

#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/uio.h>

class DurableFile {
  public:
    // Follows the destination's symbolic links to the file they end at (which need not exist
    // yet) and makes the temporary file, ".patchery-save-" and six letters, in that file's
    // folder, with the mode of the file it will replace. A destination that is a folder, or
    // anything but a regular file at the end of its links, is refused. Every failure is a
    // Failure whose Action is "cannot save <destination>".
    explicit DurableFile(const std::string& destination);
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~DurableFile();

    // Writes every byte of the parts, resuming after partial writes.
    void Write(iovec* parts, int count);
    // The data reaches the disk before the rename and the rename after it.
    void Commit();

  private:
    std::string destination_; // as named by the caller: the failures say this
    std::string file_;        // at the end of its links
    std::string folder_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

// Whether a save waits for the disk (on by default). Only the benchmarks turn it off, to show
// what the waiting costs.
extern bool SaveSyncs;
