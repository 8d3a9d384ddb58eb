#pragma once
// The one worker pool of the engine: a batch of independent tasks, run side
// by side on as many threads as asked (the calling thread among them), each
// thread taking the next task not yet taken.

#include <cstddef>
#include <functional>

namespace velmora {

// How many tasks run side by side when the work is bound by the processor:
// one per core.
size_t coreCount();

// Runs work(0) ... work(count - 1) on up to `threads` threads and returns when
// all are done. Tasks start in index order. When no further thread can be
// had, fewer run at once.
void runInParallel(size_t count, size_t threads, const std::function<void(size_t index)>& work);

}  // namespace velmora
