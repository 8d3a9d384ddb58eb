// The window's join flow without widgets: what Join asks before a join
// starts (the refusal of a mixed list, the save dialog, the place chosen)
// and what the request carries, then the result alert and its buttons.
#include "app/JoinPreflight.h"
#include "app/HelpMessage.h"
#include "app/JoinResult.h"
#include "foundation/Resources.h"
#include "join/plan/QualitySettings.h"
#include "support/AppTestSupport.h"
#include "support/RecordingWindowHost.h"

using namespace apptest;
using velmora::FileRow;
using velmora::JoinRequest;
using velmora::MediaKind;
using velmora::app::MessageResponse;
using velmora::app::SaveDialogAnswer;
using testsupport::RecordingWindowHost;

namespace {

velmora::JoinOutcome outcomeOf(velmora::JoinStatus status, const std::string& out, const std::string& reason = {},
                               const std::vector<std::string>& notes = {})
{
    velmora::JoinOutcome outcome;
    outcome.status = status;
    outcome.outputPath = out;
    outcome.reason = reason;
    outcome.notes = notes;
    return outcome;
}

FileRow missingRow(const std::string& name)
{
    FileRow made = row(name);
    ::unlink(made.filePath.c_str());
    return made;
}

class JoinFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        startTestApp();
        velmora::settings()->clear();
    }
    // Runs Join's pre-flight on `rows`; the requests it started.
    std::vector<JoinRequest> preflight(const std::vector<FileRow>& rows, velmora::MetadataOverrides overrides = {})
    {
        std::vector<JoinRequest> started;
        velmora::app::runJoinPreflight([&] { return rows; }, host, [overrides] { return overrides; },
                                       [&](JoinRequest request) { started.push_back(std::move(request)); });
        return started;
    }
    static std::vector<std::string> extensions(const std::vector<velmora::SaveFormat>& formats)
    {
        std::vector<std::string> result;
        for (const auto& format : formats)
            result.push_back(format.extension);
        return result;
    }
    RecordingWindowHost host;
};

TEST_F(JoinFlow, TheSaveDialogProposesANameAndTheJoinGetsWhatWasChosen)
{
    const std::string dir = testsupport::freshDir("join-flow");
    velmora::saveQualitySettings(velmora::QualitySettings{4, 0, 128, 96});
    velmora::MetadataOverrides typed;
    typed.album = "Collected";
    // The list, the answer, then the dialog's title and proposed name and
    // whether a cue sheet goes beside the output.
    const struct {
        std::vector<FileRow> rows;
        SaveDialogAnswer answer;
        const char* title;
        const char* proposed;
        bool cueSheet;
    } cases[]{
        {{row("a.wav"), row("b.wav")}, {dir + "/book.m4b", true, false, std::nullopt, false}, "Save Audio", "joined.mp3", false},
        {{row("a.wav")}, {dir + "/joined.wav", true, false, std::nullopt, false}, "Save Audio", "joined.mp3", true},
        {{row("c.mp4", MediaKind::audioVideo)}, {dir + "/joined.mp4", false, false, std::nullopt, false}, "Save Video", "joined.mp4", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.path);
        host = {};
        host.saveDialogAnswers = {c.answer};
        const std::vector<JoinRequest> started = preflight(c.rows, typed);
        ASSERT_EQ(host.saveDialogs.size(), 1u);
        const velmora::app::SaveDialogRequest& dialog = host.saveDialogs[0];
        EXPECT_EQ(std::tie(dialog.title, dialog.nameFieldLabel, dialog.nameFieldText, dialog.prompt),
                  std::make_tuple(std::string(c.title), std::string("Named:"), std::string(c.proposed),
                                  std::string("Save")));
        EXPECT_EQ(dialog.directory, host.desktop);
        EXPECT_TRUE(dialog.offerChapters);
        std::vector<std::string> offered{"mp3", "m4a", "m4b", "flac", "wav", "opus"};
        if (c.proposed == std::string("joined.mp4"))
            offered.insert(offered.begin(), "mp4");
        EXPECT_EQ(extensions(dialog.filters), offered);

        ASSERT_EQ(started.size(), 1u);
        EXPECT_TRUE(host.messages.empty());
        const JoinRequest& request = started[0];
        EXPECT_EQ(request.outputPath, c.answer.path);
        EXPECT_EQ(request.rows, c.rows);
        EXPECT_EQ(request.options.quality, (velmora::QualitySettings{4, 0, 128, 96}));
        EXPECT_EQ(request.options.chapters, c.answer.chapters);
        EXPECT_EQ(request.options.cueSheet, c.cueSheet);
        EXPECT_EQ(request.options.overrides.album, "Collected");
    }
    // A video list is never copied; the box was not shown, so nothing is copied.
    const velmora::app::SaveDialogRequest& asked = host.saveDialogs[0];
    ASSERT_TRUE(asked.copyAllowed);
    EXPECT_FALSE(asked.copyAllowed(dir + "/x.mp4"));
    EXPECT_FALSE(asked.keepEncoding.has_value());
    // The box as the user set it is the join's choice, and the next dialog's.
    for (const bool keep : {true, false}) {
        host = {};
        host.saveDialogAnswers = {SaveDialogAnswer{dir + "/book.m4b", true, false, keep, true}};
        const std::vector<JoinRequest> started = preflight({row("a.wav")});
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].options.copy, keep ? velmora::CopyChoice::always : velmora::CopyChoice::never);
        host = {};
        host.saveDialogAnswers = {std::nullopt};
        preflight({row("a.wav")});
        ASSERT_EQ(host.saveDialogs.size(), 1u);
        EXPECT_EQ(host.saveDialogs[0].keepEncoding, std::optional<bool>(keep));
    }
    // A cancelled dialog starts nothing and says nothing.
    host = {};
    EXPECT_TRUE(preflight({row("a.wav")}).empty());
    EXPECT_EQ(host.saveDialogs.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(JoinFlow, AMixedListOrAPlaceThatCannotBeWrittenIsRefused)
{
    // A mixed list: at once, without a dialog, naming the rows of each kind.
    EXPECT_TRUE(preflight({row("song.mp3"), row("clip.mp4", MediaKind::audioVideo), row("talk.wav")}).empty());
    EXPECT_TRUE(host.saveDialogs.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].messageText, "Mix & Match - Can't join!");
    EXPECT_EQ(host.messages[0].informativeText, "Video with audio, 1 row:\n2. clip.mp4\nAudio only, 2 rows:\n"
                                                "1. song.mp3\n3. talk.wav\n\nRemove the video rows (2) or the "
                                                "audio-only rows (1, 3), then Join again.\n\nContact: support@velmora.app");
    EXPECT_EQ(host.messages[0].style, velmora::MessageStyle::critical);

    // Before the dialog: a missing tool, or files gone since they were added,
    // are named; silent video counts as video in the advice.
    const std::string tools = velmora::toolsDirectory();
    const struct {
        std::string toolsDir;
        std::vector<FileRow> rows;
        std::string text, informative;
    } refusals[]{
        {testsupport::freshDir("join-flow-no-tools"), {row("a.wav")},
         "Velmora cannot find ffmpeg. Install the ffmpeg package.", ""},
        {tools, {row("a.wav"), row("b.wav"), missingRow("gone.mp3")},
         "A file of the list can't be read",
         "Part 3, gone.mp3, no longer exists.\n\nPut them back or remove them from the list, then Join again."},
        {tools, {row("clip.mp4", MediaKind::video), row("a.wav"), row("talk.mp4", MediaKind::audioVideo)},
         "Mix & Match - Can't join!", ""}};
    for (const auto& refusal : refusals) {
        host = {};
        velmora::setToolsDirectory(refusal.toolsDir);
        EXPECT_TRUE(preflight(refusal.rows).empty());
        EXPECT_TRUE(host.saveDialogs.empty());
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].messageText, refusal.text);
        if (!refusal.informative.empty()) {
            EXPECT_EQ(host.messages[0].informativeText, refusal.informative);
        }
    }
    velmora::setToolsDirectory(tools);
    EXPECT_TRUE(host.messages[0].informativeText.find("Remove the video rows (1, 3) or the audio-only rows (2)") !=
                std::string::npos);

    // The place chosen: an input, a folder, a folder a file stands in the way of.
    const std::string dir = testsupport::freshDir("join-flow-refused");
    const std::string input = dir + "/in.wav";
    testsupport::writeFile(input, "x");
    FileRow inputRow = row("in.wav");
    inputRow.filePath = input;
    const std::pair<std::string, std::string> places[]{
        {input, input + " is the same file as the input " + input},
        {dir, dir + " is a folder"},
        {input + "/joined.mp3", "cannot write in " + input + ": Not a directory"}};
    for (const auto& [place, reason] : places) {
        host = {};
        host.saveDialogAnswers = {SaveDialogAnswer{place, false, false, std::nullopt, false}};
        EXPECT_TRUE(preflight({inputRow}).empty()) << place;
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].messageText, "Can't write the joined file there");
        EXPECT_EQ(host.messages[0].informativeText, reason);
    }

    // The list is read again when the dialog is confirmed: one that became
    // mixed meanwhile is refused then.
    host = {};
    std::vector<FileRow> rows{row("a.wav")};
    host.saveDialogAnswers = {SaveDialogAnswer{dir + "/joined.mp3", false, false, std::nullopt, false}};
    bool started = false;
    velmora::app::runJoinPreflight(
        [&] {
            auto now = rows;
            rows.push_back(row("clip.mp4", MediaKind::audioVideo));  // added while the dialog is open
            return now;
        },
        host, {}, [&](JoinRequest) { started = true; });
    EXPECT_FALSE(started);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].messageText, "Mix & Match - Can't join!");
}

TEST_F(JoinFlow, TheResultAlertOpensOrShowsTheOutput)
{
    const std::string out = "/some/where/joined.mp3";
    const velmora::JoinOutcome done =
        outcomeOf(velmora::JoinStatus::succeeded, out, {}, {"The cue sheet was not written."});
    // The button pressed, whether files can be opened, then what was opened,
    // what was shown in the file manager and whether the user was told.
    const struct {
        MessageResponse response;
        bool canOpen;
        std::vector<std::string> opened, revealed;
        bool noOpener;
    } cases[]{
        {MessageResponse::firstButton, true, {out}, {}, false},
        {MessageResponse::firstButton, false, {}, {}, true},
        {MessageResponse::secondButton, true, {}, {out}, false},
        {MessageResponse::thirdButton, true, {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.response));
        host = {};
        host.canOpenFiles = c.canOpen;
        host.messageResponses = {c.response};
        velmora::app::showJoinResult(done, host);
        ASSERT_EQ(host.messages.size(), c.noOpener ? 2u : 1u);
        EXPECT_EQ(host.messages[0].messageText, "Audio Joined Successfully!");
        EXPECT_EQ(host.messages[0].informativeText, out + "\n\nThe cue sheet was not written.");
        EXPECT_EQ(host.messages[0].buttons, (std::vector<std::string>{"Open", "Show in Folder", "OK"}));
        EXPECT_EQ(host.opened, c.opened);
        EXPECT_EQ(host.revealed, c.revealed);
        if (c.noOpener) {
            EXPECT_EQ(host.messages[1].messageText, "No application to open the file");
            EXPECT_EQ(host.messages[1].detailedText, out);
        }
        EXPECT_EQ(host.ratingPrompts, 1);  // launchCount is absent: the rating check asks
    }
    // A failure says why, with no buttons and no rating check; a cancel says nothing.
    host = {};
    host.messageResponses = {MessageResponse::firstButton};
    velmora::app::showJoinResult(outcomeOf(velmora::JoinStatus::failed, out, "it broke"), host);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].messageText, "Something went wrong!");
    EXPECT_TRUE(host.opened.empty() && host.ratingPrompts == 0);
    host = {};
    velmora::app::showJoinResult(outcomeOf(velmora::JoinStatus::cancelled, out), host);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace

TEST(HelpMessage, EnterClosesItRatherThanOpeningTheWebPage)
{
    const velmora::MessageRequest help = velmora::app::helpMessage("https://velmora.app/apps");
    ASSERT_EQ(help.buttons.size(), 3u);
    EXPECT_EQ(help.buttons[help.defaultButton], "OK");
    EXPECT_EQ(velmora::app::helpMessage("").buttons, std::vector<std::string>{"OK"});
}
