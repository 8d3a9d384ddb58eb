#pragma once
// The state a join shares between the main thread and the join worker: the
// cancel flag and the encoder process started last.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "foundation/ChildProcess.h"

namespace velmora {

class JoinControl {
public:
    std::atomic<bool> isProcessCancelledByUser{false};

    void setCurrentProcess(std::shared_ptr<ChildProcess> process);
    std::shared_ptr<ChildProcess> currentProcess() const;
    // Asks the current encoder (if any, and still running) to stop.
    void terminateCurrentProcess();
    // The Cancel button: terminate the current process, then set the flag.
    void cancel();

    // Starts the process and records it as the current one, unless the join
    // has been cancelled. The flag test, `beforeStart`, the start and the
    // record happen under the lock cancel() takes, so a cancel either stops
    // the process that was just started or keeps it from starting. The
    // process is recorded even when it fails to start. Returns whether it runs.
    bool startUnlessCancelled(const std::shared_ptr<ChildProcess>& process,
                              const std::function<void()>& beforeStart = {});

private:
    mutable std::mutex mutex_;
    std::shared_ptr<ChildProcess> currentProcess_globalVariable;
};

}  // namespace velmora
