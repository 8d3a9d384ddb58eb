#include "join/plan/SegmentLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "join/plan/JoinPlan.h"

namespace velmora {
namespace {

// Seconds with enough digits that the concat reader, which keeps
// microseconds, turns them back into the same sample.
std::string secondsText(long long frames, int sampleRate)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(frames) / sampleRate);
    return text;
}

}  // namespace

long long segmentLeadInFrames(int sampleRate)
{
    const long long frames = static_cast<long long>(std::ceil(kSegmentLeadInSeconds * sampleRate / kAacFrameSamples));
    return frames * kAacFrameSamples;
}

bool encodesInSegments(const OutputFormat& format)
{
    return format.encoder == AudioEncoder::aac && format.extension != "aac";
}

std::vector<EncodeSegment> segmentLayout(long long totalFrames, int sampleRate, size_t encoders,
                                         double minimumSeconds)
{
    const long long frame = kAacFrameSamples;
    if (encoders < 2 || sampleRate <= 0 || static_cast<double>(totalFrames) / sampleRate < minimumSeconds)
        return {};
    // Every share at least a few frames longer than the margins.
    const size_t cores = static_cast<size_t>(
        std::min<long long>(static_cast<long long>(encoders), totalFrames / (4 * kSegmentMarginFrames * frame)));
    if (cores < 2)
        return {};
    const long long margin = kSegmentMarginFrames * frame;
    std::vector<EncodeSegment> segments;
    long long start = 0;
    for (size_t k = 1; k <= cores; ++k) {
        long long end = totalFrames;
        if (k < cores)
            end = (totalFrames * static_cast<long long>(k) / static_cast<long long>(cores)) / frame * frame;
        EncodeSegment segment;
        segment.start = start;
        segment.end = end;
        segment.from = std::max(0LL, start - segmentLeadInFrames(sampleRate));
        segment.to = std::min(totalFrames, end + margin);
        segments.push_back(segment);
        start = end;
    }
    return segments;
}

std::string sliceWindow(long long from, long long to)
{
    return "atrim=start_sample=" + std::to_string(from) + ":end_sample=" + std::to_string(to);
}

std::vector<std::string> windowedDecoder(std::vector<std::string> decoder, long long from, long long to)
{
    const std::string window = sliceWindow(from, to);
    const auto filter = std::find(decoder.begin(), decoder.end(), "-af");
    if (filter != decoder.end() && filter + 1 != decoder.end()) {
        *(filter + 1) += "," + window;
    } else {
        // No chain of its own: the window goes before the output.
        decoder.insert(decoder.end() - 1, {"-af", window});
    }
    return decoder;
}

std::vector<std::string> segmentEncoderCommand(const AudioForm& form, const OutputFormat& format,
                                               const QualitySettings& quality, const std::string& segmentPath)
{
    std::vector<std::string> command{"-nostdin", "-f",         form.rawFormat(), "-ar", std::to_string(form.sampleRate),
                                     "-ch_layout", form.layout, "-i",             "pipe:0", "-map", "0:a:0"};
    const std::vector<std::string> encoder = audioEncoderArguments(format, form.bits, form.floatingPoint, quality);
    command.insert(command.end(), encoder.begin(), encoder.end());
    command.insert(command.end(), {"-movie_timescale", std::to_string(form.sampleRate), "-f", "mp4", "-y", segmentPath});
    return command;
}

std::string segmentListText(const std::vector<EncodeSegment>& segments, const std::vector<std::string>& paths,
                            int sampleRate)
{
    std::string text = "ffconcat version 1.0\n";
    for (size_t k = 0; k < segments.size() && k < paths.size(); ++k) {
        const EncodeSegment& segment = segments[k];
        text += "file " + concatListQuoted(paths[k]) + "\n";
        // The first segment keeps its priming packet (the output's own); the
        // others start at the packet of their first own sample.
        if (segment.leadIn() > 0)
            text += "inpoint " + secondsText(segment.leadIn(), sampleRate) + "\n";
        // Half a frame before the next share's first packet, so rounding can
        // neither keep that packet nor drop the one before it.
        if (k + 1 < segments.size())
            text += "outpoint " + secondsText(segment.leadIn() + segment.end - segment.start - kAacFrameSamples / 2,
                                              sampleRate) + "\n";
        text += "duration " + secondsText(segment.end - segment.start, sampleRate) + "\n";
    }
    return text;
}

std::vector<std::string> segmentJoinCommand(const std::string& listPath, int sampleRate,
                                            const std::string& metadataPath,
                                            const std::vector<std::string>& moreInputs,
                                            const std::vector<std::string>& outputArguments,
                                            const std::string& outputPath)
{
    // The concat reader starts the first segment's priming packet at 0; moved
    // back by the priming, it is the output's own priming again (an edit list
    // skips it), and every later sample keeps its place.
    std::vector<std::string> command{"-nostdin", "-itsoffset", "-" + secondsText(kAacFrameSamples, sampleRate),
                                     "-f",       "concat",     "-safe",
                                     "0",        "-i",         listPath,
                                     "-f",       "ffmetadata", "-i",
                                     metadataPath};
    for (const std::string& input : moreInputs)
        command.insert(command.end(), {"-i", input});
    command.insert(command.end(), {"-map", "0:a:0", "-c:a", "copy"});
    command.insert(command.end(), outputArguments.begin(), outputArguments.end());
    command.insert(command.end(), {"-movie_timescale", std::to_string(sampleRate), "-y", outputPath});
    return command;
}

}  // namespace velmora
