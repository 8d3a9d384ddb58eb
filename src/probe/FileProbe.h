#pragma once
// The probe result record of one file. Construction does all the work on the
// calling thread: it reads the size, runs the probe tool ("sniffer") and fills
// the record from its JSON report. It never fails; the flags tell what went wrong.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Json.h"
#include "probe/KeyValueEntry.h"

namespace velmora {

// One stream's description.
struct TrackInfo {
    std::int64_t trackNumber = 0;
    std::string trackType;
    std::string trackCodec;
    double trackDuration = 0.0;
    std::string trackDurationHuman;
    std::string trackLanguage;
    std::string trackExtraInfo;
    KeyValueList trackKeyValue;
};

struct Metadata {
    std::optional<std::string> title;
    std::optional<std::string> tagline;
    std::optional<std::string> synopsis;
};

class FileProbe {
public:
    FileProbe() = default;
    // Probes the file at an absolute path (runs the probe tool and waits for it).
    explicit FileProbe(const std::string& path);
    // Fills a record from report bytes as if the tool had printed them for this
    // path; the file itself is only read for its size. For tests, fuzzing and
    // benchmarks: no process runs.
    static FileProbe fromReport(const std::string& path, std::string_view reportBytes);
    static FileProbe fromReport(const std::string& path, std::uint64_t size, std::string_view reportBytes);

    std::optional<std::uint64_t> fileSize;
    std::optional<std::string> fileSizeHuman;
    std::optional<std::string> fileName;
    bool hasErrors = false;
    bool isValidMediaFile = false;
    bool isEncrypted = false;
    std::int64_t numberOfTracks = 0;
    double duration = 0.0;
    std::optional<std::string> durationHuman;
    std::int64_t bitrate = 0;
    std::optional<std::string> bitrateHuman;
    std::int64_t numberOfVideoTracks = 0;
    std::int64_t numberOfAudioTracks = 0;
    std::int64_t numberOfSubtitleTracks = 0;
    std::optional<JSON> json;
    std::vector<TrackInfo> tracksInfo;
    KeyValueList metadata;
    std::optional<JSON> firstVideoTrackInfo;
    std::optional<JSON> firstAudioTrackInfo;
    std::optional<Metadata> iTunesMetadata;
};

// The per-stream walk (fills tracksInfo, the counters and the first summaries).
void readTracks(FileProbe& probe);
// Container tags listing; also sets probe.iTunesMetadata.
KeyValueList readFormatMetadata(FileProbe& probe, const JSON& report);
// The file's chapters: title and time range, ordered by time text.
KeyValueList readChapters(const FileProbe& probe);
// One stream's sorted property listing (chapter tracks: chapters first).
KeyValueList readStreamProperties(const FileProbe& probe, const JSON& stream);
// The same with the file's chapters already read (the walk reads them once).
KeyValueList readStreamProperties(const KeyValueList& chapters, const JSON& stream);

// Media kind codes of the container's "media_type" tag and their names.
const std::map<std::int64_t, std::string>& mediaTypeNames();
// Expands an embedded movie property list (XML or binary) into labelled texts,
// setting map[label] for each; prints one line and adds nothing when it does not parse.
void expandMovieProperties(std::string_view bytes, std::map<std::string, std::string>& labels);

}  // namespace velmora
