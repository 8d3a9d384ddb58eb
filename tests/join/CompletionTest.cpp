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
    const std::vector<std::tuple<JoinStatus, R, std::vector<std::string>>> cases{
        {JoinStatus::succeeded, R::firstButton, {"showMessage", "openFileWithApplication", "showRatingPrompt"}},
        {JoinStatus::succeeded, R::secondButton, {"showMessage", "revealInFileManager", "showRatingPrompt"}},
        {JoinStatus::succeeded, R::thirdButton, {"showMessage", "showRatingPrompt"}},
        {JoinStatus::failed, R::firstButton, {"showMessage"}},
        {JoinStatus::cancelled, R::firstButton, {}}};
    for (const auto& [status, response, calls] : cases) {
        RecordingHost host;
        host.messageResponses.push_back(response);
        showJoinResult(JoinOutcome{status, out, {}, {}}, host);
        EXPECT_EQ(host.calls, calls);
        if (status == JoinStatus::cancelled)
            continue;
        EXPECT_EQ(fields(host.messages.at(0)),
                  status == JoinStatus::failed
                      ? kFailure
                      : MessageFields("Audio Joined Successfully!", out,
                                      {"Launch in QuickTime Player", "Show in Finder", "OK"}, MessageStyle::informational));
        for (const auto& action : host.desktopActions)
            EXPECT_EQ(std::tie(action.target, action.application),
                      std::make_tuple(out, action.kind == "open" ? "QuickTime Player" : ""));
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
