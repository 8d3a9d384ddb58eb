#include "join/plan/AudioForm.h"

#include <algorithm>

namespace velmora {

AudioForm commonAudioForm(const std::vector<FileRow>& rows)
{
    AudioForm form;
    bool allLossless = !rows.empty();
    bool allMono = !rows.empty();
    int maxBits = 0;
    int highestRate = 0;
    for (const FileRow& row : rows) {
        const AudioStreamFacts& a = row.audio;
        allLossless = allLossless && a.lossless;
        allMono = allMono && a.channels == 1;
        highestRate = std::max(highestRate, a.sampleRate);
        // A lossy decoder works in float; its output was made from at most
        // 16 bits in most cases, and a lossless output keeps 16.
        maxBits = std::max(maxBits, a.lossless ? a.bits : 16);
    }
    if (allLossless && maxBits <= 16)
        form.pcmCodec = "pcm_s16le";
    else if (allLossless && maxBits <= 24)
        form.pcmCodec = "pcm_s24le";
    else
        form.pcmCodec = "pcm_f32le";
    form.bits = maxBits > 16 ? 24 : 16;
    if (highestRate > 0)
        form.sampleRate = highestRate;  // the common rate when they share one
    form.channels = allMono ? 1 : 2;
    return form;
}

bool isMp4Container(const FileRow& row)
{
    return row.formatName.find("mp4") != std::string::npos || row.formatName.find("mov") != std::string::npos;
}

bool concatDecodesExactly(const std::vector<FileRow>& rows)
{
    if (rows.empty())
        return false;
    const FileRow& first = rows.front();
    const std::string& codec = first.audio.codec;
    const bool exactKind = (codec == "mp3" && first.formatName == "mp3") ||
                           (codec.rfind("pcm_", 0) == 0 && first.formatName == "wav");
    if (!exactKind || first.audio.sampleRate <= 0 || first.audio.channels <= 0)
        return false;
    return std::all_of(rows.begin(), rows.end(), [&](const FileRow& row) {
        return row.kind == MediaKind::audio && row.audio.codec == codec && row.formatName == first.formatName &&
               row.audio.sampleFormat == first.audio.sampleFormat && row.audio.bits == first.audio.bits &&
               row.audio.sampleRate == first.audio.sampleRate && row.audio.channels == first.audio.channels &&
               row.streamKinds == first.streamKinds;
    });
}

}  // namespace velmora
