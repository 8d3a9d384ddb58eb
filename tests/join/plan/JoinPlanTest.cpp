// The decisions in a join's command plan: which form the parts are decoded to,
// when the concat reader can take the files themselves, and the list file.
// The argument lists themselves are proven by the real joins. And which
// lists can be joined at all.
#include "join/plan/DecoderGroups.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/OutputRule.h"
#include "join/plan/SegmentLayout.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using Args = std::vector<std::string>;

TEST(JoinPlan, TheOutputsExtensionPicksTheOneEncode)
{
    const QualitySettings defaults, cbr{2, 256, 96, 64};
    AudioForm deep;
    deep.bits = 24;
    deep.sampleFormat = "s32";
    AudioForm lossy;  // floats from lossy decoders, kept at 16 bits by a lossless output
    const Args audio{"-map", "0:a:0"};
    auto with = [](Args first, const Args& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    };
    // Output, a video list, the form, the settings, the arguments.
    const std::vector<std::tuple<std::string, bool, AudioForm, QualitySettings, Args>> cases{
        {"a.MP3", false, lossy, cbr, with(audio, {"-c:a", "libmp3lame", "-b:a", "256k"})},
        {"a.flac", false, deep, defaults,
         with(audio, {"-c:a", "flac", "-sample_fmt", "s32", "-bits_per_raw_sample", "24"})},
        {"a.wav", false, lossy, defaults,
         with(audio, {"-af", "aresample=osf=s16:dither_method=triangular", "-c:a", "pcm_s16le", "-rf64", "auto"})},
        {"/x.mp3/noext", false, lossy, defaults, audio},
        {"a.mp3", true, lossy, defaults, {"-map", "0:a:0", "-c:a", "libmp3lame", "-q:a", "2"}},
        {"a.mp3", false, lossy, QualitySettings{12, 999, 1, 1}, with(audio, {"-c:a", "libmp3lame", "-q:a", "2"})},
    };
    for (const auto& [out, video, form, quality, expected] : cases)
        EXPECT_EQ(concatStreamArguments(outputFormatOf(out), video, form, quality), expected) << out << " " << video;
}

TEST(JoinPlan, OneFormKeepsWhatTheOutputCanHold)
{
    const FileRow wav16 = audioRow("/a.wav", 1, "pcm_s16le/s16/16", 44100, 2, "wav");
    const FileRow flac24 = audioRow("/b.flac", 1, "flac/s32/24", 96000, 2, "flac");
    const FileRow monoFlac = audioRow("/m.flac", 1, "flac/s16/16", 22050, 1, "flac");
    const FileRow mp3 = audioRow("/a.mp3", 1, "mp3/fltp/0", 44100, 2, "mp3");
    const FileRow float32 = audioRow("/f.wav", 1, "pcm_f32le/flt/32", 48000, 2, "wav");
    const FileRow int32 = audioRow("/i.wav", 1, "pcm_s32le/s32/32", 48000, 2, "wav");
    FileRow surround = audioRow("/s.flac", 1, "flac/s16/16", 48000, 6, "flac");
    surround.audio.layout = "5.1(side)";
    // Rows, output, then the form: samples, rate, layout, bits, floats, a note.
    using Form = std::tuple<std::string, int, std::string, int, bool, bool>;
    const std::vector<std::tuple<std::vector<FileRow>, std::string, Form>> cases{
        {{wav16, flac24}, "o.flac", {"flt", 96000, "stereo", 24, false, false}},
        {{monoFlac, wav16}, "o.flac", {"flt", 44100, "stereo", 16, false, false}},
        {{monoFlac}, "o.wav", {"s16", 22050, "mono", 16, false, false}},
        {{mp3, flac24}, "o.flac", {"flt", 96000, "stereo", 24, false, false}},
        {{float32, wav16}, "o.wav", {"flt", 48000, "stereo", 32, true, false}},
        {{float32}, "o.flac", {"flt", 48000, "stereo", 24, false, true}},  // FLAC keeps 24 bits here
        {{flac24, flac24}, "o.flac", {"s32", 96000, "stereo", 24, false, false}},  // untouched
        {{int32, wav16}, "o.wav", {"dbl", 48000, "stereo", 32, false, false}},
        {{int32, mp3}, "o.wav", {"dbl", 48000, "stereo", 32, false, false}},
        {{surround, surround}, "o.flac", {"s16", 48000, "5.1(side)", 16, false, false}},
        {{surround, wav16}, "o.m4a", {"flt", 48000, "5.1(side)", 16, false, false}},
        {{surround}, "o.mp3", {"s16", 48000, "stereo", 16, false, true}},  // mixed down, and said
    };
    for (const auto& [rows, out, expected] : cases) {
        const AudioForm form = commonAudioForm(rows, outputFormatOf(out));
        EXPECT_EQ(Form(form.sampleFormat, form.sampleRate, form.layout, form.bits, form.floatingPoint,
                       !form.notes.empty()),
                  expected)
            << rows.front().filePath << " " << rows.back().filePath << " " << out;
    }
}

TEST(JoinPlan, AnAudioListStreamsFromOneDecoderPerPartIntoOneEncoder)
{
    const std::string w = freshDir("plan-stream");
    const FileRow mono = audioRow("/in/it's a.mp3", 2.5, "mp3/fltp/0", 44100, 1, "mp3", 0, "audio,video");
    const FileRow m4a = audioRow(sineM4a(1.0), 1.0, "aac/fltp/0", 44100, 2, "mov,mp4,m4a,3gp,3g2,mj2");
    const JoinPlan plan = buildJoinPlan({mono, m4a}, "/out.m4b", w);
    ASSERT_TRUE(plan.streamed);
    EXPECT_TRUE(plan.commands.empty());
    const std::string resample = "aresample=44100:resampler=soxr:precision=28,aformat=sample_fmts=flt:channel_layouts=stereo";
    // The mono part on both sides; the MP4 part cut at its exact count (1 s of samples).
    EXPECT_EQ(plan.decoders,
              (std::vector<Args>{
                  {"-nostdin", "-i", "/in/it's a.mp3", "-v", "error", "-map", "0:a:0", "-map_metadata", "-1", "-af",
                   "pan=stereo|c0=c0|c1=c0," + resample, "-f", "f32le", "-c:a", "pcm_f32le", "pipe:1"},
                  {"-nostdin", "-i", m4a.filePath, "-v", "error", "-map", "0:a:0", "-map_metadata", "-1", "-af",
                   "atrim=end_sample=44100," + resample, "-f", "f32le", "-c:a", "pcm_f32le", "pipe:1"}}));
    EXPECT_EQ(plan.encoder, (Args{"-nostdin", "-thread_queue_size", "1024", "-f", "f32le", "-ar", "44100",
                                  "-ch_layout", "stereo", "-i", "pipe:0", "-f", "ffmetadata", "-i", w + "/metadata.txt", "-map", "0:a:0", "-c:a", "aac", "-b:a",
                                  "192k", "-f", "ipod", "-movflags", "+faststart", "-movie_timescale", "44100", "-map_metadata", "1",
                                  "-map_chapters", "-1", "-y", "/out.m4b"}));
    EXPECT_EQ(plan.fileCount, 2u);
    // Both parts in one process, each through its own decoder's filters.
    EXPECT_EQ(partsDecoderCommand(plan, {mono, m4a}, 0, 2),
              (Args{"-nostdin", "-v", "error", "-thread_queue_size", "1024", "-i", "/in/it's a.mp3",
                    "-thread_queue_size", "1024", "-i", m4a.filePath, "-filter_complex",
                    "[0:a:0]pan=stereo|c0=c0|c1=c0," + resample + "[p0];[1:a:0]atrim=end_sample=44100," + resample +
                        "[p1];[p0][p1]concat=n=2:v=0:a=1[sound]",
                    "-map", "[sound]", "-map_metadata", "-1", "-f", "f32le", "-c:a", "pcm_f32le", "pipe:1"}));
    EXPECT_EQ(partsDecoderCommand(plan, {mono, m4a}, 1, 1), plan.decoders[1]);
}

TEST(DecoderGroups, ShortPartsShareADecoderUpToFiveMinutes)
{
    const long long s = 44100;  // frames in a second
    const std::vector<std::pair<std::vector<long long>, std::vector<size_t>>> cases{
        // twenty half-minute parts: ten to a decoder
        {std::vector<long long>(20, 30 * s), {10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // a long part, and one of unknown length, have a decoder of their own
        {{600 * s, 30 * s, 30 * s, 0, 30 * s}, {1, 2, 0, 1, 1}},
        {{130 * s, 130 * s, 120 * s, 120 * s}, {1, 1, 2, 0}},
        {{100 * s, 100 * s, 100 * s, 100 * s}, {3, 0, 0, 1}},
        {{}, {}}};
    for (const auto& [frames, spans] : cases)
        EXPECT_EQ(decoderGroups(frames, 44100), spans) << frames.size();
    // No more than 64 parts to a decoder.
    const std::vector<size_t> many = decoderGroups(std::vector<long long>(100, s), 44100);
    EXPECT_EQ(many[0], 64u);
    EXPECT_EQ(many[64], 36u);
}

TEST(OutputRule, SilentClipsJoinWithClipsThatHaveSoundButNotWithSoundFiles)
{
    using K = MediaKind;
    // The rows' kinds, the proposed extension, and what they join into.
    const std::vector<std::tuple<std::vector<K>, std::string, JoinMedia>> cases{
        {{K::audio, K::audio}, ".mp3", JoinMedia::audio},
        {{K::video, K::audioVideo, K::video}, ".mp4", JoinMedia::video},
        {{K::audioVideo}, ".mp4", JoinMedia::video},
        {{K::audio, K::audioVideo}, ".ext", JoinMedia::video},
        {{K::audio, K::video}, ".ext", JoinMedia::video},
        {{K::unknown}, ".ext", JoinMedia::video},
        {{}, ".mp4", JoinMedia::video}};
    for (const auto& [kinds, extension, media] : cases) {
        std::vector<FileRow> rows;
        for (K kind : kinds)
            rows.push_back(row("/in/x", 1.0, kind));
        EXPECT_EQ(outputExtension(rows), extension) << rows.size();
        EXPECT_EQ(isJoinableList(rows), extension != ".ext");
        EXPECT_EQ(joinMedia(rows), media);
    }
    EXPECT_EQ(mediaKindText(K::audioVideo), "Audio & Video");
}

TEST(SegmentLayout, SharesMeetOnCodecFramesAndTheConcatListKeepsEverySample)
{
    constexpr int rate = 44100;
    const long long total = 700LL * rate + 123;
    EXPECT_TRUE(segmentLayout(total, rate, 1).empty());
    EXPECT_TRUE(segmentLayout(599LL * rate, rate, 4).empty());
    const std::vector<EncodeSegment> segments = segmentLayout(total, rate, 3);
    ASSERT_EQ(segments.size(), 3u);
    long long at = 0;
    for (const EncodeSegment& segment : segments) {
        EXPECT_EQ(segment.start, at);
        EXPECT_EQ(segment.start % kAacFrameSamples, 0);
        EXPECT_EQ(segment.from, std::max(0LL, segment.start - segmentLeadInFrames(rate)));
        EXPECT_EQ(segment.to, std::min(total, segment.end + kSegmentMarginFrames * kAacFrameSamples));
        at = segment.end;
    }
    EXPECT_EQ(at, total);

    // The concat reader keeps microseconds: every time in the list must come
    // back as the very sample it was written for.
    const std::string list = segmentListText(segments, {"/a/0.mp4", "/a/1.mp4", "/a/2.mp4"}, rate);
    std::istringstream lines(list);
    std::vector<long long> samples;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string key, value;
        if (words >> key >> value && (key == "inpoint" || key == "outpoint" || key == "duration"))
            samples.push_back(std::llround(static_cast<double>(std::llround(std::stod(value) * 1e6)) * rate / 1e6));
    }
    const long long margin = segmentLeadInFrames(rate), half = kAacFrameSamples / 2;
    const long long length0 = segments[0].end, length1 = segments[1].end - segments[1].start;
    EXPECT_EQ(samples, (std::vector<long long>{length0 - half, length0, margin, margin + length1 - half, length1, margin,
                                               total - segments[2].start}));

    EXPECT_EQ(windowedDecoder({"-i", "x", "-af", "aresample=48000", "pipe:1"}, 10, 20),
              (std::vector<std::string>{"-i", "x", "-af", "aresample=48000,atrim=start_sample=10:end_sample=20",
                                        "pipe:1"}));
}
