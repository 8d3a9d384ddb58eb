#pragma once
// The window's intake: each batch of dropped, opened or named files runs on
// the window's pool under the "Analyzing Files..." sheet, its rows go into
// the list where the files were put (one undo step for the batch), and the
// files it skipped are named in a note beside the window.

#include <vector>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "app/IntakeBatch.h"
#include "foundation/Cancellation.h"

class QMessageBox;
class QThreadPool;
class QWidget;

namespace velmora::app {

class FileListController;
class ProgressSheet;

class IntakeController : public QObject {
    Q_OBJECT
public:
    // Batches run on `pool`, which must outlive them.
    IntakeController(FileListController& list, QWidget* window, ProgressSheet* sheet, QThreadPool& pool,
                     QObject* parent = nullptr);

    // Starts an intake of the files and folders in the background, inserting
    // the rows before `row` (-1: at the end); returns at once.
    void addFiles(const QList<QUrl>& urls, int row = -1);
    // Stops the running batch; the rows it has handed on stay.
    void cancel();

private:
    void showSkippedFiles(const std::vector<SkippedFile>& skipped);
    void post(std::function<void()> task);

    FileListController& list_;
    QWidget* window_;
    ProgressSheet* sheet_;
    QThreadPool& pool_;
    // The intake's own cancel token; each join has its own in its job.
    Cancellation cancellation_;
    int batch_ = 0;
    QPointer<QMessageBox> skippedNote_;
};

}  // namespace velmora::app
