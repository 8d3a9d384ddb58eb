#include "app/AppDelegate.h"

#include <cmath>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QUndoStack>

#include "app/AboutDialog.h"
#include "app/CoverPicture.h"
#include "app/DesktopActions.h"
#include "app/DesktopNotification.h"
#include "app/DetailsDialog.h"
#include "app/FileListController.h"
#include "app/LaunchBookkeeping.h"
#include "app/MainWindow.h"
#include "app/MediaFileFilter.h"
#include "app/MessageBoxes.h"
#include "app/PreferencesDialog.h"
#include "app/ProgressSheet.h"
#include "app/SaveDialog.h"
#include "app/ShortcutsDialog.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "foundation/Settings.h"
#include "foundation/ToolVersion.h"
#include "join/Completion.h"
#include "join/Preflight.h"
#include "join/QualitySettings.h"

namespace velmora::app {
namespace {

// A folder kept in the settings, when it still exists.
std::optional<QString> rememberedFolder(const char* key)
{
    const QString folder = settings()->value(QLatin1String(key)).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return std::nullopt;
    return folder;
}

void rememberFolder(const char* key, const QString& folder)
{
    auto store = settings();
    store->setValue(QLatin1String(key), folder);
    store->sync();
}

bool isWebAddress(const std::string& address)
{
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

}  // namespace

AppDelegate::AppDelegate(QObject* parent)
    : QObject(parent),
      notifyAfterSeconds(kNotifyAfterSeconds),
      windowSeen(applicationIsActive)
{
    mainArrayController = new FileListController(this);
    mainArrayController->setObjectName(QStringLiteral("mainArrayController"));
    window = new MainWindow(mainArrayController);
    progressWindow = window->progressSheet();
    progressTitle = progressWindow->titleLabel();
    progressBar = progressWindow->bar();
    progressBarCancelBTN = progressWindow->cancelButton();

    connect(window, &MainWindow::addRequested, this, &AppDelegate::addBTNClicked);
    connect(window, &MainWindow::removeRequested, this, &AppDelegate::removeBTNClicked);
    connect(window, &MainWindow::moveUpRequested, this, &AppDelegate::moveUpBTNClicked);
    connect(window, &MainWindow::moveDownRequested, this, &AppDelegate::moveDownBTNClicked);
    connect(window, &MainWindow::clearRequested, this, &AppDelegate::clearListClicked);
    connect(window, &MainWindow::showInFolderRequested, this, &AppDelegate::showInFolderClicked);
    connect(window, &MainWindow::playRequested, this, &AppDelegate::playClicked);
    connect(window, &MainWindow::joinRequested, this, &AppDelegate::joinBTNClicked);
    connect(window, &MainWindow::detailsRequested, this, &AppDelegate::detailsClicked);
    connect(window, &MainWindow::sortByNameRequested, this, &AppDelegate::sortByNameClicked);
    connect(window, &MainWindow::sortByTrackNumberRequested, this, &AppDelegate::sortByTrackNumberClicked);
    connect(window, &MainWindow::helpRequested, this, &AppDelegate::helpBTNClicked);
    connect(window, &MainWindow::shortcutsRequested, this, &AppDelegate::shortcutsClicked);
    connect(window, &MainWindow::aboutRequested, this, &AppDelegate::aboutClicked);
    connect(window, &MainWindow::preferencesRequested, this, &AppDelegate::preferencesClicked);
    connect(window, &MainWindow::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(progressWindow, &ProgressSheet::cancelRequested, this, &AppDelegate::cancelBTNClicked);
    // What the user set in Details belongs to the files in the list: an
    // emptied list (cleared, or its last row removed) starts the next album
    // from what its own files say. Other edits keep them, so adding a
    // forgotten part or reordering does not undo the user's title.
    connect(mainArrayController, &FileListController::contentChanged, this, [this] {
        if (mainArrayController->count() == 0)
            outputDetails_ = {};
    });
}

AppDelegate::~AppDelegate()
{
    // Background work reports to this object: stop the tools and let the
    // work end before the window goes away.
    control.cancel();
    pool_.waitForDone();
    delete window;
}

// Launch and quit.

void AppDelegate::applicationDidFinishLaunching()
{
    const QString version = QCoreApplication::applicationVersion();
    recordLaunch(*settings(), version.isEmpty() ? std::nullopt : std::optional<QString>(version));
    connect(window, &MainWindow::filesDropped, this, &AppDelegate::filesAddedByDragAndDrop, Qt::UniqueConnection);
}

void AppDelegate::applicationWillTerminate()
{
    // Nobody would hear of a join that went on after the window is gone: stop
    // the encoder, and no further command starts. The list is not saved and
    // the work directory stays as it is.
    control.cancel();
    window->saveWindowState();
}

// File intake.

void AppDelegate::filesAddedByDragAndDrop(const QList<QUrl>& urls, int row)
{
    addFiles(urls, row);
}

void AppDelegate::addFiles(const QList<QUrl>& urls, int row)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        paths.push_back(fromQString(url.isLocalFile() ? url.toLocalFile() : url.path()));
    // Without a probe tool every file would be skipped as not media: say so once instead.
    if (const std::optional<std::string> problem = toolProblem(kProbeToolResource); problem && !paths.empty()) {
        MessageRequest message;
        message.messageText = *problem;
        message.informativeText = contactText();
        message.style = MessageStyle::critical;
        showMessage(message, {});
        return;
    }
    control.clearCancel();
    // Rows go in one after another from `row` on, and one undo takes them all
    // out again. Nothing else edits the list while the sheet covers it.
    auto next = std::make_shared<int>(row < 0 ? mainArrayController->count() : row);
    const int batch = ++intakeBatch_;
    IntakeHandlers handlers;
    handlers.onRow = [this, next, batch](FileRow added) {
        mainArrayController->addRow((*next)++, std::move(added), batch);
    };
    handlers.onProgress = [this](size_t done, size_t total) { progressWindow->setIntakeCount(done, total); };
    handlers.onFinished = [this](std::vector<SkippedFile> skipped) {
        if (!skipped.empty())
            showSkippedFiles(skipped);
    };
    pool_.start([this, paths = std::move(paths), handlers = std::move(handlers)] {
        analyzeFiles(paths, *this, control, handlers);
    });
}

void AppDelegate::showSkippedFiles(const std::vector<SkippedFile>& skipped)
{
    // One note at a time, beside the window: the user reads it while going on.
    if (skippedNote_)
        skippedNote_->close();
    QMessageBox* note = makeMessageBox(window, skippedFilesMessage(skipped));
    note->setObjectName(QStringLiteral("skippedFilesNote"));
    note->addButton(QMessageBox::Ok);
    note->setWindowModality(Qt::NonModal);
    note->setModal(false);
    skippedNote_ = note;
    note->show();
}

bool AppDelegate::waitForBackgroundWork(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (pool_.activeThreadCount() == 0) {
            // What the work posted last is still queued.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents();
            return true;
        }
        QThread::msleep(5);
    }
    return false;
}

void AppDelegate::addBTNClicked()
{
    auto* dialog = new QFileDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setWindowTitle(tr("Add Files"));
    dialog->setNameFilters(mediaFileNameFilters());
    if (const auto folder = rememberedFolder(settingsKey::lastAddFolder))
        dialog->setDirectory(*folder);
    connect(dialog, &QFileDialog::finished, this, [this, dialog](int result) {
        if (result != QDialog::Accepted)
            return;
        const QList<QUrl> urls = dialog->selectedUrls();
        if (!urls.isEmpty() && urls.front().isLocalFile())
            rememberFolder(settingsKey::lastAddFolder, QFileInfo(urls.front().toLocalFile()).absolutePath());
        addFiles(urls);
    });
    dialog->open();
}

// Editing. Every edit can be undone.

void AppDelegate::removeBTNClicked()
{
    mainArrayController->removeSelected();
}

void AppDelegate::moveUpBTNClicked()
{
    mainArrayController->moveSelectedUp();
}

void AppDelegate::moveDownBTNClicked()
{
    mainArrayController->moveSelectedDown();
}

void AppDelegate::clearListClicked()
{
    mainArrayController->clear();
}

void AppDelegate::sortByNameClicked()
{
    mainArrayController->sortByName();
}

void AppDelegate::sortByTrackNumberClicked()
{
    mainArrayController->sortByTrackNumber();
}

void AppDelegate::detailsClicked()
{
    if (mainArrayController->count() == 0)
        return;
    auto loadPicture = [this](const CoverChoice& cover, std::function<void(QByteArray)> done) {
        pool_.start([this, cover, done = std::move(done)] {
            QByteArray bytes = coverPictureBytes(cover);
            postToMain([done, bytes = std::move(bytes)] { done(bytes); });
        });
    };
    auto* dialog = new DetailsDialog(mainArrayController->rows(), outputDetails_, loadPicture, window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { outputDetails_ = dialog->overrides(); });
    dialog->open();
}

QStringList AppDelegate::selectedPaths() const
{
    QStringList paths;
    for (int r : mainArrayController->selectedIndexes())
        paths << toQString(mainArrayController->rows()[static_cast<size_t>(r)].filePath);
    return paths;
}

void AppDelegate::showInFolderClicked()
{
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty())
        revealInFileManager(fromQString(paths.front()));
}

void AppDelegate::playClicked()
{
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty() && !openFile(fromQString(paths.front())))
        showMessage(noOpenerMessage(fromQString(paths.front())), {});
}

// Join, help, cancel.

void AppDelegate::joinBTNClicked()
{
    runJoinPreflight([this] { return mainArrayController->rows(); }, *this, control, pool_,
                     [this] { return outputDetails_; });
}

MessageRequest AppDelegate::helpMessage(const std::string& webPage)
{
    MessageRequest help;
    help.messageText = "Questions?";
    help.informativeText = supportEmailAddress();
    help.buttons = {"OK"};
    if (isWebAddress(webPage))
        help.buttons = {"Rate App", "Check out my other Apps", "OK"};
    help.style = MessageStyle::informational;
    return help;
}

void AppDelegate::helpBTNClicked()
{
    const std::string page = developerPageAddress();
    const MessageRequest help = helpMessage(page);
    const bool offersPage = help.buttons.size() > 1;
    showMessage(help, [this, page, offersPage](MessageResponse response) {
        // There is no store here to rate in: both buttons lead to the web page.
        if (offersPage && response != MessageResponse::thirdButton && !app::openWebAddress(QString::fromStdString(page))) {
            MessageRequest failed;
            failed.messageText = "No application to open the web page";
            failed.informativeText = page;
            showMessage(failed, {});
        }
        if (ratingPromptDue())
            showRatingPrompt();
    });
}

void AppDelegate::shortcutsClicked()
{
    auto* dialog = new ShortcutsDialog(window->shortcutList(), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void AppDelegate::aboutClicked()
{
    QPointer<AboutDialog> dialog = new AboutDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    // Asking the encoder for its version takes a moment: not on this thread.
    pool_.start([this, dialog] {
        const std::optional<std::string> version = toolVersion(resourcePath(kCreatorToolResource).value_or(""));
        postToMain([dialog, version] {
            if (dialog)
                dialog->setToolVersion(version);
        });
    });
}

void AppDelegate::preferencesClicked()
{
    auto* dialog = new PreferencesDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setQuality(loadQualitySettings());
    connect(dialog, &QDialog::accepted, this, [dialog] { saveQualitySettings(dialog->quality()); });
    dialog->open();
}

void AppDelegate::cancelBTNClicked()
{
    control.cancel();
}

// The window side of the join engine.

void AppDelegate::postToMain(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void AppDelegate::showProgressSheet(const std::string& title, bool indeterminate)
{
    // The joining form is the determinate one: its time is measured.
    if (!indeterminate)
        joinTimer_.start();
    progressWindow->begin(QString::fromStdString(title), indeterminate);
}

void AppDelegate::hideProgressSheet()
{
    progressWindow->end();
}

void AppDelegate::setProgress(const JoinProgress& progress)
{
    progressWindow->setJoinProgress(progress);
}

void AppDelegate::setProgressIndeterminate()
{
    progressWindow->setIndeterminate();
}

void AppDelegate::joinFinished(const JoinOutcome& outcome)
{
    notifyIfUnseen(outcome);
    showJoinResult(outcome, *this);
}

void AppDelegate::notifyIfUnseen(const JoinOutcome& outcome)
{
    if (outcome.status == JoinStatus::cancelled || !joinTimer_.isValid())
        return;
    const double seconds = static_cast<double>(joinTimer_.elapsed()) / 1000.0;
    joinTimer_.invalidate();
    if (!joinNotificationDue(seconds, windowSeen(), notifyAfterSeconds))
        return;
    const MessageRequest message =
        outcome.status == JoinStatus::succeeded ? joinSucceededMessage(outcome) : joinFailedMessage(outcome);
    const std::string body = outcome.status == JoinStatus::succeeded ? outcome.outputPath : outcome.reason;
    if (sendDesktopNotification(notificationBus.value_or(QDBusConnection::sessionBus()),
                                QString::fromStdString(message.messageText), toQString(body)))
        ++notifications_;
}

void AppDelegate::runSaveDialog(const SaveDialogRequest& request,
                                std::function<void(std::optional<SaveDialogAnswer>)> completion)
{
    // The folder of the last join, else the one proposed (the Desktop).
    auto* dialog = new SaveDialog(request, rememberedFolder(settingsKey::lastSaveFolder), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::finished, this, [dialog, completion = std::move(completion)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty() || files.front().isEmpty()) {
            completion(std::nullopt);
            return;
        }
        rememberFolder(settingsKey::lastSaveFolder, QFileInfo(files.front()).absolutePath());
        // absolute, as the user confirmed it
        completion(SaveDialogAnswer{fromQString(files.front()), dialog->chapters()});
    });
    dialog->open();
}

void AppDelegate::showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion)
{
    openMessageBox(window, request, std::move(completion));
}

bool AppDelegate::openFile(const std::string& path)
{
    return app::openFile(toQString(path));
}

void AppDelegate::revealInFileManager(const std::string& path)
{
    QPointer<AppDelegate> self(this);
    app::revealInFileManager({toQString(path)}, [self, path] {
        if (self)
            self->showMessage(noOpenerMessage(parentDirectory(path)), {});
    });
}

void AppDelegate::openWebAddress(const std::string& address)
{
    app::openWebAddress(QString::fromStdString(address));
}

void AppDelegate::showRatingPrompt()
{
    // No store prompt on this platform; counted so the check can be observed.
    ++ratingPrompts_;
}

std::optional<std::string> AppDelegate::desktopDirectory()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir())
        return std::nullopt;
    return fromQString(desktop);
}

}  // namespace velmora::app
