#pragma once
// Numbers as file headers store them: most significant byte first (MP3,
// FLAC, MP4), or least significant first (RIFF).

#include <cstdint>

namespace velmora {

inline std::uint64_t bigEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

inline std::uint64_t littleEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

}  // namespace velmora
