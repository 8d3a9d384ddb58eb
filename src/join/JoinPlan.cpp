#include "join/JoinPlan.h"

#include "foundation/Diagnostics.h"
#include "foundation/FileSystem.h"
#include "foundation/Paths.h"

namespace velmora {
std::string intermediatePath(const std::string& workDir, size_t index)
{
    return workDir + "/temp" + std::to_string(index) + ".mp4";
}

std::string concatListPath(const std::string& workDir)
{
    return workDir + "/delete.txt";
}

std::string concatListQuoted(const std::string& path)
{
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += "'";
    return quoted;
}

std::string concatListText(const std::string& workDir, size_t rowCount)
{
    std::string text;
    for (size_t i = 0; i < rowCount; ++i)
        text += "file " + concatListQuoted(intermediatePath(workDir, i)) + "\n";
    return text;
}

std::vector<std::string> normalisationCommand(const FileRow& row, const std::string& intermediate)
{
    std::vector<std::string> command{"-i", row.filePath};
    if (row.isProRes) {
        command.push_back("-pix_fmt");
        command.push_back("yuv420p");
    }
    // Only the first real video stream (never cover art, which the MP4
    // muxer refuses once encoded) and the first audio stream.
    for (const char* argument : {"-map", "0:V:0?", "-map", "0:a:0?"})
        command.push_back(argument);
    const std::string filter = "scale=" + std::to_string(640) + ":" + std::to_string(480) + ",setsar=1:1";
    for (const std::string& argument : {std::string("-c:v"), std::string("libx264"), std::string("-vf"), filter,
                                        std::string("-r"), std::string("24"), std::string("-ac"), std::string("2"),
                                        std::string("-c:a"), std::string("aac"), std::string("-ar"),
                                        std::string("48000"), std::string("-y")})
        command.push_back(argument);
    command.push_back(intermediate);
    return command;
}

std::vector<std::string> concatCommand(const std::string& listPath, const std::string& outputPath)
{
    std::vector<std::string> command{"-auto_convert", "1", "-f", "concat", "-safe", "0", "-i", listPath};
    const std::string extension = lowerExtension(outputPath);
    if (extension == "mp4" || extension == "m4a" || extension == "m4v" || extension == "mov") {
        // The intermediates already hold H.264 and AAC, which these containers take as they are.
        command.insert(command.end(), {"-c", "copy"});
    } else if (extension == "mp3") {
        command.insert(command.end(), {"-vn", "-c:a", "libmp3lame", "-q:a", "2"});
    }
    // Any other container gets the tool's default encoders for it.
    command.push_back("-y");
    command.push_back(outputPath);
    return command;
}

static std::string commandsListing(const std::vector<std::vector<std::string>>& commands)
{
    return nlohmann::json(commands).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

JoinPlan buildJoinPlan(const std::vector<FileRow>& rows, const std::string& outputPath, const std::string& workDir)
{
    JoinPlan plan;
    diagnostic(workDir);

    for (size_t i = 0; i < rows.size(); ++i) {
        plan.commands.push_back(normalisationCommand(rows[i], intermediatePath(workDir, i)));
        plan.durations.push_back(rows[i].duration);
    }

    const std::string listPath = concatListPath(workDir);
    const std::string listText = concatListText(workDir, rows.size());
    if (!writeFileAtomically(listPath, listText))
        diagnostic("error");

    plan.commands.push_back(concatCommand(listPath, outputPath));
    diagnostic(commandsListing(plan.commands));

    double total = 0.0;
    for (const FileRow& row : rows)
        total += row.duration;
    plan.durations.push_back(total);
    return plan;
}

}  // namespace velmora
