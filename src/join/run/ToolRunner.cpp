#include "join/run/ToolRunner.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "foundation/ChildProcess.h"
#include "foundation/Resources.h"
#include "foundation/ParallelWork.h"

namespace velmora {
namespace {

void keepTail(std::string& tail, std::string_view chunk)
{
    tail.append(chunk);
    if (tail.size() > kStderrTailBytes)
        tail.erase(0, tail.size() - kStderrTailBytes);
}

}  // namespace

size_t parallelNormalisations()
{
    return coreCount();
}

CommandRun runEncoder(const std::vector<std::string>& arguments, Cancellation& control,
                      const std::function<void(std::string_view)>& onError)
{
    CommandRun run;
    if (control.isCancelled())
        return run;
    const std::optional<std::string> creator = resourcePath(kCreatorToolResource);
    auto process = std::make_shared<ChildProcess>(creator.value_or(std::string()), arguments);
    process->setStandardError(ChildProcess::Output::pipe);
    if (!control.startUnlessCancelled(process, &run.failure))
        return run;
    run.started = true;
    process->readStandardError([&](const char* data, size_t size) {
        const std::string_view chunk(data, size);
        keepTail(run.stderrTail, chunk);
        if (onError)
            onError(chunk);
    });
    run.waitStatus = process->waitForExit();
    control.release(process);
    return run;
}

RunReport runToolCommands(const JoinPlan& plan, Cancellation& control, JoinProgressModel& progress,
                          const std::function<void()>& progressed, const std::function<std::string()>& beforeConcat)
{
    // The cancel flag is cleared when the join starts, not here: a Cancel
    // pressed while the plan was being built still counts.
    RunReport report;
    const size_t n = plan.commands.size();
    report.commands.resize(n);

    // Each call runs on a thread of its own: the tool is started, read and reaped there.
    auto runCommand = [&](size_t i) {
        if (control.isCancelled())
            return;
        report.commands[i] = runEncoder(plan.commands[i], control, [&](std::string_view chunk) {
            if (progress.handleChunk(i, chunk) && progressed)
                progressed();
        });
        if (progress.stepEnded(i) && progressed)
            progressed();
    };

    // The normalisations, side by side, in row order.
    const size_t normalisations = std::min(plan.normalisations, n);
    runInParallel(normalisations, parallelNormalisations(), runCommand);

    // Then the rest, one after another, once what they read is in place.
    bool ready = true;
    for (size_t i = 0; i < normalisations; ++i)
        ready = ready && report.commands[i].started && report.commands[i].waitStatus == 0;
    if (ready && beforeConcat && !control.isCancelled())
        report.preparationFailure = beforeConcat();
    // After a failed normalisation the concat would only fail on the missing piece.
    if (ready && report.preparationFailure.empty()) {
        for (size_t i = normalisations; i < n; ++i)
            runCommand(i);
    }
    report.cancelled = control.isCancelled();
    return report;
}

}  // namespace velmora
