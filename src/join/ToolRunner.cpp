#include "join/ToolRunner.h"

#include <memory>
#include <string_view>

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

RunReport runToolCommands(const JoinPlan& plan, JoinControl& control, JoinHost& host)
{
    // The cancel flag is cleared when the join starts, not here: a Cancel
    // pressed while the plan was being built still counts.
    RunReport report;
    const size_t n = plan.commands.size();
    report.commands.resize(n);
    for (size_t i = 0; i < n; ++i) {
        if (control.isCancelled())
            continue;
        CommandRun& run = report.commands[i];
        const std::optional<std::string> creator = resourcePath(kCreatorToolResource);
        auto process = std::make_shared<ChildProcess>(creator.value_or(std::string()), plan.commands[i]);
        process->setStandardError(ChildProcess::Output::pipe);
        if (!control.startUnlessCancelled(process, &run.failure))
            continue;
        run.started = true;
        process->readStandardError([&](const char* data, size_t size) {
            const std::string_view chunk(data, size);
            keepTail(run.stderrTail, chunk);
            handleToolErrorOutput(chunk, i, n, plan.durations, host);
        });
        run.waitStatus = process->waitForExit();
        control.release(process);
    }
    report.cancelled = control.isCancelled();
    return report;
}

}  // namespace velmora
