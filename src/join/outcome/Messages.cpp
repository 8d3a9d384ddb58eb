#include "join/outcome/Messages.h"

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "BuildConfig.h"
#include "foundation/FileSystem.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
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

// "Permission denied" as it reads inside a sentence.
std::string lowerErrorText(int error)
{
    std::string text = errorText(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && !(text.size() > 1 && text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::string rowNumbers(const std::vector<size_t>& indexes)
{
    std::string text;
    for (size_t index : indexes)
        text += (text.empty() ? "" : ", ") + std::to_string(index + 1);
    return text;
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
    message.informativeText = outcome.summary.empty() ? contactText() : outcome.summary + "\n\n" + contactText();
    message.detailedText = failureDetails(outcome);
    message.style = MessageStyle::critical;
    return message;
}


std::optional<std::string> inputProblem(size_t index, const FileRow& row)
{
    const std::string part = "Part " + std::to_string(index + 1) + ", " + lastPathComponent(row.filePath);
    struct stat st {};
    if (::stat(row.filePath.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return part + ", no longer exists.";
        return part + ", cannot be read: " + lowerErrorText(errno) + ".";
    }
    if (::access(row.filePath.c_str(), R_OK) != 0)
        return part + ", cannot be read: " + lowerErrorText(errno) + ".";
    return std::nullopt;
}

std::optional<MessageRequest> unreadableInputsMessage(const std::vector<FileRow>& rows)
{
    std::string listing;
    size_t count = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (const auto problem = inputProblem(i, rows[i])) {
            listing += *problem + "\n";
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    MessageRequest message;
    message.messageText = count == 1 ? "A file of the list can't be read" : "Some files of the list can't be read";
    message.informativeText = listing + "\nPut them back or remove them from the list, then Join again.";
    message.style = MessageStyle::critical;
    return message;
}

std::string failureSummary(const JoinOutcome& outcome, const std::vector<FileRow>& rows)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (const auto problem = inputProblem(i, rows[i]))
            return *problem;
    }
    if (!outcome.outputPath.empty()) {
        const std::string folder = parentDirectory(outcome.outputPath);
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            return "Velmora cannot write to " + folder + ": " + lowerErrorText(errno) + ".";
        // ffmpeg names the file it could not write: in the output's folder,
        // or in the run folder under the temporary folder.
        const std::string said = outcome.reason + "\n" + outcome.stderrTail;
        bool full = false;
        for (const char* error : {": No space left on device", ": Disk quota exceeded"}) {
            for (size_t at = said.find(error); at != std::string::npos; at = said.find(error, at + 1)) {
                full = true;
                const size_t lineStart = said.rfind('\n', at) + 1;
                const size_t pathStart = said.find('/', lineStart);
                if (pathStart >= at)
                    continue;  // a line without the file's name
                const std::string path = said.substr(pathStart, at - pathStart);
                const size_t work = path.rfind("/velmora-");
                if (parentDirectory(path) != folder && work != std::string::npos)
                    return "The disk holding the temporary folder " + (work == 0 ? "/" : path.substr(0, work)) +
                           " is full.";
                return "The disk holding " + folder + " is full.";
            }
        }
        if (full)
            return "The disk holding " + folder + " is full.";
    }
    for (const char* tool : {kCreatorToolResource, kProbeToolResource}) {
        if (const auto advice = toolAdvice(tool))
            return *advice;
    }
    std::string first = outcome.reason.substr(0, outcome.reason.find('\n'));
    if (!first.empty() && first.back() != '.')
        first += '.';
    return first;
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

    // What to do: keep one side. Silent video counts with video with audio.
    std::vector<size_t> videoRows, audioRows, otherRows;
    for (size_t i = 0; i < rows.size(); ++i) {
        switch (rows[i].kind) {
        case MediaKind::audio: audioRows.push_back(i); break;
        case MediaKind::video:
        case MediaKind::audioVideo: videoRows.push_back(i); break;
        case MediaKind::unknown: otherRows.push_back(i); break;
        }
    }
    std::string advice;
    if (!otherRows.empty())
        advice = "Remove the rows with neither audio nor video (" + rowNumbers(otherRows) + "), then Join again.";
    else
        advice = "Remove the video rows (" + rowNumbers(videoRows) + ") or the audio-only rows (" +
                 rowNumbers(audioRows) + "), then Join again.";

    MessageRequest message;
    message.messageText = "Mix & Match - Can't join!";
    message.informativeText = listing + "\n" + advice + "\n\n" + contactText();
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
