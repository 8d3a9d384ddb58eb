#include "join/Preflight.h"

#include <QThreadPool>

#include "foundation/Diagnostics.h"
#include "join/Completion.h"
#include "join/JoinJob.h"
#include "join/OutputCheck.h"
#include "join/OutputRule.h"

namespace velmora {

MessageRequest mixedListMessage()
{
    MessageRequest message;
    message.messageText = "Mix & Match - Can't join!";
    message.informativeText = contactText();
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
    host.runSaveDialog(dialog, [rows = std::move(rows), joinable, &host, &control,
                                &pool](std::optional<std::string> chosen) {
        if (!chosen || chosen->empty())
            return;
        if (!joinable)
            return host.showMessage(mixedListMessage(), [](MessageResponse) {});
        std::vector<FileRow> confirmed = rows();
        std::vector<std::string> inputs;
        for (const FileRow& row : confirmed)
            inputs.push_back(row.filePath);
        // The dialog has asked before replacing a file; an input, a folder or
        // a device is never replaced.
        if (const auto problem = checkOutputPath(*chosen, inputs, true))
            return host.showMessage(outputRefusedMessage(problem->reason), [](MessageResponse) {});
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
