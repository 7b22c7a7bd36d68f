// A job file that grows a line at a time and must keep every line it was given: opened
// for appending with its end made fit (a torn last line gets its line end), each line
// written whole and synced to disk, or taken off again.
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tidrun {

// Syncs one file at a time on a thread of its own, so that the caller can sync another file
// meanwhile. The thread starts with the first sync and ends with the object.
class TSyncThread {
  public:
    TSyncThread() = default;
    TSyncThread(const TSyncThread&) = delete;
    TSyncThread& operator=(const TSyncThread&) = delete;
    ~TSyncThread();
    // Starts syncing the open file; the caller leaves it alone until Wait returns.
    void Start(QFile& file);
    // Waits for the sync started; true when it succeeded or none was started.
    bool Wait();

  private:
    void Run(std::stop_token stop);

    std::mutex mutex_;
    std::condition_variable_any changed_;
    QFile* file_ = nullptr;  // to sync, set while a sync is due or running
    bool done_ = true;
    bool ok_ = true;
    std::jthread thread_;  // last: stopped and joined before the rest goes
};

class TAppendFile {
  public:
    // Opens (creating) the file for appending. A final DOS end-of-file byte is taken off
    // and a torn last line gets its line end, LF alone after a CR, else CR LF.
    bool Open(const QString& path);
    void Close() {
        FinishAppend();
        file_.close();
    }
    bool IsOpen() const { return file_.isOpen(); }
    qint64 Size() const { return file_.size(); }
    // Whether the open file is still the one at its path (same device and inode): a file
    // deleted or replaced by another renamed over it would take lines nobody reads.
    bool StillAtPath() const;
    // Writes the bytes and syncs them to disk. On failure the part that was written is
    // taken off again, so the next line does not glue to a torn one.
    bool Append(QByteArrayView bytes);
    // Append in two halves: the bytes written and their sync started on a thread of its
    // own, then the wait for that sync. A failure of either half leaves nothing of the
    // bytes on the file. Between the two the file is left alone (each other call waits).
    bool StartAppend(QByteArrayView bytes);
    bool FinishAppend();
    // Cuts the file back to size bytes (what was appended after) and syncs it.
    bool TruncateTo(qint64 size);

  private:
    mutable QFile file_;
    qint64 pendingFrom_ = -1;  // the size before the bytes whose sync runs, -1 none
    TSyncThread sync_;         // after file_: joined before the file closes
};

// Flushes the file's data to the disk; false when the system reports a failure.
bool SyncToDisk(QFile& file);
// Makes the end of a file open for appending fit: a final DOS end-of-file byte (0x1A)
// goes, and a torn last line gets its line end, LF alone after a CR that was written before
// a power cut, else CR LF.
void RepairEnd(QFile& file);
// Whether an open file is still the file at path (same device and inode).
bool FileStillAtPath(const QFile& file, const QString& path);

}  // namespace tidrun
