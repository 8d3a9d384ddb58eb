#pragma once
// Decoding every part of a streamed join once, side by side, one per core:
// counting its frames exactly as countParts does, and on the way measuring
// what the sound options are made from: when the join trims, where its
// sound starts and ends above the trim threshold (read from the samples
// themselves) and, when the decoders measure it, its loudness and true peak.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Cancellation.h"
#include "foundation/ChildProcess.h"
#include "join/outcome/StepReport.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/PartEdit.h"
#include "join/plan/SoundOptions.h"

namespace velmora {

struct MeasuredParts {
    std::vector<PartCount> counts;
    std::vector<PartSound> sounds;
};

// Runs the plan's measurers (its decoders when it has none); `measured` runs
// (on a worker thread) after each part. The edges of the sound are looked for
// only when `sound` trims them.
MeasuredParts measureParts(const JoinPlan& plan, const SoundOptions& sound, Cancellation& control,
                           const std::function<void(size_t part, long long frames)>& measured = {});

// Runs one measuring decoder to its end: its frames into `count`, what it
// measured into `sound`. `started` is handed the process once it runs (to
// stop it early).
void measurePart(const std::vector<std::string>& command, const AudioForm& form, const SoundOptions& options,
                 Cancellation& control, PartCount& count, PartSound& sound,
                 const std::function<void(std::shared_ptr<ChildProcess>)>& started = {});

// The loudness of one file's first sound stream as it is, for showing it;
// nothing when it cannot be decoded or the measure was cancelled.
std::optional<PartLoudness> measureFileLoudness(const std::string& path, Cancellation& control);

// Reads what a measuring decoder logs: the momentary loudness of every
// block, then the summary's integrated loudness and true peak. Lines that
// are not the measure's, warnings and errors, are kept for the report.
class LoudnessLog {
public:
    void add(std::string_view chunk);
    void finish();
    const PartLoudness& loudness() const { return loudness_; }
    bool complete() const { return summaryI_ && summaryPeak_; }
    const std::string& problems() const { return problems_; }

private:
    void line(std::string_view text);

    std::string pending_;
    PartLoudness loudness_;
    bool inSummary_ = false, summaryI_ = false, summaryPeak_ = false;
    std::string problems_;
};

// The first and last frame of raw samples with a sample above a threshold,
// fed chunk by chunk.
class SilenceScan {
public:
    SilenceScan(const AudioForm& form, double thresholdDb);
    void add(const char* data, size_t size);
    long long firstSound() const { return first_; }
    long long lastSound() const { return last_; }

private:
    template <typename Sample>
    void scan(const char* data, size_t frames, double limit);

    AudioForm form_;
    double limit_ = 0.0;  // in the samples' own scale
    std::string carry_;   // the bytes of a frame split between chunks
    long long frame_ = 0;
    long long first_ = -1, last_ = -1;
};

}  // namespace velmora
