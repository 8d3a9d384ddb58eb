#pragma once
// The options that shape every join, read once for join and batch alike.

#include <string>
#include <variant>

#include "cli/AlbumOptions.h"
#include "cli/CommandLine.h"
#include "cli/QualityOptions.h"
#include "cli/SortOption.h"
#include "join/plan/JoinOptions.h"
#include "join/plan/SoundOptions.h"

namespace velmora::cli {

struct JoinOptionRequests {
    QualityRequest quality;
    RowOrder order{};
    AlbumRequest album;
    CopyChoice copy = CopyChoice::automatic;  // --copy, --no-copy
    SoundOptions sound;
};

// --quality/--bitrate, --sort, the tag and cover options, --copy/--no-copy and the sound options; the first
// problem found, as a usage message, when one is wrong.
std::variant<JoinOptionRequests, std::string> readJoinOptionRequests(const CommandLine& line);

}  // namespace velmora::cli
