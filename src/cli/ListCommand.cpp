#include <cstdio>

#include "cli/CliIntake.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/SignalCancel.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"

namespace velmora::cli {

int listCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = parseCommandLine(listSpec().syntax(), arguments);
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    if (const auto problem = toolProblem(kProbeToolResource))
        return toolError(*problem);

    // Only the rows go out: the media-type lines of the intake are not wanted here.
    setDiagnosticTarget(DiagnosticTarget::discard);

    Cancellation cancellation;
    CancelOnSignal cancelOnSignal(cancellation);
    std::string toolFailure;
    const std::vector<FileRow> rows = intakeFiles(line.files, cancellation, &toolFailure);
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    if (!toolFailure.empty())
        return toolError(toolFailure);
    nlohmann::json list = nlohmann::json::array();
    for (const FileRow& row : rows)
        list.push_back(fileRowJson(row));
    std::printf("%s\n", jsonText(list).c_str());
    return 0;
}

}  // namespace velmora::cli
