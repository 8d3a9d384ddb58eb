#include <cstdio>

#include "cli/CliIntake.h"
#include "cli/Commands.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"

namespace velmora::cli {

int listCommand(const std::vector<std::string>& arguments)
{
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--tools-dir") {
            if (++i >= arguments.size())
                return usageError("--tools-dir needs a folder");
            setToolsDirectory(arguments[i]);
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            return usageError("unknown option '" + argument + "'");
        } else {
            files.push_back(argument);
        }
    }
    // Only the rows go out: the media-type lines of the intake are not wanted here.
    setDiagnosticTarget(DiagnosticTarget::discard);

    nlohmann::json list = nlohmann::json::array();
    for (const FileRow& row : intakeFiles(files))
        list.push_back(fileRowJson(row));
    std::printf("%s\n", jsonText(list).c_str());
    return 0;
}

}  // namespace velmora::cli
