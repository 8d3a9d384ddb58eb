#include "join/run/SegmentEncode.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "foundation/FileSystem.h"
#include "foundation/ParallelWork.h"
#include "foundation/Paths.h"
#include "join/plan/DecoderGroups.h"
#include "join/run/JobProgress.h"
#include "join/run/OutputFile.h"
#include "join/run/PartStream.h"
#include "join/run/ToolRunner.h"

namespace velmora {
namespace {

// The frames [from, to) of one part that a segment's encoder hears.
// Slices shorter than this start the next one's decoder ahead.
constexpr long long kAheadBelowSeconds = 300;

struct PartSlice {
    size_t part = 0;
    long long from = 0;
    long long to = 0;
};

std::vector<PartSlice> slicesHeard(const std::vector<long long>& starts, const std::vector<PartCount>& counts,
                                   const EncodeSegment& segment)
{
    std::vector<PartSlice> slices;
    for (size_t i = 0; i < counts.size(); ++i) {
        const long long from = std::max(segment.from, starts[i]);
        const long long to = std::min(segment.to, starts[i] + counts[i].frames);
        if (from < to)
            slices.push_back({i, from - starts[i], to - starts[i]});
    }
    return slices;
}

long long overlap(long long a0, long long a1, long long b0, long long b1)
{
    return std::max(0LL, std::min(a1, b1) - std::max(a0, b0));
}

// "<name>.segment-<n>.mp4" beside the output, whose partial file is the segment's.
std::string segmentName(const std::string& outputPath, size_t index)
{
    return parentDirectory(outputPath) + "/" + baseName(outputPath) + ".segment-" + std::to_string(index + 1) + ".mp4";
}

std::string listPath(const JoinPlan& plan)
{
    return parentDirectory(plan.metadataPath) + "/segments.txt";
}

}  // namespace

StreamReport encodeInSegments(const SegmentedWork& work, Cancellation& control,
                              const std::function<void(double)>& encoded,
                              const std::function<void(std::string_view)>& joinSaid)
{
    const JoinPlan& plan = work.plan;
    const size_t count = work.segments.size();
    StreamReport report;
    report.parts.resize(work.counts.size());

    // Each segment file is claimed like the output's own partial file.
    std::vector<std::unique_ptr<PartialOutput>> files;
    std::vector<std::string> paths;
    for (size_t k = 0; k < count; ++k) {
        files.push_back(std::make_unique<PartialOutput>(segmentName(work.outputPath, k)));
        if (!files.back()->claim(&report.encoder.failure) ||
            !work.folder.recordPartial(files.back()->path(), files.back()->descriptor(), &report.encoder.failure))
            return report;
        paths.push_back(files.back()->path());
    }

    std::vector<long long> starts;
    long long total = 0;
    for (const PartCount& part : work.counts) {
        starts.push_back(total);
        total += part.frames;
    }
    std::vector<std::vector<PartSlice>> slices(count);
    for (size_t k = 0; k < count; ++k)
        slices[k] = slicesHeard(starts, work.counts, work.segments[k]);

    std::mutex mutex;
    std::vector<double> encodedBy(count, 0.0);
    std::vector<StreamReport> runs(count);
    runInParallel(count, count, [&](size_t k) {
        std::vector<long long> frames;
        for (const PartSlice& slice : slices[k])
            frames.push_back(slice.to - slice.from);
        const bool sharing = work.rows && plan.partFilters.size() == plan.decoders.size();
        const std::vector<size_t> groups =
            sharing ? decoderGroups(frames, plan.form.sampleRate) : std::vector<size_t>(frames.size(), 1);
        const double margin = static_cast<double>(work.segments[k].leadIn()) / plan.form.sampleRate;
        // A decoder started ahead holds its memory while the slice before it
        // is encoded; its start is worth hiding only behind a short slice,
        // and with one encoder per core the memory counts.
        const long long shortSlice = static_cast<long long>(plan.form.sampleRate) * kAheadBelowSeconds;
        // Each decoder is made when it starts: a slice that shares one needs none of its own.
        const DecoderSource source{
            slices[k].size(),
            [&](size_t i) {
                if (groups[i] <= 1)
                    return windowedDecoder(plan.decoders[slices[k][i].part], slices[k][i].from, slices[k][i].to);
                std::vector<std::string> paths, chains;
                for (size_t j = i; j < i + groups[i]; ++j) {
                    const PartSlice& slice = slices[k][j];
                    paths.push_back(work.rows->at(slice.part).filePath);
                    chains.push_back(plan.partFilters[slice.part] + "," + sliceWindow(slice.from, slice.to));
                }
                return partsDecoderCommand(paths, chains, plan.form);
            },
            [&](size_t i) { return i > 0 && slices[k][i - 1].to - slices[k][i - 1].from < shortSlice; },
            [&](size_t i) { return groups[i]; }, frames};
        runs[k] = streamFrom(source, segmentEncoderCommand(plan.form, work.format, work.quality, paths[k]),
                             plan.form.frameBytes(), control, {}, [&](std::string_view said) {
                                 const std::optional<double> seconds = chunkSeconds(said);
                                 if (!seconds || !encoded)
                                     return;
                                 std::lock_guard lock(mutex);
                                 encodedBy[k] = std::max(encodedBy[k], *seconds - margin);
                                 double sum = 0.0;
                                 for (double each : encodedBy)
                                     sum += std::max(each, 0.0);
                                 encoded(sum);
                             });
    });

    // What each part gave to the shares it belongs to.
    for (size_t k = 0; k < count; ++k) {
        const EncodeSegment& segment = work.segments[k];
        for (size_t j = 0; j < slices[k].size(); ++j) {
            const PartSlice& slice = slices[k][j];
            const PartCount& got = runs[k].parts[j];
            PartCount& part = report.parts[slice.part];
            if (!got.decoder.started)
                continue;
            if (!part.decoder.started || got.decoder.waitStatus != 0)
                part.decoder = got.decoder;
            const long long share = overlap(starts[slice.part] + slice.from, starts[slice.part] + slice.to,
                                            segment.start, segment.end);
            const long long shortfall = std::max(0LL, (slice.to - slice.from) - got.frames);
            part.frames += std::max(0LL, share - shortfall);
        }
    }
    report.cancelled = control.isCancelled();
    for (const StreamReport& run : runs)
        report.sharedDecoders = report.sharedDecoders || run.sharedDecoders;
    for (const StreamReport& run : runs) {
        if (!run.encoder.started || run.encoder.waitStatus != 0) {
            report.encoder = run.encoder;
            report.encoderClosed = run.encoderClosed;
            return report;
        }
    }
    if (report.cancelled)
        return report;

    std::string failure;
    if (!writeFileAtomically(listPath(plan), segmentListText(work.segments, paths, plan.form.sampleRate), &failure)) {
        report.encoder.failure = failure;
        return report;
    }
    report.encoder = runEncoder(segmentJoinCommand(listPath(plan), plan.form.sampleRate, plan.metadataPath,
                                                   plan.moreInputs, plan.outputArguments, work.writtenPath),
                                control, joinSaid);
    report.cancelled = control.isCancelled();
    return report;
}

}  // namespace velmora
