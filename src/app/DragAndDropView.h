#pragma once
// The window's drop area: takes files dropped from a file manager and posts
// them as "FilesAddedByDragAndDrop" (URLs under "key") through the default
// notification centre. Folders and anything that is not a local file are left
// out; the notification is posted even when nothing usable remains.

#include <QFrame>
#include <QList>
#include <QUrl>

class QMimeData;

namespace velmora::app {

inline constexpr const char* kFilesAddedByDragAndDrop = "FilesAddedByDragAndDrop";
inline constexpr const char* kDroppedFilesKey = "key";

class DragAndDropView : public QFrame {
    Q_OBJECT
public:
    explicit DragAndDropView(QWidget* parent = nullptr);

    // The files of a drop, in the order given: local files that exist and are not folders.
    static QList<QUrl> droppedFileUrls(const QList<QUrl>& urls);
    // Collects the files of a drop and posts the notification.
    static void performDrop(const QMimeData* mime);
    // Whether the window can take a drop now (no dialog or sheet is open on it).
    static bool acceptsDropsNow();
    static bool acceptAsCopy(QDropEvent* event);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace velmora::app
