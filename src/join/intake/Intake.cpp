#include "join/intake/Intake.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "foundation/Cancellation.h"
#include "foundation/ParallelWork.h"

namespace velmora {

void runIntake(const std::vector<std::string>& paths, Cancellation& cancellation,
               const std::function<void(size_t, IntakeResult)>& onResult)
{
    struct Slot {
        std::optional<FileProbe> probe;  // absent: judged without a probe
        IntakeVerdict unprobed = IntakeVerdict::skippedExtension;
        bool done = false;
    };
    std::vector<Slot> pending(paths.size());
    std::mutex mutex;
    size_t emitted = 0;  // files handed on so far

    // Hands on every finished file that no unfinished one precedes. The rule
    // runs here, in order, so its diagnostic lines keep the files' order.
    auto emitReady = [&] {
        while (emitted < pending.size() && pending[emitted].done && !cancellation.isCancelled()) {
            Slot& slot = pending[emitted];
            IntakeResult result{slot.unprobed, std::nullopt};
            if (slot.probe)
                result = intakeFromProbe(paths[emitted], *slot.probe);
            slot.probe.reset();
            onResult(emitted, std::move(result));
            ++emitted;
        }
    };
    runInParallel(paths.size(), coreCount(), [&](size_t i) {
        if (cancellation.isCancelled())
            return;
        std::optional<FileProbe> probe;
        const std::optional<IntakeVerdict> unprobed = verdictBeforeProbe(paths[i]);
        if (!unprobed)
            probe.emplace(paths[i], &cancellation);
        std::lock_guard lock(mutex);
        pending[i].probe = std::move(probe);
        pending[i].unprobed = unprobed.value_or(IntakeVerdict::skippedExtension);
        pending[i].done = true;
        emitReady();
    });
}

}  // namespace velmora
