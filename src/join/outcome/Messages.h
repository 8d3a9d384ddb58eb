#pragma once
// What the user is told, as plain data: the window shows it in a message
// box, the command-line tool prints it.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/outcome/JoinOutcome.h"

namespace velmora {

enum class MessageStyle { warning, informational, critical };

struct MessageRequest {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;  // none: the single default "OK" button
    MessageStyle style = MessageStyle::warning;
    std::string detailedText;  // more for those who ask (why a join failed); may be empty
};

std::string supportEmailAddress();
std::string developerPageAddress();
std::string contactText();  // "Contact: " and the support address

MessageRequest joinSucceededMessage(const JoinOutcome& outcome);
MessageRequest joinFailedMessage(const JoinOutcome& outcome);
// The refusal of a mixed list: which rows have which media kind, so the user
// knows what to remove, then the support contact.
MessageRequest mixedListMessage(const std::vector<FileRow>& rows);
// The alert for an output path the join may not write (see checkOutputPath).
MessageRequest outputRefusedMessage(const std::string& reason);

}  // namespace velmora
