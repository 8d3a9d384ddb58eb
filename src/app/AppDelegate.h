#pragma once
// The application controller: owns the main window, the file list and the
// progress sheet, runs every button action, and is the window side of the
// join engine (posting to the main thread, the sheet, dialogs, alerts and
// desktop actions).

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "join/JoinControl.h"
#include "join/JoinHost.h"

class QAction;
class QDialog;
class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;

namespace velmora::app {

class ArrayController;
class DragAndDropView;
class FileListView;
struct Notification;

class AppDelegate : public QObject, public JoinHost {
    Q_OBJECT
public:
    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    // The controller's state. The window is owned here; the rest belongs to it.
    QMainWindow* window = nullptr;
    ArrayController* mainArrayController = nullptr;
    QDialog* progressWindow = nullptr;
    QLabel* progressTitle = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* progressBarCancelBTN = nullptr;
    // isProcessCancelledByUser and currentProcess_globalVariable.
    JoinControl control;

    // The window's other parts.
    struct Interface {
        DragAndDropView* dropView = nullptr;
        FileListView* fileList = nullptr;
        QPushButton* addBTN = nullptr;
        QPushButton* removeBTN = nullptr;
        QPushButton* moveUpBTN = nullptr;
        QPushButton* moveDownBTN = nullptr;
        QPushButton* joinBTN = nullptr;
        QPushButton* helpBTN = nullptr;
        QLabel* summary = nullptr;
        QAction* removeAction = nullptr;
        QAction* moveUpAction = nullptr;
        QAction* moveDownAction = nullptr;
        QAction* joinAction = nullptr;
    } ui;

    // How many times the store's rating prompt was asked for (a no-op here).
    int reviewRequestCount() const { return reviewRequests_; }

    // Starts an intake of the given files in the background; returns at once.
    void addFiles(const QList<QUrl>& urls);
    // Waits (running the event loop) until no intake or join work is left.
    bool waitForBackgroundWork(int timeoutMs);

public slots:
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void filesAddedByDragAndDropWithNotification(const velmora::app::Notification& notification);
    void addBTNClicked();
    void removeBTNClicked();
    void moveUpBTNClicked();
    void moveDownBTNClicked();
    void joinBTNClicked();
    void helpBTNClicked();
    void cancelBTNClicked();

signals:
    void reviewRequested();
    void alertShown(QDialog* alert);

public:
    // JoinHost
    void postToMain(std::function<void()> task) override;
    void showProgressSheet(const std::string& title, bool indeterminate) override;
    void hideProgressSheet() override;
    void updateJoinProgress(double percent) override;
    void runSavePanel(const SavePanelSpec& panel,
                      std::function<void(std::optional<std::string>)> completion) override;
    void showAlert(const AlertSpec& alert, std::function<void(int response)> completion) override;
    void openFileWithApplication(const std::string& path, const std::string& application) override;
    void revealInFileManager(const std::string& path) override;
    void openWebAddress(const std::string& address) override;
    void requestReview() override;
    std::optional<std::string> desktopDirectory() override;

private:
    void loadInterface();
    void updateControls();

    int reviewRequests_ = 0;
};

}  // namespace velmora::app
