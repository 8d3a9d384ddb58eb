#include "join/plan/CopyPlan.h"

#include <cmath>

#include "foundation/Diagnostics.h"
#include "foundation/Json.h"

namespace velmora {
namespace {

void append(std::vector<std::string>& command, const std::vector<std::string>& arguments)
{
    command.insert(command.end(), arguments.begin(), arguments.end());
}

std::string copyListPath(const std::string& workDir)
{
    return workDir + "/copy.txt";
}

}  // namespace

std::string copyListText(const std::vector<std::string>& paths, const std::vector<double>& seconds)
{
    std::string text;
    double end = 0.0;
    long long endMicroseconds = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        text += "file " + concatListQuoted(paths[i]) + "\n";
        if (i >= seconds.size())
            continue;
        end += seconds[i];
        // The reader adds the lengths up in microseconds: rounded up here at
        // every end (not every length), they never fall behind the packets.
        const long long next = static_cast<long long>(std::ceil(end * 1e6 - 1e-3));
        const long long length = next - endMicroseconds;
        endMicroseconds = next;
        text += "duration " + std::to_string(length / 1000000) + "." +
                std::string(6 - std::to_string(length % 1000000).size(), '0') + std::to_string(length % 1000000) + "\n";
    }
    return text;
}

std::vector<std::string> copyCommand(const std::string& listPath, const std::string& metadataPath,
                                     const std::vector<std::string>& moreInputs,
                                     const std::vector<std::string>& streamArguments, const std::string& outputPath)
{
    // With more than one input, ffmpeg reads each on a thread of its own and
    // hands every packet over through a queue: a long queue for the parts
    // keeps a million small packets from waking the threads one by one
    // (a 10-hour book copies in well over half the time otherwise).
    std::vector<std::string> command{"-nostdin", "-thread_queue_size", "4096", "-f", "concat", "-safe", "0",
                                     "-i", listPath, "-f", "ffmetadata", "-i", metadataPath};
    for (const std::string& input : moreInputs)
        append(command, {"-i", input});
    append(command, streamArguments);
    append(command, {"-y", outputPath});
    return command;
}

JoinPlan buildCopyPlan(const std::vector<FileRow>& rows, const std::string& outputPath, const std::string& workDir,
                       const JoinOptions& options)
{
    JoinPlan plan;
    plan.copied = true;
    plan.fileCount = rows.size();
    plan.pieces = pathsOf(rows);
    plan.listPath = copyListPath(workDir);
    plan.metadataPath = joinMetadataPath(workDir);
    const OutputFormat format = outputFormatOf(outputPath);

    // The first sound stream only, its packets as they are; the parts' own
    // tags and chapters give way to the metadata file's.
    std::vector<std::string> streams{"-map", "0:a:0", "-c:a", "copy", "-map_metadata:s:a:0", "-1"};
    planTagsAndCover(plan, rows, format, options, workDir);
    append(streams, plan.outputArguments);
    append(streams, muxerArguments(format));
    plan.copier = copyCommand(plan.listPath, plan.metadataPath, plan.moreInputs, streams, outputPath);
    diagnostic(nlohmann::json(plan.copier).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    return plan;
}

}  // namespace velmora
