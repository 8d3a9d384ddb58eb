#pragma once
// Numbers as file headers store them: most significant byte first.

#include <cstdint>

namespace velmora {

inline std::uint64_t bigEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

}  // namespace velmora
