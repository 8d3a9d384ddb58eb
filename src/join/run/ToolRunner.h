#pragma once
// Runs a join plan with the encoder tool: the normalisations side by side,
// one per processor core at a time, then the concat alone; the tools' progress
// text becomes a percentage of the whole join.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Cancellation.h"
#include "join/outcome/StepReport.h"
#include "join/plan/JoinPlan.h"
#include "join/run/JobProgress.h"

namespace velmora {

// How many normalisations run at once: one per processor core.
size_t parallelNormalisations();

// Runs the encoder tool once with `arguments` on this thread, cancellable
// through `control`; each chunk of its error stream goes to `onError` too.
CommandRun runEncoder(const std::vector<std::string>& arguments, Cancellation& control,
                      const std::function<void(std::string_view)>& onError = {});

// Every command's exit status and error-stream tail go into the report; what
// they mean for the join is judged afterwards (judgeJoin). The tools' reports
// of their time feed `progress` (built for this plan), and `progressed` runs
// after each change, on the thread of the command that made it.
// `beforeConcat`, when given, runs once the normalisations have all
// succeeded; a failure it returns skips the concat.
RunReport runToolCommands(const JoinPlan& plan, Cancellation& control, JoinProgressModel& progress,
                          const std::function<void()>& progressed,
                          const std::function<std::string()>& beforeConcat = {});

}  // namespace velmora
