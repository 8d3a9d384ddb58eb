#include "join/metadata/WavLength.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace velmora {
namespace {

std::uint64_t littleEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

}  // namespace

std::optional<double> wavLength(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[12];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return std::nullopt;
    const std::string riff(reinterpret_cast<char*>(head), 4), wave(reinterpret_cast<char*>(head) + 8, 4);
    if ((riff != "RIFF" && riff != "RF64") || wave != "WAVE")
        return std::nullopt;

    std::uint64_t rate = 0, frameBytes = 0;
    std::optional<std::uint64_t> bigDataSize;  // from ds64
    unsigned char chunk[8];
    while (in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
        const std::string id(reinterpret_cast<char*>(chunk), 4);
        const std::uint64_t size = littleEndian(chunk + 4, 4);
        const std::streamoff start = in.tellg();
        if (id == "ds64" || id == "fmt ") {
            unsigned char body[24] = {};
            if (size < 16 || !in.read(reinterpret_cast<char*>(body), size < 24 ? 16 : 24))
                return std::nullopt;
            if (id == "ds64") {
                bigDataSize = littleEndian(body + 8, 8);
            } else {
                rate = littleEndian(body + 4, 4);
                frameBytes = littleEndian(body + 12, 2);
            }
        } else if (id == "data") {
            if (rate == 0 || frameBytes == 0)
                return std::nullopt;
            std::uint64_t dataSize = size == 0xFFFFFFFFu && bigDataSize ? *bigDataSize : size;
            // A file cut short holds only what is there.
            in.seekg(0, std::ios::end);
            const std::streamoff end = in.tellg();
            if (end < start)
                return std::nullopt;
            dataSize = std::min<std::uint64_t>(dataSize, static_cast<std::uint64_t>(end - start));
            return static_cast<double>(dataSize / frameBytes) / static_cast<double>(rate);
        }
        // Chunks are padded to an even size.
        in.clear();
        in.seekg(start + static_cast<std::streamoff>(size + (size & 1)));
    }
    return std::nullopt;
}

}  // namespace velmora
