#include "app/AppDelegate.h"

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>

#include "app/AboutDialog.h"
#include "app/CoverPicture.h"
#include "app/DetailsDialog.h"
#include "app/FileDialogs.h"
#include "app/FoundBooks.h"
#include "app/FileListController.h"
#include "app/HelpMessage.h"
#include "app/IntakeController.h"
#include "app/JobsController.h"
#include "app/JobsPanel.h"
#include "app/JoinPreflight.h"
#include "app/JoinResult.h"
#include "app/ListFiles.h"
#include "app/LaunchBookkeeping.h"
#include "app/MessageBoxes.h"
#include "app/MainWindow.h"
#include "app/LoudnessMeter.h"
#include "app/PreferencesDialog.h"
#include "app/RecentLists.h"
#include "app/ProgressSheet.h"
#include "app/ScreenFit.h"
#include "app/ShortcutsDialog.h"
#include "app/WindowJoinHost.h"
#include "foundation/Paths.h"
#include "foundation/Settings.h"
#include "join/intake/Playlist.h"
#include "join/plan/QualitySettings.h"

namespace velmora::app {

AppDelegate::AppDelegate(JoinNotice notice, QObject* parent)
    : QObject(parent), list_(new FileListController(this)), window_(new MainWindow(list_))
{
    list_->setObjectName(QStringLiteral("mainArrayController"));
    // Every window, dialog and message stays on the screen.
    if (qApp)
        qApp->installEventFilter(new ScreenFit(this));
    ProgressSheet* sheet = window_->progressSheet();
    joinHost_ = std::make_unique<WindowJoinHost>(window_, sheet, pool_, std::move(notice));
    intake_ = std::make_unique<IntakeController>(*list_, window_, sheet, pool_);
    jobs_ = std::make_unique<JobsController>(JobsController::defaultQueueFilePath());
    jobsPanel_ = new JobsPanel(*jobs_, window_);
    meter_ = std::make_unique<LoudnessMeter>(list_->model());
    meter_->setEnabled(loadSoundOptions().loudness != LoudnessMode::keep);
    window_->setJobsPanel(jobsPanel_);
    // Jobs kept from the last session are shown at once.
    if (!jobs_->queue().entries().empty())
        jobsPanel_->show();
    connect(jobsPanel_, &JobsPanel::openOutputRequested, this, [this](const QString& path) {
        if (!joinHost_->openFile(fromQString(path)))
            joinHost_->showMessage(noOpenerMessage(fromQString(path)), {});
    });

    connect(window_, &MainWindow::addRequested, this, &AppDelegate::addBTNClicked);
    connect(window_, &MainWindow::addFolderRequested, this, &AppDelegate::addFolderClicked);
    connect(window_, &MainWindow::openListRequested, this, &AppDelegate::openListClicked);
    connect(window_, &MainWindow::openRecentRequested, this, &AppDelegate::openList);
    connect(window_, &MainWindow::saveListRequested, this, &AppDelegate::saveListClicked);
    window_->setRecentLists(recentLists());
    connect(window_, &MainWindow::removeRequested, this, &AppDelegate::removeBTNClicked);
    connect(window_, &MainWindow::moveUpRequested, this, &AppDelegate::moveUpBTNClicked);
    connect(window_, &MainWindow::moveDownRequested, this, &AppDelegate::moveDownBTNClicked);
    connect(window_, &MainWindow::clearRequested, this, &AppDelegate::clearListClicked);
    connect(window_, &MainWindow::showInFolderRequested, this, &AppDelegate::showInFolderClicked);
    connect(window_, &MainWindow::playRequested, this, &AppDelegate::playClicked);
    connect(window_, &MainWindow::joinRequested, this, &AppDelegate::joinBTNClicked);
    connect(window_, &MainWindow::addToQueueRequested, this, &AppDelegate::addToQueueClicked);
    connect(window_, &MainWindow::joinEachFolderRequested, this, &AppDelegate::joinEachFolderClicked);
    connect(window_, &MainWindow::detailsRequested, this, &AppDelegate::detailsClicked);
    connect(window_, &MainWindow::sortByNameRequested, this, &AppDelegate::sortByNameClicked);
    connect(window_, &MainWindow::sortByTrackNumberRequested, this, &AppDelegate::sortByTrackNumberClicked);
    connect(window_, &MainWindow::helpRequested, this, &AppDelegate::helpBTNClicked);
    connect(window_, &MainWindow::shortcutsRequested, this, &AppDelegate::shortcutsClicked);
    connect(window_, &MainWindow::aboutRequested, this, &AppDelegate::aboutClicked);
    connect(window_, &MainWindow::preferencesRequested, this, &AppDelegate::preferencesClicked);
    connect(window_, &MainWindow::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(sheet, &ProgressSheet::cancelRequested, this, &AppDelegate::cancelBTNClicked);
    // What the user set in Details belongs to the files in the list: an
    // emptied list (cleared, or its last row removed) starts the next album
    // from what its own files say. Other edits keep them, so adding a
    // forgotten part or reordering does not undo the user's title.
    connect(list_, &FileListController::contentChanged, this, [this] {
        if (list_->count() == 0)
            outputDetails_ = {};
    });
}

AppDelegate::~AppDelegate()
{
    // Background work reports to the helpers: stop the tools and let the
    // work end before they and the window go away.
    stopBackgroundWork();
    jobs_->stopAll();
    pool_.waitForDone();
    delete window_;
}

void AppDelegate::stopBackgroundWork()
{
    intake_->cancel();
    joinHost_->cancelJob();
}

void AppDelegate::postToMain(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void AppDelegate::showWindow() { window_->show(); }

// Launch and quit.

void AppDelegate::applicationDidFinishLaunching()
{
    const QString version = QCoreApplication::applicationVersion();
    recordLaunch(*settings(), version.isEmpty() ? std::nullopt : std::optional<QString>(version));
    connect(window_, &MainWindow::filesDropped, this, &AppDelegate::filesAddedByDragAndDrop, Qt::UniqueConnection);
}

void AppDelegate::applicationWillTerminate()
{
    // Nobody would hear of a join that went on after the window is gone: stop
    // the encoder, and no further command starts. The list is not saved; the
    // queue is, with its running jobs to start again next time.
    stopBackgroundWork();
    jobs_->stopAll();
    window_->saveWindowState();
}

// File intake.

void AppDelegate::filesAddedByDragAndDrop(const QList<QUrl>& urls, int row) { addFiles(urls, row); }

void AppDelegate::addFiles(const QList<QUrl>& urls, int row)
{
    // A playlist, however it came (Open List…, dropped, named on the command
    // line), is one of the recent lists.
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && isPlaylistPath(fromQString(url.toLocalFile())))
            window_->setRecentLists(rememberList(QFileInfo(url.toLocalFile()).absoluteFilePath()));
    }
    intake_->addFiles(urls, row);
}

void AppDelegate::addBTNClicked()
{
    askForFiles(window_, [this](const QList<QUrl>& urls) { addFiles(urls); });
}

void AppDelegate::addFolderClicked()
{
    // The intake expands the folder, in natural order of the paths below it.
    askForFolder(window_, tr("Add Folder"), [this](const QString& folder) { addFiles({QUrl::fromLocalFile(folder)}); });
}

void AppDelegate::openListClicked()
{
    askForList(window_, [this](const QString& path) { openList(path); });
}

void AppDelegate::openList(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        window_->setRecentLists(forgetList(path));
        return openMessageBox(window_, listGoneMessage(path), {});
    }
    // The intake reads the playlist: its entries come in its order, and the
    // ones that are missing are named in the skipped note.
    addFiles({QUrl::fromLocalFile(path)});
}

void AppDelegate::saveListClicked()
{
    if (list_->count() == 0)
        return;
    askWhereToSaveList(window_, [this](const QString& path) {
        if (const auto failure = saveList(list_->rows(), path))
            return openMessageBox(window_, listNotSavedMessage(*failure), {});
        window_->setRecentLists(rememberList(path));
    });
}

// Editing. Every edit can be undone.

void AppDelegate::removeBTNClicked() { list_->removeSelected(); }

void AppDelegate::moveUpBTNClicked() { list_->moveSelectedUp(); }

void AppDelegate::moveDownBTNClicked() { list_->moveSelectedDown(); }

void AppDelegate::clearListClicked() { list_->clear(); }

void AppDelegate::sortByNameClicked() { list_->sortByName(); }

void AppDelegate::sortByTrackNumberClicked() { list_->sortByTrackNumber(); }

void AppDelegate::detailsClicked()
{
    if (list_->count() == 0)
        return;
    auto loadPicture = [this](const CoverChoice& cover, std::function<void(QByteArray)> done) {
        pool_.start([this, cover, done = std::move(done)] {
            QByteArray bytes = coverPictureBytes(cover);
            postToMain([done, bytes = std::move(bytes)] { done(bytes); });
        });
    };
    auto* dialog = new DetailsDialog(list_->rows(), outputDetails_, loadPicture, window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { outputDetails_ = dialog->overrides(); });
    dialog->open();
}

// The rows' desktop actions.

QString AppDelegate::firstSelectedPath() const
{
    const int first = list_->firstSelectedIndex();
    return first == FileListController::kNoSelection ? QString()
                                                     : toQString(list_->rows()[static_cast<size_t>(first)].filePath);
}

void AppDelegate::showInFolderClicked()
{
    const QString path = firstSelectedPath();
    if (!path.isEmpty())
        joinHost_->revealInFileManager(fromQString(path));
}

void AppDelegate::playClicked()
{
    const QString path = firstSelectedPath();
    if (!path.isEmpty() && !joinHost_->openFile(fromQString(path)))
        joinHost_->showMessage(noOpenerMessage(fromQString(path)), {});
}

// Join, help, cancel.

void AppDelegate::joinBTNClicked()
{
    runJoinPreflight([this] { return list_->rows(); }, *joinHost_, [this] { return outputDetails_; },
                     [this](JoinRequest request) { joinHost_->startJob(std::move(request)); });
}

void AppDelegate::addToQueueClicked()
{
    const auto queue = [this](JoinRequest request) {
        jobs_->add(std::move(request));
        jobsPanel_->show();
    };
    runJoinPreflight([this] { return list_->rows(); }, *joinHost_, [this] { return outputDetails_; },
                     [this](JoinRequest request) { joinHost_->startJob(std::move(request)); }, queue, true);
}

void AppDelegate::joinEachFolderClicked() { joinEachFolder(window_, pool_, *joinHost_, *jobs_, jobsPanel_); }

void AppDelegate::helpBTNClicked() { showHelp(*joinHost_); }

void AppDelegate::shortcutsClicked()
{
    auto* dialog = new ShortcutsDialog(window_->shortcutList(), window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void AppDelegate::aboutClicked() { openAboutDialog(window_, pool_); }

void AppDelegate::preferencesClicked()
{
    auto* dialog = new PreferencesDialog(window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setQuality(loadQualitySettings());
    dialog->setJobsAtOnce(JobsController::jobsAtOnce());
    dialog->setSound(loadSoundOptions());
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        saveQualitySettings(dialog->quality());
        saveSoundOptions(dialog->sound());
        meter_->setEnabled(dialog->sound().loudness != LoudnessMode::keep);
        JobsController::setJobsAtOnce(dialog->jobsAtOnce());
        jobs_->queue().setLimit(dialog->jobsAtOnce());
    });
    dialog->open();
}

void AppDelegate::cancelBTNClicked() { stopBackgroundWork(); }

}  // namespace velmora::app
