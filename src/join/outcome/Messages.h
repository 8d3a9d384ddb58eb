#pragma once
// What the user is told, as plain data: the window shows it in a message
// box, the command-line tool prints it.

#include <optional>
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
    size_t defaultButton = 0;          // the index in `buttons` of the one Enter presses
    MessageStyle style = MessageStyle::warning;
    std::string detailedText;  // more for those who ask (why a join failed); may be empty
};

std::string supportEmailAddress();
std::string developerPageAddress();
std::string contactText();  // "Contact: " and the support address

MessageRequest joinSucceededMessage(const JoinOutcome& outcome);
// "Something went wrong!", the outcome's summary (else the support contact),
// and the reason with the tool's last lines as the details.
MessageRequest joinFailedMessage(const JoinOutcome& outcome);
// Why the file of the row at `index` cannot be read now, as one sentence
// ("Part 3, gone.mp3, no longer exists."); nothing when it can be.
std::optional<std::string> inputProblem(size_t index, const FileRow& row);
// The refusal of a list whose files are gone or unreadable; nothing when all can be read.
std::optional<MessageRequest> unreadableInputsMessage(const std::vector<FileRow>& rows);
// One plain sentence on why a join failed, for the alert's own text: a part
// that went away, an output folder that cannot be written, a full disk, a
// missing tool, else the first line of the reason.
std::string failureSummary(const JoinOutcome& outcome, const std::vector<FileRow>& rows);
// The refusal of a mixed list: which rows have which media kind, and what to
// remove ("Remove the video rows (2, 5) or the audio-only rows (1, 3, 4), then
// Join again."), then the support contact.
MessageRequest mixedListMessage(const std::vector<FileRow>& rows);
// The alert for an output path the join may not write (see checkOutputPath).
MessageRequest outputRefusedMessage(const std::string& reason);

}  // namespace velmora
