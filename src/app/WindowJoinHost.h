#pragma once
// The window side of the join engine: posts the engine's news to the GUI
// thread, shows a running join on the progress sheet, and answers the join
// flow with the save dialog, message boxes and desktop actions. It owns the
// running job, starts it on the window's pool, and at its end shows the
// result alert, with a desktop notification when the user looks elsewhere.

#include <memory>

#include <QElapsedTimer>
#include <QObject>

#include "app/DesktopNotification.h"
#include "app/WindowHost.h"
#include "join/run/JoinHost.h"
#include "join/run/JoinJob.h"

class QThreadPool;
class QWidget;

namespace velmora::app {

class ProgressSheet;

class WindowJoinHost : public QObject, public JoinHost, public WindowHost {
    Q_OBJECT
public:
    // Dialogs and messages open over `window`; joins run on `pool`, which
    // must outlive them.
    WindowJoinHost(QWidget* window, ProgressSheet* sheet, QThreadPool& pool, JoinNotice notice,
                   QObject* parent = nullptr);

    // Starts the join on the pool and shows it on the sheet.
    void startJob(JoinRequest request);
    // Stops the running join, if any; it ends through joinFinished.
    void cancelJob();

    // JoinHost
    void postToMain(std::function<void()> task) override;
    void jobProgressed(const JoinProgress& progress) override;
    void joinFinished(const JoinOutcome& outcome) override;
    // WindowHost
    void runSaveDialog(const SaveDialogRequest& request,
                       std::function<void(std::optional<SaveDialogAnswer>)> completion) override;
    void showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion) override;
    bool openFile(const std::string& path) override;
    void revealInFileManager(const std::string& path) override;
    void openWebAddress(const std::string& address) override;
    void showRatingPrompt() override;
    std::optional<std::string> desktopDirectory() override;

private:
    void notifyIfUnseen(const JoinOutcome& outcome);

    QWidget* window_;
    ProgressSheet* sheet_;
    QThreadPool& pool_;
    JoinNotice notice_;
    QElapsedTimer joinTimer_;
    std::shared_ptr<JoinJob> job_;
};

}  // namespace velmora::app
