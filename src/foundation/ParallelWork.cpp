#include "foundation/ParallelWork.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include <QThread>

namespace velmora {

size_t coreCount()
{
    return static_cast<size_t>(std::max(1, QThread::idealThreadCount()));
}

void runInParallel(size_t count, size_t threads, const std::function<void(size_t)>& work)
{
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> helpers;
    const size_t wanted = std::min(count, std::max<size_t>(threads, 1));
    for (size_t k = 1; k < wanted; ++k) {
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // fewer at a time, then
        }
    }
    worker();
    for (std::thread& helper : helpers)
        helper.join();
}

}  // namespace velmora
