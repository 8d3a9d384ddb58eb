#include "probe/FileProbe.h"

#include <atomic>
#include <memory>

#include "foundation/ByteText.h"
#include "foundation/Cancellation.h"
#include "foundation/ChildProcess.h"
#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "probe/FormatMetadata.h"
#include "probe/HumanValues.h"
#include "probe/Tracks.h"

namespace velmora {
namespace {

std::atomic<std::int64_t> g_timeLimitMs{std::chrono::milliseconds(kDefaultProbeTimeLimit).count()};

// Runs the probe tool on the file and collects its standard output. The
// output is drained while the tool runs, so a large report never blocks it.
// A run that takes too long or prints too much is stopped; `run` tells how
// it went, and the output is kept only when it completed.
std::string runProbeTool(const std::string& tool, const std::string& path, ProbeDepth depth,
                         Cancellation* cancellation, ProbeRun& run, std::string& runFailure)
{
    // Texts as the file holds them, not valid UTF-8 only (see carryInvalidBytes).
    std::vector<std::string> arguments{"-v", "quiet", "-print_format", "json=string_validation=ignore", "-show_format",
                                       "-show_streams", "-show_chapters", "-show_error"};
    if (depth == ProbeDepth::countPackets)
        arguments.push_back("-count_packets");
    arguments.push_back(path);
    auto process = std::make_shared<ChildProcess>(tool, std::move(arguments));
    process->setStandardOutput(ChildProcess::Output::pipe);
    process->setStandardError(ChildProcess::Output::discard);
    if (depth == ProbeDepth::headers)
        process->setTimeLimit(probeTimeLimit());
    const bool started =
        cancellation ? cancellation->startUnlessCancelled(process, &runFailure) : process->start(&runFailure);
    if (!started) {
        if (!runFailure.empty())
            diagnostic(runFailure);
        run = runFailure.empty() ? ProbeRun::cancelled : ProbeRun::toolFailedToStart;
        return {};
    }
    std::string output;
    bool tooLarge = false;
    process->readStandardOutput([&](const char* data, size_t size) {
        if (tooLarge)
            return;  // drained until the stopped tool closes the pipe
        if (output.size() + size > kProbeReportLimit) {
            tooLarge = true;
            std::string().swap(output);
            process->terminate();
            return;
        }
        output.append(data, size);
    });
    process->waitForExit();
    if (cancellation)
        cancellation->release(process);
    if (tooLarge)
        run = ProbeRun::reportTooLarge;
    else if (process->timedOut())
        run = ProbeRun::timedOut;
    else if (cancellation && cancellation->isCancelled())
        run = ProbeRun::cancelled;
    else
        run = ProbeRun::completed;
    if (run != ProbeRun::completed)
        return {};  // cut short: whatever arrived is not the whole report
    return output;
}

// The first steps, common to every way of making a record: size, its text, the name.
void fillFileValues(FileProbe& probe, const std::string& path, std::uint64_t size, std::string sizeText)
{
    probe.fileSize = size;
    probe.fileSizeHuman = std::move(sizeText);
    probe.fileName = lastPathComponent(path);
    // No media framework here to ask for protected content; the "drm" codec
    // tag scan below is the test.
    probe.isEncrypted = false;
}

// Fills the record from the parsed report.
void fillFromReport(FileProbe& probe, const std::string& path, std::optional<JSON> parsed)
{
    if (!parsed)
        return;
    const JSON& report = *parsed;
    if (report["error"].exists()) {
        probe.hasErrors = true;
        return;
    }
    probe.json = report;

    probe.duration = report.at({"format", "duration"}).numberValue().toDouble();
    probe.durationHuman = durationText(probe.duration);
    probe.bitrate = report.at({"format", "bit_rate"}).numberValue().toInt64();
    probe.bitrateHuman = bitrateText(probe.bitrate);

    const JSON streams = report["streams"];
    const std::int64_t n = streams.type() == JSONType::array ? streams.count() : 0;
    if (n > 0) {
        probe.numberOfTracks = n;
        if (lowerExtension(path) != "txt") {
            probe.isValidMediaFile = true;
            for (std::int64_t i = 0; i < n; ++i) {
                if (streams[i]["codec_tag_string"].stringValue().find("drm") != std::string::npos) {
                    probe.isEncrypted = true;
                    break;
                }
            }
        }
    }

    if (report["format"].exists())
        probe.metadata = readFormatMetadata(probe, report);
    if (!streams.exists())
        return;
    readTracks(probe);
}

void fillFromReport(FileProbe& probe, const std::string& path, std::string_view bytes)
{
    fillFromReport(probe, path, JSON::parse(carryInvalidBytes(bytes)));
}

// A record from report bytes as if the tool had printed them (no process runs).
FileProbe probeFromReport(const std::string& path, std::uint64_t size, std::string sizeText, std::string_view bytes)
{
    FileProbe probe;
    fillFileValues(probe, path, size, std::move(sizeText));
    if (size == 0) {
        probe.hasErrors = true;
        return probe;
    }
    probe.run = ProbeRun::completed;
    fillFromReport(probe, path, bytes);
    return probe;
}

}  // namespace

void setProbeTimeLimit(std::chrono::milliseconds limit)
{
    g_timeLimitMs.store(limit.count());
}

std::chrono::milliseconds probeTimeLimit()
{
    return std::chrono::milliseconds(g_timeLimitMs.load());
}

FileProbe::FileProbe(const std::string& path, Cancellation* cancellation, ProbeDepth depth)
{
    const std::uint64_t size = fileSizeBytes(path);
    fillFileValues(*this, path, size, fileSizeText(path));
    if (size == 0) {
        hasErrors = true;
        return;
    }
    const std::optional<std::string> tool = resourcePath(kProbeToolResource);
    if (!tool) {
        run = ProbeRun::toolMissing;
        return;
    }
    std::optional<JSON> report;
    {
        // The bytes go as soon as they are parsed: only the report is kept.
        const std::string bytes = runProbeTool(*tool, path, depth, cancellation, run, runFailure);
        report = JSON::parse(carryInvalidBytes(bytes));
    }
    fillFromReport(*this, path, std::move(report));
}

FileProbe FileProbe::fromReport(const std::string& path, std::string_view reportBytes)
{
    return probeFromReport(path, fileSizeBytes(path), fileSizeText(path), reportBytes);
}

FileProbe FileProbe::fromReport(const std::string& path, std::uint64_t size, std::string_view reportBytes)
{
    return probeFromReport(path, size,
                           byteCountText(size > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX
                                                                                       : static_cast<std::int64_t>(size)),
                           reportBytes);
}

}  // namespace velmora
