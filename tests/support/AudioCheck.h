#pragma once
// Audio fidelity checks on real decoded audio: ffmpeg (from PATH) decodes a
// file to interleaved float PCM, and the functions below compare it with a reference
// (the continuous source the joined pieces were cut from).
//
// Positions are in frames (one sample per channel); "lag" L means output
// frame n carries reference frame n - L.

#include <cstdint>
#include <string>
#include <vector>

namespace audiocheck {

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved

    int64_t frames() const { return channels > 0 ? int64_t(samples.size()) / channels : 0; }
    double seconds() const { return rate > 0 ? double(frames()) / rate : 0.0; }
    float at(int64_t frame, int channel) const { return samples[size_t(frame * channels + channel)]; }
};

// The sample rate of the first audio stream (0 when there is none), and its
// duration in seconds as the container declares it (0 when unknown).
int sampleRate(const std::string& path);
double declaredDuration(const std::string& path);

// Decodes the first audio stream of `path` to `rate` Hz and `channels`
// channels with ffmpeg. An empty Pcm (and the tool's message in `error`)
// when ffmpeg fails.
Pcm decode(const std::string& path, int rate, int channels, std::string* error = nullptr);

// What `ffmpeg -v error -i path -f null -` prints: empty for a clean decode.
std::string decodeErrors(const std::string& path);

// The same audio at another rate, by ffmpeg's default resampler (the one a
// join made with ffmpeg uses too).
Pcm resample(const Pcm& pcm, int rate);

// The pieces one after another (same rate and channels).
Pcm concatenate(const std::vector<Pcm>& pieces);

// MD5 of the samples as stored (hex); equal digests mean bit-exact audio.
std::string md5(const Pcm& pcm);

struct QuietRun {
    int64_t start = 0;   // first frame
    int64_t length = 0;  // frames
};
// Runs of at least `minFrames` frames in [from, to) where every channel's
// magnitude is <= threshold (0 finds digital silence only).
std::vector<QuietRun> quietRuns(const Pcm& pcm, int64_t minFrames, float threshold = 0.0f, int64_t from = 0,
                           int64_t to = -1);
int64_t msToFrames(double ms, int rate);
double framesToMs(int64_t frames, int rate);

// The lag in [expectedLag - maxShift, expectedLag + maxShift] that best
// matches `length` output frames from `start` with the reference: normalised
// cross-correlation over all channels, first on every fourth frame of the
// window at every lag, then on every frame around the three best lags.
struct Alignment {
    int64_t lag = 0;
    double correlation = 0.0;  // 1 for an exact copy
};
Alignment align(const Pcm& output, const Pcm& reference, int64_t start, int64_t length, int64_t expectedLag,
                int64_t maxShift);

// What happens at each join of an output made from the reference cut at
// `cuts` (reference frames where piece 2, 3, ... begin).
struct Join {
    int64_t cut = 0;            // reference frame
    int64_t lagBefore = 0;      // alignment of the piece before the join
    int64_t lagAfter = 0;       // and of the piece after it
    double shiftMs = 0.0;       // (lagAfter - lagBefore) in ms: > 0 inserted, < 0 lost
    double dropoutMs = 0.0;     // longest stretch around the join far quieter than the reference
    double joinError = 0.0;     // largest |output - reference| within the join window
};
struct Report {
    int64_t startLag = 0;             // alignment of the first piece
    double startCorrelation = 0.0;
    std::vector<Join> joins;
    double noisePeak = 0.0;           // largest |output - reference| away from the joins
    int64_t noisePeakFrame = 0;       // the output frame where it is
    double snrDb = 0.0;               // over the whole aligned output
    int64_t frameDifference = 0;      // output frames - reference frames
    double leadingSilenceMs = 0.0;    // digital-or-near silence at the very start
    std::vector<int64_t> pieceStarts; // reference frames: 0 and the cuts
    std::vector<int64_t> pieceLags;   // the alignment of each piece
};
struct Options {
    double maxShiftMs = 250.0;        // how far a piece may have moved
    double windowMs = 200.0;          // correlation window
    double joinWindowMs = 10.0;       // either side of a join for the join error and dropouts
    double noiseMarginMs = 50.0;      // the codec noise is taken this far from joins and ends
    // A dropout: the output's level (the largest magnitude over all channels
    // within +-envelopeMs/2) below dropoutRatio times the reference's there.
    double envelopeMs = 1.0;
    double dropoutRatio = 0.25;
    float quietThreshold = 1e-4f;     // -80 dBFS counts as silence at the start
};
Report compare(const Pcm& output, const Pcm& reference, const std::vector<int64_t>& cuts,
               const Options& options = {});

// Signal-to-noise ratio in dB of output against reference at a fixed lag,
// over the frames both cover; 200 for an exact copy.
double snrDb(const Pcm& output, const Pcm& reference, int64_t lag);
// The same with each piece at the lag `compare` found for it (the reference
// may be another one of the same length, such as the source of lossy pieces).
double snrDb(const Pcm& output, const Pcm& reference, const Report& alignment);

}  // namespace audiocheck
