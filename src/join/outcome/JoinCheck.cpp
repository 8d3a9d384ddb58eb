#include "join/outcome/JoinCheck.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>

#include <memory>

#include "foundation/Cancellation.h"
#include "foundation/ChildProcess.h"
#include "foundation/Paths.h"
#include "join/plan/OutputFormat.h"
#include "foundation/Resources.h"
#include "join/intake/IntakeRule.h"
#include "join/metadata/Mp4Length.h"
#include "probe/FileProbe.h"

namespace velmora {

namespace {

std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

// What step i of a plan for these rows does: the last step writes the
// joined file; the ones before convert the rows in order (a plan whose concat
// reads the files themselves has no such steps).
std::string stepText(size_t i, size_t steps, const std::vector<FileRow>& rows)
{
    const std::string what = i + 1 < steps && i < rows.size() ? "converting " + lastPathComponent(rows[i].filePath)
                                                              : std::string("writing the joined file");
    return "Step " + std::to_string(i + 1) + " of " + std::to_string(steps) + " (" + what + ")";
}

std::string exitText(int waitStatus)
{
    const std::string tool = toolDisplayName(kCreatorToolResource);
    if (WIFEXITED(waitStatus))
        return tool + " exited with status " + std::to_string(WEXITSTATUS(waitStatus));
    if (WIFSIGNALED(waitStatus))
        return tool + " was ended by signal " + std::to_string(WTERMSIG(waitStatus));
    return tool + " ended with wait status " + std::to_string(waitStatus);
}

// The last lines of a tool's error stream, one per line: carriage returns
// (progress redraws) become line ends, a line cut by the tail's start goes,
// and of the progress lines only the last one stays.
std::string tidyTail(const std::string& tail)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : tail + "\n") {
        if (c != '\n' && c != '\r') {
            line += c;
            continue;
        }
        if (!line.empty())
            lines.push_back(std::move(line));
        line.clear();
    }
    if (tail.size() >= kStderrTailBytes && !lines.empty())
        lines.erase(lines.begin());
    auto isProgress = [](const std::string& l) { return l.rfind("frame=", 0) == 0 || l.rfind("size=", 0) == 0; };
    const auto lastProgress = std::find_if(lines.rbegin(), lines.rend(), isProgress);
    std::string text;
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (isProgress(*it) && it != lastProgress.base() - 1)
            continue;
        text += *it + "\n";
    }
    return text;
}

// ffmpeg reports a failure to finish its file (a full disk while the trailer
// or the last buffered bytes are written) on its error stream but still
// exits with status 0; the file it leaves may even claim its full duration
// in its header.
bool unfinishedWrite(const std::string& tail)
{
    return tail.find("Error writing trailer of ") != std::string::npos ||
           tail.find("Error closing file ") != std::string::npos;
}

JoinOutcome failed(JoinOutcome outcome, std::string reason, const std::string& tail = {})
{
    outcome.status = JoinStatus::failed;
    outcome.reason = std::move(reason);
    outcome.stderrTail = tidyTail(tail);
    return outcome;
}

// A successful join, with what its file holds as the final check's probe read it.
JoinOutcome succeeded(JoinOutcome outcome, const std::string& written, const FileProbe& probe)
{
    outcome.status = JoinStatus::succeeded;
    if (const std::optional<FileRow> row = intakeFromProbe(written, probe).row) {
        outcome.playedSeconds = playedLength(*row);
        outcome.chapterCount = static_cast<long long>(row->metadata.chapters.size());
    }
    return outcome;
}

}  // namespace

JoinOutcome judgeJoin(const std::string& outputPath, const RunReport& run, const std::vector<FileRow>& rows,
                      const std::string& writtenPath, Cancellation* cancellation)
{
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    const size_t steps = run.commands.size();
    for (size_t i = 0; i < steps; ++i) {
        const CommandRun& command = run.commands[i];
        if (!command.started)
            return failed(outcome, stepText(i, steps, rows) + " could not start: " +
                                       (command.failure.empty() ? "it was skipped" : command.failure));
        if (command.waitStatus != 0)
            return failed(outcome, stepText(i, steps, rows) + " failed: " + exitText(command.waitStatus) + ".",
                          command.stderrTail);
        if (unfinishedWrite(command.stderrTail))
            return failed(outcome, stepText(i, steps, rows) + " failed: ffmpeg could not finish writing its file.",
                          command.stderrTail);
    }
    const std::string lastTail = run.commands.empty() ? std::string() : run.commands.back().stderrTail;

    const FileProbe probe(writtenPath.empty() ? outputPath : writtenPath, cancellation);
    if (probe.hasErrors || !probe.isValidMediaFile)
        return failed(outcome, "The joined file is missing or is not playable media.", lastTail);

    double known = 0.0;
    bool someUnknown = false;
    for (const FileRow& row : rows) {
        const double length = playedLength(row);
        if (std::isfinite(length) && length > 0.0)
            known += length;
        else
            someUnknown = true;
    }
    // Half a second or 1 %, and a tenth of a second per row: decoders trim
    // the encoder delay and padding that containers count in a file's
    // duration (about 45 ms for an MP3, 23 ms of AAC priming), so many short
    // rows would otherwise fail a good join.
    const double tolerance = std::max({0.5, 0.01 * known, 0.1 * static_cast<double>(rows.size())});
    const double lasts = probe.duration;
    if (someUnknown && lasts < known - tolerance)
        return failed(outcome, "The joined file lasts " + secondsText(lasts) + ", less than the " + secondsText(known) +
                                   " of the files whose duration is known.", lastTail);
    if (!someUnknown && std::abs(lasts - known) > tolerance)
        return failed(outcome, "The joined file lasts " + secondsText(lasts) + ", but the files add up to " +
                                   secondsText(known) + ".", lastTail);
    outcome.status = JoinStatus::succeeded;
    return outcome;
}

std::string failureDetails(const JoinOutcome& outcome)
{
    if (outcome.stderrTail.empty())
        return outcome.reason;
    return outcome.reason + "\n\n" + outcome.stderrTail;
}

namespace {

// "Part 7, trunc.mp3"
std::string partName(size_t i, const std::vector<FileRow>& rows)
{
    return "Part " + std::to_string(i + 1) + (i < rows.size() ? ", " + lastPathComponent(rows[i].filePath) : "");
}

std::string shortSeconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

// Samples the encoder of this format adds or may leave out at the ends: its
// delay (priming) and two of its frames; none for a lossless format.
double lossySlackSeconds(const std::string& outputPath, int sampleRate)
{
    const OutputFormat format = outputFormatOf(outputPath);
    if (sampleRate <= 0)
        return 0.002;
    // A container may leave the last block's length untold (Matroska).
    if (format.lossless)
        return (format.encoder == AudioEncoder::flac ? 4608.0 : 0.0) / sampleRate + 0.002;
    int frame = 1152;
    if (format.encoder == AudioEncoder::aac)
        frame = 1024;
    else if (format.encoder == AudioEncoder::opus)
        frame = 960;
    return (2.0 * frame + 2112.0) / sampleRate;
}

}  // namespace

std::optional<JoinOutcome> checkPartCounts(const std::string& outputPath, const std::vector<FileRow>& rows,
                                           const std::vector<PartCount>& counts, int sampleRate)
{
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    for (size_t i = 0; i < counts.size(); ++i) {
        const PartCount& part = counts[i];
        if (!part.decoder.started)
            return failed(outcome, partName(i, rows) + " could not be decoded: " +
                                       (part.decoder.failure.empty() ? "it was skipped." : part.decoder.failure));
        if (part.decoder.waitStatus != 0)
            return failed(outcome, partName(i, rows) + " could not be decoded: " + exitText(part.decoder.waitStatus) +
                                       ".", part.decoder.stderrTail);
        const double decoded = sampleRate > 0 ? static_cast<double>(part.frames) / sampleRate : 0.0;
        const double declared = i < rows.size() ? playedLength(rows[i]) : 0.0;
        if (part.frames == 0)
            return failed(outcome, partName(i, rows) + " holds no sound that can be decoded.", part.decoder.stderrTail);
        // An encoder's padding, or a length a file without an index can only
        // estimate, may differ a little; a part cut short or damaged decodes
        // to much less than it declares.
        if (std::isfinite(declared) && declared - decoded > std::max(0.5, 0.03 * declared))
            return failed(outcome, partName(i, rows) + ", decodes " + shortSeconds(decoded) + " of " +
                                       shortSeconds(declared) + ": it is cut short or damaged.",
                          part.decoder.stderrTail);
    }
    return std::nullopt;
}

namespace {

// The packets as the probe reads them, one by one.
std::optional<PacketSpan> probedPacketSpan(const std::string& path, Cancellation* cancellation)
{
    auto probe = std::make_shared<ChildProcess>(
        resourcePath(kProbeToolResource).value_or(std::string()),
        std::vector<std::string>{"-v", "error", "-select_streams", "a:0", "-show_entries",
                                 "packet=duration:stream=time_base", "-of", "default=nw=1", path});
    probe->setStandardOutput(ChildProcess::Output::pipe);
    probe->setStandardError(ChildProcess::Output::discard);
    if (cancellation ? !cancellation->startUnlessCancelled(probe) : !probe->start())
        return std::nullopt;
    long long ticks = 0, longest = 0, packets = 0, num = 0, den = 0;
    std::string line;
    probe->readStandardOutput([&](const char* data, size_t size) {
        for (size_t k = 0; k < size; ++k) {
            if (data[k] != '\n') {
                line += data[k];
                continue;
            }
            if (line.rfind("duration=", 0) == 0) {
                const long long duration = std::atoll(line.c_str() + 9);
                ticks += duration;
                longest = std::max(longest, duration);
                ++packets;
            } else if (line.rfind("time_base=", 0) == 0 &&
                       std::sscanf(line.c_str() + 10, "%lld/%lld", &num, &den) != 2) {
                num = den = 0;
            }
            line.clear();
        }
    });
    const int status = probe->waitForExit();
    if (cancellation)
        cancellation->release(probe);
    if (status != 0 || num <= 0 || den <= 0)
        return std::nullopt;
    const double tick = static_cast<double>(num) / static_cast<double>(den);
    return PacketSpan{packets, static_cast<double>(ticks) * tick, static_cast<double>(longest) * tick};
}

// Samples in every frame of the codec this format is written with, when all
// its frames hold the same number (the last one too: an encoder pads it); 0
// when they may differ.
int fixedFrameSamples(AudioEncoder encoder, int sampleRate)
{
    switch (encoder) {
    case AudioEncoder::mp3: return sampleRate >= 32000 ? 1152 : 576;  // MPEG-1, or MPEG-2 and 2.5
    case AudioEncoder::aac: return 1024;
    default: return 0;
    }
}

}  // namespace

std::optional<double> probeHeldSound(const std::string& path, const std::string& outputPath,
                                     Cancellation* cancellation, FileProbe& probe)
{
    // One run of the probe that reads every packet: its count times the
    // codec's frame is the sound the data holds.
    const AudioEncoder encoder = outputFormatOf(outputPath).encoder;
    if (encoder == AudioEncoder::mp3 || encoder == AudioEncoder::aac) {
        probe = FileProbe(path, cancellation, ProbeDepth::countPackets);
        if (!probe.json || !probe.firstAudioTrackInfo)
            return std::nullopt;
        // The record keeps only a summary of the stream; the count is in the report.
        const JSON audio = (*probe.json)["streams"][(*probe.firstAudioTrackInfo)["index"].intValue()];
        const std::int64_t packets = audio["nb_read_packets"].intValue();
        const std::int64_t rate = audio["sample_rate"].intValue();
        const int frame = fixedFrameSamples(encoder, static_cast<int>(rate));
        if (!audio["nb_read_packets"].exists() || rate <= 0 || frame <= 0)
            return std::nullopt;
        return static_cast<double>(packets) * frame / static_cast<double>(rate);
    }
    // Frames of other lengths: the packets are listed one by one, beside the probe.
    auto counting = std::async(std::launch::async, [&] { return heldSeconds(path, cancellation); });
    probe = FileProbe(path, cancellation);
    return counting.get();
}

std::optional<PacketSpan> packetSpan(const std::string& path, Cancellation* cancellation)
{
    // An MP4 file's sample table times every packet: read at once, where the
    // probe would go through a long book's million packets.
    if (const std::optional<Mp4Packets> table = mp4SoundPackets(path); table && table->count > 0) {
        const double tick = 1.0 / static_cast<double>(table->timescale);
        return PacketSpan{table->count, static_cast<double>(table->ticks) * tick,
                          static_cast<double>(table->longest) * tick};
    }
    return probedPacketSpan(path, cancellation);
}

std::optional<double> heldSeconds(const std::string& path, Cancellation* cancellation)
{
    const std::optional<PacketSpan> span = probedPacketSpan(path, cancellation);
    return span ? std::optional<double>(span->seconds) : std::nullopt;
}

bool mendsTimestamps(std::string_view messages)
{
    return messages.find("Non-monotonous DTS") != std::string_view::npos ||
           messages.find("non monotonically increasing dts") != std::string_view::npos;
}

JoinOutcome judgeCopiedJoin(const std::string& outputPath, const std::vector<FileRow>& rows,
                            const std::vector<PacketSpan>& parts, const CommandRun& copy, bool timingMended,
                            const std::string& writtenPath, Cancellation* cancellation)
{
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    const std::string copying = "Copying the parts into the joined file";
    if (!copy.started)
        return failed(outcome, copying + " could not start: " + (copy.failure.empty() ? "it was skipped." : copy.failure));
    if (copy.waitStatus != 0)
        return failed(outcome, copying + " failed: " + exitText(copy.waitStatus) + ".", copy.stderrTail);
    if (unfinishedWrite(copy.stderrTail))
        return failed(outcome, copying + " failed: ffmpeg could not finish writing its file.", copy.stderrTail);
    if (timingMended || mendsTimestamps(copy.stderrTail))
        return failed(outcome, copying + " gave wrong timing: the parts' timestamps overlap. Join them with "
                                         "re-encoding instead.", copy.stderrTail);

    const std::string written = writtenPath.empty() ? outputPath : writtenPath;
    // The probe and the count read the file side by side.
    auto counting = std::async(std::launch::async, [&] { return packetSpan(written, cancellation); });
    const FileProbe probe(written, cancellation);
    const std::optional<PacketSpan> held = counting.get();
    if (probe.hasErrors || !probe.isValidMediaFile || !held)
        return failed(outcome, "The joined file is missing or is not playable media.", copy.stderrTail);
    double expected = 0.0, slack = 0.0;
    std::vector<double> ends;
    for (const PacketSpan& part : parts) {
        expected += part.seconds;
        slack += part.frameSeconds;
        ends.push_back(expected);
    }
    slack = std::max(slack, 0.001);
    if (held->seconds < expected - slack) {
        const auto where = static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), held->seconds) - ends.begin());
        std::string reason = "The joined file holds " + secondsText(held->seconds) +
                             " of sound, but the parts add up to " + secondsText(expected) + ".";
        if (where < parts.size())
            reason += " It ends " + secondsText(held->seconds - (where ? ends[where - 1] : 0.0)) + " into " +
                      partName(where, rows) + ".";
        return failed(outcome, reason, copy.stderrTail);
    }
    if (held->seconds > expected + slack)
        return failed(outcome, "The joined file holds " + secondsText(held->seconds) + " of sound, more than the " +
                                   secondsText(expected) + " the parts add up to.", copy.stderrTail);
    return succeeded(outcome, written, probe);
}

JoinOutcome judgeStreamedJoin(const std::string& outputPath, const std::vector<FileRow>& rows,
                              const std::vector<PartCount>& counts, const StreamReport& run, int sampleRate,
                              const std::string& writtenPath, Cancellation* cancellation)
{
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    const std::string writing = "Writing the joined file";
    if (!run.encoder.started)
        return failed(outcome, writing + " could not start: " +
                                   (run.encoder.failure.empty() ? "it was skipped." : run.encoder.failure));
    if (run.encoderClosed && run.encoder.waitStatus != 0)
        return failed(outcome, writing + " failed: " + exitText(run.encoder.waitStatus) + ".", run.encoder.stderrTail);
    for (size_t i = 0; i < run.parts.size(); ++i) {
        const PartCount& part = run.parts[i];
        if (part.decoder.started && part.decoder.waitStatus != 0)
            return failed(outcome, partName(i, rows) + " could not be decoded: " + exitText(part.decoder.waitStatus) +
                                       ".", part.decoder.stderrTail);
        if (i < counts.size() && (!part.decoder.started || part.frames != counts[i].frames)) {
            // The encoder stopped taking the sound: its reason, or the short
            // file it wrote, says what went wrong.
            if (run.encoder.waitStatus != 0 || run.encoderClosed)
                break;
            return failed(outcome, partName(i, rows) + " gave " +
                                       shortSeconds(static_cast<double>(part.frames) / sampleRate) + " of sound, but " +
                                       shortSeconds(static_cast<double>(counts[i].frames) / sampleRate) +
                                       " when it was measured: did the file change during the join?");
        }
    }
    if (run.encoder.waitStatus != 0)
        return failed(outcome, writing + " failed: " + exitText(run.encoder.waitStatus) + ".", run.encoder.stderrTail);
    if (unfinishedWrite(run.encoder.stderrTail))
        return failed(outcome, writing + " failed: ffmpeg could not finish writing its file.", run.encoder.stderrTail);

    const std::string written = writtenPath.empty() ? outputPath : writtenPath;
    FileProbe probe;
    const std::optional<double> held = probeHeldSound(written, outputPath, cancellation, probe);
    if (probe.hasErrors || !probe.isValidMediaFile || !held)
        return failed(outcome, "The joined file is missing or is not playable media.", run.encoder.stderrTail);

    double expected = 0.0;
    std::vector<double> ends;
    for (const PartCount& part : counts) {
        expected += static_cast<double>(part.frames) / sampleRate;
        ends.push_back(expected);
    }
    const double slack = lossySlackSeconds(outputPath, sampleRate);
    if (*held < expected - slack) {
        const size_t where = static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), *held) - ends.begin());
        std::string reason = "The joined file holds " + secondsText(*held) + " of sound, but the parts add up to " +
                             secondsText(expected) + ".";
        if (where < counts.size())
            reason += " It ends " + secondsText(*held - (where ? ends[where - 1] : 0.0)) + " into " +
                      partName(where, rows) + ".";
        return failed(outcome, reason, run.encoder.stderrTail);
    }
    if (*held > expected + slack)
        return failed(outcome, "The joined file holds " + secondsText(*held) + " of sound, more than the " +
                                   secondsText(expected) + " the parts add up to.", run.encoder.stderrTail);
    return succeeded(outcome, written, probe);
}

}  // namespace velmora
