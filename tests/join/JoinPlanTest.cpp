// The command plan of a join: argument lists, the list file and durations.
#include "join/JoinPlan.h"
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

const std::string kLetterbox = "scale=w='if(gt(dar,640/480),640,2*trunc(480*dar/2))':h='if(gt(dar,640/480),2*trunc("
                               "640/dar/2),480)',setsar=1,pad=640:480:(ow-iw)/2:(oh-ih)/2";

}  // namespace

TEST(JoinPlan, AnAudioListIsDecodedToOneLosslessFormThenEncodedOnce)
{
    // 16-bit WAV at 44.1 kHz, a mono MP3 with a cover, and AAC in MP4 at 48 kHz
    // whose stream is shorter than the decoder's output.
    const std::vector<FileRow> rows{audioRow("/in/a b.wav", 5.3, "pcm_s16le/s16/16", 44100, 2, "wav"),
                                    audioRow("/in/it's.mp3", 6.45, "mp3/fltp/0", 44100, 1, "mp3", 0, "audio,video"),
                                    audioRow("/in/c.m4a", 6.2, "aac/fltp/0", 48000, 2, "mov,mp4,m4a,3gp,3g2,mj2", 6.19)};
    const std::string out = "/some where/it's ünïcode/out put.mp3";
    const std::string w = freshDir("plan-audio");
    const JoinPlan plan = buildJoinPlan(rows, out, w);
    auto stage1 = [&](const std::string& in, Args cut, size_t i) {
        Args command{"-nostdin", "-i", in, "-map", "0:a:0", "-map_metadata", "-1"};
        command.insert(command.end(), cut.begin(), cut.end());
        command.insert(command.end(), {"-c:a", "pcm_f32le", "-ar", "48000", "-ac", "2", "-rf64", "auto", "-y",
                                       w + "/temp" + std::to_string(i) + ".wav"});
        return command;
    };
    EXPECT_EQ(plan.commands,
              (std::vector<Args>{stage1("/in/a b.wav", {}, 0), stage1("/in/it's.mp3", {}, 1),
                                 stage1("/in/c.m4a", {"-t", "6.19"}, 2),
                                 concat(w + "/delete.txt",
                                        {"-map", "0:a:0", "-af", "asetpts=N/SR/TB", "-c:a", "libmp3lame", "-q:a", "2"},
                                        out)}));
    EXPECT_EQ(plan.durations, (std::vector<double>{5.3, 6.45, 6.2, 5.3 + 6.45 + 6.2}));
    EXPECT_EQ(plan.normalisations, 3u);
    EXPECT_EQ(plan.fileCount, 3u);
    EXPECT_EQ(readFile(w + "/delete.txt"),
              "file '" + w + "/temp0.wav'\nfile '" + w + "/temp1.wav'\nfile '" + w + "/temp2.wav'\n");
}

TEST(JoinPlan, AVideoListIsLetterboxedWithSoundAsLongAsThePicture)
{
    // A clip with sound and one without (silence is made for it).
    const std::vector<FileRow> rows{row("/in/wide.mp4", 2.4, "Audio & Video"), row("/in/mute.mov", 2.5, "Video", true)};
    const std::string w = freshDir("plan-video");
    JoinOptions options;
    options.quality = QualitySettings{2, 0, 256, 128};
    const JoinPlan plan = buildJoinPlan(rows, "/out/joined.mp4", w, options);
    EXPECT_EQ(plan.commands,
              (std::vector<Args>{
                  {"-nostdin", "-i", "/in/wide.mp4", "-map", "0:V:0", "-map", "0:a:0", "-map_metadata", "-1", "-vf",
                   "fps=24,trim=end_frame=57," + kLetterbox, "-c:v", "libx264", "-pix_fmt", "yuv420p", "-af",
                   "aresample=48000,apad=whole_len=115200,atrim=end_sample=115200", "-c:a", "pcm_s16le", "-ar",
                   "48000", "-ac", "2", "-y", w + "/temp0.mov"},
                  {"-nostdin", "-i", "/in/mute.mov", "-f", "lavfi", "-i", "anullsrc=r=48000:cl=stereo:d=2.5", "-map",
                   "0:V:0", "-map", "1:a:0", "-map_metadata", "-1", "-vf", "fps=24,trim=end_frame=60," + kLetterbox,
                   "-c:v", "libx264", "-pix_fmt", "yuv420p", "-af",
                   "aresample=48000,apad=whole_len=120000,atrim=end_sample=120000", "-c:a", "pcm_s16le", "-ar",
                   "48000", "-ac", "2", "-y", w + "/temp1.mov"},
                  concat(w + "/delete.txt",
                         {"-map", "0:v:0", "-map", "0:a:0", "-c:v", "copy", "-c:a", "aac", "-b:a", "256k", "-movflags",
                          "+faststart"},
                         "/out/joined.mp4")}));
    EXPECT_EQ(plan.durations, (std::vector<double>{2.4, 2.5, 4.9}));
    EXPECT_EQ(readFile(w + "/delete.txt"), "file '" + w + "/temp0.mov'\nfile '" + w + "/temp1.mov'\n");
    // A clip of unknown length: nothing is cut, the sound ends with the picture.
    const Args unknown = videoNormalisationCommand(row("/in/x.mkv", 0.0, "Video"), "/w/temp0.mov");
    EXPECT_EQ(unknown[6], "anullsrc=r=48000:cl=stereo");
    EXPECT_EQ(unknown[14], "fps=24," + kLetterbox);
    EXPECT_EQ(*(unknown.end() - 3), "-shortest");
}

TEST(JoinPlan, TheOutputsExtensionPicksTheOneEncode)
{
    const QualitySettings defaults, cbr{2, 256, 96, 64}, vbr6{6, 0, 192, 128};
    const Args audio{"-map", "0:a:0", "-af", "asetpts=N/SR/TB"};
    auto with = [](Args first, const Args& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    };
    // Output, a video list, the bits a lossless output keeps, the settings, the arguments.
    const std::vector<std::tuple<std::string, bool, int, QualitySettings, Args>> cases{
        {"a.mp3", false, 16, defaults, with(audio, {"-c:a", "libmp3lame", "-q:a", "2"})},
        {"a.MP3", false, 16, vbr6, with(audio, {"-c:a", "libmp3lame", "-q:a", "6"})},
        {"a.mp3", false, 16, cbr, with(audio, {"-c:a", "libmp3lame", "-b:a", "256k"})},
        {"a.m4a", false, 16, defaults, with(audio, {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"})},
        {"a.m4b", false, 16, cbr, with(audio, {"-c:a", "aac", "-b:a", "96k", "-f", "ipod", "-movflags", "+faststart"})},
        {"a.mp4", false, 16, defaults, with(audio, {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"})},
        {"a.aac", false, 16, defaults, with(audio, {"-c:a", "aac", "-b:a", "192k"})},
        {"a.flac", false, 16, defaults, with(audio, {"-c:a", "flac", "-sample_fmt", "s16"})},
        {"a.flac", false, 24, defaults, with(audio, {"-c:a", "flac", "-sample_fmt", "s32"})},
        {"a.wav", false, 16, defaults, with(audio, {"-c:a", "pcm_s16le", "-rf64", "auto"})},
        {"a.wav", false, 24, defaults, with(audio, {"-c:a", "pcm_s24le", "-rf64", "auto"})},
        {"a.opus", false, 16, defaults, with(audio, {"-c:a", "libopus", "-b:a", "128k"})},
        {"a.ogg", false, 16, cbr, with(audio, {"-c:a", "libopus", "-b:a", "64k"})},
        {"a.mka", false, 24, defaults, with(audio, {"-c:a", "flac", "-sample_fmt", "s32"})},
        {"a.mkv", false, 16, defaults, audio},
        {"/x.mp3/noext", false, 16, defaults, audio},
        {"a.mp4", true, 16, defaults,
         {"-map", "0:v:0", "-map", "0:a:0", "-c:v", "copy", "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"}},
        {"a.mkv", true, 16, defaults, {"-map", "0:v:0", "-map", "0:a:0", "-c:v", "copy"}},
        {"a.webm", true, 16, defaults, {"-map", "0:v:0", "-map", "0:a:0"}},
        {"a.mp3", true, 16, defaults, {"-map", "0:a:0", "-c:a", "libmp3lame", "-q:a", "2"}},
        {"a.mp3", false, 16, QualitySettings{12, 999, 1, 1}, with(audio, {"-c:a", "libmp3lame", "-q:a", "2"})},
    };
    for (const auto& [out, video, bits, quality, expected] : cases)
        EXPECT_EQ(concatStreamArguments(outputFormatOf(out), video, bits, quality), expected) << out << " " << video;
}

TEST(JoinPlan, OneFormHoldsEveryInputExactly)
{
    const FileRow wav16 = audioRow("/a.wav", 1, "pcm_s16le/s16/16", 44100, 2, "wav");
    const FileRow flac16 = audioRow("/a.flac", 1, "flac/s16/16", 44100, 2, "flac");
    const FileRow flac24 = audioRow("/b.flac", 1, "flac/s32/24", 96000, 2, "flac");
    const FileRow monoFlac = audioRow("/m.flac", 1, "flac/s16/16", 22050, 1, "flac");
    const FileRow mp3 = audioRow("/a.mp3", 1, "mp3/fltp/0", 44100, 2, "mp3");
    const FileRow monoMp3 = audioRow("/m.mp3", 1, "mp3/fltp/0", 44100, 1, "mp3");
    const FileRow float32 = audioRow("/f.wav", 1, "pcm_f32le/flt/32", 48000, 2, "wav");
    const std::vector<std::pair<std::vector<FileRow>, AudioForm>> cases{
        {{wav16, flac16}, {"pcm_s16le", 44100, 2, 16}},
        {{flac16, flac24}, {"pcm_s24le", 96000, 2, 24}},
        {{monoFlac, flac16}, {"pcm_s16le", 44100, 2, 16}},
        {{monoFlac}, {"pcm_s16le", 22050, 1, 16}},
        {{mp3, flac16}, {"pcm_f32le", 44100, 2, 16}},
        {{mp3, flac24}, {"pcm_f32le", 96000, 2, 24}},
        {{monoMp3, monoFlac}, {"pcm_f32le", 44100, 1, 16}},
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
    const FileRow m4a = audioRow("/in/a.m4a", 1, "aac/fltp/0", 44100, 2, "mov,mp4,m4a,3gp,3g2,mj2");
    const FileRow opus = audioRow("/in/a.opus", 1, "opus/fltp/0", 48000, 2, "ogg");
    const FileRow mp3At48 = audioRow("/in/b.mp3", 1, "mp3/fltp/0", 48000, 2, "mp3");
    const FileRow mp3Mono = audioRow("/in/b.mp3", 1, "mp3/fltp/0", 44100, 1, "mp3");
    const FileRow mp3Cover = audioRow("/in/b.mp3", 1, "mp3/fltp/0", 44100, 2, "mp3", 0, "audio,video");
    const FileRow wav24 = audioRow("/in/b.wav", 1, "pcm_s24le/s32/24", 44100, 2, "wav");
    const std::vector<std::pair<std::vector<FileRow>, bool>> cases{
        {{mp3, mp3}, true},        {{flac, flac}, false},   {{wav24, wav24}, true},   {{wav, wav}, true},
        {{wav, wav24}, false},     {{mp3, flac}, false},    {{m4a, m4a}, false},      {{opus, opus}, false},
        {{mp3, mp3At48}, false},   {{mp3, mp3Mono}, false}, {{mp3, mp3Cover}, false}, {{mp3Cover, mp3Cover}, true},
        {{row("/x.mp3", 1)}, false}, {{}, false},
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
