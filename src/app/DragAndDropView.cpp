#include "app/DragAndDropView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>

#include "app/NotificationCenter.h"

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
        const QFileInfo info(url.toLocalFile());
        if (!info.exists() || info.isDir())
            continue;
        files.append(url);
    }
    return files;
}

void DragAndDropView::performDrop(const QMimeData* mime)
{
    const QList<QUrl> files = mime && mime->hasUrls() ? droppedFileUrls(mime->urls()) : QList<QUrl>{};
    NotificationCenter::defaultCenter().post(QString::fromLatin1(kFilesAddedByDragAndDrop),
                                             {{QString::fromLatin1(kDroppedFilesKey), QVariant::fromValue(files)}});
}

bool DragAndDropView::acceptsDropsNow()
{
    // A sheet (progress, dialog or alert) covers the window: the window takes
    // no files until it is gone, just as its buttons take no clicks.
    return QApplication::activeModalWidget() == nullptr;
}

void DragAndDropView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!acceptsDropsNow()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DragAndDropView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptsDropsNow()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DragAndDropView::dropEvent(QDropEvent* event)
{
    if (!acceptsDropsNow()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    performDrop(event->mimeData());
}

}  // namespace velmora::app
