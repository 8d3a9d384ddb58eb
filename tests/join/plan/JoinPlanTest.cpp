// The decisions in a join's command plan: which form the parts are decoded to,
// when the concat reader can take the files themselves, and the list file.
// The argument lists themselves are proven by the real joins. And which
// lists can be joined at all.
#include "join/plan/JoinPlan.h"
#include "join/plan/OutputRule.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using Args = std::vector<std::string>;

namespace {

Args concat(const std::string& list, Args middle, const std::string& out)
{
    const std::string metadata = list.substr(0, list.rfind('/')) + "/metadata.txt";
    middle.insert(middle.begin(), {"-nostdin", "-auto_convert", "1", "-f", "concat", "-safe", "0", "-i", list, "-f",
                                   "ffmetadata", "-i", metadata});
    // The tags come from the metadata file; chapters stay off unless asked for.
    middle.insert(middle.end(), {"-map_metadata", "1", "-map_chapters", "-1", "-y", out});
    return middle;
}

}  // namespace

TEST(JoinPlan, TheOutputsExtensionPicksTheOneEncode)
{
    const QualitySettings defaults, cbr{2, 256, 96, 64};
    const Args audio{"-map", "0:a:0", "-af", "asetpts=N/SR/TB"};
    auto with = [](Args first, const Args& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    };
    // Output, a video list, the bits a lossless output keeps, the settings, the arguments.
    const std::vector<std::tuple<std::string, bool, int, QualitySettings, Args>> cases{
        {"a.MP3", false, 16, cbr, with(audio, {"-c:a", "libmp3lame", "-b:a", "256k"})},
        {"a.flac", false, 24, defaults, with(audio, {"-c:a", "flac", "-sample_fmt", "s32"})},
        {"/x.mp3/noext", false, 16, defaults, audio},
        {"a.mp3", true, 16, defaults, {"-map", "0:a:0", "-c:a", "libmp3lame", "-q:a", "2"}},
        {"a.mp3", false, 16, QualitySettings{12, 999, 1, 1}, with(audio, {"-c:a", "libmp3lame", "-q:a", "2"})},
    };
    for (const auto& [out, video, bits, quality, expected] : cases)
        EXPECT_EQ(concatStreamArguments(outputFormatOf(out), video, bits, quality), expected) << out << " " << video;
}

TEST(JoinPlan, OneFormHoldsEveryInputExactly)
{
    const FileRow wav16 = audioRow("/a.wav", 1, "pcm_s16le/s16/16", 44100, 2, "wav");
    const FileRow flac24 = audioRow("/b.flac", 1, "flac/s32/24", 96000, 2, "flac");
    const FileRow monoFlac = audioRow("/m.flac", 1, "flac/s16/16", 22050, 1, "flac");
    const FileRow mp3 = audioRow("/a.mp3", 1, "mp3/fltp/0", 44100, 2, "mp3");
    const FileRow float32 = audioRow("/f.wav", 1, "pcm_f32le/flt/32", 48000, 2, "wav");
    const std::vector<std::pair<std::vector<FileRow>, AudioForm>> cases{
        {{wav16, flac24}, {"pcm_s24le", 96000, 2, 24}},
        {{monoFlac, wav16}, {"pcm_s16le", 44100, 2, 16}},
        {{monoFlac}, {"pcm_s16le", 22050, 1, 16}},
        {{mp3, flac24}, {"pcm_f32le", 96000, 2, 24}},
        {{float32, wav16}, {"pcm_f32le", 48000, 2, 24}},
        {{row("/unknown.wav", 1)}, {"pcm_f32le", 44100, 2, 16}},
    };
    for (const auto& [rows, form] : cases)
        EXPECT_EQ(commonAudioForm(rows), form) << rows.front().filePath << " " << rows.back().filePath;
}

TEST(JoinPlan, FilesTheConcatReaderDecodesExactlyAreListedThemselves)
{
    const FileRow mp3 = audioRow("/in/it's a.mp3", 2.5, "mp3/fltp/0", 44100, 2, "mp3");
    const FileRow flac = audioRow("/in/a.flac", 1, "flac/s16/16", 44100, 2, "flac");
    const FileRow wav = audioRow("/in/a.wav", 1, "pcm_s16le/s16/16", 44100, 2, "wav");
    const FileRow wav24 = audioRow("/in/b.wav", 1, "pcm_s24le/s32/24", 44100, 2, "wav");
    const FileRow mp3At48 = audioRow("/in/b.mp3", 1, "mp3/fltp/0", 48000, 2, "mp3");
    const FileRow mp3Cover = audioRow("/in/b.mp3", 1, "mp3/fltp/0", 44100, 2, "mp3", 0, "audio,video");
    const std::vector<std::pair<std::vector<FileRow>, bool>> cases{
        {{mp3, mp3}, true},      {{flac, flac}, false},     {{wav, wav}, true},
        {{wav, wav24}, false},   {{mp3, mp3At48}, false},   {{mp3, mp3Cover}, false},
        {{mp3Cover, mp3Cover}, true}, {{}, false},
    };
    for (const auto& [rows, direct] : cases)
        EXPECT_EQ(concatDecodesExactly(rows), direct) << (rows.empty() ? "" : rows.front().filePath + " " + rows.back().filePath);

    const std::string w = freshDir("plan-direct");
    const JoinPlan plan = buildJoinPlan({mp3, mp3}, "/out.mp3", w);
    EXPECT_EQ(plan.commands,
              (std::vector<Args>{concat(w + "/delete.txt",
                                        {"-map", "0:a:0", "-af", "asetpts=N/SR/TB", "-c:a", "libmp3lame", "-q:a", "2"},
                                        "/out.mp3")}));
    EXPECT_EQ(plan.durations, std::vector<double>{5.0});
    EXPECT_EQ(plan.normalisations, 0u);
    EXPECT_EQ(plan.fileCount, 2u);
    const std::string line = "file '/in/it'\\''s a.mp3'\n";
    EXPECT_EQ(readFile(w + "/delete.txt"), line + line);
}

TEST(JoinPlan, ElevenRowsThenAnEmptyList)
{
    const std::string w = freshDir("plan-eleven");
    std::vector<FileRow> rows;
    std::vector<double> durations{10.5, 20.25, 1, 1, 1, 1, 1, 1, 1, 1, 1, 10.5 + 20.25 + 9};
    std::string list;
    for (size_t i = 0; i < 11; ++i) {
        rows.push_back(audioRow("/in/" + std::to_string(i) + ".m4a", durations[i], "aac/fltp/0", 44100, 2, "mp4"));
        list += "file '" + w + "/temp" + std::to_string(i) + ".wav'\n";
    }
    const JoinPlan plan = buildJoinPlan(rows, "/out.mp4", w);
    ASSERT_EQ(plan.commands.size(), 12u);
    for (size_t i = 0; i < 11; ++i)
        EXPECT_EQ(plan.commands[i].back(), w + "/temp" + std::to_string(i) + ".wav");
    EXPECT_EQ(plan.durations, durations);
    EXPECT_EQ(readFile(w + "/delete.txt"), list);

    const JoinPlan empty = buildJoinPlan({}, "/out.mp4", w);
    EXPECT_EQ(empty.commands, std::vector<Args>{concat(w + "/delete.txt",
                                                       {"-map", "0:a:0", "-af", "asetpts=N/SR/TB", "-c:a", "aac",
                                                        "-b:a", "192k", "-movflags", "+faststart"},
                                                       "/out.mp4")});
    EXPECT_EQ(empty.durations, std::vector<double>{0.0});
    EXPECT_EQ(QFileInfo(QString::fromStdString(w + "/delete.txt")).size(), 0);
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
