#include "join/intake/IntakeRule.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "join/intake/MediaFiles.h"

namespace velmora {
namespace {

// Tracks whose codec the list shows: the content, not cover art, chapter
// text or data.
bool isListedTrackType(const std::string& type)
{
    return type == "Audio" || type == "Video" || type == "Subtitle" || type == "Closed Caption";
}

bool isLosslessCodec(const std::string& codec)
{
    static const char* const kLossless[] = {"flac", "alac", "wavpack", "tta", "ape", "tak", "shorten", "mlp", "truehd"};
    if (codec.rfind("pcm_", 0) == 0)
        return true;
    for (const char* name : kLossless) {
        if (codec == name)
            return true;
    }
    return false;
}

AudioStreamFacts audioFactsOf(const JSON& stream)
{
    AudioStreamFacts facts;
    facts.codec = stream["codec_name"].stringValue();
    facts.sampleRate = static_cast<int>(stream["sample_rate"].intValue());
    facts.channels = static_cast<int>(stream["channels"].intValue());
    facts.sampleFormat = stream["sample_fmt"].stringValue();
    facts.profile = stream["profile"].stringValue();
    facts.layout = stream["channel_layout"].stringValue();
    facts.duration = stream["duration"].doubleValue();
    facts.lossless = isLosslessCodec(facts.codec);
    if (facts.lossless) {
        // What the stream stores, else what its decoded form can hold.
        int bits = static_cast<int>(stream["bits_per_raw_sample"].intValue());
        if (bits <= 0)
            bits = static_cast<int>(stream["bits_per_sample"].intValue());
        const std::string& format = facts.sampleFormat;
        if (format.rfind("flt", 0) == 0 || format.rfind("dbl", 0) == 0)
            bits = 32;  // floating point: only a float form keeps it
        else if (bits <= 0)
            bits = format.rfind("s16", 0) == 0 || format.rfind("u8", 0) == 0 ? 16 : 32;
        facts.bits = bits;
    }
    return facts;
}

// The facts of the first audio stream, the container's name and the kinds of
// all streams, read from the probe's report.
void addStreamFacts(FileRow& row, const FileProbe& probe)
{
    if (!probe.json)
        return;
    const JSON& report = *probe.json;
    row.formatName = report.at({"format", "format_name"}).stringValue();
    const JSON streams = report["streams"];
    const std::int64_t n = streams.type() == JSONType::array ? streams.count() : 0;
    bool audioSeen = false;
    for (std::int64_t i = 0; i < n; ++i) {
        const JSON stream = streams[i];
        const std::string kind = stream["codec_type"].stringValue();
        row.streamKinds += (i == 0 ? "" : ",") + kind;
        if (kind == "audio" && !audioSeen) {
            audioSeen = true;
            row.audio = audioFactsOf(stream);
        }
    }
}

}  // namespace

std::string intakeVerdictText(IntakeVerdict verdict)
{
    switch (verdict) {
    case IntakeVerdict::accepted: return "accepted";
    case IntakeVerdict::skippedExtension: return "skipped extension";
    case IntakeVerdict::missing: return "missing";
    case IntakeVerdict::noPermission: return "no permission";
    case IntakeVerdict::playlist: return "a playlist: use Open List\u2026";
    case IntakeVerdict::damaged: return "damaged";
    case IntakeVerdict::notMedia: return "not an audio or video file";
    case IntakeVerdict::protectedContent: return "protected";
    case IntakeVerdict::noAudioOrVideo: return "no audio or video";
    case IntakeVerdict::cancelled: return "cancelled";
    case IntakeVerdict::probeTimedOut: return "probe timed out";
    case IntakeVerdict::reportTooLarge: return "probe report too large";
    case IntakeVerdict::toolUnavailable: return "ffprobe cannot run";
    }
    return "not an audio or video file";
}

bool isSkippedExtension(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    return extension == "vob" || extension == "m4p";
}

std::optional<IntakeVerdict> verdictBeforeProbe(const std::string& path)
{
    if (isSkippedExtension(path))
        return IntakeVerdict::skippedExtension;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == EACCES ? IntakeVerdict::noPermission : IntakeVerdict::missing;
    if (::access(path.c_str(), R_OK) != 0)
        return IntakeVerdict::noPermission;
    const std::string extension = lowerExtension(path);
    if (extension == "m3u" || extension == "m3u8" || extension == "pls")
        return IntakeVerdict::playlist;
    return std::nullopt;
}

IntakeResult intakeFromProbe(const std::string& path, const FileProbe& probe)
{
    IntakeResult result;
    switch (probe.run) {
    case ProbeRun::notRun:
    case ProbeRun::completed: break;
    case ProbeRun::toolMissing:
    case ProbeRun::toolFailedToStart: result.verdict = IntakeVerdict::toolUnavailable; return result;
    case ProbeRun::timedOut: result.verdict = IntakeVerdict::probeTimedOut; return result;
    case ProbeRun::reportTooLarge: result.verdict = IntakeVerdict::reportTooLarge; return result;
    case ProbeRun::cancelled: result.verdict = IntakeVerdict::cancelled; return result;
    }
    // A file named as media that does not read as media is damaged; any
    // other such file is simply not media.
    if (probe.hasErrors || !probe.isValidMediaFile) {
        result.verdict = hasMediaFileExtension(path) ? IntakeVerdict::damaged : IntakeVerdict::notMedia;
        return result;
    }
    if (probe.isEncrypted) {
        result.verdict = IntakeVerdict::protectedContent;
        return result;
    }
    if (probe.numberOfAudioTracks <= 0 && probe.numberOfVideoTracks <= 0) {
        result.verdict = IntakeVerdict::noAudioOrVideo;
        return result;
    }

    bool video = false;
    bool audio = false;
    std::string codec;
    std::string codecHuman;
    for (const TrackInfo& track : probe.tracksInfo) {
        video = video || track.trackType == "Video";
        audio = audio || track.trackType == "Audio";
        if (&track != &probe.tracksInfo.front())
            codec += ", ";
        codec += track.trackCodec;
        if (isListedTrackType(track.trackType) && !track.trackCodec.empty())
            codecHuman += (codecHuman.empty() ? "" : ", ") + track.trackCodec;
    }

    FileRow row;
    row.fileURL = fileUrlText(path);
    row.filePath = path;
    row.fileName = probe.fileName.value_or(std::string());
    row.durationHuman = probe.durationHuman.value_or(std::string());
    row.duration = probe.duration;
    row.codec = codec;
    row.kind = mediaKindOf(video, audio);
    diagnostic(mediaKindText(row.kind));
    row.fileSizeHuman = probe.fileSizeHuman.value_or(std::string());
    row.codecHuman = codecHuman;
    row.metadata = readRowMetadata(probe);
    row.isProRes = probe.firstVideoTrackInfo.has_value() && (*probe.firstVideoTrackInfo)["codec"].stringValue() == "prores";
    addStreamFacts(row, probe);

    result.verdict = IntakeVerdict::accepted;
    result.row = std::move(row);
    return result;
}


}  // namespace velmora
