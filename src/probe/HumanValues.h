#pragma once
// Display texts of sizes, durations, bit rates and frame rates, and the two
// file-size reads. Each size read prints its own failure line.

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

std::uint64_t fileSizeBytes(const std::string& path);   // 0 when not readable
std::string fileSizeText(const std::string& path);      // "Unknown File Size" when not readable
std::string byteCountText(std::int64_t bytes);           // decimal units, current locale
std::string durationText(double seconds);                // "%02i:%02i:%02i.%0.3d"
std::string bitrateText(std::int64_t bitsPerSecond);     // "128.0kbps"
// N/D as the tool writes it, evaluated as a floating-point division.
std::optional<double> frameRateValue(const std::string& ratio);
// The evaluated rate in the current locale, at most three fraction digits,
// no trailing zeros. Absent when the text is not a ratio of integers.
std::optional<std::string> frameRateText(const std::string& ratio);
std::optional<std::string> formatFrameRate(double rate);

}  // namespace velmora
