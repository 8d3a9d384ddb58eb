#include "join/Completion.h"

#include <QVariant>

#include "BuildConfig.h"
#include "foundation/Settings.h"
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

void showJoinResult(const std::string& outputPath, JoinHost& host)
{
    const FileProbe probe(outputPath);
    if (!probe.hasErrors && probe.isValidMediaFile) {
        AlertSpec success;
        success.messageText = "Audio Joined Successfully!";
        success.buttons = {"Launch in QuickTime Player", "Show in Finder", "OK"};
        success.informativeText = outputPath;
        success.style = AlertStyle::informational;
        host.showAlert(success, [outputPath, &host](int response) {
            handleJoinResultResponse(response, outputPath, host);
        });
        return;
    }
    AlertSpec failure;
    failure.messageText = "Something went wrong!";
    failure.informativeText = contactText();
    failure.style = AlertStyle::critical;
    host.showAlert(failure, [](int) {});
}

void handleJoinResultResponse(int response, const std::string& outputPath, JoinHost& host)
{
    if (response == kAlertFirstButtonReturn)
        host.openFileWithApplication(outputPath, "QuickTime Player");
    else if (response == kAlertSecondButtonReturn)
        host.revealInFileManager(outputPath);
    requestReviewIfDue(host);
}

void requestReviewIfDue(JoinHost& host)
{
    const qint64 launchCount = userDefaults()->value(QStringLiteral("launchCount"), 0).toLongLong();
    if (launchCount % 10 == 0)
        host.requestReview();
}

}  // namespace velmora
