#include "join/Completion.h"

#include <QVariant>

#include "BuildConfig.h"
#include "foundation/Paths.h"
#include "foundation/Settings.h"
#include "join/OutputRule.h"
#include "probe/FileProbe.h"

namespace velmora {

std::string supportEmailAddress()
{
    return VELMORA_SUPPORT_EMAIL;
}

std::string developerPageAddress()
{
    return VELMORA_DEVELOPER_PAGE;
}

std::string contactText()
{
    return "Contact: " + supportEmailAddress();
}

JoinOutcome judgeJoin(const std::string& outputPath, const RunReport&)
{
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    const FileProbe probe(outputPath);
    if (!probe.hasErrors && probe.isValidMediaFile) {
        outcome.status = JoinStatus::succeeded;
        return outcome;
    }
    outcome.status = JoinStatus::failed;
    outcome.reason = "The joined file is missing or is not playable media.";
    return outcome;
}

MessageRequest joinSucceededMessage(const JoinOutcome& outcome)
{
    MessageRequest message;
    message.messageText = joinMediaName(outcome.media) + " Joined Successfully!";
    message.buttons = {"Open", "Show in Folder", "OK"};
    message.informativeText = outcome.outputPath;
    message.style = MessageStyle::informational;
    return message;
}

MessageRequest joinFailedMessage(const JoinOutcome& outcome)
{
    MessageRequest message;
    message.messageText = "Something went wrong!";
    message.informativeText = contactText();
    message.detailedText = outcome.reason;
    message.style = MessageStyle::critical;
    return message;
}

MessageRequest noOpenerMessage(const std::string& path)
{
    MessageRequest message;
    message.messageText = "No application to open the file";
    message.informativeText = "Nothing on this system opens \"" + lastPathComponent(path) +
                              "\": install xdg-utils, or a desktop that sets default applications.";
    message.detailedText = path;
    message.style = MessageStyle::warning;
    return message;
}

void showJoinResult(const JoinOutcome& outcome, WindowHost& host)
{
    switch (outcome.status) {
    case JoinStatus::succeeded:
        host.showMessage(joinSucceededMessage(outcome), [path = outcome.outputPath, &host](MessageResponse response) {
            handleJoinResultResponse(response, path, host);
        });
        break;
    case JoinStatus::failed: host.showMessage(joinFailedMessage(outcome), [](MessageResponse) {}); break;
    case JoinStatus::cancelled: break;
    }
}

void handleJoinResultResponse(MessageResponse response, const std::string& outputPath, WindowHost& host)
{
    if (response == MessageResponse::firstButton) {
        if (!host.openFile(outputPath))
            host.showMessage(noOpenerMessage(outputPath), {});
    } else if (response == MessageResponse::secondButton) {
        host.revealInFileManager(outputPath);
    }
    if (ratingPromptDue())
        host.showRatingPrompt();
}

bool ratingPromptDue()
{
    const qint64 launchCount = settings()->value(QLatin1String(settingsKey::launchCount), 0).toLongLong();
    return launchCount % 10 == 0;
}

}  // namespace velmora
