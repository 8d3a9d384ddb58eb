#include "join/Preflight.h"

#include <QThreadPool>

#include "foundation/Diagnostics.h"
#include "join/Completion.h"
#include "join/JoinJob.h"
#include "join/OutputRule.h"
#include "join/OutputFormat.h"

namespace velmora {

MessageRequest mixedListMessage()
{
    MessageRequest message;
    message.messageText = "Mix & Match - Can't join!";
    message.informativeText = contactText();
    message.style = MessageStyle::critical;
    return message;
}

void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host, JoinControl& control,
                      QThreadPool& pool)
{
    const std::optional<std::string> desktop = host.desktopDirectory();
    const std::vector<FileRow> pressed = rows();
    const std::string extension = outputExtension(pressed);
    const bool joinable = isJoinableList(pressed);
    diagnostic(extension);

    SaveDialogRequest dialog;
    dialog.title = "Save Video";
    dialog.nameFieldLabel = "Named:";
    dialog.nameFieldText = "joined" + extension;
    dialog.prompt = "Save";
    dialog.directory = desktop;
    if (joinable)
        dialog.filters = saveFormats(extension == ".mp4");
    host.runSaveDialog(dialog, [rows = std::move(rows), joinable, &host, &control,
                                &pool](std::optional<std::string> chosen) {
        if (!chosen || chosen->empty())
            return;
        if (joinable)
            startJoin(*chosen, rows(), control, host, pool, loadQualitySettings());
        else
            host.showMessage(mixedListMessage(), [](MessageResponse) {});
    });
}

void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host,
               QThreadPool& pool, const QualitySettings& quality)
{
    control.clearCancel();
    pool.start([outputPath, rows = std::move(rows), &control, &host, quality] {
        runJoinJob(outputPath, rows, control, host, quality);
    });
}

}  // namespace velmora
