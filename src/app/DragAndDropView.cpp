#include "app/DragAndDropView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>

namespace velmora::app {

DragAndDropView::DragAndDropView(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("DragAndDropView"));
    setAcceptDrops(true);
}

QList<QUrl> DragAndDropView::droppedFileUrls(const QList<QUrl>& urls)
{
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (!url.isValid() || !url.isLocalFile())
            continue;
        if (!QFileInfo::exists(url.toLocalFile()))
            continue;
        files.append(url);
    }
    return files;
}

QList<QUrl> DragAndDropView::droppedFileUrls(const QMimeData* mime)
{
    return mime && mime->hasUrls() ? droppedFileUrls(mime->urls()) : QList<QUrl>{};
}

bool DragAndDropView::acceptsDropsNow()
{
    // A sheet (progress, dialog or alert) covers the window: the window takes
    // no files until it is gone, just as its buttons take no clicks.
    return QApplication::activeModalWidget() == nullptr;
}

// Takes the drag as a copy, unless a sheet covers the window.
bool DragAndDropView::acceptAsCopy(QDropEvent* event)
{
    if (!acceptsDropsNow()) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void DragAndDropView::dragEnterEvent(QDragEnterEvent* event)
{
    acceptAsCopy(event);
}

void DragAndDropView::dragMoveEvent(QDragMoveEvent* event)
{
    acceptAsCopy(event);
}

void DragAndDropView::dropEvent(QDropEvent* event)
{
    if (acceptAsCopy(event))
        emit filesAddedByDragAndDrop(droppedFileUrls(event->mimeData()));
}

}  // namespace velmora::app
