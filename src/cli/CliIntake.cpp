#include "cli/CliIntake.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "foundation/Cancellation.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "join/intake/FolderExpansion.h"
#include "join/intake/Intake.h"

namespace velmora::cli {

namespace {

// Why a named file cannot be joined, in the words a script's user can act on.
std::string unusableReason(const std::string& path, IntakeVerdict verdict)
{
    if (path.find("://") != std::string::npos)
        return "not a local file";
    switch (verdict) {
    case IntakeVerdict::missing: return "missing";
    case IntakeVerdict::noPermission: return "permission denied";
    case IntakeVerdict::damaged: {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && st.st_size == 0 ? "empty" : "damaged";
    }
    case IntakeVerdict::notMedia:
    case IntakeVerdict::noAudioOrVideo:
    case IntakeVerdict::skippedExtension: return "not media";
    case IntakeVerdict::playlist: return "a playlist: use --from-list";
    default: return intakeVerdictText(verdict);
    }
}

}  // namespace

std::vector<std::string> expandFileArguments(const std::vector<std::string>& files, const Cancellation* cancellation,
                                             std::vector<UnusableFile>* unusable)
{
    std::vector<std::string> expanded;
    for (const std::string& file : files) {
        const std::vector<std::string> found = expandFolders({file}, cancellation);
        // Only a folder gives nothing back: a file stands for itself.
        if (found.empty() && !(cancellation && cancellation->isCancelled()) && unusable)
            unusable->push_back({file, "a folder without media files"});
        else if (found.empty() && !(cancellation && cancellation->isCancelled()))
            std::fprintf(stderr, "velmora-cli: skipped %s: a folder without media files\n", file.c_str());
        expanded.insert(expanded.end(), found.begin(), found.end());
    }
    return expanded;
}

std::vector<FileRow> intakeFiles(const std::vector<std::string>& files, Cancellation& cancellation,
                                 std::string* toolFailure, std::vector<UnusableFile>* unusable)
{
    std::vector<std::string> paths;
    paths.reserve(files.size());
    for (const std::string& file : files)
        paths.push_back(absolutePath(file));
    std::vector<FileRow> rows;
    runIntake(paths, cancellation, [&](size_t index, IntakeResult result) {
        if (result.row) {
            rows.push_back(std::move(*result.row));
        } else if (result.verdict == IntakeVerdict::toolUnavailable) {
            // Not a fault of the file: said once, for the whole intake.
            if (toolFailure && toolFailure->empty())
                *toolFailure = toolProblem(kProbeToolResource)
                                   .value_or(toolDisplayName(kProbeToolResource) + " cannot run at " +
                                             toolPath(kProbeToolResource) + " (set --tools-dir)");
        } else if (unusable && result.verdict != IntakeVerdict::cancelled) {
            unusable->push_back({files[index], unusableReason(paths[index], result.verdict)});
        } else {
            const std::string reason = result.verdict == IntakeVerdict::playlist ? "a playlist: use --from-list"
                                                                                  : intakeVerdictText(result.verdict);
            std::fprintf(stderr, "velmora-cli: skipped %s: %s\n", files[index].c_str(), reason.c_str());
        }
    });
    return rows;
}

std::string jsonText(const nlohmann::json& value)
{
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace velmora::cli
