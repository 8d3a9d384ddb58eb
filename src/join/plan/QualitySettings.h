#pragma once
// How hard the lossy output formats compress: LAME's VBR quality or a
// constant MP3 bit rate, the AAC bit rate and the Opus bit rate. A plain value
// handed to the plan; the window keeps it in the settings store.

namespace velmora {

struct QualitySettings {
    int mp3VbrQuality = 2;  // LAME's VBR scale, 0 (best) to 9 (smallest)
    int mp3Bitrate = 0;     // kbit/s of a constant-bit-rate MP3; 0 means VBR at mp3VbrQuality
    int aacBitrate = 192;   // kbit/s
    int opusBitrate = 128;  // kbit/s
    bool operator==(const QualitySettings&) const = default;
};

// The ranges each setting accepts (kbit/s for the bit rates).
inline constexpr int kMp3QualityBest = 0, kMp3QualityLeast = 9;
inline constexpr int kMp3BitrateMin = 32, kMp3BitrateMax = 320;
inline constexpr int kAacBitrateMin = 32, kAacBitrateMax = 512;
inline constexpr int kOpusBitrateMin = 6, kOpusBitrateMax = 510;

// Each value within its range; one that is not takes the default's place.
QualitySettings sanitised(const QualitySettings& settings);

// The values kept in the settings store (defaults for what is missing or out of range).
QualitySettings loadQualitySettings();
void saveQualitySettings(const QualitySettings& settings);

}  // namespace velmora
