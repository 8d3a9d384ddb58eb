#pragma once
// The metadata file ffmpeg reads with "-i FILE -map_metadata N -map_chapters N":
// the joined file's tags and its chapters in ffmpeg's FFMETADATA1 text format.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "join/metadata/AlbumMetadata.h"
#include "join/metadata/OutputChapters.h"

namespace velmora {

// A key or value with '=', ';', '#', '\' and line breaks behind a backslash;
// NUL bytes, which end a line for ffmpeg's reader, are left out. A text that
// ends in a backslash gets a space after it: ffmpeg's reader (5.1) would take
// the line end after an escaped backslash for an escaped one.
std::string escapeFfmetadata(std::string_view text);

// ";FFMETADATA1", the title and album tags, then one [CHAPTER] block per
// chapter in milliseconds. A chapter shorter than a millisecond is left out.
std::string ffmetadataText(const AlbumMetadata& album, const std::vector<OutputChapter>& chapters);

// Chapters as Vorbis comments ("CHAPTER001" = "00:01:02.500", "CHAPTER001NAME"
// = title), for containers whose muxer writes none of its own (FLAC, Ogg) or
// writes them wrongly (Opus). Add them to the album's tags and leave ffmpeg's
// chapter mapping off.
std::map<std::string, std::string> vorbisChapterTags(const std::vector<OutputChapter>& chapters);

}  // namespace velmora
