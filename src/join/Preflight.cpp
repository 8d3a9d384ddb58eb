#include "join/Preflight.h"

#include <QThreadPool>

#include "foundation/Diagnostics.h"
#include "join/Completion.h"
#include "join/JoinJob.h"
#include "join/OutputRule.h"

namespace velmora {

AlertSpec mixedListAlert()
{
    AlertSpec alert;
    alert.messageText = "Mix & Match - Can't join!";
    alert.informativeText = contactText();
    alert.style = AlertStyle::critical;
    return alert;
}

void runJoinPreflight(std::function<std::vector<FileRow>()> rows, JoinHost& host, JoinControl& control)
{
    const std::optional<std::string> desktop = host.desktopDirectory();
    const std::string extension = outputExtension(rows());
    diagnostic(extension);

    SavePanelSpec panel;
    panel.message = "Save Video";
    panel.nameFieldLabel = "Named:";
    panel.nameFieldText = "joined" + extension;
    panel.prompt = "Save";
    panel.directory = desktop;
    host.runSavePanel(panel, [rows = std::move(rows), extension, &host, &control](std::optional<std::string> chosen) {
        if (!chosen || chosen->empty())
            return;
        if (extension == ".mp4" || extension == ".mp3")
            startJoin(*chosen, rows(), control, host);
        else
            host.showAlert(mixedListAlert(), [](int) {});
    });
}

void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host)
{
    control.isProcessCancelledByUser.store(false);
    QThreadPool::globalInstance()->start(
        [outputPath, rows = std::move(rows), &control, &host] { runJoinJob(outputPath, rows, control, host); });
}

}  // namespace velmora
