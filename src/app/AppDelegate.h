#pragma once
// The application controller: owns the main window, the file list and the
// background work, runs every action the window asks for, and is the window
// side of the join engine (posting to the main thread, the sheet, dialogs,
// messages and desktop actions).

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QUrl>

#include "join/JoinControl.h"
#include "join/WindowHost.h"

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;

namespace velmora::app {

class FileListController;
class MainWindow;
class ProgressSheet;

class AppDelegate : public QObject, public WindowHost {
    Q_OBJECT
public:
    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    // The controller's state. The window is owned here; the rest belongs to it.
    MainWindow* window = nullptr;
    FileListController* mainArrayController = nullptr;
    ProgressSheet* progressWindow = nullptr;
    QLabel* progressTitle = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* progressBarCancelBTN = nullptr;
    // The cancel flag and the running tools, shared with the background work.
    JoinControl control;

    // How many times the store's rating prompt was asked for (a no-op here).
    int ratingPromptCount() const { return ratingPrompts_; }

    // Starts an intake of the given files in the background; returns at once.
    void addFiles(const QList<QUrl>& urls);
    // Waits (running the event loop) until no intake or join work is left.
    bool waitForBackgroundWork(int timeoutMs);

public slots:
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void filesAddedByDragAndDrop(const QList<QUrl>& urls);
    void addBTNClicked();
    void removeBTNClicked();
    void moveUpBTNClicked();
    void moveDownBTNClicked();
    void joinBTNClicked();
    void helpBTNClicked();
    // Edit > Preferences: the quality of the lossy output formats, kept in the settings store.
    void preferencesClicked();
    void cancelBTNClicked();

public:
    // JoinHost
    void postToMain(std::function<void()> task) override;
    void showProgressSheet(const std::string& title, bool indeterminate) override;
    void hideProgressSheet() override;
    void setProgress(const JoinProgress& progress) override;
    void setProgressIndeterminate() override;
    void joinFinished(const JoinOutcome& outcome) override;
    // WindowHost
    void runSaveDialog(const SaveDialogRequest& request,
                       std::function<void(std::optional<std::string>)> completion) override;
    void showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion) override;
    void openFileWithApplication(const std::string& path, const std::string& application) override;
    void revealInFileManager(const std::string& path) override;
    void openWebAddress(const std::string& address) override;
    void showRatingPrompt() override;
    std::optional<std::string> desktopDirectory() override;

private:
    // Intakes and joins run here, never on the global pool, so that the
    // destructor can wait for exactly this window's work.
    QThreadPool pool_;
    int ratingPrompts_ = 0;
};

}  // namespace velmora::app
