#include "foundation/Cancellation.h"

#include <algorithm>

namespace velmora {

void Cancellation::cancel()
{
    std::lock_guard lock(mutex_);
    cancelled_.store(true);
    for (const auto& process : running_)
        process->terminate();
}

void Cancellation::clearCancel()
{
    cancelled_.store(false);
}

bool Cancellation::startUnlessCancelled(const std::shared_ptr<ChildProcess>& process, std::string* failure)
{
    std::lock_guard lock(mutex_);
    if (cancelled_.load())
        return false;
    if (!process->start(failure))
        return false;
    running_.push_back(process);
    return true;
}

void Cancellation::release(const std::shared_ptr<ChildProcess>& process)
{
    std::lock_guard lock(mutex_);
    std::erase(running_, process);
}

}  // namespace velmora
