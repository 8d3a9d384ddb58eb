#include "join/ToolRunner.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>

#include "foundation/ChildProcess.h"
#include "foundation/Resources.h"
#include "join/Progress.h"

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
    return std::max(1u, std::thread::hardware_concurrency());
}

CommandRun runEncoder(const std::vector<std::string>& arguments, JoinControl& control,
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

RunReport runToolCommands(const JoinPlan& plan, JoinControl& control, JoinHost& host,
                          const std::function<std::string()>& beforeConcat)
{
    // The cancel flag is cleared when the join starts, not here: a Cancel
    // pressed while the plan was being built still counts.
    RunReport report;
    const size_t n = plan.commands.size();
    report.commands.resize(n);
    JoinProgressTracker progress(plan.durations, std::min(plan.normalisations, n), plan.fileCount, host);

    // Each call runs on its own thread: the tool is started, read and reaped there.
    auto runCommand = [&](size_t i) {
        if (control.isCancelled())
            return;
        report.commands[i] =
            runEncoder(plan.commands[i], control, [&](std::string_view chunk) { progress.handleChunk(i, chunk); });
        progress.commandEnded(i);
    };

    // The normalisations, side by side: each worker takes the next one not
    // yet taken, in row order.
    const size_t normalisations = std::min(plan.normalisations, n);
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < normalisations; i = next++)
            runCommand(i);
    };
    std::vector<std::thread> helpers;
    const size_t workers = std::min(normalisations, parallelNormalisations());
    for (size_t k = 1; k < workers; ++k) {
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // fewer at a time, then
        }
    }
    worker();
    for (std::thread& helper : helpers)
        helper.join();

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
