#pragma once
// The main window: the drop area with the file list, the buttons, the menus
// and the progress sheet. It owns its widgets and tells what the user asks
// for through signals; the controller decides what happens.

#include <QList>
#include <QMainWindow>
#include <QUrl>

class QAction;
class QLabel;
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
    QPushButton* removeButton() const { return removeBTN_; }
    QPushButton* moveUpButton() const { return moveUpBTN_; }
    QPushButton* moveDownButton() const { return moveDownBTN_; }
    QPushButton* joinButton() const { return joinBTN_; }
    QPushButton* helpButton() const { return helpBTN_; }
    QLabel* summary() const { return summary_; }

signals:
    void addRequested();
    void removeRequested();
    void moveUpRequested();
    void moveDownRequested();
    void joinRequested();
    void helpRequested();
    void preferencesRequested();
    void quitRequested();
    void filesDropped(const QList<QUrl>& urls);

private:
    void buildMenus();
    // Buttons and menu items follow the list: editing needs a selection,
    // joining needs rows.
    void updateControls();

    FileListController* list_;
    DragAndDropView* dropView_ = nullptr;
    FileListView* fileList_ = nullptr;
    ProgressSheet* progressSheet_ = nullptr;
    QPushButton* addBTN_ = nullptr;
    QPushButton* removeBTN_ = nullptr;
    QPushButton* moveUpBTN_ = nullptr;
    QPushButton* moveDownBTN_ = nullptr;
    QPushButton* joinBTN_ = nullptr;
    QPushButton* helpBTN_ = nullptr;
    QLabel* summary_ = nullptr;
    QAction* removeAction_ = nullptr;
    QAction* moveUpAction_ = nullptr;
    QAction* moveDownAction_ = nullptr;
    QAction* joinAction_ = nullptr;
};

}  // namespace velmora::app
