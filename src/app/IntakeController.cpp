#include "app/IntakeController.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QThreadPool>

#include "app/FileListController.h"
#include "app/MessageBoxes.h"
#include "app/ProgressSheet.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"

namespace velmora::app {

IntakeController::IntakeController(FileListController& list, QWidget* window, ProgressSheet* sheet, QThreadPool& pool,
                                   QObject* parent)
    : QObject(parent), list_(list), window_(window), sheet_(sheet), pool_(pool)
{
}

void IntakeController::post(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void IntakeController::addFiles(const QList<QUrl>& urls, int row)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        paths.push_back(fromQString(url.isLocalFile() ? url.toLocalFile() : url.path()));
    // Without a probe tool every file would be skipped as not media: say so once instead.
    if (const std::optional<std::string> problem = toolAdvice(kProbeToolResource); problem && !paths.empty()) {
        MessageRequest message;
        message.messageText = *problem;
        message.informativeText = contactText();
        message.style = MessageStyle::critical;
        openMessageBox(window_, message, {});
        return;
    }
    cancellation_.clearCancel();
    // Rows go in one after another from `row` on, and one undo takes them all
    // out again. Nothing else edits the list while the sheet covers it.
    auto next = std::make_shared<int>(row < 0 ? list_.count() : row);
    const int batch = ++batch_;
    IntakeHandlers handlers;
    handlers.onRow = [this, next, batch](FileRow added) { list_.addRow((*next)++, std::move(added), batch); };
    handlers.onProgress = [this](size_t done, size_t total) { sheet_->setIntakeCount(done, total); };
    handlers.onStarted = [this] { sheet_->begin(tr("Analyzing Files..."), true); };
    handlers.onFinished = [this](std::vector<SkippedFile> skipped) {
        sheet_->end();
        if (!skipped.empty())
            showSkippedFiles(skipped);
    };
    pool_.start([this, paths = std::move(paths), handlers = std::move(handlers)] {
        analyzeFiles(paths, [this](std::function<void()> task) { post(std::move(task)); }, cancellation_, handlers);
    });
}

void IntakeController::cancel()
{
    cancellation_.cancel();
}

void IntakeController::showSkippedFiles(const std::vector<SkippedFile>& skipped)
{
    // One note at a time, beside the window: the user reads it while going on.
    if (skippedNote_)
        skippedNote_->close();
    QMessageBox* note = makeMessageBox(window_, skippedFilesMessage(skipped));
    note->setObjectName(QStringLiteral("skippedFilesNote"));
    note->addButton(QMessageBox::Ok);
    note->setWindowModality(Qt::NonModal);
    note->setModal(false);
    skippedNote_ = note;
    note->show();
}

}  // namespace velmora::app
