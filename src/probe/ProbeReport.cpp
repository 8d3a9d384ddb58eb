#include "probe/ProbeReport.h"

namespace velmora {
namespace {

template <typename T>
nlohmann::json optionalJson(const std::optional<T>& value)
{
    return value ? nlohmann::json(*value) : nlohmann::json();
}

nlohmann::json jsonValue(const std::optional<JSON>& value)
{
    if (!value || !value->node())
        return nullptr;
    return *value->node();
}

}  // namespace

nlohmann::json keyValueListJson(const KeyValueList& list)
{
    nlohmann::json array = nlohmann::json::array();
    for (const KeyValueEntry& entry : list)
        array.push_back({{"key", entry.key}, {"value", entry.value}});
    return array;
}

nlohmann::json trackInfoJson(const TrackInfo& track)
{
    return {
        {"trackNumber", track.trackNumber},
        {"trackType", track.trackType},
        {"trackCodec", track.trackCodec},
        {"trackDuration", track.trackDuration},
        {"trackDurationHuman", track.trackDurationHuman},
        {"trackLanguage", track.trackLanguage},
        {"trackExtraInfo", track.trackExtraInfo},
        {"trackKeyValue", keyValueListJson(track.trackKeyValue)},
    };
}

nlohmann::json fileProbeJson(const FileProbe& probe, bool withReport)
{
    nlohmann::json tracks = nlohmann::json::array();
    for (const TrackInfo& track : probe.tracksInfo)
        tracks.push_back(trackInfoJson(track));
    nlohmann::json embedded;
    if (probe.iTunesMetadata) {
        embedded = {
            {"title", optionalJson(probe.iTunesMetadata->title)},
            {"tagline", optionalJson(probe.iTunesMetadata->tagline)},
            {"synopsis", optionalJson(probe.iTunesMetadata->synopsis)},
        };
    }
    nlohmann::json result = {
        {"fileSize", optionalJson(probe.fileSize)},
        {"fileSizeHuman", optionalJson(probe.fileSizeHuman)},
        {"fileName", optionalJson(probe.fileName)},
        {"hasErrors", probe.hasErrors},
        {"isValidMediaFile", probe.isValidMediaFile},
        {"isEncrypted", probe.isEncrypted},
        {"numberOfTracks", probe.numberOfTracks},
        {"duration", probe.duration},
        {"durationHuman", optionalJson(probe.durationHuman)},
        {"bitrate", probe.bitrate},
        {"bitrateHuman", optionalJson(probe.bitrateHuman)},
        {"numberOfVideoTracks", probe.numberOfVideoTracks},
        {"numberOfAudioTracks", probe.numberOfAudioTracks},
        {"numberOfSubtitleTracks", probe.numberOfSubtitleTracks},
        {"tracksInfo", std::move(tracks)},
        {"metadata", keyValueListJson(probe.metadata)},
        {"firstVideoTrackInfo", jsonValue(probe.firstVideoTrackInfo)},
        {"firstAudioTrackInfo", jsonValue(probe.firstAudioTrackInfo)},
        {"iTunesMetadata", std::move(embedded)},
    };
    if (withReport)
        result["json"] = jsonValue(probe.json);
    return result;
}

std::string fileProbesText(const std::vector<FileProbe>& probes, bool withReport)
{
    nlohmann::json array = nlohmann::json::array();
    for (const FileProbe& probe : probes)
        array.push_back(fileProbeJson(probe, withReport));
    // Texts taken from embedded property lists need not be valid UTF-8.
    return array.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace velmora
