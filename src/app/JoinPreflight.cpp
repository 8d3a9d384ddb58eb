#include "join/Preflight.h"

#include <algorithm>

#include <QThreadPool>

#include "foundation/Diagnostics.h"
#include "join/Completion.h"
#include "join/JoinJob.h"
#include "join/OutputCheck.h"
#include "join/OutputRule.h"
#include "join/OutputFormat.h"

namespace velmora {
namespace {

// How many rows of one media type the refusal names before it only counts them.
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
    // The rows by media type; the smallest group first, as it is most likely
    // the one to remove (groups of one size in the order they first appear).
    std::vector<std::pair<std::string, std::vector<size_t>>> groups;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string label = mediaTypeLabel(rows[i].mediaType);
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

void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host, JoinControl& control,
                      QThreadPool& pool, std::function<MetadataOverrides()> overrides)
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
    dialog.filters = saveFormats(extension == ".mp4");
    dialog.offerChapters = true;
    host.runSaveDialog(dialog, [rows = std::move(rows), overrides = std::move(overrides), &host, &control,
                                &pool](std::optional<SaveDialogAnswer> answer) {
        if (!answer || answer->path.empty())
            return;
        const std::string* chosen = &answer->path;
        std::vector<FileRow> confirmed = rows();
        if (!isJoinableList(confirmed))
            return host.showMessage(mixedListMessage(confirmed), [](MessageResponse) {});
        const std::vector<std::string> inputs = pathsOf(confirmed);
        // The dialog has asked before replacing a file; an input, a folder, a
        // device or a place that cannot be written is refused before anything runs.
        if (const auto problem = checkOutputPath(*chosen, inputs, true))
            return host.showMessage(outputRefusedMessage(problem->reason), [](MessageResponse) {});
        JoinOptions options;
        options.quality = loadQualitySettings();
        // A format without chapter marks gets them as a cue sheet beside it.
        options.chapters = answer->chapters;
        options.cueSheet = answer->chapters && chapterSupport(outputFormatOf(*chosen)) == ChapterSupport::none;
        if (overrides)
            options.overrides = overrides();
        startJoin(*chosen, std::move(confirmed), control, host, pool, options);
    });
}

void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host,
               QThreadPool& pool, const JoinOptions& options)
{
    control.clearCancel();
    pool.start([outputPath, rows = std::move(rows), &control, &host, options] {
        runJoinJob(outputPath, rows, control, host, options);
    });
}

}  // namespace velmora
