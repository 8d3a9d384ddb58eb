#include "cli/QualityOptions.h"

#include <algorithm>
#include <cctype>

namespace velmora::cli {
namespace {

// A whole number of at most six digits, with an optional "k" after it when `unit` allows.
std::optional<int> readNumber(std::string text, bool unit)
{
    if (unit && !text.empty() && (text.back() == 'k' || text.back() == 'K'))
        text.pop_back();
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    return std::stoi(text);
}

std::string range(int low, int high)
{
    return std::to_string(low) + " to " + std::to_string(high);
}

}  // namespace

std::variant<QualityRequest, std::string> readQualityOptions(const std::optional<std::string>& quality,
                                                             const std::optional<std::string>& bitrate)
{
    QualityRequest request;
    if (quality) {
        request.mp3Quality = readNumber(*quality, false);
        if (!request.mp3Quality || *request.mp3Quality > kMp3QualityLeast)
            return "--quality takes a number from " + range(kMp3QualityBest, kMp3QualityLeast) + ", not '" + *quality + "'";
    }
    if (bitrate) {
        request.bitrate = readNumber(*bitrate, true);
        if (!request.bitrate || *request.bitrate == 0)
            return "--bitrate takes kbit/s such as 192 or 192k, not '" + *bitrate + "'";
    }
    return request;
}

std::optional<std::string> applyQualityRequest(const QualityRequest& request, const OutputFormat& format,
                                               QualitySettings& settings)
{
    const std::string& e = format.extension;
    const std::string output = e.empty() ? "an output without an extension" : "." + e + " output";
    if (request.mp3Quality) {
        if (format.encoder != AudioEncoder::mp3)
            return "--quality sets the VBR quality of .mp3 output; " + output + " has none";
        if (request.bitrate)
            return "--quality (VBR) and --bitrate (constant bit rate) exclude each other for .mp3";
        settings.mp3VbrQuality = *request.mp3Quality;
        settings.mp3Bitrate = 0;
    }
    if (!request.bitrate)
        return std::nullopt;
    const int rate = *request.bitrate;
    auto set = [&](int& target, int low, int high, const char* codec) -> std::optional<std::string> {
        if (rate < low || rate > high)
            return std::string("--bitrate for ") + codec + " takes " + range(low, high) + " kbit/s";
        target = rate;
        return std::nullopt;
    };
    switch (format.encoder) {
    case AudioEncoder::mp3: return set(settings.mp3Bitrate, kMp3BitrateMin, kMp3BitrateMax, "MP3");
    case AudioEncoder::aac: return set(settings.aacBitrate, kAacBitrateMin, kAacBitrateMax, "AAC");
    case AudioEncoder::opus: return set(settings.opusBitrate, kOpusBitrateMin, kOpusBitrateMax, "Opus");
    default: break;
    }
    return "--bitrate sets the bit rate of MP3, AAC (.m4a, .m4b, .mp4, .m4v, .mov, .aac) or Opus (.opus, .ogg) output; " + output +
           " has none to set";
}

}  // namespace velmora::cli
