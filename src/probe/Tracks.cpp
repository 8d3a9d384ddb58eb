#include "probe/Tracks.h"

#include <array>
#include <cmath>
#include <string_view>

#include "foundation/Numbers.h"
#include "probe/FormatMetadata.h"
#include "probe/HumanValues.h"
#include "probe/IsoLocales.h"
#include "probe/StreamProperties.h"

namespace velmora {
namespace {

constexpr std::array<std::string_view, 20> kTextSubtitleCodecs{
    "mov_text", "ass",  "hdmv_text_subtitle", "jacosub",   "microdvd",   "mpl2", "pjs",  "realtext", "sami",    "srt",
    "ssa",      "stl",  "subrip",             "subviewer", "subviewer1", "text", "ttml", "vplayer",  "webvtt", "xsub"};
constexpr std::array<std::string_view, 2> kImageSubtitleCodecs{"dvd_subtitle", "hdmv_pgs_subtitle"};
constexpr std::array<std::string_view, 3> kCaptionCodecs{"eia_608", "dvb_subtitle", "dvb_teletext"};

template <size_t N>
bool contains(const std::array<std::string_view, N>& list, const std::string& name)
{
    for (std::string_view entry : list) {
        if (entry == name)
            return true;
    }
    return false;
}

// Equality with a string literal: holds only for a present string member with exactly that text.
bool is(const JSON& value, std::string_view text)
{
    return value.type() == JSONType::string && value.node()->get_ref<const std::string&>() == text;
}

std::string resolutionClass(std::int64_t v)
{
    if (v < 480)
        return "LD";
    if (v == 480)
        return "480p";
    if (v < 720)
        return "SD";
    if (v == 720)
        return "720p";
    if (v < 1080)
        return "HD";
    if (v == 1080)
        return "1080p";
    if (v < 2160)
        return "SHD";
    if (v == 2160)
        return "4K";
    return "UHD";
}

// A picture shown turned by a quarter: the rotate tag, or where the tool no
// longer writes that tag, the display matrix of the stream's side data.
bool isQuarterTurned(const JSON& stream)
{
    const JSON rotate = stream.at({"tags", "rotate"});
    if (rotate.exists())
        return is(rotate, "90") || is(rotate, "270");
    const JSON sideData = stream["side_data_list"];
    const std::int64_t n = sideData.count();
    for (std::int64_t i = 0; i < n; ++i) {
        const JSON entry = sideData[i];
        if (!is(entry["side_data_type"], "Display Matrix"))
            continue;
        const JSON rotation = entry["rotation"];
        if (rotation.type() != JSONType::number)
            continue;
        const double degrees = rotation.doubleValue();
        return degrees == 90.0 || degrees == -90.0 || degrees == 270.0 || degrees == -270.0;
    }
    return false;
}

std::string profileWithLevel(const JSON& stream)
{
    const std::string profile = stream["profile"].stringValue();
    const double level = stream["level"].doubleValue() / 10.0;
    if (profile == "0" || level == -9.9)
        return "Unknown";
    return profile + "@" + shortestDouble(level);
}

}  // namespace

void readTracks(FileProbe& probe)
{
    if (!probe.json)
        return;
    const JSON streams = (*probe.json)["streams"];
    const JSON chaptersMember = (*probe.json)["chapters"];
    const std::int64_t n = streams.type() == JSONType::array ? streams.count() : 0;
    const std::int64_t chapterCount = chaptersMember.type() == JSONType::array ? chaptersMember.count() : 0;
    const KeyValueList chapters = readChapters(probe);

    nlohmann::json firstVideo;
    nlohmann::json firstAudio;
    bool haveVideo = false;
    bool haveAudio = false;
    std::string subtitleKind = "Unknown";

    probe.tracksInfo.reserve(probe.tracksInfo.size() + static_cast<size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        const JSON stream = streams[i];
        const JSON codecType = stream["codec_type"];
        const JSON codecName = stream["codec_name"];
        const JSON codecTag = stream["codec_tag_string"];

        // Classification: the first rule that matches decides.
        std::string type;
        if (is(codecType, "audio")) {
            type = "Audio";
            ++probe.numberOfAudioTracks;
        } else if (is(codecName, "bin_data")) {
            type = "Chapter";
        } else if (is(codecType, "subtitle") && !is(codecTag, "text") && codecName.exists()) {
            const std::string codec = codecName.stringValue();
            if (contains(kTextSubtitleCodecs, codec)) {
                type = "Subtitle";
                subtitleKind = "Text-Based";
                ++probe.numberOfSubtitleTracks;
            } else if (contains(kImageSubtitleCodecs, codec)) {
                type = "Subtitle";
                subtitleKind = "Image-Based";
                ++probe.numberOfSubtitleTracks;
            } else if (contains(kCaptionCodecs, codec)) {
                type = "Closed Caption";
            } else {
                type = "Other";
            }
        } else if (is(codecType, "video") && is(codecTag, "[0][0][0][0]") &&
                   (is(codecName, "mjpeg") || is(codecName, "png"))) {
            type = "Poster";
        } else if (is(codecType, "video") && !is(stream["avg_frame_rate"], "0/0") && !is(codecName, "ansi") &&
                   !(is(codecName, "mjpeg") && is(codecTag, "jpeg"))) {
            type = "Video";
            ++probe.numberOfVideoTracks;
        } else if (is(codecType, "video") && is(codecName, "theora")) {
            type = "Video";
            ++probe.numberOfVideoTracks;
        } else {
            type = "Other";
        }

        TrackInfo track;
        track.trackNumber = i;
        track.trackCodec = codecName.stringValue();
        track.trackDuration = stream["duration"].doubleValue();
        track.trackDurationHuman = durationText(track.trackDuration);
        std::string language = stream.at({"tags", "language"}).stringValue();
        if (language.empty())
            language = stream.at({"tags", "LANGUAGE"}).stringValue();
        track.trackLanguage = std::string(languageInfo(language).name);
        const std::string longName = stream["codec_long_name"].stringValue();

        if (type == "Subtitle") {
            track.trackExtraInfo = longName + " - " + subtitleKind;
        } else if (type == "Poster") {
            track.trackExtraInfo = longName + " - " + stream["width"].stringValue() + "x" + stream["height"].stringValue();
        } else if (type == "Chapter") {
            track.trackExtraInfo = "Number of Chapters: " + std::to_string(chapterCount);
        } else if (type == "Audio") {
            track.trackExtraInfo = stream["channel_layout"].stringValue();
            if (!haveAudio) {
                const std::int64_t bitrate = stream["bit_rate"].intValue();
                firstAudio = nlohmann::json{
                    {"index", std::to_string(i)},
                    {"codec", track.trackCodec},
                    {"duration", track.trackDuration},
                    {"durationHuman", track.trackDurationHuman},
                    {"bitrate", bitrate},
                    {"bitrateHuman", bitrateText(bitrate)},
                    {"channel", track.trackExtraInfo},
                };
                haveAudio = true;
            }
        } else if (type == "Video") {
            const std::int64_t w = stream["width"].intValue();
            const std::int64_t h = stream["height"].intValue();
            const bool turned = isQuarterTurned(stream);
            const std::int64_t width = turned ? h : w;
            const std::int64_t height = turned ? w : h;
            const std::string dimension = std::to_string(width) + "x" + std::to_string(height);
            const std::string aspect = width > height ? "Wide" : width == height ? "Square" : "Tall";
            const std::string resolution = resolutionClass(aspect == "Tall" ? width : height);
            track.trackExtraInfo = aspect + ": " + dimension + " (" + resolution + ")";
            if (!haveVideo) {
                const std::int64_t bitrate = stream["bit_rate"].intValue();
                firstVideo = nlohmann::json{
                    {"index", std::to_string(i)},
                    {"codec", track.trackCodec},
                    {"width", width},
                    {"height", height},
                    {"ratio", static_cast<double>(width) / static_cast<double>(height)},
                    {"dimension", dimension},
                    {"aspectRatio", aspect},
                    {"resolution", resolution},
                    {"duration", track.trackDuration},
                    {"durationHuman", track.trackDurationHuman},
                    {"bitrate", bitrate},
                    {"bitrateHuman", bitrateText(bitrate)},
                    {"profilewithlevel", profileWithLevel(stream)},
                };
                if (auto fps = frameRateText(stream["r_frame_rate"].stringValue()))
                    firstVideo["fps"] = *fps;
                haveVideo = true;
            }
        } else {
            track.trackExtraInfo = longName;
        }

        track.trackKeyValue = readStreamProperties(chapters, stream);
        track.trackType = std::move(type);
        probe.tracksInfo.push_back(std::move(track));
    }

    probe.firstVideoTrackInfo = haveVideo ? JSON::fromObject(std::move(firstVideo)) : JSON();
    probe.firstAudioTrackInfo = haveAudio ? JSON::fromObject(std::move(firstAudio)) : JSON();
}

}  // namespace velmora
