#include "join/metadata/Mp4Length.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

#include "join/metadata/BigEndian.h"

namespace velmora {
namespace {

using Bytes = std::vector<unsigned char>;

struct Box {
    std::string type;
    size_t body = 0;  // offset of the contents
    size_t end = 0;
};

// The boxes inside data[from, to).
std::vector<Box> boxesIn(const Bytes& data, size_t from, size_t to)
{
    std::vector<Box> boxes;
    while (from + 8 <= to) {
        std::uint64_t size = bigEndian(&data[from], 4);
        size_t header = 8;
        if (size == 1 && from + 16 <= to) {
            size = bigEndian(&data[from + 8], 8);
            header = 16;
        } else if (size == 0) {
            size = to - from;
        }
        if (size < header || from + size > to)
            break;
        boxes.push_back({std::string(reinterpret_cast<const char*>(&data[from + 4]), 4), from + header,
                         static_cast<size_t>(from + size)});
        from += static_cast<size_t>(size);
    }
    return boxes;
}

const Box* find(const std::vector<Box>& boxes, const std::string& type)
{
    for (const Box& box : boxes) {
        if (box.type == type)
            return &box;
    }
    return nullptr;
}

// The "moov" box's bytes, found among the file's top-level boxes (the media
// data is skipped, not read).
std::optional<Bytes> movieBox(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char header[16];
    while (in.read(reinterpret_cast<char*>(header), 8)) {
        std::uint64_t size = bigEndian(header, 4);
        std::uint64_t headerSize = 8;
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(header + 8), 8))
                return std::nullopt;
            size = bigEndian(header + 8, 8);
            headerSize = 16;
        }
        if (size < headerSize)
            return std::nullopt;
        const std::string type(reinterpret_cast<const char*>(header + 4), 4);
        if (type == "moov") {
            if (size > (std::uint64_t{1} << 30))
                return std::nullopt;
            Bytes body(static_cast<size_t>(size - headerSize));
            if (!in.read(reinterpret_cast<char*>(body.data()), static_cast<std::streamsize>(body.size())))
                return std::nullopt;
            return body;
        }
        in.seekg(static_cast<std::streamoff>(size - headerSize), std::ios::cur);
    }
    return std::nullopt;
}

// The first sound track of a movie box: the boxes of its trak (the edit
// list among them), its media header and its media information.
struct SoundTrack {
    std::vector<Box> inTrak;
    Box mdhd;
    std::optional<Box> minf;
};

std::optional<SoundTrack> firstSoundTrack(const Bytes& data, const std::vector<Box>& inMoov)
{
    for (const Box& trak : inMoov) {
        if (trak.type != "trak")
            continue;
        std::vector<Box> inTrak = boxesIn(data, trak.body, trak.end);
        const Box* mdia = find(inTrak, "mdia");
        if (!mdia)
            continue;
        const std::vector<Box> inMdia = boxesIn(data, mdia->body, mdia->end);
        const Box* hdlr = find(inMdia, "hdlr");
        const Box* mdhd = find(inMdia, "mdhd");
        if (!hdlr || !mdhd || hdlr->body + 12 > hdlr->end ||
            std::string(reinterpret_cast<const char*>(&data[hdlr->body + 8]), 4) != "soun")
            continue;
        const Box* minf = find(inMdia, "minf");
        const Box header = *mdhd;
        return SoundTrack{std::move(inTrak), header, minf ? std::optional<Box>(*minf) : std::nullopt};
    }
    return std::nullopt;
}

}  // namespace

std::optional<long long> mp4SoundSamples(const std::string& path, int sampleRate)
{
    const std::optional<Bytes> moov = movieBox(path);
    if (!moov || sampleRate <= 0)
        return std::nullopt;
    const Bytes& data = *moov;
    const std::vector<Box> inMoov = boxesIn(data, 0, data.size());
    std::uint64_t movieScale = 0;
    if (const Box* mvhd = find(inMoov, "mvhd"); mvhd && mvhd->body + 24 <= mvhd->end)
        movieScale = bigEndian(&data[mvhd->body + 4 + (data[mvhd->body] == 1 ? 16 : 8)], 4);
    if (const std::optional<SoundTrack> track = firstSoundTrack(data, inMoov)) {
        const std::vector<Box>& inTrak = track->inTrak;
        const Box* mdhd = &track->mdhd;
        // mdhd: version 1 has 64-bit times.
        const bool wide = data[mdhd->body] == 1;
        const size_t at = mdhd->body + 4 + (wide ? 16 : 8);
        if (at + (wide ? 12 : 8) > mdhd->end)
            return std::nullopt;
        const std::uint64_t timescale = bigEndian(&data[at], 4);
        const std::uint64_t duration = bigEndian(&data[at + 4], wide ? 8 : 4);
        if (timescale != static_cast<std::uint64_t>(sampleRate))
            return std::nullopt;
        // The first edit that plays media: where the track's sound starts.
        std::uint64_t skipped = 0, edited = 0;
        if (const Box* edts = find(inTrak, "edts")) {
            const std::vector<Box> inEdts = boxesIn(data, edts->body, edts->end);
            if (const Box* elst = find(inEdts, "elst"); elst && elst->body + 8 <= elst->end) {
                const bool wideEdit = data[elst->body] == 1;
                const std::uint64_t entries = bigEndian(&data[elst->body + 4], 4);
                const size_t entrySize = wideEdit ? 20 : 12;
                for (std::uint64_t k = 0; k < entries; ++k) {
                    const size_t e = elst->body + 8 + static_cast<size_t>(k) * entrySize;
                    if (e + entrySize > elst->end)
                        break;
                    const size_t timeAt = e + (wideEdit ? 8 : 4);
                    const std::uint64_t length = bigEndian(&data[e], wideEdit ? 8 : 4);
                    const std::uint64_t mediaTime = bigEndian(&data[timeAt], wideEdit ? 8 : 4);
                    const bool empty = wideEdit ? mediaTime == UINT64_MAX : mediaTime == 0xFFFFFFFFu;
                    if (!empty) {
                        skipped = mediaTime;
                        edited = length;
                        break;
                    }
                }
            }
        }
        if (skipped >= duration)
            return std::nullopt;
        std::uint64_t samples = duration - skipped;
        // Where the edit itself ends well before the track (a padding the
        // track counts, as some encoders write it), the edit holds the length;
        // within one tick of the movie's scale the track's count is the finer.
        if (edited > 0 && movieScale > 0) {
            const std::uint64_t editSamples = edited * timescale / movieScale;
            const std::uint64_t tick = timescale / movieScale + 1;
            if (editSamples + tick < samples)
                samples = editSamples;
        }
        return static_cast<long long>(samples);
    }
    return std::nullopt;
}

std::optional<Mp4Packets> mp4SoundPackets(const std::string& path)
{
    const std::optional<Bytes> moov = movieBox(path);
    if (!moov)
        return std::nullopt;
    const Bytes& data = *moov;
    const std::optional<SoundTrack> track = firstSoundTrack(data, boxesIn(data, 0, data.size()));
    if (track && track->minf) {
        const Box* mdhd = &track->mdhd;
        const Box* minf = &*track->minf;
        const size_t at = mdhd->body + 4 + (data[mdhd->body] == 1 ? 16 : 8);
        if (at + 4 > mdhd->end)
            return std::nullopt;
        Mp4Packets packets;
        packets.timescale = static_cast<long long>(bigEndian(&data[at], 4));
        const std::vector<Box> inMinf = boxesIn(data, minf->body, minf->end);
        const Box* stbl = find(inMinf, "stbl");
        const Box* stts = stbl ? find(boxesIn(data, stbl->body, stbl->end), "stts") : nullptr;
        if (!stts || stts->body + 8 > stts->end || packets.timescale <= 0)
            return std::nullopt;
        // Runs of packets of one length: (count, length) pairs.
        const std::uint64_t runs = bigEndian(&data[stts->body + 4], 4);
        for (std::uint64_t k = 0; k < runs; ++k) {
            const size_t entry = stts->body + 8 + static_cast<size_t>(k) * 8;
            if (entry + 8 > stts->end)
                return std::nullopt;
            const auto count = static_cast<long long>(bigEndian(&data[entry], 4));
            const auto length = static_cast<long long>(bigEndian(&data[entry + 4], 4));
            packets.count += count;
            packets.ticks += count * length;
            if (count > 0)
                packets.longest = std::max(packets.longest, length);
        }
        return packets;
    }
    return std::nullopt;
}

}  // namespace velmora
