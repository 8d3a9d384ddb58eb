#pragma once
// The window's drop area: takes files dropped from a file manager and hands
// them on with filesAddedByDragAndDrop. Folders and anything that is not a
// local file are left out; the signal comes even when nothing usable remains.

#include <QFrame>
#include <QList>
#include <QUrl>

class QMimeData;

namespace velmora::app {

class DragAndDropView : public QFrame {
    Q_OBJECT
public:
    explicit DragAndDropView(QWidget* parent = nullptr);

    // The files of a drop, in the order given: local files that exist and are not folders.
    static QList<QUrl> droppedFileUrls(const QList<QUrl>& urls);
    // The files a drop carries.
    static QList<QUrl> droppedFileUrls(const QMimeData* mime);
    // Whether the window can take a drop now (no dialog or sheet is open on it).
    static bool acceptsDropsNow();
    static bool acceptAsCopy(QDropEvent* event);

signals:
    void filesAddedByDragAndDrop(const QList<QUrl>& urls);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace velmora::app
