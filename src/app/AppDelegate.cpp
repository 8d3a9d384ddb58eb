#include "app/AppDelegate.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>

#include "app/AboutDialog.h"
#include "app/CoverPicture.h"
#include "app/DetailsDialog.h"
#include "app/FileListController.h"
#include "app/HelpMessage.h"
#include "app/IntakeController.h"
#include "app/JoinPreflight.h"
#include "app/JoinResult.h"
#include "app/LaunchBookkeeping.h"
#include "app/MainWindow.h"
#include "app/MediaFileFilter.h"
#include "app/PreferencesDialog.h"
#include "app/ProgressSheet.h"
#include "app/RememberedFolder.h"
#include "app/ScreenFit.h"
#include "app/ShortcutsDialog.h"
#include "app/WindowJoinHost.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "foundation/Settings.h"
#include "foundation/ToolVersion.h"
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

    connect(window_, &MainWindow::addRequested, this, &AppDelegate::addBTNClicked);
    connect(window_, &MainWindow::removeRequested, this, &AppDelegate::removeBTNClicked);
    connect(window_, &MainWindow::moveUpRequested, this, &AppDelegate::moveUpBTNClicked);
    connect(window_, &MainWindow::moveDownRequested, this, &AppDelegate::moveDownBTNClicked);
    connect(window_, &MainWindow::clearRequested, this, &AppDelegate::clearListClicked);
    connect(window_, &MainWindow::showInFolderRequested, this, &AppDelegate::showInFolderClicked);
    connect(window_, &MainWindow::playRequested, this, &AppDelegate::playClicked);
    connect(window_, &MainWindow::joinRequested, this, &AppDelegate::joinBTNClicked);
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

void AppDelegate::showWindow()
{
    window_->show();
}

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
    // the encoder, and no further command starts. The list is not saved.
    stopBackgroundWork();
    window_->saveWindowState();
}

// File intake.

void AppDelegate::filesAddedByDragAndDrop(const QList<QUrl>& urls, int row)
{
    addFiles(urls, row);
}

void AppDelegate::addFiles(const QList<QUrl>& urls, int row)
{
    intake_->addFiles(urls, row);
}

void AppDelegate::addBTNClicked()
{
    auto* dialog = new QFileDialog(window_);
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
    list_->removeSelected();
}

void AppDelegate::moveUpBTNClicked()
{
    list_->moveSelectedUp();
}

void AppDelegate::moveDownBTNClicked()
{
    list_->moveSelectedDown();
}

void AppDelegate::clearListClicked()
{
    list_->clear();
}

void AppDelegate::sortByNameClicked()
{
    list_->sortByName();
}

void AppDelegate::sortByTrackNumberClicked()
{
    list_->sortByTrackNumber();
}

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

void AppDelegate::helpBTNClicked()
{
    showHelp(*joinHost_);
}

void AppDelegate::shortcutsClicked()
{
    auto* dialog = new ShortcutsDialog(window_->shortcutList(), window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void AppDelegate::aboutClicked()
{
    QPointer<AboutDialog> dialog = new AboutDialog(window_);
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
    auto* dialog = new PreferencesDialog(window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setQuality(loadQualitySettings());
    connect(dialog, &QDialog::accepted, this, [dialog] { saveQualitySettings(dialog->quality()); });
    dialog->open();
}

void AppDelegate::cancelBTNClicked()
{
    stopBackgroundWork();
}

}  // namespace velmora::app
