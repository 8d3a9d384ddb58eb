// The Join button's pre-flight: a mixed list refused before any dialog, the
// proposed name and title, an output that must not be written (an input, a
// folder, a device, an unwritable place) refused before any encoding, and a
// confirmed list started.
#include "join/QualitySettings.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(Preflight, ProposedNameTitleAndCancelledDialog)
{
    // The media types of the list decide the proposed name and the title.
    const std::optional<std::string> desktop = "/home/someone/Desktop";
    const std::string av = "Audio & Video";
    const std::vector<std::tuple<std::vector<FileRow>, std::string, std::string, std::optional<std::string>>> cases{
        {{row("/a.wav", 1), row("/b.wav", 1), row("/c.wav", 1)}, "Save Audio", "joined.mp3", desktop},
        {{row("/a.mp4", 1, av), row("/b.mp4", 1, av)}, "Save Video", "joined.mp4", desktop},
        {{}, "Save Video", "joined.mp4", std::nullopt}};
    for (const auto& [rows, title, name, directory] : cases) {
        RecordingHost host;
        host.desktop = directory;
        JoinControl control;
        QThreadPool pool;
        runJoinPreflight([&] { return rows; }, host, control, pool);  // no answer: the dialog is cancelled
        ASSERT_EQ(host.saveDialogs.size(), 1u);
        const SaveDialogRequest& p = host.saveDialogs[0];
        EXPECT_EQ(std::tie(p.title, p.nameFieldLabel, p.nameFieldText, p.prompt, p.directory),
                  std::make_tuple(title, "Named:", name, "Save", directory));
        host.settle(std::chrono::milliseconds(20));
        EXPECT_TRUE(host.messages.empty() && host.sheets.empty());
    }
}

TEST(Preflight, MixedListRefusedBeforeAnyDialog)
{
    // The refusal names the rows of each media type, so the user knows what to remove.
    const std::string av = "Audio & Video";
    std::vector<FileRow> many;
    for (int i = 1; i <= 8; ++i)
        many.push_back(row("/a" + std::to_string(i) + ".wav", 1));
    many.push_back(row("/clip.mp4", 1, av));
    const std::vector<std::pair<std::vector<FileRow>, std::string>> cases{
        {{row("/song.mp3", 1), row("/clip.mp4", 1, av), row("/talk.wav", 1)},
         "Video with audio, 1 row:\n2. clip.mp4\nAudio only, 2 rows:\n1. song.mp3\n3. talk.wav\n"},
        {{row("/a.wav", 1), row("/b", 1, "Unknown")}, "Audio only, 1 row:\n1. a.wav\nNeither audio nor video, 1 row:\n2. b\n"},
        {{row("/a.wav", 1, "audio")}, "Neither audio nor video, 1 row:\n1. a.wav\n"},
        {many, "Video with audio, 1 row:\n9. clip.mp4\nAudio only, 8 rows:\n1. a1.wav\n2. a2.wav\n3. a3.wav\n4. a4.wav\n"
               "5. a5.wav\n6. a6.wav\nand 2 more\n"}};
    for (const auto& [rows, listing] : cases) {
        RecordingHost host;
        JoinControl control;
        QThreadPool pool;
        runJoinPreflight([&] { return rows; }, host, control, pool);
        host.settle(std::chrono::milliseconds(20));
        EXPECT_EQ(host.calls, (std::vector<std::string>{"showMessage"})) << listing;
        EXPECT_EQ(fields(host.messages.at(0)), MessageFields("Mix & Match - Can't join!",
                                                             listing + "\nContact: support@velmora.app", {},
                                                             MessageStyle::critical));
    }
}

TEST_F(JoinTest, PreflightStartsTheJoinOrRefusesAnUnwritablePlace)
{
    const std::string log = useScriptedCreator("preflight"), dir = log.substr(0, log.rfind('/'));
    host.saveDialogAnswers = {dir + "/missing/joined.mp3", dir + "/my join.wav", dir + "/joined.mp4"};
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1), row("/b.wav", 1)}; }, host, control, pool);
    host.settle(std::chrono::milliseconds(50));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(fields(host.messages[0]),
              MessageFields("Can't write the joined file there",
                            "cannot write in " + dir + "/missing: No such file or directory", {},
                            MessageStyle::critical));
    EXPECT_TRUE(host.sheets.empty() && logLines(log).empty() && host.outcomes.empty());

    control.cancel();  // a left-over cancel is cleared
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1), row("/b.wav", 1)}; }, host, control, pool);
    ASSERT_TRUE(host.waitForOutcome(1));
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.mp4", 1, "Video")}; }, host, control, pool);
    ASSERT_TRUE(host.waitForOutcome(2));
    const auto lines = logLines(log);
    ASSERT_EQ(lines.size(), 5u);  // two rows and the concat, then one row and the concat
    // The concat writes beside the output under a partial name, keeping the extension.
    EXPECT_TRUE(lines[2].ends_with(" " + dir + "/.my join.velmora-partial.wav"));  // another extension, kept
    EXPECT_TRUE(lines[4].ends_with(" " + dir + "/.joined.velmora-partial.mp4"));
    // The sheet and the outcome follow the list's media.
    ASSERT_EQ(host.sheets.size(), 4u);
    EXPECT_EQ(host.sheets[0].title, "Joining Audio...");
    EXPECT_EQ(host.sheets[2].title, "Joining Video...");
    EXPECT_EQ(host.outcomes[0].media, JoinMedia::audio);
    EXPECT_EQ(host.outcomes[1].media, JoinMedia::video);
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

TEST_F(JoinTest, TheDialogOffersTheFormatsAndTheJoinTakesTheKeptQuality)
{
    const std::string dir = freshDir("preflight-quality"), log = dir + "/log";
    setToolsDirectory(creatorTools("preflight-quality", "echo \"$*\" >> '" + log + "'"));
    saveQualitySettings(QualitySettings{4, 0, 128, 96});
    host.saveDialogAnswers = {dir + "/joined.mp3", dir + "/book.m4b", dir + "/joined.mp4"};
    host.chaptersAnswer = true;  // the Chapters box maps the chapters
    const std::vector<std::pair<std::vector<FileRow>, std::string>> cases{
        {{row("/a.wav", 1), row("/b.wav", 1)}, "-c:a libmp3lame -q:a 4 -map_metadata 1 -map_chapters 1 -y " + dir + "/.joined.velmora-partial.mp3"},
        {{row("/a.wav", 1)}, "-c:a aac -b:a 128k -f ipod -movflags +faststart -map_metadata 1 -map_chapters 1 -y " + dir + "/.book.velmora-partial.m4b"},
        {{row("/a.mp4", 1, "Video")},
         "-c:v copy -c:a aac -b:a 128k -movflags +faststart -map_metadata 1 -map_chapters 1 -y " + dir + "/.joined.velmora-partial.mp4"}};
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
