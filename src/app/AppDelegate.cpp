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

#include "app/DesktopActions.h"
#include "app/FileListController.h"
#include "app/LaunchBookkeeping.h"
#include "app/MainWindow.h"
#include "app/PreferencesDialog.h"
#include "app/ProgressSheet.h"
#include "foundation/Paths.h"
#include "foundation/Settings.h"
#include "join/Completion.h"
#include "join/Intake.h"
#include "join/Preflight.h"
#include "join/QualitySettings.h"

namespace velmora::app {

AppDelegate::AppDelegate(QObject* parent) : QObject(parent)
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
    connect(window, &MainWindow::joinRequested, this, &AppDelegate::joinBTNClicked);
    connect(window, &MainWindow::helpRequested, this, &AppDelegate::helpBTNClicked);
    connect(window, &MainWindow::preferencesRequested, this, &AppDelegate::preferencesClicked);
    connect(window, &MainWindow::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(progressBarCancelBTN, &QPushButton::clicked, this, &AppDelegate::cancelBTNClicked);
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
}

// File intake.

void AppDelegate::filesAddedByDragAndDrop(const QList<QUrl>& urls)
{
    addFiles(urls);
}

void AppDelegate::addFiles(const QList<QUrl>& urls)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        paths.push_back(fromQString(url.isLocalFile() ? url.toLocalFile() : url.path()));
    control.clearCancel();
    pool_.start([this, paths = std::move(paths)] {
        analyzeFiles(paths, *this, control, [this](FileRow row) { mainArrayController->appendRow(std::move(row)); });
    });
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
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setWindowTitle(tr("Add Files"));
    connect(dialog, &QFileDialog::finished, this, [this, dialog](int result) {
        if (result == QDialog::Accepted)
            addFiles(dialog->selectedUrls());
    });
    dialog->open();
}

// Editing.

void AppDelegate::removeBTNClicked()
{
    mainArrayController->removeSelectedRows();
}

void AppDelegate::moveUpBTNClicked()
{
    FileListController& list = *mainArrayController;
    const int n = list.count();
    const int i = list.firstSelectedIndex();
    if (n < 2 || i == FileListController::kNoSelection || i == 0)
        return;
    const FileRow row = list.rows()[static_cast<size_t>(i)];
    list.removeRow(i);
    const int s = list.firstSelectedIndex();
    list.insertRow(n - i != 1 ? s - 1 : s, row);
}

void AppDelegate::moveDownBTNClicked()
{
    FileListController& list = *mainArrayController;
    const int n = list.count();
    const int i = list.firstSelectedIndex();
    if (n < 2 || i == FileListController::kNoSelection)
        return;
    const FileRow row = list.rows()[static_cast<size_t>(i)];
    list.removeRow(i);
    const int s = list.firstSelectedIndex();
    list.insertRow(s + 1, row);
}

// Join, help, cancel.

void AppDelegate::joinBTNClicked()
{
    runJoinPreflight([this] { return mainArrayController->rows(); }, *this, control, pool_);
}

void AppDelegate::helpBTNClicked()
{
    MessageRequest help;
    help.messageText = "Questions?";
    help.informativeText = supportEmailAddress();
    help.buttons = {"Rate App", "Check out my other Apps", "OK"};
    help.style = MessageStyle::informational;
    showMessage(help, [this](MessageResponse response) {
        if (response == MessageResponse::secondButton)
            openWebAddress(developerPageAddress());
        else if (response == MessageResponse::firstButton)
            showRatingPrompt();
        if (ratingPromptDue())
            showRatingPrompt();
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
    progressWindow->begin(QString::fromStdString(title), indeterminate);
}

void AppDelegate::hideProgressSheet()
{
    progressWindow->end();
}

void AppDelegate::setProgress(const JoinProgress& progress)
{
    progressWindow->setPercent(progress.percent);
}

void AppDelegate::setProgressIndeterminate()
{
    progressWindow->setIndeterminate();
}

void AppDelegate::joinFinished(const JoinOutcome& outcome)
{
    showJoinResult(outcome, *this);
}

void AppDelegate::runSaveDialog(const SaveDialogRequest& request,
                                std::function<void(std::optional<std::string>)> completion)
{
    auto* dialog = new QFileDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setWindowTitle(QString::fromStdString(request.title));
    dialog->setLabelText(QFileDialog::FileName, QString::fromStdString(request.nameFieldLabel));
    dialog->setLabelText(QFileDialog::Accept, QString::fromStdString(request.prompt));
    if (request.directory)
        dialog->setDirectory(toQString(*request.directory));
    if (!request.filters.empty()) {
        // Picking a format puts its extension on the name in the field (the
        // dialog does that in save mode); the proposed name's format comes first selected.
        QStringList filters;
        const std::string proposed = lowerExtension(request.nameFieldText);
        QString selected;
        for (const SaveFormat& format : request.filters) {
            filters << QString::fromStdString(format.filterText());
            if (format.extension == proposed)
                selected = filters.back();
        }
        dialog->setNameFilters(filters);
        if (!selected.isEmpty())
            dialog->selectNameFilter(selected);
    }
    dialog->selectFile(QString::fromStdString(request.nameFieldText));
    connect(dialog, &QFileDialog::finished, this, [dialog, completion = std::move(completion)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty() || files.front().isEmpty()) {
            completion(std::nullopt);
            return;
        }
        completion(fromQString(files.front()));  // absolute, as the user confirmed it
    });
    dialog->open();
}

void AppDelegate::showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion)
{
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(QString::fromStdString(request.messageText));
    box->setInformativeText(QString::fromStdString(request.informativeText));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (request.style) {
    case MessageStyle::informational: box->setIcon(QMessageBox::Information); break;
    case MessageStyle::critical: box->setIcon(QMessageBox::Critical); break;
    case MessageStyle::warning: box->setIcon(QMessageBox::Warning); break;
    }
    // Short informative texts ("Contact: " and an address) read better on one
    // line: widen the box to fit them.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()); grid && request.informativeText.size() <= 80) {
        const int width = box->fontMetrics().horizontalAdvance(box->informativeText()) + 96;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    QList<QAbstractButton*> buttons;
    if (request.buttons.empty()) {
        buttons << box->addButton(QMessageBox::Ok);
    } else {
        for (const std::string& title : request.buttons)
            buttons << box->addButton(QString::fromStdString(title), QMessageBox::AcceptRole);
    }
    box->setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    box->setEscapeButton(buttons.back());
    connect(box, &QMessageBox::finished, this, [box, buttons, completion = std::move(completion)](int) {
        qsizetype index = buttons.indexOf(box->clickedButton());
        if (index < 0)
            index = buttons.size() - 1;
        if (completion)
            completion(static_cast<MessageResponse>(std::min<qsizetype>(index, 2)));
    });
    box->open();
}

void AppDelegate::openFileWithApplication(const std::string& path, const std::string& application)
{
    app::openFileWithApplication(toQString(path), QString::fromStdString(application));
}

void AppDelegate::revealInFileManager(const std::string& path)
{
    app::revealInFileManager(toQString(path));
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
