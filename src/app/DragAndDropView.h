#pragma once
// The window's drop area: takes files and folders dropped from a file manager
// and hands them on with filesAddedByDragAndDrop (the intake expands folders,
// away from the window's thread). Anything that is not a local file or folder
// is left out; the signal comes even when nothing usable remains.

#include <QFrame>
#include <QList>
#include <QUrl>

class QMimeData;

namespace velmora::app {

class DragAndDropView : public QFrame {
    Q_OBJECT
public:
    explicit DragAndDropView(QWidget* parent = nullptr);

    // The files and folders of a drop, in the order given: local ones that exist.
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
