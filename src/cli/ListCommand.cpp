#include <cstdio>

#include "cli/CliIntake.h"
#include "cli/Commands.h"
#include "foundation/Diagnostics.h"

namespace velmora::cli {

int listCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = parseCommandLine("list", arguments, {}, {"--tools-dir"});
    if (const auto failed = applyCommonOptions(line))
        return *failed;

    // Only the rows go out: the media-type lines of the intake are not wanted here.
    setDiagnosticTarget(DiagnosticTarget::discard);

    nlohmann::json list = nlohmann::json::array();
    for (const FileRow& row : intakeFiles(line.files))
        list.push_back(fileRowJson(row));
    std::printf("%s\n", jsonText(list).c_str());
    return 0;
}

}  // namespace velmora::cli
