#include "cli/JoinOptionRequests.h"

#include "cli/SoundFlags.h"

namespace velmora::cli {

std::variant<JoinOptionRequests, std::string> readJoinOptionRequests(const CommandLine& line)
{
    const auto quality = readQualityOptions(line.value("--quality"), line.value("--bitrate"));
    if (const auto* message = std::get_if<std::string>(&quality))
        return *message;
    const auto order = readRowOrder(line.value("--sort"));
    if (const auto* message = std::get_if<std::string>(&order))
        return *message;
    const auto album = readAlbumOptions(line);
    if (const auto* message = std::get_if<std::string>(&album))
        return *message;
    if (line.has("--copy") && line.has("--no-copy"))
        return std::string("--copy and --no-copy exclude each other");
    const CopyChoice copy = line.has("--copy")      ? CopyChoice::always
                            : line.has("--no-copy") ? CopyChoice::never
                                                    : CopyChoice::automatic;
    const auto sound = readSoundFlags(line);
    if (const auto* message = std::get_if<std::string>(&sound))
        return *message;
    return JoinOptionRequests{std::get<QualityRequest>(quality), std::get<RowOrder>(order), std::get<AlbumRequest>(album),
                              copy, std::get<SoundOptions>(sound)};
}

}  // namespace velmora::cli
