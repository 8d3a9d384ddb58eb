// The Join button's pre-flight: the proposed name, a cancelled dialog, a
// mixed list or an output that must not be written refused, and a confirmed
// one started.
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
    // The concat writes beside the output under a partial name, keeping the extension.
    EXPECT_TRUE(lines[2].ends_with(" " + dir + "/.my join.velmora-partial.wav"));  // another extension, kept
    EXPECT_TRUE(lines[3].ends_with(" " + dir + "/.joined.velmora-partial.mp4"));
}

TEST_F(JoinTest, PreflightRefusesAnOutputThatIsAnInputOrNoFile)
{
    const std::string log = useScriptedCreator("preflight-refuse"), dir = log.substr(0, log.rfind('/'));
    const std::string input = dir + "/in.wav", link = dir + "/hard link.wav";
    writeFile(input, readFile(sineWav(1.0)));
    ASSERT_EQ(::link(input.c_str(), link.c_str()), 0);
    const std::vector<std::pair<std::string, std::string>> cases{
        {input, input + " is the same file as the input " + input},
        {link, link + " is the same file as the input " + input},
        {dir, dir + " is a folder"},
        {"/dev/null", "/dev/null is not a regular file"}};
    for (const auto& [answer, reason] : cases) {
        RecordingHost host;
        host.saveDialogAnswers = {answer};
        runJoinPreflight([&] { return std::vector<FileRow>{row(input, 1)}; }, host, control, pool);
        host.settle(std::chrono::milliseconds(50));
        ASSERT_EQ(host.messages.size(), 1u) << answer;
        EXPECT_EQ(fields(host.messages[0]),
                  MessageFields("Can't write the joined file there", reason, {}, MessageStyle::critical));
        EXPECT_TRUE(host.sheets.empty() && host.outcomes.empty());
    }
    EXPECT_TRUE(logLines(log).empty());
    EXPECT_EQ(readFile(input), readFile(sineWav(1.0)));
}
