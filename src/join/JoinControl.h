#pragma once
// The state a join shares between the main thread and the join worker: the
// cancel flag and the encoder process started last.

#include <atomic>
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

private:
    mutable std::mutex mutex_;
    std::shared_ptr<ChildProcess> currentProcess_globalVariable;
};

}  // namespace velmora
