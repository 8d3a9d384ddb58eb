#pragma once
// Runs a join plan with the encoder tool: the normalisations side by side,
// one per processor core at a time, then the concat alone; the tools' progress
// text becomes a percentage of the whole join.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "join/JoinControl.h"
#include "join/JoinHost.h"
#include "join/JoinPlan.h"

namespace velmora {

// How one command of the plan went.
struct CommandRun {
    bool started = false;
    int waitStatus = -1;      // as waitpid gives it; -1 when the command never ran
    std::string failure;      // why it could not start
    std::string stderrTail;   // the last bytes the tool wrote on its error stream
};

struct RunReport {
    std::vector<CommandRun> commands;  // one per command of the plan, skipped ones included
    bool cancelled = false;
    // Why the step between the normalisations and the concat failed; the
    // concat was skipped then.
    std::string preparationFailure;
};

// How much of each command's error stream is kept for the report.
inline constexpr size_t kStderrTailBytes = 8192;

// How many normalisations run at once: one per processor core.
size_t parallelNormalisations();

// Runs the encoder tool once with `arguments` on this thread, cancellable
// through `control`; each chunk of its error stream goes to `onError` too.
CommandRun runEncoder(const std::vector<std::string>& arguments, JoinControl& control,
                      const std::function<void(std::string_view)>& onError = {});

// Every command's exit status and error-stream tail go into the report; what
// they mean for the join is judged afterwards (judgeJoin). `beforeConcat`,
// when given, runs once the normalisations have all succeeded; a failure it
// returns skips the concat.
RunReport runToolCommands(const JoinPlan& plan, JoinControl& control, JoinHost& host,
                          const std::function<std::string()>& beforeConcat = {});

}  // namespace velmora
