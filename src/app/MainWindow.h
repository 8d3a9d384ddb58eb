#pragma once
// The main window: the drop area with the file list, the buttons, the menus,
// the rows' context menu and the progress sheet. It owns its widgets, keeps
// its size, place and column widths in the settings, and tells what the user
// asks for through signals; the controller decides what happens.

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QUrl>

#include "app/ElidedLabel.h"

class QAction;
class QDockWidget;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;

namespace velmora::app {

class DragAndDropView;
class FileListController;
class FileListView;
class ProgressSheet;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(FileListController* list, QWidget* parent = nullptr);

    DragAndDropView* dropView() const { return dropView_; }
    FileListView* fileList() const { return fileList_; }
    ProgressSheet* progressSheet() const { return progressSheet_; }
    QPushButton* addButton() const { return addBTN_; }
    QPushButton* addFolderButton() const { return addFolderBTN_; }
    QPushButton* removeButton() const { return removeBTN_; }
    QPushButton* moveUpButton() const { return moveUpBTN_; }
    QPushButton* moveDownButton() const { return moveDownBTN_; }
    QPushButton* joinButton() const { return joinBTN_; }
    QPushButton* addToQueueButton() const { return addToQueueBTN_; }
    // Docks the Jobs panel at the bottom, hidden, with View > Jobs to show it.
    void setJobsPanel(QDockWidget* panel);
    QPushButton* detailsButton() const { return detailsBTN_; }
    QPushButton* helpButton() const { return helpBTN_; }
    QLabel* summary() const { return summary_; }

    // The menu item with this object name ("quitAction", "undoAction", ...).
    QAction* action(const QString& name) const;
    // The context menu of the selected rows.
    QMenu* rowMenu() const { return rowMenu_; }
    // File > Open Recent lists these playlists, newest first.
    void setRecentLists(const QStringList& paths);
    // Every command with its shortcuts, as the Keyboard Shortcuts window lists them.
    QList<std::pair<QString, QString>> shortcutList() const;

    // The size of a first window on a screen of this size: the usual size,
    // made smaller where it would take more than 80 % of it.
    static QSize firstWindowSize(const QSize& available);
    // Size, place and column widths to the settings, and back.
    void saveWindowState() const;
    void restoreWindowState();

signals:
    void addRequested();
    void addFolderRequested();
    void openListRequested();
    void openRecentRequested(const QString& path);
    void saveListRequested();
    void removeRequested();
    void moveUpRequested();
    void moveDownRequested();
    void clearRequested();
    void showInFolderRequested();
    void playRequested();
    void joinRequested();
    void addToQueueRequested();
    void joinEachFolderRequested();
    void detailsRequested();
    void sortByNameRequested();
    void sortByTrackNumberRequested();
    void helpRequested();
    void shortcutsRequested();
    void aboutRequested();
    void preferencesRequested();
    void quitRequested();
    // Files or folders dropped on the window, to be inserted before `row` (-1: at the end).
    void filesDropped(const QList<QUrl>& urls, int row);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    QAction* addAction(QMenu* menu, const QString& text, const QString& name, void (MainWindow::*signal)());
    void keepAction(QAction* action, const QString& name);
    void setColumnWidths();
    // Buttons and menu items follow the list: editing needs a selection,
    // joining needs rows, sorting needs two.
    void updateControls();
    void placeStatusLine();
    // The buttons on the right (Help to Join…) go up beside the status line
    // when one row cannot hold all the buttons; back when it can.
    void placeRightButtons();

    FileListController* list_;
    DragAndDropView* dropView_ = nullptr;
    FileListView* fileList_ = nullptr;
    ProgressSheet* progressSheet_ = nullptr;
    QPushButton* addBTN_ = nullptr;
    QPushButton* addFolderBTN_ = nullptr;
    QPushButton* removeBTN_ = nullptr;
    QPushButton* moveUpBTN_ = nullptr;
    QPushButton* moveDownBTN_ = nullptr;
    QPushButton* joinBTN_ = nullptr;
    QPushButton* addToQueueBTN_ = nullptr;
    QPushButton* detailsBTN_ = nullptr;
    QPushButton* helpBTN_ = nullptr;
    ElidedLabel* summary_ = nullptr;
    QHBoxLayout* buttonsRow_ = nullptr;
    QHBoxLayout* statusRow_ = nullptr;
    bool rightButtonsUp_ = false;
    QMenu* rowMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QHash<QString, QAction*> actions_;  // by object name
    QList<QAction*> shortcutActions_;   // in menu order, for the shortcut list
};

}  // namespace velmora::app
