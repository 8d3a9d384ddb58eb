#include "join/metadata/HeaderLength.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

#include "join/metadata/BigEndian.h"

namespace velmora {
namespace {

using Bytes = std::vector<unsigned char>;

// `size` bytes from `offset`, fewer at the end of the file.
Bytes readAt(std::ifstream& file, std::uint64_t offset, size_t size)
{
    Bytes bytes(size);
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

// Where the sound starts: after an ID3v2 tag (and its footer), when there is one.
std::uint64_t afterId3(std::ifstream& file)
{
    const Bytes head = readAt(file, 0, 10);
    if (head.size() < 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3')
        return 0;
    const std::uint64_t size = (head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 | (head[8] & 0x7f) << 7 | (head[9] & 0x7f);
    return 10 + size + ((head[5] & 0x10) ? 10 : 0);
}

}  // namespace

std::optional<long long> mp3HeaderSamples(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::uint64_t start = afterId3(file);
    // Padding after the tag comes before the first frame.
    Bytes frame = readAt(file, start, 4096);
    size_t at = 0;
    while (at < frame.size() && frame[at] == 0)
        ++at;
    if (at + 4 > frame.size() || frame[at] != 0xff || (frame[at + 1] & 0xe0) != 0xe0)
        return std::nullopt;
    start += at;
    frame = readAt(file, start, 512);
    if (frame.size() < 200)
        return std::nullopt;
    const int version = (frame[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (frame[1] >> 1) & 3;    // 1: layer III
    const int rateIndex = (frame[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 3)
        return std::nullopt;
    const bool mono = ((frame[3] >> 6) & 3) == 3;
    const bool mpeg1 = version == 3;
    const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const long long samplesPerFrame = mpeg1 ? 1152 : 576;

    size_t p = 4 + sideInfo;
    const std::string tag(reinterpret_cast<const char*>(&frame[p]), 4);
    if (tag != "Xing" && tag != "Info")
        return std::nullopt;
    const std::uint32_t flags = bigEndian(&frame[p + 4], 4);
    p += 8;
    if (!(flags & 1))
        return std::nullopt;  // no count of frames
    const long long frames = bigEndian(&frame[p], 4);
    p += 4;
    if (flags & 2)
        p += 4;    // bytes
    if (flags & 4)
        p += 100;  // seek table
    if (flags & 8)
        p += 4;    // quality
    // The encoder's tag: its name, then 12 bytes, then delay and padding in 12 bits each.
    if (p + 24 > frame.size() || frames <= 0)
        return std::nullopt;
    const std::string encoder(reinterpret_cast<const char*>(&frame[p]), 4);
    if (encoder != "LAME" && encoder != "Lavf" && encoder != "Lavc")
        return std::nullopt;
    const std::uint32_t delays = bigEndian(&frame[p + 21], 3);
    const long long delay = delays >> 12, padding = delays & 0xfff;
    const long long samples = frames * samplesPerFrame - delay - padding;
    if (samples <= 0)
        return std::nullopt;
    return samples;
}

std::optional<long long> flacHeaderSamples(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const Bytes head = readAt(file, afterId3(file), 42);
    // "fLaC", then the stream info block: its header, 10 bytes of frame
    // sizes, then rate (20 bits), channels (3), depth (5) and total (36).
    if (head.size() < 42 || head[0] != 'f' || head[1] != 'L' || head[2] != 'a' || head[3] != 'C' ||
        (head[4] & 0x7f) != 0)
        return std::nullopt;
    const unsigned char* info = &head[8];
    const long long total = static_cast<long long>(info[13] & 0x0f) << 32 | bigEndian(&info[14], 4);
    if (total <= 0)
        return std::nullopt;
    return total;
}

std::optional<long long> wavHeaderSamples(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const auto named = [](const Bytes& bytes, size_t at, const char* name) {
        return bytes.size() >= at + 4 && std::equal(name, name + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    };
    const Bytes head = readAt(file, 0, 12);
    if (!named(head, 0, "RIFF") || !named(head, 8, "WAVE"))
        return std::nullopt;
    file.clear();
    file.seekg(0, std::ios::end);
    const std::uint64_t fileSize = static_cast<std::uint64_t>(std::max<std::streamoff>(file.tellg(), 0));
    std::uint64_t blockAlign = 0;
    // The chunks in turn: "fmt " before "data", others (tags, padding) passed over.
    for (std::uint64_t at = 12; at + 8 <= fileSize;) {
        const Bytes chunk = readAt(file, at, 8);
        if (chunk.size() < 8)
            return std::nullopt;
        const std::uint64_t size = littleEndian(&chunk[4], 4);
        if (named(chunk, 0, "fmt ")) {
            const Bytes format = readAt(file, at + 8, 16);
            if (format.size() < 16)
                return std::nullopt;
            blockAlign = littleEndian(&format[12], 2);
        } else if (named(chunk, 0, "data")) {
            // A file cut short, or one written as a stream (whose size says
            // nothing), holds less than the chunk says: no promise then.
            if (blockAlign == 0 || size > fileSize - at - 8 || size / blockAlign == 0)
                return std::nullopt;
            return static_cast<long long>(size / blockAlign);
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

}  // namespace velmora
