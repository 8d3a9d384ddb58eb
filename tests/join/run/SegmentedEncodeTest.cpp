// A long AAC output encoded in segments side by side: on decoded audio, the
// cuts between segments are as clean as the rest of the file (no dropout, no
// shift, the same noise as one encoder leaves there), the length is exact,
// the chapters are in place and no segment file is left behind.
#include <filesystem>

#include "support/AudioCheck.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using audiocheck::Pcm;

namespace {

constexpr int kRate = 44100;
// Three FLAC parts of a 36-s sweep, cut at no multiple of a codec frame, one
// cut close to where the segments meet.
const std::vector<int64_t> kBounds{0, 171337, 1055019, 1587600};
// A sweep up on the left and down on the right, again every second, so that
// every second of it asks as much of the encoder.
const std::string kSweep = "aevalsrc=exprs=0.5*sin(2*PI*(100*mod(t\\,1)+4000*mod(t\\,1)^2))|"
                           "0.5*sin(2*PI*(9000*mod(t\\,1)-4000*mod(t\\,1)^2)):s=44100:d=36";

Pcm window(const Pcm& pcm, int64_t from, int64_t frames)
{
    Pcm part{pcm.rate, pcm.channels, {}};
    part.samples.assign(pcm.samples.begin() + from * pcm.channels, pcm.samples.begin() + (from + frames) * pcm.channels);
    return part;
}

// The signal-to-noise ratio in dB over the second around frame `at`.
double snrAround(const Pcm& output, const Pcm& reference, int64_t at)
{
    const int64_t half = output.rate / 2;
    return audiocheck::snrDb(window(output, at - half, 2 * half), window(reference, at - half, 2 * half), 0);
}

}  // namespace

TEST_F(JoinTest, SegmentsEncodedSideBySideJoinWithoutATrace)
{
    const std::string source =
        makeMedia("segment-sweep.wav", {"-f", "lavfi", "-i", kSweep, "-c:a", "pcm_s16le"});
    std::vector<FileRow> rows;
    for (size_t i = 0; i + 1 < kBounds.size(); ++i) {
        const std::string part = makeMedia(
            "segment-part" + std::to_string(i) + ".flac",
            {"-i", source, "-af",
             "atrim=start_sample=" + std::to_string(kBounds[i]) + ":end_sample=" + std::to_string(kBounds[i + 1]),
             "-c:a", "flac"});
        rows.push_back(analyzed(part).row.value());
    }
    const Pcm reference = audiocheck::decode(source, kRate, 2);
    const std::vector<EncodeSegment> segments = segmentLayout(kBounds.back(), kRate, 3, 1.0);
    ASSERT_EQ(segments.size(), 3u);

    std::map<size_t, Pcm> outputs;
    for (const size_t encoders : {size_t{1}, size_t{3}}) {
        JoinOptions options;
        options.chapters = true;
        options.encoders = encoders;
        options.segmentedFromSeconds = 1.0;
        const std::string dir = freshDir("segments " + std::to_string(encoders));
        const std::string out = dir + "/book.m4b";
        RecordingHost watcher;
        JoinJob job(JoinRequest{out, rows, options}, watcher);
        job.run();
        ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << job.outcome()->reason;
        EXPECT_EQ(audiocheck::decodeErrors(out), "");
        EXPECT_EQ(runCommand("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                         "stream=duration_ts", "-of", "csv=p=0", out}).out,
                  std::to_string(kBounds.back()) + "\n");
        const std::string chapters =
            runCommand("ffprobe", {"-v", "error", "-show_entries", "chapter=start_time", "-of", "csv=p=0", out}).out;
        std::istringstream starts(chapters);
        for (size_t i = 0; i + 1 < kBounds.size(); ++i) {
            double start = -1.0;
            starts >> start;
            EXPECT_NEAR(start, static_cast<double>(kBounds[i]) / kRate, 0.001) << chapters;  // kept to the millisecond
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "only the output is left";
        outputs[encoders] = audiocheck::decode(out, kRate, 2);
    }

    const Pcm& whole = outputs[1];
    const Pcm& split = outputs[3];
    std::vector<int64_t> cuts;
    for (size_t k = 1; k < segments.size(); ++k)
        cuts.push_back(segments[k].start);
    const audiocheck::Report report = audiocheck::compare(split, reference, cuts);
    EXPECT_EQ(report.startLag, 0);
    for (const audiocheck::Join& cut : report.joins) {
        EXPECT_EQ(cut.lagAfter, cut.lagBefore) << "cut at " << cut.cut;
        EXPECT_LE(cut.dropoutMs, 1.0) << "cut at " << cut.cut;
        // The noise around a cut is no more than one encoder leaves at that
        // place (this encoder's noise varies a lot from second to second,
        // even on a sound that repeats, so the place is compared, not the file).
        EXPECT_GT(snrAround(split, reference, cut.cut), snrAround(whole, reference, cut.cut) - 1.0)
            << "cut at " << cut.cut;
    }
    EXPECT_NEAR(audiocheck::snrDb(split, reference, 0), audiocheck::snrDb(whole, reference, 0), 1.0);
}
