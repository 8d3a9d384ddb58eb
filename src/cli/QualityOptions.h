#pragma once
// The join command's --quality and --bitrate: read as numbers first, then
// applied to the settings of the output's format once the output is known.

#include <optional>
#include <string>
#include <variant>

#include "join/plan/OutputFormat.h"
#include "join/plan/QualitySettings.h"

namespace velmora::cli {

struct QualityRequest {
    std::optional<int> mp3Quality;  // --quality: LAME's VBR scale
    std::optional<int> bitrate;     // --bitrate, kbit/s
};

// The options' values as numbers, or the message for one that is not.
std::variant<QualityRequest, std::string> readQualityOptions(const std::optional<std::string>& quality,
                                                             const std::optional<std::string>& bitrate);
// Sets what the request asks for the output's format in `settings`; the
// message when the format has no use for it or the value is out of its range.
std::optional<std::string> applyQualityRequest(const QualityRequest& request, const OutputFormat& format,
                                               QualitySettings& settings);

}  // namespace velmora::cli
