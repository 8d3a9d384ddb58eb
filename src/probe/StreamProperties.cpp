#include "probe/StreamProperties.h"

#include <cmath>
#include <map>

#include "probe/HumanValues.h"

namespace velmora {

KeyValueList readStreamProperties(const KeyValueList& chapters, const JSON& stream)
{
    static const JSON chapterCodec = JSON::fromString("bin_data");
    // Labels are unique; a label made twice keeps the later text.
    std::map<std::string, std::string> labels;
    bool isChapterTrack = false;
    for (const auto& [name, value] : stream.entries()) {
        if (name == "disposition") {
            for (const auto& [flag, x] : value.entries())
                labels[flag + ".disposition"] = x.rawText().value_or("unknown");
        } else if (name == "tags") {
            for (const auto& [tag, x] : value.entries())
                labels[tag + ".tags"] = x.rawText().value_or("unknown");
        } else if (name == "r_frame_rate") {
            const std::string ratio = value.rawText().value_or("unknown");
            const std::optional<double> rate = frameRateValue(ratio);
            if (!rate || std::isnan(*rate) || *rate <= 20.0 || *rate >= 200.0) {
                labels["r_frame_rate"] = ratio;
            } else if (auto text = formatFrameRate(*rate)) {
                labels["frames_per_second"] = std::move(*text);
            }
        } else {
            labels[name] = value.rawText().value_or("unknown");
            if (name == "codec_name" && value == chapterCodec)
                isChapterTrack = true;
        }
    }

    KeyValueList result;
    if (isChapterTrack)
        result = chapters;
    result.reserve(result.size() + labels.size());
    for (auto& [label, text] : labels)
        result.push_back({label, std::move(text)});
    return result;
}

}  // namespace velmora
