#include "join/JoinControl.h"

namespace velmora {

void JoinControl::setCurrentProcess(std::shared_ptr<ChildProcess> process)
{
    std::lock_guard lock(mutex_);
    currentProcess_globalVariable = std::move(process);
}

std::shared_ptr<ChildProcess> JoinControl::currentProcess() const
{
    std::lock_guard lock(mutex_);
    return currentProcess_globalVariable;
}

void JoinControl::terminateCurrentProcess()
{
    std::lock_guard lock(mutex_);
    if (currentProcess_globalVariable)
        currentProcess_globalVariable->terminate();
}

void JoinControl::cancel()
{
    std::lock_guard lock(mutex_);
    if (currentProcess_globalVariable)
        currentProcess_globalVariable->terminate();
    isProcessCancelledByUser.store(true);
}

bool JoinControl::startUnlessCancelled(const std::shared_ptr<ChildProcess>& process,
                                       const std::function<void()>& beforeStart)
{
    std::lock_guard lock(mutex_);
    if (isProcessCancelledByUser.load())
        return false;
    if (beforeStart)
        beforeStart();
    const bool running = process->start();
    currentProcess_globalVariable = process;
    return running;
}

}  // namespace velmora
