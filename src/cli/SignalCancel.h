#pragma once
#include <signal.h>

#include <atomic>
#include <thread>

#include "foundation/Cancellation.h"

namespace velmora::cli {

// Ctrl-C and SIGTERM press Cancel. The signals are blocked in every thread
// and taken by one thread with sigwait, so the cancel runs as ordinary code;
// SIGUSR1 only ends that thread.
class CancelOnSignal {
public:
    explicit CancelOnSignal(Cancellation& control);
    ~CancelOnSignal();
    const std::atomic<bool>& interrupted() const { return interrupted_; }

private:
    Cancellation& control_;
    sigset_t signals_;
    sigset_t previous_;
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

}  // namespace velmora::cli
