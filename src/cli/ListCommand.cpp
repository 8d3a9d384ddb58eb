#include <cmath>
#include <cstdio>

#include "cli/CliIntake.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/SignalCancel.h"
#include "cli/SortOption.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "join/metadata/OutputChapters.h"

namespace velmora::cli {

int listCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = parseCommandLine(listSpec().syntax(), arguments);
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    const auto order = readRowOrder(line.value("--sort"));
    if (const auto* message = std::get_if<std::string>(&order))
        return usageError(*message);
    if (const auto problem = toolProblem(kProbeToolResource))
        return toolError(*problem);

    // Only the rows go out: the media-type lines of the intake are not wanted here.
    setDiagnosticTarget(DiagnosticTarget::discard);

    Cancellation cancellation;
    CancelOnSignal cancelOnSignal(cancellation);
    std::string toolFailure;
    const std::vector<std::string> files = expandFileArguments(line.files, &cancellation);
    const std::vector<FileRow> rows =
        sortedRows(intakeFiles(files, cancellation, &toolFailure), std::get<RowOrder>(order));
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    if (!toolFailure.empty())
        return toolError(toolFailure);
    // Each row's start in the joined file: where the rows before it end.
    std::vector<double> lengths;
    for (const FileRow& row : rows)
        lengths.push_back(playedLength(row));
    const std::vector<double> starts = rowStartTimes(lengths);
    nlohmann::json list = nlohmann::json::array();
    for (size_t i = 0; i < rows.size(); ++i) {
        nlohmann::json entry = fileRowJson(rows[i]);
        entry["start"] = std::round(starts[i] * 1000.0) / 1000.0;  // to the millisecond
        entry["title"] = rowTitle(rows[i].metadata);
        list.push_back(std::move(entry));
    }
    std::printf("%s\n", jsonText(list).c_str());
    return 0;
}

}  // namespace velmora::cli
