// Judging a finished join, the result messages and their buttons, and the
// rating check.
#include "foundation/Settings.h"
#include "join/Completion.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

void setLaunchCount(std::optional<long long> count)
{
    auto store = settings();
    count ? store->setValue(settingsKey::launchCount, *count) : store->remove(settingsKey::launchCount);
    store->sync();
}

}  // namespace

TEST(Completion, TheProbedOutputDecides)
{
    // Whatever the tools reported, what stands at the output path decides.
    const std::string good = sineM4a(1.0), broken = freshDir("judge") + "/joined.mp3";
    writeFile(broken, "not media at all");
    const std::tuple<std::string, JoinStatus> cases[] = {
        {good, JoinStatus::succeeded}, {broken, JoinStatus::failed}, {broken + ".missing", JoinStatus::failed}};
    for (const auto& [out, status] : cases) {
        const JoinOutcome outcome = judgeJoin(out, RunReport{});
        EXPECT_EQ(outcome.status, status) << out;
        EXPECT_EQ(outcome.outputPath, out);
        EXPECT_EQ(outcome.reason.empty(), status == JoinStatus::succeeded) << out;
    }
}

TEST(Completion, ResultMessagesAndTheirButtons)
{
    const std::string out = "/some/where/joined.mp3";
    setLaunchCount(10);  // a rating check is due, though never after a failure
    using R = MessageResponse;
    const MessageFields audioJoined("Audio Joined Successfully!", out, {"Open", "Show in Folder", "OK"},
                                    MessageStyle::informational);
    const MessageFields videoJoined("Video Joined Successfully!", out, {"Open", "Show in Folder", "OK"},
                                    MessageStyle::informational);
    const MessageFields noOpener("No application to open the file",
                                 "Nothing on this system opens \"joined.mp3\": install xdg-utils, or a desktop that "
                                 "sets default applications.",
                                 {}, MessageStyle::warning);
    const struct {
        JoinStatus status;
        JoinMedia media;
        R response;
        bool canOpen;
        std::vector<std::string> calls;
        std::vector<MessageFields> messages;
    } cases[]{
        {JoinStatus::succeeded, JoinMedia::audio, R::firstButton, true, {"showMessage", "openFile", "showRatingPrompt"},
         {audioJoined}},
        // Nothing opens files here: the user is told so instead of nothing happening.
        {JoinStatus::succeeded, JoinMedia::audio, R::firstButton, false,
         {"showMessage", "openFile", "showMessage", "showRatingPrompt"}, {audioJoined, noOpener}},
        {JoinStatus::succeeded, JoinMedia::video, R::secondButton, true,
         {"showMessage", "revealInFileManager", "showRatingPrompt"}, {videoJoined}},
        {JoinStatus::succeeded, JoinMedia::audio, R::thirdButton, true, {"showMessage", "showRatingPrompt"},
         {audioJoined}},
        {JoinStatus::failed, JoinMedia::video, R::firstButton, true, {"showMessage"}, {kFailure}},
        {JoinStatus::cancelled, JoinMedia::audio, R::firstButton, true, {}, {}}};
    for (const auto& c : cases) {
        RecordingHost host;
        host.canOpenFiles = c.canOpen;
        host.messageResponses.push_back(c.response);
        showJoinResult(JoinOutcome{c.status, out, "why it failed", {}, c.media}, host);
        EXPECT_EQ(host.calls, c.calls);
        std::vector<MessageFields> shown;
        for (const MessageRequest& m : host.messages)
            shown.push_back(fields(m));
        EXPECT_EQ(shown, c.messages);
        for (const auto& action : host.desktopActions)
            EXPECT_EQ(action.target, out);
        // The engine's reason goes with the failure alert, as its details.
        if (c.status == JoinStatus::failed) {
            EXPECT_EQ(host.messages.at(0).detailedText, "why it failed");
        }
    }
}

TEST(Completion, RatingCheckOnEveryTenthLaunch)
{
    const std::vector<std::pair<std::optional<long long>, bool>> cases{
        {10, true}, {11, false}, {std::nullopt, true}, {0, true}, {-20, true}, {25, false}, {30, true}};
    for (const auto& [count, due] : cases) {
        setLaunchCount(count);
        EXPECT_EQ(ratingPromptDue(), due) << count.value_or(-1);
    }
}
