#pragma once
// The join command's chapter, cue sheet, tag and cover options: read and
// checked before anything runs, then applied to the join's options once the
// output's format is known.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/CommandLine.h"
#include "join/plan/JoinOptions.h"

namespace velmora::cli {

struct AlbumRequest {
    std::optional<bool> chapters;  // --chapters or --no-chapters; none: the output's default
    bool cueSheet = false;         // --cue
    MetadataOverrides overrides;   // --title, --artist, --album (empty removes the tag), --cover (absolute)
};

// The options of the command line, or the message for ones that cannot be
// used: --chapters with --no-chapters, or a --cover that is not a readable
// JPEG or PNG file.
std::variant<AlbumRequest, std::string> readAlbumOptions(const CommandLine& line);

// Sets chapters, cue sheet and tags in `options` for `outputPath`. Returns a
// note for each request the output cannot honour (chapters in a format
// without them, a cover where none is kept); the join goes on without it.
std::vector<std::string> applyAlbumRequest(const AlbumRequest& request, const std::string& outputPath, bool videoJoin,
                                           JoinOptions& options);

}  // namespace velmora::cli
