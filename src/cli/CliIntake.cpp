#include "cli/CliIntake.h"

#include <cstdio>

#include "cli/Commands.h"

namespace velmora::cli {

std::vector<FileRow> intakeFiles(const std::vector<std::string>& files, const std::atomic<bool>* stop)
{
    std::vector<FileRow> rows;
    for (const std::string& file : files) {
        if (stop && stop->load())
            break;
        IntakeResult result = analyzeFile(absolutePath(file));
        if (result.row)
            rows.push_back(std::move(*result.row));
        else
            std::fprintf(stderr, "velmora-cli: skipped %s: %s\n", file.c_str(), intakeVerdictText(result.verdict).c_str());
    }
    return rows;
}

std::string jsonText(const nlohmann::json& value)
{
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace velmora::cli
