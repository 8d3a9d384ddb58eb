#include "support/AudioCheck.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>

namespace audiocheck {
namespace {

struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolResult runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted()) {
        result.err = process.errorString().toUtf8();
        return result;
    }
    process.closeWriteChannel();
    process.waitForFinished(-1);
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

ToolResult runFfmpeg(const QStringList& arguments)
{
    return runTool("ffmpeg", arguments);
}

// ffmpeg's first audio stream of `input` (its input arguments) as float PCM.
Pcm decodeWith(const QStringList& input, int rate, int channels, std::string* error)
{
    const ToolResult result = runFfmpeg(QStringList{"-v", "error", "-nostdin"} + input +
                                        QStringList{"-map", "0:a:0", "-c:a", "pcm_f32le", "-f", "f32le", "-ar",
                                                    QString::number(rate), "-ac", QString::number(channels), "-"});
    Pcm pcm;
    if (result.exitCode != 0) {
        if (error)
            *error = result.err.isEmpty() ? "ffmpeg failed" : result.err.toStdString();
        return pcm;
    }
    pcm.rate = rate;
    pcm.channels = channels;
    const size_t frames = size_t(result.out.size()) / (sizeof(float) * size_t(channels));
    pcm.samples.resize(frames * size_t(channels));
    std::memcpy(pcm.samples.data(), result.out.constData(), pcm.samples.size() * sizeof(float));
    return pcm;
}

// Dot product of two runs of floats; eight independent sums let the
// compiler use vector registers without reordering any one sum.
double dot(const float* a, const float* b, size_t count)
{
    float sums[8] = {};
    size_t i = 0;
    for (; i + 8 <= count; i += 8)
        for (int k = 0; k < 8; ++k)
            sums[k] += a[i + k] * b[i + k];
    double total = 0.0;
    for (float s : sums)
        total += s;
    for (; i < count; ++i)
        total += double(a[i]) * b[i];
    return total;
}

// Normalised correlation of `length` output frames from `start` with the
// reference at `lag`, every `stride`-th frame; -2 when the reference does
// not cover the window.
double correlationAt(const Pcm& output, const Pcm& reference, int64_t start, int64_t length, int64_t lag,
                     int64_t stride)
{
    const int64_t refStart = start - lag;
    if (refStart < 0 || refStart + length > reference.frames())
        return -2.0;
    const int channels = output.channels;
    const float* o = output.samples.data() + start * channels;
    const float* r = reference.samples.data() + refStart * channels;
    double cross = 0.0, oo = 0.0, rr = 0.0;
    if (stride == 1) {
        const size_t count = size_t(length * channels);
        cross = dot(o, r, count);
        oo = dot(o, o, count);
        rr = dot(r, r, count);
    } else {
        for (int64_t n = 0; n < length; n += stride)
            for (int c = 0; c < channels; ++c) {
                const double x = o[n * channels + c], y = r[n * channels + c];
                cross += x * y;
                oo += x * x;
                rr += y * y;
            }
    }
    if (oo <= 0.0 || rr <= 0.0)
        return 0.0;
    return cross / std::sqrt(oo * rr);
}

// Which lag applies to output frame n: the last piece whose aligned start it has reached.
int64_t lagFor(int64_t n, const std::vector<int64_t>& starts, const std::vector<int64_t>& lags)
{
    int64_t lag = lags.front();
    for (size_t k = 1; k < starts.size(); ++k)
        if (n >= starts[k] + lags[k])
            lag = lags[k];
    return lag;
}

struct Peak {
    double value = 0.0;
    int64_t frame = 0;
};

Peak maxError(const Pcm& output, const Pcm& reference, int64_t from, int64_t to, const std::vector<int64_t>& starts,
              const std::vector<int64_t>& lags)
{
    from = std::max<int64_t>(from, 0);
    to = std::min(to, output.frames());
    Peak peak;
    for (int64_t n = from; n < to; ++n) {
        const int64_t m = n - lagFor(n, starts, lags);
        if (m < 0 || m >= reference.frames())
            continue;
        for (int c = 0; c < output.channels; ++c) {
            const double error = std::fabs(output.at(n, c) - reference.at(m, c));
            if (error > peak.value)
                peak = {error, n};
        }
    }
    return peak;
}

double piecewiseSnr(const Pcm& output, const Pcm& reference, const std::vector<int64_t>& starts,
                    const std::vector<int64_t>& lags)
{
    double signal = 0.0, noise = 0.0;
    for (int64_t n = 0; n < output.frames(); ++n) {
        const int64_t m = n - lagFor(n, starts, lags);
        if (m < 0 || m >= reference.frames())
            continue;
        for (int c = 0; c < output.channels; ++c) {
            const double r = reference.at(m, c);
            const double e = output.at(n, c) - r;
            signal += r * r;
            noise += e * e;
        }
    }
    if (signal <= 0.0)
        return 0.0;
    return noise <= signal * 1e-20 ? 200.0 : 10.0 * std::log10(signal / noise);
}

// The largest magnitude over all channels within +-half of frame n.
double level(const Pcm& pcm, int64_t n, int64_t half)
{
    double peak = 0.0;
    const int64_t from = std::max<int64_t>(0, n - half), to = std::min(pcm.frames(), n + half + 1);
    for (int64_t k = from; k < to; ++k)
        for (int c = 0; c < pcm.channels; ++c)
            peak = std::max(peak, double(std::fabs(pcm.at(k, c))));
    return peak;
}

// Frames in the longest run touching [from, to) where the output's level is
// far below the reference's. The level looks half an envelope either side, so
// a run of silence shows up shorter by one envelope: that is added back.
int64_t longestDropout(const Pcm& output, const Pcm& reference, int64_t from, int64_t to,
                       const std::vector<int64_t>& starts, const std::vector<int64_t>& lags, const Options& options)
{
    const int64_t half = msToFrames(options.envelopeMs / 2, output.rate);
    const int64_t reach = msToFrames(options.maxShiftMs, output.rate);
    int64_t longest = 0, runStart = -1;
    auto close = [&](int64_t end) {
        if (runStart >= 0 && runStart < to && end > from)
            longest = std::max(longest, end - runStart + 2 * half);
        runStart = -1;
    };
    const int64_t first = std::max<int64_t>(0, from - reach), last = std::min(output.frames(), to + reach);
    for (int64_t n = first; n < last; ++n) {
        const int64_t m = n - lagFor(n, starts, lags);
        const bool quiet = m >= 0 && m < reference.frames() &&
                           level(output, n, half) < options.dropoutRatio * level(reference, m, half);
        if (quiet && runStart < 0)
            runStart = n;
        else if (!quiet)
            close(n);
    }
    close(last);
    return longest;
}

QByteArray audioStreamEntry(const std::string& path, const QString& entry)
{
    const ToolResult result = runTool("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                  "stream=" + entry, "-of", "csv=p=0", QString::fromStdString(path)});
    return result.exitCode == 0 ? result.out.trimmed() : QByteArray();
}

}  // namespace

int sampleRate(const std::string& path)
{
    return audioStreamEntry(path, "sample_rate").toInt();
}

double declaredDuration(const std::string& path)
{
    return audioStreamEntry(path, "duration").toDouble();
}

Pcm decode(const std::string& path, int rate, int channels, std::string* error)
{
    return decodeWith({"-i", QString::fromStdString(path)}, rate, channels, error);
}

Pcm resample(const Pcm& pcm, int rate)
{
    if (rate == pcm.rate)
        return pcm;
    QTemporaryFile raw(QDir::tempPath() + "/audiocheck-XXXXXX.f32");
    if (!raw.open())
        return {};
    raw.write(reinterpret_cast<const char*>(pcm.samples.data()), qint64(pcm.samples.size() * sizeof(float)));
    raw.flush();
    return decodeWith({"-f", "f32le", "-ar", QString::number(pcm.rate), "-ac", QString::number(pcm.channels), "-i",
                       raw.fileName()},
                      rate, pcm.channels, nullptr);
}

std::string decodeErrors(const std::string& path)
{
    const ToolResult result =
        runFfmpeg({"-v", "error", "-nostdin", "-i", QString::fromStdString(path), "-f", "null", "-"});
    std::string text = result.err.toStdString();
    if (result.exitCode != 0 && text.empty())
        text = "ffmpeg exit status " + std::to_string(result.exitCode);
    return text;
}

Pcm concatenate(const std::vector<Pcm>& pieces)
{
    Pcm whole;
    if (pieces.empty())
        return whole;
    whole.rate = pieces.front().rate;
    whole.channels = pieces.front().channels;
    for (const Pcm& piece : pieces)
        whole.samples.insert(whole.samples.end(), piece.samples.begin(), piece.samples.end());
    return whole;
}

std::string md5(const Pcm& pcm)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(pcm.samples.data()),
                               qsizetype(pcm.samples.size() * sizeof(float)));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toStdString();
}

int64_t msToFrames(double ms, int rate)
{
    return int64_t(std::llround(ms * rate / 1000.0));
}

double framesToMs(int64_t frames, int rate)
{
    return rate > 0 ? 1000.0 * double(frames) / rate : 0.0;
}

std::vector<QuietRun> quietRuns(const Pcm& pcm, int64_t minFrames, float threshold, int64_t from, int64_t to)
{
    std::vector<QuietRun> runs;
    from = std::max<int64_t>(from, 0);
    if (to < 0 || to > pcm.frames())
        to = pcm.frames();
    int64_t runStart = -1;
    auto close = [&](int64_t end) {
        if (runStart >= 0 && end - runStart >= std::max<int64_t>(minFrames, 1))
            runs.push_back({runStart, end - runStart});
        runStart = -1;
    };
    for (int64_t n = from; n < to; ++n) {
        bool quiet = true;
        for (int c = 0; c < pcm.channels && quiet; ++c)
            quiet = std::fabs(pcm.at(n, c)) <= threshold;
        if (quiet) {
            if (runStart < 0)
                runStart = n;
        } else {
            close(n);
        }
    }
    close(to);
    return runs;
}

Alignment align(const Pcm& output, const Pcm& reference, int64_t start, int64_t length, int64_t expectedLag,
                int64_t maxShift)
{
    Alignment best{expectedLag, -2.0};
    if (output.channels != reference.channels || length <= 0 || start < 0 || start + length > output.frames())
        return best;
    // Coarse: every fourth frame of the window at every lag; keep the three
    // best separate peaks, since a sweep correlates almost as well one
    // period away. Fine: every frame, a few lags either side of each.
    constexpr int64_t kStride = 4;
    constexpr int64_t kRefine = 8;
    std::vector<std::pair<double, int64_t>> coarse;
    for (int64_t lag = expectedLag - maxShift; lag <= expectedLag + maxShift; ++lag)
        coarse.emplace_back(correlationAt(output, reference, start, length, lag, kStride), lag);
    std::vector<int64_t> candidates;
    std::vector<std::pair<double, int64_t>> sorted = coarse;
    std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.first > b.first; });
    for (const auto& [value, lag] : sorted) {
        if (value <= -2.0 || candidates.size() >= 3)
            break;
        if (std::none_of(candidates.begin(), candidates.end(),
                         [&](int64_t c) { return std::llabs(c - lag) <= kRefine; }))
            candidates.push_back(lag);
    }
    for (int64_t candidate : candidates)
        for (int64_t lag = candidate - kRefine; lag <= candidate + kRefine; ++lag) {
            const double value = correlationAt(output, reference, start, length, lag, 1);
            if (value > best.correlation)
                best = {lag, value};
        }
    return best;
}

double snrDb(const Pcm& output, const Pcm& reference, int64_t lag)
{
    if (output.channels != reference.channels)
        return 0.0;
    return piecewiseSnr(output, reference, {0}, {lag});
}

double snrDb(const Pcm& output, const Pcm& reference, const Report& alignment)
{
    if (alignment.pieceLags.empty() || output.channels != reference.channels)
        return 0.0;
    return piecewiseSnr(output, reference, alignment.pieceStarts, alignment.pieceLags);
}

Report compare(const Pcm& output, const Pcm& reference, const std::vector<int64_t>& cuts, const Options& options)
{
    Report report;
    report.frameDifference = output.frames() - reference.frames();
    if (output.channels != reference.channels || output.rate != reference.rate || output.frames() == 0)
        return report;
    const int rate = reference.rate;
    const int64_t maxShift = msToFrames(options.maxShiftMs, rate);
    const int64_t joinWindow = msToFrames(options.joinWindowMs, rate);

    // Align each piece on a window around its middle, starting from where the previous one sat.
    std::vector<int64_t> starts{0};
    starts.insert(starts.end(), cuts.begin(), cuts.end());
    std::vector<int64_t> lags;
    int64_t expected = 0;
    for (size_t k = 0; k < starts.size(); ++k) {
        const int64_t end = k + 1 < starts.size() ? starts[k + 1] : reference.frames();
        const int64_t length = std::min(msToFrames(options.windowMs, rate), (end - starts[k]) / 2);
        int64_t windowStart = (starts[k] + end) / 2 + expected - length / 2;
        windowStart = std::clamp<int64_t>(windowStart, 0, std::max<int64_t>(0, output.frames() - length));
        const Alignment found = align(output, reference, windowStart, length, expected, maxShift);
        if (k == 0)
            report.startCorrelation = found.correlation;
        lags.push_back(found.lag);
        expected = found.lag;
    }
    report.startLag = lags.front();

    for (size_t k = 1; k < starts.size(); ++k) {
        Join join;
        join.cut = starts[k];
        join.lagBefore = lags[k - 1];
        join.lagAfter = lags[k];
        join.shiftMs = framesToMs(join.lagAfter - join.lagBefore, rate);
        const int64_t from = join.cut + std::min(join.lagBefore, join.lagAfter) - joinWindow;
        const int64_t to = join.cut + std::max(join.lagBefore, join.lagAfter) + joinWindow;
        join.joinError = maxError(output, reference, from, to, starts, lags).value;
        join.dropoutMs = framesToMs(longestDropout(output, reference, from, to, starts, lags, options), rate);
        report.joins.push_back(join);
    }

    // Codec noise: the largest error inside the pieces, away from joins and ends.
    const int64_t margin = msToFrames(options.noiseMarginMs, rate);
    for (size_t k = 0; k < starts.size(); ++k) {
        const int64_t end = k + 1 < starts.size() ? starts[k + 1] : reference.frames();
        const int64_t from = starts[k] + std::max(lags[k], k > 0 ? lags[k - 1] : lags[k]) + margin;
        const int64_t to = end + std::min(lags[k], k + 1 < lags.size() ? lags[k + 1] : lags[k]) - margin;
        if (to <= from)
            continue;
        const Peak peak = maxError(output, reference, from, to, starts, lags);
        if (peak.value > report.noisePeak) {
            report.noisePeak = peak.value;
            report.noisePeakFrame = peak.frame;
        }
    }
    report.snrDb = piecewiseSnr(output, reference, starts, lags);
    report.pieceStarts = starts;
    report.pieceLags = lags;

    const std::vector<QuietRun> leading = quietRuns(output, 1, options.quietThreshold, 0, maxShift);
    if (!leading.empty() && leading.front().start == 0)
        report.leadingSilenceMs = framesToMs(leading.front().length, rate);
    return report;
}

}  // namespace audiocheck
