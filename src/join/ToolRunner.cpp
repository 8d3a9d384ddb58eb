#include "join/ToolRunner.h"

#include <unistd.h>

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

RunReport runToolCommands(const JoinPlan& plan, const std::string& outputPath, JoinControl& control, JoinHost& host)
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

        std::function<void()> beforeStart;
        if (i + 1 == n) {
            // Whatever stood at the output path goes before the concat starts,
            // so a concat that fails cannot leave an older file to be taken
            // for its result.
            beforeStart = [&outputPath] { ::unlink(outputPath.c_str()); };
        }
        if (!control.startUnlessCancelled(process, &run.failure, beforeStart))
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
