// The Join button's pre-flight: the proposed name, a cancelled dialog, a
// mixed list refused, and a confirmed one started.
#include "join/QualitySettings.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

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
        QThreadPool pool;
        runJoinPreflight([&] { return rows; }, host, control, pool);  // no answer: the dialog is cancelled
        ASSERT_EQ(host.saveDialogs.size(), 1u);
        const SaveDialogRequest& p = host.saveDialogs[0];
        EXPECT_EQ(std::tie(p.title, p.nameFieldLabel, p.nameFieldText, p.prompt, p.directory),
                  std::make_tuple("Save Video", "Named:", name, "Save", directory));
        host.settle(std::chrono::milliseconds(20));
        EXPECT_TRUE(host.messages.empty() && host.sheets.empty());
    }
}

TEST_F(JoinTest, PreflightStartsTheJoinOrRefusesAMixedList)
{
    const std::string log = useScriptedCreator("preflight"), dir = log.substr(0, log.rfind('/'));
    host.saveDialogAnswers = {"/out/joined.ext", dir + "/my join.wav", dir + "/joined.mp4"};
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1), row("/b", 1, "Unknown")}; }, host, control,
                     pool);
    host.settle(std::chrono::milliseconds(50));
    EXPECT_EQ(fields(host.messages.at(0)), MessageFields("Mix & Match - Can't join!", "Contact: support@velmora.app",
                                                         {}, MessageStyle::critical));
    EXPECT_TRUE(host.sheets.empty() && logLines(log).empty() && host.outcomes.empty());

    control.cancel();  // a left-over cancel is cleared
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1), row("/b.wav", 1)}; }, host, control, pool);
    ASSERT_TRUE(host.waitForOutcome(1));
    runJoinPreflight([] { return std::vector<FileRow>{}; }, host, control, pool);
    ASSERT_TRUE(host.waitForOutcome(2));
    const auto lines = logLines(log);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[2].ends_with(" " + dir + "/my join.wav"));  // another extension, kept
    EXPECT_TRUE(lines[3].ends_with(" " + dir + "/joined.mp4"));
}

TEST_F(JoinTest, TheDialogOffersTheFormatsAndTheJoinTakesTheKeptQuality)
{
    const std::string dir = freshDir("preflight-quality"), log = dir + "/log";
    setToolsDirectory(creatorTools("preflight-quality", "echo \"$*\" >> '" + log + "'"));
    saveQualitySettings(QualitySettings{4, 0, 128, 96});
    host.saveDialogAnswers = {dir + "/joined.mp3", dir + "/book.m4b", dir + "/joined.mp4"};
    const std::vector<std::pair<std::vector<FileRow>, std::string>> cases{
        {{row("/a.wav", 1), row("/b.wav", 1)}, "-c:a libmp3lame -q:a 4 -y " + dir + "/joined.mp3"},
        {{row("/a.wav", 1)}, "-c:a aac -b:a 128k -f ipod -movflags +faststart -y " + dir + "/book.m4b"},
        {{row("/a.mp4", 1, "Video")}, "-c:v copy -c:a aac -b:a 128k -movflags +faststart -y " + dir + "/joined.mp4"}};
    for (size_t i = 0; i < cases.size(); ++i) {
        runJoinPreflight([&] { return cases[i].first; }, host, control, pool);
        ASSERT_TRUE(host.waitForOutcome(i + 1));
        EXPECT_TRUE(logLines(log).back().ends_with(cases[i].second)) << logLines(log).back();
        std::vector<std::string> offered;
        for (const SaveFormat& format : host.saveDialogs.back().filters)
            offered.push_back(format.extension);
        std::vector<std::string> expected{"mp3", "m4a", "m4b", "flac", "wav", "opus"};
        if (i == 2)
            expected.insert(expected.begin(), "mp4");
        EXPECT_EQ(offered, expected);
    }
    saveQualitySettings(QualitySettings{});
}
