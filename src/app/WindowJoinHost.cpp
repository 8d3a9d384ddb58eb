#include "app/WindowJoinHost.h"

#include <algorithm>

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QStandardPaths>
#include <QThreadPool>

#include "app/DesktopActions.h"
#include "app/JoinResult.h"
#include "app/MessageBoxes.h"
#include "app/ProgressSheet.h"
#include "app/RememberedFolder.h"
#include "app/SaveDialog.h"
#include "foundation/Paths.h"
#include "foundation/Settings.h"
#include "join/plan/OutputRule.h"

namespace velmora::app {

WindowJoinHost::WindowJoinHost(QWidget* window, ProgressSheet* sheet, QThreadPool& pool, JoinNotice notice,
                               QObject* parent)
    : QObject(parent), window_(window), sheet_(sheet), pool_(pool), notice_(std::move(notice))
{
}

void WindowJoinHost::startJob(JoinRequest request)
{
    const QString title = QString::fromStdString(joiningTitle(joinMedia(request.rows)));
    auto job = std::make_shared<JoinJob>(std::move(request), *this);
    job_ = job;
    joinTimer_.start();
    sheet_->begin(title, false);
    pool_.start([job] { job->run(); });
}

void WindowJoinHost::cancelJob()
{
    if (job_)
        job_->cancel();
}

void WindowJoinHost::postToMain(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void WindowJoinHost::jobProgressed(const JoinProgress& progress)
{
    sheet_->setJoinProgress(progress);
    // The share done shows where the user looks when the window is out of
    // sight: the window's title (task bars) and the launcher icon (docks).
    if (!progress.indeterminate) {
        const int percent = std::clamp(static_cast<int>(progress.percent), 0, 100);
        window_->setWindowTitle(tr("%1 % – Velmora").arg(percent));
        sendLauncherProgress(notice_.bus.value_or(QDBusConnection::sessionBus()), percent / 100.0, true);
    }
}

void WindowJoinHost::joinFinished(const JoinOutcome& outcome)
{
    window_->setWindowTitle(QStringLiteral("Velmora"));
    sendLauncherProgress(notice_.bus.value_or(QDBusConnection::sessionBus()), 0.0, false);
    sheet_->end();
    job_.reset();
    notifyIfUnseen(outcome);
    showJoinResult(outcome, *this);
}

void WindowJoinHost::notifyIfUnseen(const JoinOutcome& outcome)
{
    if (outcome.status == JoinStatus::cancelled || !joinTimer_.isValid())
        return;
    const double seconds = static_cast<double>(joinTimer_.elapsed()) / 1000.0;
    joinTimer_.invalidate();
    const bool seen = notice_.windowSeen ? notice_.windowSeen() : applicationIsActive();
    if (!joinNotificationDue(seconds, seen, notice_.afterSeconds))
        return;
    const MessageRequest message =
        outcome.status == JoinStatus::succeeded ? joinSucceededMessage(outcome) : joinFailedMessage(outcome);
    const std::string body = outcome.status == JoinStatus::succeeded ? outcome.outputPath : outcome.reason;
    sendDesktopNotification(notice_.bus.value_or(QDBusConnection::sessionBus()),
                            QString::fromStdString(message.messageText), toQString(body));
}

void WindowJoinHost::runSaveDialog(const SaveDialogRequest& request,
                                   std::function<void(std::optional<SaveDialogAnswer>)> completion)
{
    // The folder of the last join, else the one proposed (the Desktop).
    auto* dialog = new SaveDialog(request, rememberedFolder(settingsKey::lastSaveFolder), window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::finished, this, [dialog, completion = std::move(completion)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty() || files.front().isEmpty()) {
            completion(std::nullopt);
            return;
        }
        rememberFolder(settingsKey::lastSaveFolder, QFileInfo(files.front()).absolutePath());
        // absolute, as the user confirmed it
        completion(SaveDialogAnswer{fromQString(files.front()), dialog->chapters(), dialog->addToQueue(),
                                    dialog->keepEncoding(), dialog->keepEncodingSetByUser()});
    });
    dialog->open();
}

void WindowJoinHost::showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion)
{
    openMessageBox(window_, request, std::move(completion));
}

bool WindowJoinHost::openFile(const std::string& path)
{
    return app::openFile(toQString(path));
}

void WindowJoinHost::revealInFileManager(const std::string& path)
{
    QPointer<WindowJoinHost> self(this);
    app::revealInFileManager({toQString(path)}, [self, path] {
        if (self)
            self->showMessage(noOpenerMessage(parentDirectory(path)), {});
    });
}

void WindowJoinHost::openWebAddress(const std::string& address)
{
    app::openWebAddress(QString::fromStdString(address));
}

void WindowJoinHost::showRatingPrompt()
{
    // There is no store on this platform to rate the application in.
}

std::optional<std::string> WindowJoinHost::desktopDirectory()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir())
        return std::nullopt;
    return fromQString(desktop);
}

}  // namespace velmora::app
