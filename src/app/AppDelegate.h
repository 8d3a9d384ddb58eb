#pragma once
// The application controller: owns the main window, the file list and the
// background work, runs every action the window asks for, and is the window
// side of the join engine (posting to the main thread, the sheet, dialogs,
// messages and desktop actions).

#include <optional>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>

#include "join/AlbumMetadata.h"
#include "join/Intake.h"
#include "join/JoinControl.h"
#include "join/WindowHost.h"

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

    // Where the desktop notification of a long join goes: the session bus
    // unless set otherwise, and after how many seconds a join is long.
    std::optional<QDBusConnection> notificationBus;
    double notifyAfterSeconds;
    // Whether the user looks at the window now: Velmora has one window (with
    // its sheets and dialogs), so whether the application is the active one.
    std::function<bool()> windowSeen;

    // How many times the store's rating prompt was asked for (a no-op here).
    int ratingPromptCount() const { return ratingPrompts_; }
    // How many desktop notifications were sent.
    int notificationCount() const { return notifications_; }
    // The title, artist, album and cover the user set in Details, as the next
    // join gets them.
    const MetadataOverrides& outputDetails() const { return outputDetails_; }
    // The note of the last intake that skipped files, while it is open.
    QMessageBox* skippedFilesNote() const { return skippedNote_; }

    // Starts an intake of the given files and folders in the background,
    // inserting the rows before `row` (-1: at the end); returns at once.
    void addFiles(const QList<QUrl>& urls, int row = -1);
    // Waits (running the event loop) until no intake or join work is left.
    bool waitForBackgroundWork(int timeoutMs);

    // The help dialog's message: "Rate App" and "Check out my other Apps"
    // only when there is a web page for them to open.
    static MessageRequest helpMessage(const std::string& webPage);

public slots:
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void filesAddedByDragAndDrop(const QList<QUrl>& urls, int row = -1);
    void addBTNClicked();
    void removeBTNClicked();
    void moveUpBTNClicked();
    void moveDownBTNClicked();
    void clearListClicked();
    void showInFolderClicked();
    void playClicked();
    void joinBTNClicked();
    // Edit > Details: the joined file's title, artist, album and cover.
    void detailsClicked();
    void sortByNameClicked();
    void sortByTrackNumberClicked();
    void helpBTNClicked();
    void shortcutsClicked();
    void aboutClicked();
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
                       std::function<void(std::optional<SaveDialogAnswer>)> completion) override;
    void showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion) override;
    bool openFile(const std::string& path) override;
    void revealInFileManager(const std::string& path) override;
    void openWebAddress(const std::string& address) override;
    void showRatingPrompt() override;
    std::optional<std::string> desktopDirectory() override;

private:
    void showSkippedFiles(const std::vector<SkippedFile>& skipped);
    void notifyIfUnseen(const JoinOutcome& outcome);
    QStringList selectedPaths() const;

    // Intakes and joins run here, never on the global pool, so that the
    // destructor can wait for exactly this window's work.
    QThreadPool pool_;
    int ratingPrompts_ = 0;
    int notifications_ = 0;
    int intakeBatch_ = 0;
    QElapsedTimer joinTimer_;
    QPointer<QMessageBox> skippedNote_;
    MetadataOverrides outputDetails_;
};

}  // namespace velmora::app
