#include "app/AppDelegate.h"

#include <cmath>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>

#include "app/ArrayController.h"
#include "app/DesktopActions.h"
#include "app/DragAndDropView.h"
#include "app/LaunchBookkeeping.h"
#include "app/NotificationCenter.h"
#include "app/ProgressSheet.h"
#include "foundation/Settings.h"
#include "join/Completion.h"
#include "join/FileRow.h"
#include "join/Preflight.h"

namespace velmora::app {

AppDelegate::AppDelegate(QObject* parent) : QObject(parent)
{
    loadInterface();
}

AppDelegate::~AppDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    // Background work reports to this object: stop the encoder and let the
    // work items end before the window goes away.
    control.isProcessCancelledByUser = true;
    while (!QThreadPool::globalInstance()->waitForDone(100))
        control.terminateCurrentProcess();
    delete window;
}

// Launch and quit.

void AppDelegate::applicationDidFinishLaunching()
{
    const QString version = QCoreApplication::applicationVersion();
    recordLaunch(*userDefaults(), version.isEmpty() ? std::nullopt : std::optional<QString>(version));
    NotificationCenter::defaultCenter().addObserver(
        this, QString::fromLatin1(kFilesAddedByDragAndDrop),
        [this](const Notification& notification) { filesAddedByDragAndDropWithNotification(notification); });
}

void AppDelegate::applicationWillTerminate()
{
    // Nobody would hear of a join that went on after the window is gone: stop
    // the encoder, and no further command starts. The list is not saved and
    // the work directory stays as it is.
    control.isProcessCancelledByUser = true;
    control.terminateCurrentProcess();
}

// File intake.

void AppDelegate::filesAddedByDragAndDropWithNotification(const Notification& notification)
{
    const auto it = notification.userInfo.constFind(QString::fromLatin1(kDroppedFilesKey));
    if (it == notification.userInfo.constEnd())
        return;
    QList<QUrl> urls;
    if (it->metaType() == QMetaType::fromType<QList<QUrl>>()) {
        urls = it->value<QList<QUrl>>();
    } else if (it->metaType() == QMetaType::fromType<QVariantList>()) {
        for (const QVariant& item : it->toList()) {
            if (item.metaType() != QMetaType::fromType<QUrl>())
                return;
            urls.append(item.toUrl());
        }
    } else {
        return;
    }
    addFiles(urls);
}

void AppDelegate::addFiles(const QList<QUrl>& urls)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : url.path().toStdString());
    control.isProcessCancelledByUser = false;
    QThreadPool::globalInstance()->start([this, paths = std::move(paths)] {
        analyzeFiles(paths, *this, [this](FileRow row) { mainArrayController->addObject(std::move(row)); });
    });
}

bool AppDelegate::waitForBackgroundWork(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (QThreadPool::globalInstance()->activeThreadCount() == 0) {
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
    mainArrayController->remove();
}

void AppDelegate::moveUpBTNClicked()
{
    ArrayController& list = *mainArrayController;
    const int n = list.count();
    const int i = list.selectionIndex();
    if (n < 2 || i == ArrayController::kNoSelection || i == 0)
        return;
    const FileRow row = list.arrangedObjects()[static_cast<size_t>(i)];
    list.removeObjectAtArrangedObjectIndex(i);
    const int s = list.selectionIndex();
    list.insertObjectAtArrangedObjectIndex(row, n - i != 1 ? s - 1 : s);
}

void AppDelegate::moveDownBTNClicked()
{
    ArrayController& list = *mainArrayController;
    const int n = list.count();
    const int i = list.selectionIndex();
    if (n < 2 || i == ArrayController::kNoSelection)
        return;
    const FileRow row = list.arrangedObjects()[static_cast<size_t>(i)];
    list.removeObjectAtArrangedObjectIndex(i);
    const int s = list.selectionIndex();
    list.insertObjectAtArrangedObjectIndex(row, s + 1);
}

// Join, help, cancel.

void AppDelegate::joinBTNClicked()
{
    runJoinPreflight([this] { return mainArrayController->arrangedObjects(); }, *this, control);
}

void AppDelegate::helpBTNClicked()
{
    AlertSpec help;
    help.messageText = "Questions?";
    help.informativeText = supportEmailAddress();
    help.buttons = {"Rate App", "Check out my other Apps", "OK"};
    help.style = AlertStyle::informational;
    showAlert(help, [this](int response) {
        if (response == kAlertSecondButtonReturn)
            openWebAddress(developerPageAddress());
        else if (response == kAlertFirstButtonReturn)
            requestReview();
        requestReviewIfDue(*this);
    });
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
    progressBarCancelBTN->setVisible(!indeterminate);
    progressBar->setValue(0);
    if (indeterminate)
        progressBar->setRange(0, 0);
    else
        progressBar->setRange(0, ProgressSheet::kMaximum);
    progressBar->setValue(0);
    progressTitle->setText(QString::fromStdString(title));
    progressWindow->open();
}

void AppDelegate::hideProgressSheet()
{
    progressBarCancelBTN->setVisible(false);
    progressBar->setValue(0);
    progressBar->setRange(0, 0);
    progressWindow->hide();
}

void AppDelegate::updateJoinProgress(double percent)
{
    if (percent == INFINITY) {
        progressBar->setRange(0, 0);
        return;
    }
    // Once indeterminate, the bar stays so for the rest of the join.
    if (progressBar->maximum() == 0)
        return;
    if (std::isnan(percent))
        return;  // no value to show: keep the last one
    const double scaled = std::clamp(percent, 0.0, 100.0) * ProgressSheet::kScale;
    progressBar->setValue(static_cast<int>(std::lround(scaled)));
}

void AppDelegate::runSavePanel(const SavePanelSpec& panel, std::function<void(std::optional<std::string>)> completion)
{
    auto* dialog = new QFileDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setWindowTitle(QString::fromStdString(panel.message));
    dialog->setLabelText(QFileDialog::FileName, QString::fromStdString(panel.nameFieldLabel));
    dialog->setLabelText(QFileDialog::Accept, QString::fromStdString(panel.prompt));
    if (panel.directory)
        dialog->setDirectory(QString::fromStdString(*panel.directory));
    dialog->selectFile(QString::fromStdString(panel.nameFieldText));
    connect(dialog, &QFileDialog::finished, this, [dialog, completion = std::move(completion)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty() || files.front().isEmpty()) {
            completion(std::nullopt);
            return;
        }
        completion(files.front().toStdString());  // absolute, as the user confirmed it
    });
    dialog->open();
}

void AppDelegate::showAlert(const AlertSpec& alert, std::function<void(int response)> completion)
{
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(QString::fromStdString(alert.messageText));
    box->setInformativeText(QString::fromStdString(alert.informativeText));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (alert.style) {
    case AlertStyle::informational: box->setIcon(QMessageBox::Information); break;
    case AlertStyle::critical: box->setIcon(QMessageBox::Critical); break;
    case AlertStyle::warning: box->setIcon(QMessageBox::Warning); break;
    }
    // Short informative texts ("Contact: " and an address) read better on one line.
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        informative && alert.informativeText.size() <= 80)
        informative->setWordWrap(false);
    QList<QAbstractButton*> buttons;
    if (alert.buttons.empty()) {
        buttons << box->addButton(QMessageBox::Ok);
    } else {
        for (const std::string& title : alert.buttons)
            buttons << box->addButton(QString::fromStdString(title), QMessageBox::AcceptRole);
    }
    box->setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    box->setEscapeButton(buttons.back());
    connect(box, &QMessageBox::finished, this, [box, buttons, completion = std::move(completion)](int) {
        const qsizetype index = buttons.indexOf(box->clickedButton());
        if (completion)
            completion(kAlertFirstButtonReturn + static_cast<int>(index < 0 ? buttons.size() - 1 : index));
    });
    box->open();
    emit alertShown(box);
}

void AppDelegate::openFileWithApplication(const std::string& path, const std::string& application)
{
    app::openFileWithApplication(QString::fromStdString(path), QString::fromStdString(application));
}

void AppDelegate::revealInFileManager(const std::string& path)
{
    app::revealInFileManager(QString::fromStdString(path));
}

void AppDelegate::openWebAddress(const std::string& address)
{
    app::openWebAddress(QString::fromStdString(address));
}

void AppDelegate::requestReview()
{
    // No store prompt on this platform; counted so the check can be observed.
    ++reviewRequests_;
    emit reviewRequested();
}

std::optional<std::string> AppDelegate::desktopDirectory()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir())
        return std::nullopt;
    return desktop.toStdString();
}

}  // namespace velmora::app
