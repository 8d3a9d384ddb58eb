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

namespace {

constexpr auto kReplace = nlohmann::json::error_handler_t::replace;

// A value's indented text placed at a nesting depth: every line after the
// first is moved right by the depth (JSON strings hold no raw line breaks).
std::string atDepth(const nlohmann::json& value, int depth)
{
    const std::string text = value.dump(2, ' ', false, kReplace);
    std::string placed;
    placed.reserve(text.size());
    const std::string margin(static_cast<size_t>(depth) * 2, ' ');
    for (char c : text) {
        placed += c;
        if (c == '\n')
            placed += margin;
    }
    return placed;
}

}  // namespace

void writeFileProbeJson(const FileProbe& probe, bool withReport, int depth,
                        const std::function<void(std::string_view)>& write)
{
    nlohmann::json embedded;
    if (probe.iTunesMetadata) {
        embedded = {
            {"title", optionalJson(probe.iTunesMetadata->title)},
            {"tagline", optionalJson(probe.iTunesMetadata->tagline)},
            {"synopsis", optionalJson(probe.iTunesMetadata->synopsis)},
        };
    }
    // The small members as one object; the tracks and the report, which may
    // be large, are written piece by piece in their places (keys sorted).
    nlohmann::json record = {
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
        {"tracksInfo", nullptr},
        {"metadata", keyValueListJson(probe.metadata)},
        {"firstVideoTrackInfo", jsonValue(probe.firstVideoTrackInfo)},
        {"firstAudioTrackInfo", jsonValue(probe.firstAudioTrackInfo)},
        {"iTunesMetadata", std::move(embedded)},
    };
    if (withReport)
        record["json"] = nullptr;
    const std::string inner(static_cast<size_t>(depth + 1) * 2, ' ');
    write("{\n");
    size_t left = record.size();
    for (const auto& [key, value] : record.items()) {
        write(inner + "\"" + key + "\": ");
        if (key == "tracksInfo" && !probe.tracksInfo.empty()) {
            write("[\n");
            for (size_t i = 0; i < probe.tracksInfo.size(); ++i) {
                write(inner + "  " + atDepth(trackInfoJson(probe.tracksInfo[i]), depth + 2));
                write(i + 1 < probe.tracksInfo.size() ? ",\n" : "\n");
            }
            write(inner + "]");
        } else if (key == "tracksInfo") {
            write("[]");
        } else if (key == "json" && probe.json && probe.json->node()) {
            write(atDepth(*probe.json->node(), depth + 1));
        } else {
            write(atDepth(value, depth + 1));
        }
        write(--left > 0 ? ",\n" : "\n");
    }
    write(std::string(static_cast<size_t>(depth) * 2, ' ') + "}");
}

std::string fileProbesText(const std::vector<FileProbe>& probes, bool withReport)
{
    if (probes.empty())
        return "[]";
    // Texts taken from embedded property lists need not be valid UTF-8: they are replaced.
    std::string text = "[\n";
    for (size_t i = 0; i < probes.size(); ++i) {
        text += "  ";
        writeFileProbeJson(probes[i], withReport, 1, [&](std::string_view piece) { text += piece; });
        text += i + 1 < probes.size() ? ",\n" : "\n";
    }
    return text + "]";
}

}  // namespace velmora
