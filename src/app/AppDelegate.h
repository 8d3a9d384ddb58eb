#pragma once
// The application controller: owns the main window and the file list, and
// runs every action the window asks for. The join engine's side of the
// window is WindowJoinHost; adding files is IntakeController's.

#include <memory>

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QUrl>

#include "app/DesktopNotification.h"
#include "join/metadata/AlbumMetadata.h"

namespace velmora::app {

class FileListController;
class IntakeController;
class JobsController;
class JobsPanel;
class LoudnessMeter;
class MainWindow;
class WindowJoinHost;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    JobsController& jobs() { return *jobs_; }
    JobsPanel* jobsPanel() const { return jobsPanel_; }
    // `notice`: where and when the desktop notification of a long join goes.
    explicit AppDelegate(JoinNotice notice = {}, QObject* parent = nullptr);
    ~AppDelegate() override;

    void showWindow();
    // Starts an intake of the given files and folders in the background,
    // inserting the rows before `row` (-1: at the end); returns at once.
    void addFiles(const QList<QUrl>& urls, int row = -1);

public slots:
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void filesAddedByDragAndDrop(const QList<QUrl>& urls, int row = -1);
    void addBTNClicked();
    // File > Add Folder…: the media files of a folder and its subfolders, in natural order.
    void addFolderClicked();
    // File > Open List…, and Open Recent: a playlist's entries, in its order.
    void openListClicked();
    void openList(const QString& path);
    // File > Save List As…: the list as an M3U8 playlist.
    void saveListClicked();
    void removeBTNClicked();
    void moveUpBTNClicked();
    void moveDownBTNClicked();
    void clearListClicked();
    void showInFolderClicked();
    void playClicked();
    void joinBTNClicked();
    // Add to Queue: the save dialog with its "Add to Queue" box checked; the
    // join waits in the Jobs panel with its own copy of the list.
    void addToQueueClicked();
    // File > Join Each Folder…: a root folder, the books found below it, one queued job per book.
    void joinEachFolderClicked();
    // Edit > Details: the joined file's title, artist, album and cover.
    void detailsClicked();
    void sortByNameClicked();
    void sortByTrackNumberClicked();
    void helpBTNClicked();
    void shortcutsClicked();
    void aboutClicked();
    // Edit > Preferences: the quality of the lossy output formats and the sound, kept in the settings store.
    void preferencesClicked();
    void cancelBTNClicked();

private:
    void postToMain(std::function<void()> task);
    void stopBackgroundWork();
    QString firstSelectedPath() const;

    // Intakes, joins and the dialogs' background reads run here, never on the
    // global pool, so that the destructor can wait for exactly this window's work.
    QThreadPool pool_;
    FileListController* list_;
    MainWindow* window_;  // owned here: a top-level widget has no parent
    std::unique_ptr<WindowJoinHost> joinHost_;
    std::unique_ptr<IntakeController> intake_;
    std::unique_ptr<JobsController> jobs_;
    JobsPanel* jobsPanel_ = nullptr;
    // The title, artist, album and cover the user set in Details, as the next
    // join gets them.
    MetadataOverrides outputDetails_;
    std::unique_ptr<LoudnessMeter> meter_;  // the list's Loudness column
};

}  // namespace velmora::app
