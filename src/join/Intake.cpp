#include "join/Intake.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

#include "foundation/Cancellation.h"

namespace velmora {

void runIntake(const std::vector<std::string>& paths, Cancellation& cancellation,
               const std::function<void(size_t, IntakeResult)>& onResult)
{
    struct Slot {
        std::optional<FileProbe> probe;  // absent: skipped by its extension
        bool done = false;
    };
    std::vector<Slot> slots(paths.size());
    std::mutex mutex;
    size_t next = 0;     // the next file to probe
    size_t emitted = 0;  // files handed on so far

    // Hands on every finished file that no unfinished one precedes. The rule
    // runs here, in order, so its diagnostic lines keep the files' order.
    auto emitReady = [&] {
        while (emitted < slots.size() && slots[emitted].done && !cancellation.isCancelled()) {
            Slot& slot = slots[emitted];
            IntakeResult result{IntakeVerdict::skippedExtension, std::nullopt};
            if (slot.probe)
                result = intakeFromProbe(paths[emitted], *slot.probe);
            slot.probe.reset();
            onResult(emitted, std::move(result));
            ++emitted;
        }
    };
    auto work = [&] {
        for (;;) {
            size_t i = 0;
            {
                std::lock_guard lock(mutex);
                if (next >= paths.size() || cancellation.isCancelled())
                    return;
                i = next++;
            }
            std::optional<FileProbe> probe;
            if (!isSkippedExtension(paths[i]))
                probe.emplace(paths[i], &cancellation);
            std::lock_guard lock(mutex);
            slots[i].probe = std::move(probe);
            slots[i].done = true;
            emitReady();
        }
    };

    const size_t workers =
        std::min<size_t>(paths.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
}

void analyzeFiles(const std::vector<std::string>& paths, JoinHost& host, Cancellation& cancellation,
                  std::function<void(FileRow)> onRow)
{
    host.postToMain([&host] { host.showProgressSheet("Analyzing Files...", true); });
    runIntake(paths, cancellation, [&](size_t, IntakeResult result) {
        if (result.row && onRow)
            host.postToMain([onRow, row = std::move(*result.row)]() mutable { onRow(std::move(row)); });
    });
    host.postToMain([&host] { host.hideProgressSheet(); });
}

}  // namespace velmora
