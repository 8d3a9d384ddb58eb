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
class MainWindow;
class WindowJoinHost;

class AppDelegate : public QObject {
    Q_OBJECT
public:
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
    // The title, artist, album and cover the user set in Details, as the next
    // join gets them.
    MetadataOverrides outputDetails_;
};

}  // namespace velmora::app
