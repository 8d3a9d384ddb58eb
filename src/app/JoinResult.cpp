#include "app/JoinResult.h"

#include <QVariant>

#include "foundation/Paths.h"
#include "foundation/Settings.h"

namespace velmora::app {
namespace {

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

}  // namespace

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
    case JoinStatus::succeeded: {
        // What the join could not do besides (a cue sheet left unwritten) goes under the path.
        MessageRequest message = joinSucceededMessage(outcome);
        for (const std::string& note : outcome.notes)
            message.informativeText += "\n\n" + note;
        host.showMessage(message, [path = outcome.outputPath, &host](MessageResponse response) {
            handleJoinResultResponse(response, path, host);
        });
        break;
    }
    case JoinStatus::failed: host.showMessage(joinFailedMessage(outcome), [](MessageResponse) {}); break;
    case JoinStatus::cancelled: break;
    }
}

bool ratingPromptDue()
{
    const qint64 launchCount = settings()->value(QLatin1String(settingsKey::launchCount), 0).toLongLong();
    return launchCount % 10 == 0;
}

}  // namespace velmora::app
