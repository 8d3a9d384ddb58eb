#include "join/outcome/Messages.h"

#include <algorithm>

#include "BuildConfig.h"
#include "join/outcome/JoinCheck.h"

namespace velmora {
namespace {

// How many rows of one media kind the refusal names before it only counts them.
constexpr size_t kNamedRowsPerType = 6;

std::string mediaKindLabel(MediaKind kind)
{
    switch (kind) {
    case MediaKind::audio: return "Audio only";
    case MediaKind::audioVideo: return "Video with audio";
    case MediaKind::video: return "Video without audio";
    case MediaKind::unknown: break;
    }
    return "Neither audio nor video";
}

}  // namespace

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
    message.detailedText = failureDetails(outcome);
    message.style = MessageStyle::critical;
    return message;
}


MessageRequest mixedListMessage(const std::vector<FileRow>& rows)
{
    // The rows by media type; the smallest group first, as it is most likely
    // the one to remove (groups of one size in the order they first appear).
    std::vector<std::pair<std::string, std::vector<size_t>>> groups;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string label = mediaKindLabel(rows[i].kind);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == label; });
        if (group == groups.end())
            group = groups.insert(groups.end(), {label, {}});
        group->second.push_back(i);
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
    std::string listing;
    for (const auto& [label, members] : groups) {
        listing += label + ", " + std::to_string(members.size()) + (members.size() == 1 ? " row:\n" : " rows:\n");
        for (size_t k = 0; k < members.size() && k < kNamedRowsPerType; ++k)
            listing += std::to_string(members[k] + 1) + ". " + rows[members[k]].fileName + "\n";
        if (members.size() > kNamedRowsPerType)
            listing += "and " + std::to_string(members.size() - kNamedRowsPerType) + " more\n";
    }

    MessageRequest message;
    message.messageText = "Mix & Match - Can't join!";
    message.informativeText = listing + "\n" + contactText();
    message.style = MessageStyle::critical;
    return message;
}
MessageRequest outputRefusedMessage(const std::string& reason)
{
    MessageRequest message;
    message.messageText = "Can't write the joined file there";
    message.informativeText = reason;
    message.style = MessageStyle::critical;
    return message;
}
}  // namespace velmora
