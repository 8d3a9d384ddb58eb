#include "join/run/PartStream.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "foundation/ChildProcess.h"
#include "foundation/ParallelWork.h"
#include "foundation/Resources.h"

namespace velmora {
namespace {

void keepTail(std::string& tail, const char* data, size_t size)
{
    tail.append(data, size);
    if (tail.size() > kStderrTailBytes)
        tail.erase(0, tail.size() - kStderrTailBytes);
}

std::shared_ptr<ChildProcess> toolProcess(const std::vector<std::string>& arguments)
{
    return std::make_shared<ChildProcess>(resourcePath(kCreatorToolResource).value_or(std::string()), arguments);
}

// A part's decoder, started through the cancel token (not started once cancelled).
std::shared_ptr<ChildProcess> startDecoder(const std::vector<std::string>& arguments, Cancellation& control,
                                           CommandRun& run)
{
    auto process = toolProcess(arguments);
    process->setStandardOutput(ChildProcess::Output::pipe);
    process->setStandardError(ChildProcess::Output::pipe);
    run.started = control.startUnlessCancelled(process, &run.failure);
    return run.started ? process : nullptr;
}

// Reads a started decoder to its end: every chunk of sound to `onSound`.
void drainDecoder(ChildProcess& process, PartCount& part, int frameBytes,
                  const std::function<bool(const char*, size_t)>& onSound)
{
    long long bytes = 0;
    bool passing = true;
    process.readOutputs(
        [&](const char* data, size_t size) {
            bytes += static_cast<long long>(size);
            if (passing && onSound && !onSound(data, size)) {
                passing = false;
                process.terminate();
            }
        },
        [&](const char* data, size_t size) { keepTail(part.decoder.stderrTail, data, size); });
    part.decoder.waitStatus = process.waitForExit();
    part.frames = bytes / frameBytes;
}

// The sound of a decoder that gave parts [first, first + n), counted on the
// first of them, shared out by the parts' expected counts: each of them
// shares its decoder's run.
void shareOut(std::vector<PartCount>& parts, size_t first, size_t n, const std::vector<long long>& expected)
{
    long long left = parts[first].frames;
    for (size_t k = first; k < first + n; ++k) {
        parts[k].decoder = parts[first].decoder;
        const long long frames = k < expected.size() ? expected[k] : 0;
        parts[k].frames = k + 1 == first + n ? left : std::min(left, frames);
        left -= parts[k].frames;
    }
}

}  // namespace

std::vector<PartCount> countParts(const JoinPlan& plan, Cancellation& control,
                                  const std::function<void(size_t, long long)>& counted, bool trustHeaders)
{
    std::vector<PartCount> parts(plan.decoders.size());
    std::vector<size_t> decoded;
    for (size_t i = 0; i < parts.size(); ++i) {
        const long long promised = i < plan.promisedFrames.size() ? plan.promisedFrames[i] : 0;
        if (!trustHeaders || promised <= 0) {
            decoded.push_back(i);
            continue;
        }
        parts[i].frames = promised;
        parts[i].promised = true;
        parts[i].decoder.started = true;
        parts[i].decoder.waitStatus = 0;
        if (counted)
            counted(i, promised);
    }
    runInParallel(decoded.size(), coreCount(), [&](size_t k) {
        const size_t i = decoded[k];
        if (control.isCancelled())
            return;
        const auto process = startDecoder(plan.decoders[i], control, parts[i].decoder);
        if (!process)
            return;
        drainDecoder(*process, parts[i], plan.form.frameBytes(), {});
        control.release(process);
        if (counted)
            counted(i, parts[i].frames);
    });
    return parts;
}

StreamReport streamFrom(const DecoderSource& decoders, const std::vector<std::string>& encoderCommand, int frameBytes,
                        Cancellation& control, const std::function<void(long long)>& relayed,
                        const std::function<void(std::string_view)>& encoderSaid)
{
    StreamReport report;
    report.parts.resize(decoders.count);
    auto encoder = toolProcess(encoderCommand);
    encoder->setStandardInputPipe(true);
    encoder->setStandardError(ChildProcess::Output::pipe);
    report.encoder.started = control.startUnlessCancelled(encoder, &report.encoder.failure);
    if (!report.encoder.started) {
        report.cancelled = control.isCancelled();
        return report;
    }

    // The relay runs on a thread of its own, which starts the decoders (they
    // live no longer than the thread that started them), while this one
    // reads the encoder's messages.
    std::thread relay([&] {
        long long bytesSoFar = 0;
        std::shared_ptr<ChildProcess> next;
        // A part without a decoder is not started: the stream ends before it.
        const auto start = [&](size_t i) -> std::shared_ptr<ChildProcess> {
            const std::vector<std::string> command = decoders.command(i);
            return command.empty() ? nullptr : startDecoder(command, control, report.parts[i].decoder);
        };
        const auto spanAt = [&](size_t i) {
            return decoders.span ? std::clamp<size_t>(decoders.span(i), 1, decoders.count - i) : size_t{1};
        };
        for (size_t i = 0, n = 1; i < decoders.count && !control.isCancelled(); i += n) {
            n = spanAt(i);
            report.sharedDecoders = report.sharedDecoders || n > 1;
            std::shared_ptr<ChildProcess> current = next ? std::move(next) : start(i);
            if (i + n < decoders.count && decoders.ready(i + n))
                next = start(i + n);
            if (!current)
                break;
            PartCount& part = report.parts[i];
            bool encoderTakes = true;
            drainDecoder(*current, part, frameBytes, [&](const char* data, size_t size) {
                if (!encoder->writeStandardInput(data, size)) {
                    encoderTakes = false;
                    return false;
                }
                bytesSoFar += static_cast<long long>(size);
                if (relayed)
                    relayed(bytesSoFar / frameBytes);
                return true;
            });
            control.release(current);
            shareOut(report.parts, i, n, decoders.frames);
            report.encoderClosed = !encoderTakes;
            if (!encoderTakes || part.decoder.waitStatus != 0)
                break;
        }
        if (next) {
            next->terminate();
            next->waitForExit();
            control.release(next);
        }
        encoder->closeStandardInput();
    });
    encoder->readStandardError([&](const char* data, size_t size) {
        keepTail(report.encoder.stderrTail, data, size);
        if (encoderSaid)
            encoderSaid(std::string_view(data, size));
    });
    relay.join();
    report.encoder.waitStatus = encoder->waitForExit();
    control.release(encoder);
    report.cancelled = control.isCancelled();
    return report;
}

std::optional<long long> encodedSamples(std::string_view line)
{
    constexpr std::string_view stream = "Output stream #", audio = " (audio): ", samples = " frames encoded (";
    const size_t at = line.find(samples);
    if (line.find(stream) == std::string_view::npos || line.find(audio) == std::string_view::npos ||
        at == std::string_view::npos)
        return std::nullopt;
    long long count = 0;
    size_t k = at + samples.size();
    const size_t digits = k;
    for (; k < line.size() && line[k] >= '0' && line[k] <= '9' && k - digits < 18; ++k)
        count = count * 10 + (line[k] - '0');
    if (k == digits || line.substr(k, 9) != " samples)")
        return std::nullopt;
    return count;
}

StreamReport streamInOne(const std::vector<std::string>& command, Cancellation& control,
                         const std::function<void(std::string_view)>& said)
{
    StreamReport report;
    report.oneProcess = true;
    auto process = toolProcess(command);
    process->setStandardError(ChildProcess::Output::pipe);
    report.encoder.started = control.startUnlessCancelled(process, &report.encoder.failure);
    if (!report.encoder.started) {
        report.cancelled = control.isCancelled();
        return report;
    }
    std::string line;
    const auto lineEnded = [&] {
        if (const std::optional<long long> count = encodedSamples(line))
            report.encodedFrames = *count;
        line.clear();
    };
    process->readStandardError([&](const char* data, size_t size) {
        keepTail(report.encoder.stderrTail, data, size);
        for (const char c : std::string_view(data, size)) {
            if (c == '\n' || c == '\r')
                lineEnded();
            else if (line.size() < 4096)
                line += c;
        }
        if (said)
            said(std::string_view(data, size));
    });
    lineEnded();
    report.encoder.waitStatus = process->waitForExit();
    control.release(process);
    report.cancelled = control.isCancelled();
    return report;
}

}  // namespace velmora
