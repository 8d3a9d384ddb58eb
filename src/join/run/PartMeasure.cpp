#include "join/run/PartMeasure.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/ChildProcess.h"
#include "foundation/ParallelWork.h"
#include "foundation/Resources.h"

namespace velmora {
namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The number after `key` in `text`, when there is one.
std::optional<double> numberAfter(std::string_view text, std::string_view key)
{
    const size_t at = text.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string rest(text.substr(at + key.size(), 32));
    char* end = nullptr;
    const double value = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

void LoudnessLog::add(std::string_view chunk)
{
    pending_.append(chunk);
    size_t start = 0;
    for (size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1)
        line(std::string_view(pending_).substr(start, end - start));
    pending_.erase(0, start);
}

void LoudnessLog::finish()
{
    if (!pending_.empty())
        line(pending_);
    pending_.clear();
}

void LoudnessLog::line(std::string_view text)
{
    // "[Parsed_ebur128_3 @ 0x...] [info] t: 0.4  TARGET:-23 LUFS    M: -31.8 S: ..."
    const size_t info = text.find("[info] ");
    if (info != std::string_view::npos) {
        const std::string_view said = text.substr(info + 7);
        if (said.rfind("t:", 0) == 0) {
            // Blocks before the first 400 ms are filled are logged as -120.7.
            if (const auto momentary = numberAfter(said, " M:"); momentary && *momentary > -120.0)
                loudness_.blocks.push_back(static_cast<float>(*momentary));
        } else if (said.rfind("Summary:", 0) == 0) {
            inSummary_ = true;
        } else if (said.rfind("Peak level dB:", 0) == 0) {
            // The oversampled sound's highest sample; "-inf" for silence.
            const auto value = numberAfter(said, "Peak level dB:");
            loudness_.truePeak = value ? *value : -120.0;
            summaryPeak_ = true;
        }
        return;
    }
    const std::string_view content = trimmed(text);
    if (inSummary_ && content.rfind("I:", 0) == 0) {
        if (const auto value = numberAfter(content, "I:")) {
            loudness_.integrated = *value;
            summaryI_ = true;
        }
        return;
    }
    // The file's own meter (measureFileLoudness) tells its true peak in the summary.
    if (inSummary_ && content.rfind("Peak:", 0) == 0) {
        if (const auto value = numberAfter(content, "Peak:")) {
            loudness_.truePeak = *value;
            summaryPeak_ = true;
        }
        return;
    }
    if (inSummary_ || content.empty())
        return;
    // A warning or an error, as the plain decoder would have said it.
    std::string kept(text);
    for (const char* level : {"[warning] ", "[error] ", "[fatal] ", "[panic] "}) {
        if (const size_t at = kept.find(level); at != std::string::npos)
            kept.erase(at, std::strlen(level));
    }
    problems_ += kept + "\n";
    if (problems_.size() > kStderrTailBytes)
        problems_.erase(0, problems_.size() - kStderrTailBytes);
}

SilenceScan::SilenceScan(const AudioForm& form, double thresholdDb) : form_(form)
{
    const double amplitude = std::pow(10.0, thresholdDb / 20.0);
    if (form.sampleFormat == "s16")
        limit_ = amplitude * 32768.0;
    else if (form.sampleFormat == "s32")
        limit_ = amplitude * 2147483648.0;
    else
        limit_ = amplitude;
}

template <typename Sample>
void SilenceScan::scan(const char* data, size_t frames, double limit)
{
    const int channels = form_.channels;
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            Sample sample;
            std::memcpy(&sample, data + (f * channels + c) * sizeof(Sample), sizeof(Sample));
            if (std::abs(static_cast<double>(sample)) > limit) {
                if (first_ < 0)
                    first_ = frame_ + static_cast<long long>(f);
                last_ = frame_ + static_cast<long long>(f);
                break;
            }
        }
    }
    frame_ += static_cast<long long>(frames);
}

void SilenceScan::add(const char* data, size_t size)
{
    const size_t frameBytes = static_cast<size_t>(form_.frameBytes());
    auto scanFrames = [&](const char* bytes, size_t frames) {
        if (form_.sampleFormat == "s16")
            scan<std::int16_t>(bytes, frames, limit_);
        else if (form_.sampleFormat == "s32")
            scan<std::int32_t>(bytes, frames, limit_);
        else if (form_.sampleFormat == "dbl")
            scan<double>(bytes, frames, limit_);
        else
            scan<float>(bytes, frames, limit_);
    };
    if (!carry_.empty()) {
        const size_t wanted = std::min(frameBytes - carry_.size(), size);
        carry_.append(data, wanted);
        data += wanted;
        size -= wanted;
        if (carry_.size() < frameBytes)
            return;
        scanFrames(carry_.data(), 1);
        carry_.clear();
    }
    const size_t frames = size / frameBytes;
    scanFrames(data, frames);
    carry_.assign(data + frames * frameBytes, size - frames * frameBytes);
}

std::optional<PartLoudness> measureFileLoudness(const std::string& path, Cancellation& control)
{
    auto process = std::make_shared<ChildProcess>(
        resourcePath(kCreatorToolResource).value_or(std::string()),
        std::vector<std::string>{"-nostdin", "-hide_banner", "-nostats", "-loglevel", "level+info", "-i", path, "-map",
                                 "0:a:0", "-af", "ebur128=peak=true", "-f", "null", "-"});
    process->setStandardOutput(ChildProcess::Output::discard);
    process->setStandardError(ChildProcess::Output::pipe);
    if (!control.startUnlessCancelled(process))
        return std::nullopt;
    LoudnessLog log;
    process->readStandardError([&](const char* data, size_t size) { log.add(std::string_view(data, size)); });
    const int status = process->waitForExit();
    control.release(process);
    log.finish();
    if (status != 0 || !log.complete() || control.isCancelled())
        return std::nullopt;
    return log.loudness();
}

void measurePart(const std::vector<std::string>& command, const AudioForm& form, const SoundOptions& options,
                 Cancellation& control, PartCount& count, PartSound& sound,
                 const std::function<void(std::shared_ptr<ChildProcess>)>& started)
{
    auto process = std::make_shared<ChildProcess>(resourcePath(kCreatorToolResource).value_or(std::string()), command);
    process->setStandardOutput(ChildProcess::Output::pipe);
    process->setStandardError(ChildProcess::Output::pipe);
    count.decoder.started = control.startUnlessCancelled(process, &count.decoder.failure);
    if (!count.decoder.started)
        return;
    if (started)
        started(process);
    std::optional<SilenceScan> scan;
    if (options.trimSilence)
        scan.emplace(form, options.trimThresholdDb);
    LoudnessLog log;
    long long bytes = 0;
    process->readOutputs(
        [&](const char* data, size_t size) {
            bytes += static_cast<long long>(size);
            if (scan)
                scan->add(data, size);
        },
        [&](const char* data, size_t size) { log.add(std::string_view(data, size)); });
    count.decoder.waitStatus = process->waitForExit();
    control.release(process);
    log.finish();
    count.frames = bytes / form.frameBytes();
    count.decoder.stderrTail = log.problems();
    sound.frames = count.frames;
    if (scan) {
        sound.firstSound = scan->firstSound();
        sound.lastSound = scan->lastSound();
    }
    sound.loudnessMeasured = log.complete();
    sound.loudness = log.loudness();
}

MeasuredParts measureParts(const JoinPlan& plan, const SoundOptions& options, Cancellation& control,
                           const std::function<void(size_t, long long)>& measured)
{
    const auto& commands = plan.measurers.empty() ? plan.decoders : plan.measurers;
    MeasuredParts result;
    result.counts.resize(commands.size());
    result.sounds.resize(commands.size());
    runInParallel(commands.size(), coreCount(), [&](size_t i) {
        if (control.isCancelled())
            return;
        measurePart(commands[i], plan.form, options, control, result.counts[i], result.sounds[i]);
        if (measured && result.counts[i].decoder.started)
            measured(i, result.counts[i].frames);
    });
    return result;
}

}  // namespace velmora
