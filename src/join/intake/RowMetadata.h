#pragma once
// What one input file says about itself beyond its sound: its tags under
// one spelling, its track and disc numbers, its own chapters and its
// embedded pictures, read from the probe's report.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "probe/FileProbe.h"

namespace velmora {

// A chapter mark inside one file, in seconds from the file's start.
struct SourceChapter {
    double start = 0.0;
    double end = 0.0;
    std::string title;
    bool operator==(const SourceChapter&) const = default;
};

// A still picture stored in the file as a stream of its own (cover art).
struct EmbeddedPicture {
    std::int64_t streamIndex = 0;  // the stream's index in the file, as ffmpeg numbers it
    std::string codec;             // "mjpeg", "png", ...
    bool operator==(const EmbeddedPicture&) const = default;
};

struct RowMetadata {
    std::string fileName;  // last path component, for titles when the file has no title tag
    // Tags with lower-case keys, spellings folded to one name each: "album_artist"
    // (ALBUMARTIST, "album artist"), "track" (TRACKNUMBER), "disc" (DISCNUMBER,
    // disk), "date" (year), "tracktotal" (TOTALTRACKS), "disctotal" (TOTALDISCS).
    // Values are kept exactly; empty or blank ones are left out.
    std::map<std::string, std::string> tags;
    std::optional<int> track;
    std::optional<int> trackTotal;
    std::optional<int> disc;
    std::optional<int> discTotal;
    std::vector<SourceChapter> chapters;  // in start order
    std::vector<EmbeddedPicture> pictures;  // in stream order
    // The title the user gave the row's chapter in the list, over its title tag.
    std::optional<std::string> chapterTitle;

    // The tag's value, or nothing.
    std::optional<std::string> tag(const std::string& key) const;
    bool operator==(const RowMetadata&) const = default;
};

// Reads a probed file's metadata. Container tags come first; tags the first
// audio stream carries (Ogg and Opus keep their comments there) fill in what
// the container lacks. A record without a report gives only the file name.
RowMetadata readRowMetadata(const FileProbe& probe);

// The name a row goes by in chapter lists: the title the user gave it, else
// its "title" tag, else the file name without its extension.
std::string rowTitle(const RowMetadata& row);

// The number before an optional "/total" ("3", "03", "3/12", " 3 / 12 ");
// nothing when the text does not start with digits.
std::optional<int> leadingNumber(const std::string& text, std::optional<int>* total = nullptr);

}  // namespace velmora
