#include "probe/FileProbe.h"

#include <memory>

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

// Runs the probe tool on the file and collects its standard output. The
// output is drained while the tool runs, so a large report never blocks it.
std::string runProbeTool(const std::string& tool, const std::string& path, Cancellation* cancellation)
{
    auto process = std::make_shared<ChildProcess>(
        tool, std::vector<std::string>{"-v", "quiet", "-print_format", "json", "-show_format", "-show_streams",
                                       "-show_chapters", "-show_error", path});
    process->setStandardOutput(ChildProcess::Output::pipe);
    process->setStandardError(ChildProcess::Output::discard);
    std::string failure;
    const bool started = cancellation ? cancellation->startUnlessCancelled(process, &failure) : process->start(&failure);
    if (!started) {
        if (!failure.empty())
            diagnostic(failure);
        return {};
    }
    std::string output = process->readAllStandardOutput();
    process->waitForExit();
    if (cancellation) {
        cancellation->release(process);
        if (cancellation->isCancelled())
            return {};  // cut short: whatever arrived is not the whole report
    }
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

// Parses the tool's output and fills the record from the report.
void fillFromReport(FileProbe& probe, const std::string& path, std::string_view bytes)
{
    std::optional<JSON> parsed = JSON::parse(bytes);
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

}  // namespace

FileProbe::FileProbe(const std::string& path, Cancellation* cancellation)
{
    const std::uint64_t size = fileSizeBytes(path);
    fillFileValues(*this, path, size, fileSizeText(path));
    if (size == 0) {
        hasErrors = true;
        return;
    }
    const std::optional<std::string> tool = resourcePath(kProbeToolResource);
    if (!tool)
        return;
    fillFromReport(*this, path, runProbeTool(*tool, path, cancellation));
}

FileProbe FileProbe::fromReport(const std::string& path, std::string_view reportBytes)
{
    FileProbe probe;
    const std::uint64_t size = fileSizeBytes(path);
    fillFileValues(probe, path, size, fileSizeText(path));
    if (size == 0) {
        probe.hasErrors = true;
        return probe;
    }
    fillFromReport(probe, path, reportBytes);
    return probe;
}

FileProbe FileProbe::fromReport(const std::string& path, std::uint64_t size, std::string_view reportBytes)
{
    FileProbe probe;
    fillFileValues(probe, path, size,
                   byteCountText(size > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX
                                                                               : static_cast<std::int64_t>(size)));
    if (size == 0) {
        probe.hasErrors = true;
        return probe;
    }
    fillFromReport(probe, path, reportBytes);
    return probe;
}

}  // namespace velmora
