#pragma once
#include <signal.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/Cancellation.h"

namespace velmora::cli {

// Ctrl-C, SIGTERM, SIGHUP (the terminal went away) and SIGPIPE (the reader
// of our output went away) press Cancel. The signals are blocked in every
// thread and taken by one thread with sigwait, so the cancel runs as
// ordinary code; SIGUSR1 only ends that thread. A write to a closed pipe
// then fails with EPIPE instead of killing the tool halfway through a join.
class CancelOnSignal {
public:
    explicit CancelOnSignal(Cancellation& control);
    ~CancelOnSignal();
    const std::atomic<bool>& interrupted() const { return interrupted_; }
    // A signal from now on cancels `other` too; one that came already does so at once.
    void follow(Cancellation& other);

private:
    std::mutex mutex_;
    std::vector<Cancellation*> controls_;
    sigset_t signals_;
    sigset_t previous_;
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

}  // namespace velmora::cli
