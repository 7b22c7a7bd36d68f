// Puts files on the disk from a thread of its own: a slow memory card may take a long time
// to sync, and the thread that handles the receiver's data must not wait for it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tidrun {

class TBackgroundSync {
  public:
    TBackgroundSync();
    ~TBackgroundSync();  // finishes what was asked, then ends the thread
    TBackgroundSync(const TBackgroundSync&) = delete;
    TBackgroundSync& operator=(const TBackgroundSync&) = delete;

    // Asks for the open file descriptor fd to be synced. A duplicate of it is synced, so
    // the caller may close its file at once. A request that has not started yet is
    // replaced by a newer one (one sync covers both). False when fd cannot be duplicated.
    bool Request(int fd);
    // Waits for the requests made so far. False when a sync failed since the last
    // Wait or TakeFailure.
    bool Wait();
    // True once after a sync failed.
    bool TakeFailure();

  private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    int pending_ = -1;  // duplicated descriptor waiting for the worker
    bool busy_ = false;
    bool failed_ = false;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace tidrun
