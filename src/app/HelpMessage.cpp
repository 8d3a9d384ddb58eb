#include "app/HelpMessage.h"

#include <QString>
#include <QUrl>

#include "app/DesktopActions.h"
#include "app/JoinResult.h"

namespace velmora::app {
namespace {

bool isWebAddress(const std::string& address)
{
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

}  // namespace

MessageRequest helpMessage(const std::string& webPage)
{
    MessageRequest help;
    help.messageText = "Questions?";
    help.informativeText = supportEmailAddress();
    help.buttons = {"OK"};
    if (isWebAddress(webPage)) {
        help.buttons = {"Rate App", "Check out my other Apps", "OK"};
        help.defaultButton = 2;  // Enter closes the message rather than opening a web page
    }
    help.style = MessageStyle::informational;
    return help;
}

void showHelp(WindowHost& host)
{
    const std::string page = developerPageAddress();
    const MessageRequest help = helpMessage(page);
    const bool offersPage = help.buttons.size() > 1;
    host.showMessage(help, [&host, page, offersPage](MessageResponse response) {
        if (offersPage && response != MessageResponse::thirdButton && !openWebAddress(QString::fromStdString(page))) {
            MessageRequest failed;
            failed.messageText = "No application to open the web page";
            failed.informativeText = page;
            host.showMessage(failed, {});
        }
        if (ratingPromptDue())
            host.showRatingPrompt();
    });
}

}  // namespace velmora::app
