#include "join/IntakeRule.h"

#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"

namespace velmora {
namespace {

std::string mediaTypeOf(bool video, bool audio)
{
    if (video && audio)
        return "Audio & Video";
    if (video)
        return "Video";
    if (audio)
        return "Audio";
    return "Unknown";
}

// Tracks whose codec the list shows: the content, not cover art, chapter
// text or data.
bool isListedTrackType(const std::string& type)
{
    return type == "Audio" || type == "Video" || type == "Subtitle" || type == "Closed Caption";
}

}  // namespace

std::string intakeVerdictText(IntakeVerdict verdict)
{
    switch (verdict) {
    case IntakeVerdict::accepted: return "accepted";
    case IntakeVerdict::skippedExtension: return "skipped extension";
    case IntakeVerdict::unreadable: return "unreadable or damaged";
    case IntakeVerdict::notMedia: return "not media";
    case IntakeVerdict::protectedContent: return "protected";
    case IntakeVerdict::noAudioOrVideo: return "no audio or video";
    case IntakeVerdict::cancelled: return "cancelled";
    case IntakeVerdict::probeTimedOut: return "probe timed out";
    case IntakeVerdict::reportTooLarge: return "probe report too large";
    case IntakeVerdict::toolUnavailable: return "ffprobe cannot run";
    }
    return "not media";
}

bool isSkippedExtension(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    return extension == "vob" || extension == "m4p";
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
    if (probe.hasErrors) {
        result.verdict = IntakeVerdict::unreadable;
        return result;
    }
    if (!probe.isValidMediaFile) {
        result.verdict = IntakeVerdict::notMedia;
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
    row.mediaType = mediaTypeOf(video, audio);
    diagnostic(row.mediaType);
    row.fileSizeHuman = probe.fileSizeHuman.value_or(std::string());
    row.codecHuman = codecHuman;
    row.isProRes = probe.firstVideoTrackInfo.has_value() && (*probe.firstVideoTrackInfo)["codec"].stringValue() == "prores";

    result.verdict = IntakeVerdict::accepted;
    result.row = std::move(row);
    return result;
}

IntakeResult analyzeFile(const std::string& path, Cancellation* cancellation)
{
    if (isSkippedExtension(path))
        return IntakeResult{IntakeVerdict::skippedExtension, std::nullopt};
    const FileProbe probe(path, cancellation);
    return intakeFromProbe(path, probe);
}

}  // namespace velmora
