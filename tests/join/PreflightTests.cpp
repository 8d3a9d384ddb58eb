// Which files enter the list, the Join button's pre-flight and the result
// alerts, through a recording host.
#include <sstream>

#include "JoinTestSupport.h"
#include "foundation/Settings.h"
#include "join/Completion.h"

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

void setLaunchCount(std::optional<long long> count)
{
    auto defaults = userDefaults();
    count ? defaults->setValue("launchCount", *count) : defaults->remove("launchCount");
    defaults->sync();
}

}  // namespace

TEST(Intake, RowsAndRefusals)
{
    EXPECT_EQ(intakeFromProbe("/media/my clip #1.mov", probe("Video:prores Audio:pcm_s24le Subtitle:mov_text")).row,
              (FileRow{"file:///media/my%20clip%20%231.mov", "/media/my clip #1.mov", "clip.mov", "", 2.5,
                       "prores, pcm_s24le, mov_text", "Audio & Video", "", true}));
    const std::vector<std::tuple<FileProbe, IntakeVerdict, std::string>> cases{
        {probe("Audio:mp3 Poster:png"), IntakeVerdict::accepted, "Audio"},
        {probe("Audio:aac Audio:ac3"), IntakeVerdict::accepted, "Audio"},
        {probe("Video:h264"), IntakeVerdict::accepted, "Video"},
        {probe("Counted:bin_data"), IntakeVerdict::accepted, "Unknown"},
        {probe("Video:ProRes"), IntakeVerdict::accepted, "Video"},  // and none of these is ProRes
        {probe("Video:prores", noCodecField), IntakeVerdict::accepted, "Video"},
        {probe("Audio:aac", errors), IntakeVerdict::unreadable, ""},
        {probe("Audio:aac", invalid), IntakeVerdict::notMedia, ""},
        {probe("Audio:aac", encrypted), IntakeVerdict::protectedContent, ""},
        {probe("Subtitle:subrip"), IntakeVerdict::noAudioOrVideo, ""}};
    for (const auto& [p, verdict, type] : cases) {
        const IntakeResult result = intakeFromProbe("/x", p);
        EXPECT_EQ(result.verdict, verdict) << type;
        EXPECT_EQ(result.row ? result.row->mediaType : "", type);
        EXPECT_FALSE(result.row && result.row->isProRes) << type;
    }
}

TEST_F(JoinTest, SkippedExtensionsAreNeverProbed)
{
    const std::string dir = freshDir("intake-vob");
    setToolsDirectory(fakeToolsWithScript("intake-vob", "sniffer", "echo probed >> '" + dir + "/log'"));
    for (const std::string name : {"a.vob", "b.VOB", "c.M4p", "d.m4P"}) {
        writeFile(dir + "/" + name, "x");
        EXPECT_EQ(analyzeFile(dir + "/" + name).verdict, IntakeVerdict::skippedExtension) << name;
    }
    EXPECT_FALSE(isSkippedExtension(dir + "/a.vob.mp3"));
    EXPECT_TRUE(logLines(dir + "/log").empty());
}

TEST(Preflight, ProposedNameAndCancelledDialog)
{
    // The media types of the list decide the proposed name's extension.
    const std::optional<std::string> desktop = "/home/someone/Desktop";
    const std::string av = "Audio & Video";
    const std::vector<std::tuple<std::vector<FileRow>, std::string, std::optional<std::string>>> cases{
        {{row("/a.wav", 1), row("/b.wav", 1), row("/c.wav", 1)}, "joined.mp3", desktop},
        {{row("/a.mp4", 1, av), row("/b.mp4", 1, av)}, "joined.mp4", desktop},
        {{row("/a.mp4", 1, "Video"), row("/b.mp4", 1, "Video")}, "joined.mp4", desktop},
        {{row("/a.mp4", 1, "Video"), row("/b.mp4", 1, av)}, "joined.ext", desktop},
        {{row("/a.wav", 1), row("/b", 1, "Unknown")}, "joined.ext", desktop},
        {{row("/a.wav", 1, "audio")}, "joined.ext", desktop},
        {{}, "joined.mp4", std::nullopt}};
    for (const auto& [rows, name, directory] : cases) {
        RecordingHost host;
        host.desktop = directory;
        JoinControl control;
        runJoinPreflight([&] { return rows; }, host, control);  // no answer: the dialog is cancelled
        ASSERT_EQ(host.savePanels.size(), 1u);
        const SavePanelSpec& p = host.savePanels[0];
        EXPECT_EQ(std::tie(p.message, p.nameFieldLabel, p.nameFieldText, p.prompt, p.directory),
                  std::make_tuple("Save Video", "Named:", name, "Save", directory));
        host.settle(std::chrono::milliseconds(20));
        EXPECT_TRUE(host.alerts.empty() && host.sheets.empty());
    }
}

TEST_F(JoinTest, PreflightStartsTheJoinOrRefusesAMixedList)
{
    const std::string log = useScriptedCreator("preflight"), dir = log.substr(0, log.rfind('/'));
    host.savePanelAnswers = {"/out/joined.ext", dir + "/my join.wav", dir + "/joined.mp4"};
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1), row("/b", 1, "Unknown")}; }, host, control);
    host.settle(std::chrono::milliseconds(50));
    EXPECT_EQ(fields(host.alerts.at(0)),
              AlertFields("Mix & Match - Can't join!", "Contact: support@velmora.app", {}, AlertStyle::critical));
    EXPECT_TRUE(host.sheets.empty() && logLines(log).empty());

    control.isProcessCancelledByUser = true;  // a left-over cancel is cleared
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1), row("/b.wav", 1)}; }, host, control);
    ASSERT_TRUE(host.waitForAlert(2));
    runJoinPreflight([] { return std::vector<FileRow>{}; }, host, control);
    ASSERT_TRUE(host.waitForAlert(3));
    const auto lines = logLines(log);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[2].ends_with(" " + dir + "/my join.wav"));  // another extension, kept
    EXPECT_TRUE(lines[3].ends_with(" " + dir + "/joined.mp4"));
}

TEST(Completion, ResultAlertsAndTheirButtons)
{
    const std::string good = sineM4a(1.0), broken = freshDir("completion") + "/joined.mp3";
    writeFile(broken, "not media at all");
    setLaunchCount(10);  // a rating check is due, though never after a failure
    const std::vector<std::tuple<std::string, int, std::vector<std::string>>> cases{
        {good, 1000, {"showAlert", "openFileWithApplication", "requestReview"}},
        {good, 1001, {"showAlert", "revealInFileManager", "requestReview"}},
        {good, 1002, {"showAlert", "requestReview"}},
        {broken, 1000, {"showAlert"}},
        {broken + ".missing", 1000, {"showAlert"}}};
    for (const auto& [out, response, calls] : cases) {
        RecordingHost host;
        host.alertResponses.push_back(response);
        showJoinResult(out, host);
        EXPECT_EQ(host.calls, calls);
        EXPECT_EQ(fields(host.alerts.at(0)), out != good ? kFailure : AlertFields("Audio Joined Successfully!", out,
                  {"Launch in QuickTime Player", "Show in Finder", "OK"}, AlertStyle::informational));
        for (const auto& action : host.desktopActions)
            EXPECT_EQ(std::tie(action.target, action.application),
                      std::make_tuple(out, action.kind == "open" ? "QuickTime Player" : ""));
    }
}

TEST(Completion, RatingCheckOnEveryTenthLaunch)
{
    const std::vector<std::pair<std::optional<long long>, int>> cases{
        {10, 1}, {11, 0}, {std::nullopt, 1}, {0, 1}, {-20, 1}, {25, 0}, {30, 1}};
    for (const auto& [count, requests] : cases) {
        setLaunchCount(count);
        RecordingHost host;
        requestReviewIfDue(host);
        EXPECT_EQ(host.reviewRequests, requests) << count.value_or(-1);
    }
}
