#pragma once
// A cancel flag shared by the thread that runs external tools and the thread
// that may stop them, together with the tools running now. Cancelling sets
// the flag and stops every tool started through it; once the flag is set no
// further tool starts until it is cleared.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/ChildProcess.h"

namespace velmora {

class Cancellation {
public:
    void cancel();
    void clearCancel();
    bool isCancelled() const { return cancelled_.load(); }

    // Starts the process unless cancelled, and keeps it until release(). The
    // flag test, the start and the record happen under the lock cancel()
    // takes, so a cancel either stops the process that was just started or
    // keeps it from starting. Returns whether the process runs; `failure`
    // gets the reason when it could not start.
    bool startUnlessCancelled(const std::shared_ptr<ChildProcess>& process, std::string* failure = nullptr);
    // The process has ended: a later cancel leaves it alone.
    void release(const std::shared_ptr<ChildProcess>& process);

private:
    mutable std::mutex mutex_;
    std::atomic<bool> cancelled_{false};
    std::vector<std::shared_ptr<ChildProcess>> running_;
};

}  // namespace velmora
