#include "app/JoinPreflight.h"

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "foundation/Settings.h"
#include "join/plan/CopyDecision.h"
#include "join/outcome/OutputCheck.h"
#include "join/plan/OutputFormat.h"
#include "join/plan/OutputRule.h"
#include "join/plan/QualitySettings.h"

namespace velmora::app {

void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host,
                      std::function<MetadataOverrides()> overrides, std::function<void(JoinRequest)> start,
                      std::function<void(JoinRequest)> queue, bool toQueue)
{
    const std::vector<FileRow> pressed = rows();
    const std::string extension = outputExtension(pressed);
    diagnostic(extension);
    // Nothing to ask where to save when the join cannot run: a missing tool,
    // files gone since they were added, or a mixed list.
    for (const char* tool : {kCreatorToolResource, kProbeToolResource}) {
        if (const std::optional<std::string> advice = toolAdvice(tool)) {
            MessageRequest message;
            message.messageText = *advice;
            message.style = MessageStyle::critical;
            host.showMessage(message, [](MessageResponse) {});
            return;
        }
    }
    if (const std::optional<MessageRequest> unreadable = unreadableInputsMessage(pressed)) {
        host.showMessage(*unreadable, [](MessageResponse) {});
        return;
    }
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
    if (queue)
        dialog.addToQueue = toQueue;
    dialog.copyAllowed = [pressed](const std::string& path) { return copyPossible(pressed, path, JoinOptions{}); };
    const QVariant kept = settings()->value(QLatin1String(settingsKey::keepEncoding));
    if (kept.isValid())
        dialog.keepEncoding = kept.toBool();
    host.runSaveDialog(dialog, [rows = std::move(rows), overrides = std::move(overrides), start = std::move(start),
                                queue = std::move(queue), &host](std::optional<SaveDialogAnswer> answer) {
        if (!answer || answer->path.empty())
            return;
        std::vector<FileRow> confirmed = rows();
        if (!isJoinableList(confirmed))
            return host.showMessage(mixedListMessage(confirmed), [](MessageResponse) {});
        // The dialog has asked before replacing a file; an input, a folder, a
        // device or a place that cannot be written is refused before anything runs.
        if (const auto problem = checkOutputPath(answer->path, pathsOf(confirmed), true))
            return host.showMessage(outputRefusedMessage(problem->reason), [](MessageResponse) {});
        JoinRequest request{answer->path, std::move(confirmed), {}};
        request.options.quality = loadQualitySettings();
        request.options.sound = loadSoundOptions();
        // A format without chapter marks gets them as a cue sheet beside it.
        request.options.chapters = answer->chapters;
        request.options.cueSheet =
            answer->chapters && chapterSupport(outputFormatOf(answer->path)) == ChapterSupport::none;
        if (overrides)
            request.options.overrides = overrides();
        // Copied only where the box was shown and left checked.
        request.options.copy = answer->keepEncoding.value_or(false) ? CopyChoice::always : CopyChoice::never;
        if (answer->keepEncodingSetByUser && answer->keepEncoding)
            settings()->setValue(QLatin1String(settingsKey::keepEncoding), *answer->keepEncoding);
        if (queue && answer->addToQueue)
            queue(std::move(request));
        else
            start(std::move(request));
    });
}

}  // namespace velmora::app
