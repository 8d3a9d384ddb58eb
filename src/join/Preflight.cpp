#include "join/Preflight.h"

#include <QThreadPool>

#include "foundation/Diagnostics.h"
#include "join/Completion.h"
#include "join/JoinJob.h"
#include "join/OutputFolder.h"
#include "join/OutputRule.h"

namespace velmora {
namespace {

// How many rows of one media type the refusal names before it only counts.
constexpr size_t kNamedRowsPerType = 6;

std::string mediaTypeLabel(const std::string& mediaType)
{
    if (mediaType == "Audio")
        return "Audio only";
    if (mediaType == "Audio & Video")
        return "Video with audio";
    if (mediaType == "Video")
        return "Video without audio";
    return "Neither audio nor video";
}

}  // namespace

MessageRequest mixedListMessage(const std::vector<FileRow>& rows)
{
    // One line per media type, in the order the types first appear.
    std::vector<std::string> labels;
    std::vector<std::vector<size_t>> members;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string label = mediaTypeLabel(rows[i].mediaType);
        size_t group = 0;
        while (group < labels.size() && labels[group] != label)
            ++group;
        if (group == labels.size()) {
            labels.push_back(label);
            members.emplace_back();
        }
        members[group].push_back(i);
    }
    std::string listing;
    for (size_t group = 0; group < labels.size(); ++group) {
        listing += labels[group] + ": ";
        const std::vector<size_t>& rowsOfType = members[group];
        for (size_t k = 0; k < rowsOfType.size() && k < kNamedRowsPerType; ++k) {
            const FileRow& row = rows[rowsOfType[k]];
            listing += (k ? ", " : "") + std::to_string(rowsOfType[k] + 1) + ". " + row.fileName;
        }
        if (rowsOfType.size() > kNamedRowsPerType)
            listing += " and " + std::to_string(rowsOfType.size() - kNamedRowsPerType) + " more";
        listing += "\n";
    }

    MessageRequest message;
    message.messageText = "Mix & Match - Can't join!";
    message.informativeText = listing + "\n" + contactText();
    message.style = MessageStyle::critical;
    return message;
}

void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host, JoinControl& control,
                      QThreadPool& pool)
{
    const std::vector<FileRow> pressed = rows();
    const std::string extension = outputExtension(pressed);
    diagnostic(extension);
    if (!isJoinableList(pressed)) {
        host.showMessage(mixedListMessage(pressed), [](MessageResponse) {});
        return;
    }

    SaveDialogRequest dialog;
    dialog.title = "Save " + joinMediaName(joinMedia(pressed));
    dialog.nameFieldLabel = "Named:";
    dialog.nameFieldText = "joined" + extension;
    dialog.prompt = "Save";
    dialog.directory = host.desktopDirectory();
    host.runSaveDialog(dialog, [rows = std::move(rows), &host, &control, &pool](std::optional<std::string> chosen) {
        if (!chosen || chosen->empty())
            return;
        if (const std::optional<std::string> problem = outputFolderProblem(*chosen)) {
            host.showMessage(joinFailedMessage(JoinOutcome{JoinStatus::failed, *chosen, *problem, {}}),
                             [](MessageResponse) {});
            return;
        }
        std::vector<FileRow> confirmed = rows();
        if (!isJoinableList(confirmed)) {
            host.showMessage(mixedListMessage(confirmed), [](MessageResponse) {});
            return;
        }
        startJoin(*chosen, std::move(confirmed), control, host, pool);
    });
}

void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host,
               QThreadPool& pool)
{
    control.clearCancel();
    pool.start([outputPath, rows = std::move(rows), &control, &host] { runJoinJob(outputPath, rows, control, host); });
}

}  // namespace velmora
