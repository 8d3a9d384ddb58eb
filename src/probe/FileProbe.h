#pragma once
// The probe result record of one file. Construction does all the work on the
// calling thread: it reads the size, runs the probe tool ("sniffer") and fills
// the record from its JSON report. It never fails; the flags tell what went wrong.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Json.h"
#include "probe/KeyValueEntry.h"

namespace velmora {

class Cancellation;

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

// How the run of the probe tool went. Only `completed` means the record was
// filled from a whole report; the others leave the report-derived fields at
// their defaults.
enum class ProbeRun {
    notRun,             // the size was 0 or unreadable, or no process was asked for
    completed,
    toolMissing,        // no executable "sniffer" in the tools folder
    toolFailedToStart,
    timedOut,           // still running after the time limit: stopped
    reportTooLarge,     // more than kProbeReportLimit bytes: stopped
    cancelled,
};

// The most of a report that is read; a longer one is not used.
inline constexpr std::size_t kProbeReportLimit = 64u * 1024 * 1024;
inline constexpr std::chrono::seconds kDefaultProbeTimeLimit{30};
// How long one probe run may take (for every probe from now on).
void setProbeTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds probeTimeLimit();

// How far the probe reads: the headers, or every packet as well, so that each
// stream's report also tells how many packets the file really holds
// ("nb_read_packets"). Counting reads the whole file and is not held to the
// probe's time limit.
enum class ProbeDepth { headers, countPackets };

class FileProbe {
public:
    FileProbe() = default;
    // Probes the file at an absolute path (runs the probe tool and waits for
    // it). A cancel ends the running tool; the record then says nothing usable.
    explicit FileProbe(const std::string& path, Cancellation* cancellation = nullptr,
                       ProbeDepth depth = ProbeDepth::headers);
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

    ProbeRun run = ProbeRun::notRun;
    std::string runFailure;  // why the tool could not start
};

}  // namespace velmora
