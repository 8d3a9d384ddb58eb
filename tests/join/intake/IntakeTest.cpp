// Which files enter the list, the rows they become, and the intake of a
// batch: side by side, in the order given, and cancellable.
#include <sstream>
#include <thread>

#include "join/intake/Intake.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

enum Flag { errors = 1, invalid = 2, encrypted = 4, noCodecField = 8 };

// A probe with one track per "Type:codec" word ("Counted" tracks are counted
// as audio but listed as no known type); the first video track's details
// name its codec unless told otherwise.
FileProbe probe(const std::string& tracks, int flags = 0)
{
    FileProbe p;
    p.hasErrors = flags & errors;
    p.isValidMediaFile = !(flags & invalid);
    p.isEncrypted = flags & encrypted;
    p.fileName = "clip.mov";
    p.duration = 2.5;
    std::istringstream in(tracks);
    for (std::string word; in >> word;) {
        const std::string type = word.substr(0, word.find(':')), codec = word.substr(word.find(':') + 1);
        p.tracksInfo.push_back({});
        p.tracksInfo.back().trackType = type;
        p.tracksInfo.back().trackCodec = codec;
        p.numberOfAudioTracks += type == "Audio" || type == "Counted";
        p.numberOfVideoTracks += type == "Video";
        if (type == "Video" && !p.firstVideoTrackInfo)
            p.firstVideoTrackInfo = JSON::fromObject({{flags & noCodecField ? "profile" : "codec", codec}});
    }
    return p;
}

}  // namespace

TEST(Intake, RowsAndRefusals)
{
    FileRow expected{"file:///media/my%20clip%20%231.mov", "/media/my clip #1.mov", "clip.mov", "", 2.5,
                     "prores, pcm_s24le, mov_text", MediaKind::audioVideo, "", true, "prores, pcm_s24le, mov_text", {}, {}, {},
                     {}};
    expected.metadata.fileName = "clip.mov";
    EXPECT_EQ(intakeFromProbe("/media/my clip #1.mov", probe("Video:prores Audio:pcm_s24le Subtitle:mov_text")).row,
              expected);
    // "codec" keeps every track; the list's codecs leave out cover art, chapters and data.
    const std::vector<std::tuple<FileProbe, IntakeVerdict, std::string, std::string, std::string>> cases{
        {probe("Audio:mp3 Poster:mjpeg"), IntakeVerdict::accepted, "Audio", "mp3, mjpeg", "mp3"},
        {probe("Audio:aac Chapter:bin_data Other:bin_data"), IntakeVerdict::accepted, "Audio", "aac, bin_data, bin_data",
         "aac"},
        {probe("Counted:bin_data"), IntakeVerdict::accepted, "Unknown", "bin_data", ""},
        {probe("Video:ProRes"), IntakeVerdict::accepted, "Video", "ProRes", "ProRes"},  // and none of these is ProRes
        {probe("Video:prores", noCodecField), IntakeVerdict::accepted, "Video", "prores", "prores"},
        {probe("Audio:aac", errors), IntakeVerdict::notMedia, "", "", ""},
        {probe("Audio:aac", invalid), IntakeVerdict::notMedia, "", "", ""},
        {probe("Audio:aac", encrypted), IntakeVerdict::protectedContent, "", "", ""},
        {probe("Subtitle:subrip"), IntakeVerdict::noAudioOrVideo, "", "", ""}};
    for (const auto& [p, verdict, type, codec, listed] : cases) {
        const IntakeResult result = intakeFromProbe("/x", p);
        EXPECT_EQ(result.verdict, verdict) << type;
        EXPECT_EQ(result.row ? mediaKindText(result.row->kind) : "", type);
        EXPECT_EQ(result.row ? result.row->codec : "", codec);
        EXPECT_EQ(result.row ? result.row->codecHuman : "", listed);
        EXPECT_FALSE(result.row && result.row->isProRes) << type;
    }
    // A probe run that was cut short or never started says so, whatever the record holds.
    const std::vector<std::tuple<ProbeRun, IntakeVerdict, std::string>> runs{
        {ProbeRun::timedOut, IntakeVerdict::probeTimedOut, "probe timed out"},
        {ProbeRun::toolFailedToStart, IntakeVerdict::toolUnavailable, "ffprobe cannot run"},
        {ProbeRun::completed, IntakeVerdict::accepted, "accepted"}};
    for (const auto& [run, verdict, text] : runs) {
        FileProbe p = probe("Audio:aac");
        p.run = run;
        EXPECT_EQ(intakeFromProbe("/x", p).verdict, verdict) << text;
        EXPECT_EQ(intakeVerdictText(verdict), text);
    }
}

TEST_F(JoinTest, SkippedFilesSayWhy)
{
    // Missing files and playlists are judged before any probe; a file named
    // as media that does not read as media is damaged, anything else is not media.
    const std::string dir = freshDir("intake-why");
    writeFile(dir + "/notes.txt", "just words");
    writeFile(dir + "/broken.mp3", "just words");
    writeFile(dir + "/list.m3u", "#EXTM3U\n");
    const std::vector<std::tuple<std::string, IntakeVerdict, std::string>> cases{
        {"gone.mp3", IntakeVerdict::missing, "missing"},
        {"list.m3u", IntakeVerdict::playlist, "a playlist: use Open List\u2026"},
        {"notes.txt", IntakeVerdict::notMedia, "not an audio or video file"},
        {"broken.mp3", IntakeVerdict::damaged, "damaged"}};
    for (const auto& [name, verdict, text] : cases) {
        EXPECT_EQ(analyzed(dir + "/" + name).verdict, verdict) << name;
        EXPECT_EQ(intakeVerdictText(verdict), text);
    }
    EXPECT_EQ(intakeVerdictText(IntakeVerdict::noPermission), "no permission");
}

TEST_F(JoinTest, SkippedExtensionsAreNeverProbed)
{
    const std::string dir = freshDir("intake-vob");
    setToolsDirectory(fakeToolsWithScript("intake-vob", "sniffer", "echo probed >> '" + dir + "/log'"));
    for (const std::string name : {"a.vob", "b.VOB", "c.M4p", "d.m4P"}) {
        writeFile(dir + "/" + name, "x");
        EXPECT_EQ(analyzed(dir + "/" + name).verdict, IntakeVerdict::skippedExtension) << name;
    }
    EXPECT_FALSE(isSkippedExtension(dir + "/a.vob.mp3"));
    EXPECT_TRUE(logLines(dir + "/log").empty());
}


TEST_F(JoinTest, BatchesComeOutInOrderWhateverFinishesFirst)
{
    // A probe that takes longer for earlier files: results still come in the
    // order given, and the probes overlap.
    const std::string dir = freshDir("intake-order");
    const std::string sniffer = "for last; do :; done\necho \"start $last\" >> '" + dir +
                                "/log'\ncase \"$last\" in *0.wav) sleep 0.6;; *1.wav) sleep 0.3;; esac\n"
                                "exec '" + resourcesDir() + "/sniffer' \"$@\"";
    setToolsDirectory(fakeToolsWithScript("intake-order", "sniffer", sniffer));
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(dir + "/" + std::to_string(i) + ".wav");
        writeFile(paths.back(), readFile(sineWav(1.0)));
    }
    paths.insert(paths.begin() + 2, dir + "/skipped.vob");
    std::vector<std::pair<size_t, IntakeVerdict>> results;
    Cancellation cancellation;
    runIntake(paths, cancellation, [&](size_t index, IntakeResult result) {
        results.emplace_back(index, result.verdict);
        if (result.row) {
            EXPECT_EQ(result.row->filePath, paths[index]);
        }
    });
    const std::vector<std::pair<size_t, IntakeVerdict>> expected{{0, IntakeVerdict::accepted},
                                                                 {1, IntakeVerdict::accepted},
                                                                 {2, IntakeVerdict::skippedExtension},
                                                                 {3, IntakeVerdict::accepted},
                                                                 {4, IntakeVerdict::accepted}};
    EXPECT_EQ(results, expected);
    EXPECT_EQ(logLines(dir + "/log").size(), 4u);
}

TEST_F(JoinTest, CancelEndsTheRunningProbes)
{
    const std::string dir = freshDir("intake-cancel");
    setToolsDirectory(fakeToolsWithScript("intake-cancel", "sniffer", "echo $$ >> '" + dir + "/log'\nexec sleep 30"));
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(dir + "/" + std::to_string(i) + ".wav");
        writeFile(paths.back(), "x");
    }
    Cancellation cancellation;
    size_t handedOn = 0;
    std::thread intake([&] { runIntake(paths, cancellation, [&](size_t, IntakeResult) { ++handedOn; }); });
    ASSERT_TRUE(pollUntil([&] { return !logLines(dir + "/log").empty(); }, std::chrono::seconds(10)));
    const auto started = std::chrono::steady_clock::now();
    cancellation.cancel();
    intake.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(handedOn, 0u);
    EXPECT_LE(logLines(dir + "/log").size(), std::max(1u, std::thread::hardware_concurrency()));  // one per core
    for (const std::string& pid : logLines(dir + "/log"))
        EXPECT_FALSE(processAlive(pid));
}

TEST(Intake, RowsKnowTheirFirstAudioStream)
{
    const std::string flac24 = makeMedia("sine-24.flac", {"-f", "lavfi", "-i", "sine=sample_rate=96000:duration=0.5",
                                                           "-ac", "2", "-c:a", "flac", "-sample_fmt", "s32"});
    const std::string floatWav = makeMedia("sine-float.wav", {"-f", "lavfi", "-i", "sine=duration=0.5", "-c:a", "pcm_f32le"});
    // File, the facts (duration aside), the container, the stream kinds.
    const std::vector<std::tuple<std::string, AudioStreamFacts, std::string, std::string>> cases{
        {flac24, {"flac", 96000, 2, "stereo", "s32", 24, true, 0, ""}, "flac", "audio"},
        {floatWav, {"pcm_f32le", 44100, 1, "mono", "flt", 32, true, 0, ""}, "wav", "audio"},
        {sineM4a(1.0), {"aac", 44100, 1, "mono", "fltp", 0, false, 0, "LC"}, "mov,mp4,m4a,3gp,3g2,mj2", "audio"},
        {mp3WithCover(1.0), {"mp3", 44100, 1, "mono", "fltp", 0, false, 0, ""}, "mp3", "audio,video"},
        {h264Clip(320, 240, 15, 1.0), {"aac", 44100, 1, "mono", "fltp", 0, false, 0, "LC"}, "mov,mp4,m4a,3gp,3g2,mj2", "video,audio"},
    };
    for (const auto& [path, facts, format, kinds] : cases) {
        const std::optional<FileRow> made = analyzed(path).row;
        ASSERT_TRUE(made) << path;
        AudioStreamFacts found = made->audio;
        EXPECT_GT(found.duration, 0.4) << path;
        found.duration = 0;
        EXPECT_EQ(found, facts) << path;
        EXPECT_EQ(made->formatName, format) << path;
        EXPECT_EQ(made->streamKinds, kinds) << path;
        EXPECT_EQ(fileRowJson(*made).size(), 9u);
    }
}
