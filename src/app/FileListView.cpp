#include "app/FileListView.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>

#include "app/FileListController.h"
#include "app/DragAndDropView.h"

namespace velmora::app {
namespace {

const QString kRowsMimeType = QStringLiteral("application/x-velmora-row-indexes");
const QString kRowsSourceMimeType = QStringLiteral("application/x-velmora-row-source");

QByteArray sourceTag(const FileListView* view)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(view));
}

}  // namespace

FileListView::FileListView(FileListController* controller, QWidget* parent) : QTableView(parent), controller_(controller)
{
    setModel(controller->model());
    QItemSelectionModel* own = selectionModel();
    setSelectionModel(controller->selectionModel());
    delete own;
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
}

QMimeData* FileListView::selectedRowsMimeData() const
{
    QStringList texts;
    for (int r : controller_->selectedIndexes())
        texts << QString::number(r);
    auto* mime = new QMimeData;
    mime->setData(kRowsMimeType, texts.join(QLatin1Char(',')).toLatin1());
    mime->setData(kRowsSourceMimeType, sourceTag(this));
    return mime;
}

void FileListView::startDrag(Qt::DropActions)
{
    if (controller_->selectedIndexes().empty())
        return;
    QMimeData* mime = selectedRowsMimeData();
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // The drop handler moves the rows itself; nothing is removed here afterwards.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

bool FileListView::isRowDrag(const QMimeData* mime) const
{
    // Rows dragged out of this very list (and nowhere else).
    return mime && mime->hasFormat(kRowsMimeType) && mime->data(kRowsSourceMimeType) == sourceTag(this);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!isRowDrag(event->mimeData()) && !DragAndDropView::acceptsDropsNow()) {
        event->ignore();
        return;
    }
    setState(QAbstractItemView::DraggingState);
    event->setDropAction(isRowDrag(event->mimeData()) ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (isRowDrag(event->mimeData())) {
        // Let the view draw its drop indicator and scroll, but keep the move ours.
        QTableView::dragMoveEvent(event);
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    DragAndDropView::acceptAsCopy(event);
}

int FileListView::dropDestination(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return controller_->count();
    const QRect rect = visualRect(index);
    return pos.y() < rect.center().y() ? index.row() : index.row() + 1;
}

Qt::DropAction FileListView::takeDrop(const QMimeData* mime, const QPoint& pos)
{
    if (isRowDrag(mime)) {
        std::vector<int> rows;
        for (const QByteArray& part : mime->data(kRowsMimeType).split(',')) {
            bool ok = false;
            const int r = part.toInt(&ok);
            if (ok)
                rows.push_back(r);
        }
        controller_->moveRows(rows, dropDestination(pos));
        viewport()->update();
        return Qt::MoveAction;
    }
    if (!DragAndDropView::acceptsDropsNow())
        return Qt::IgnoreAction;
    emit filesDropped(DragAndDropView::droppedFileUrls(mime));
    return Qt::CopyAction;
}

void FileListView::dropEvent(QDropEvent* event)
{
    setState(QAbstractItemView::NoState);
    const Qt::DropAction action = takeDrop(event->mimeData(), event->position().toPoint());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void FileListView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (model() && model()->rowCount() == 0) {
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * 1.25);
        painter.setFont(font);
        painter.drawText(viewport()->rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap,
                         tr("Drop audio files here, or press Add to choose them."));
    }
}

}  // namespace velmora::app
