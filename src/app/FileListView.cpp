#include "app/FileListView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>

#include "app/ArrayController.h"
#include "app/DragAndDropView.h"

namespace velmora::app {
namespace {

const QString kRowsMimeType = QStringLiteral("application/x-velmora-row-indexes");

}  // namespace

FileListView::FileListView(ArrayController* controller, QWidget* parent) : QTableView(parent), controller_(controller)
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

void FileListView::startDrag(Qt::DropActions)
{
    const auto rows = controller_->selectionIndexes();
    if (rows.empty())
        return;
    QStringList texts;
    for (int r : rows)
        texts << QString::number(r);
    auto* mime = new QMimeData;
    mime->setData(kRowsMimeType, texts.join(QLatin1Char(',')).toLatin1());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // The drop handler moves the rows itself; nothing is removed here afterwards.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

bool FileListView::isRowDrag(const QDropEvent* event) const
{
    return event->source() == this && event->mimeData()->hasFormat(kRowsMimeType);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!isRowDrag(event) && !DragAndDropView::acceptsDropsNow()) {
        event->ignore();
        return;
    }
    setState(QAbstractItemView::DraggingState);
    event->setDropAction(isRowDrag(event) ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (isRowDrag(event)) {
        // Let the view draw its drop indicator and scroll, but keep the move ours.
        QTableView::dragMoveEvent(event);
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    if (!DragAndDropView::acceptsDropsNow()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

int FileListView::dropDestination(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return controller_->count();
    const QRect rect = visualRect(index);
    return pos.y() < rect.center().y() ? index.row() : index.row() + 1;
}

void FileListView::dropEvent(QDropEvent* event)
{
    setState(QAbstractItemView::NoState);
    if (isRowDrag(event)) {
        std::vector<int> rows;
        for (const QByteArray& part : event->mimeData()->data(kRowsMimeType).split(',')) {
            bool ok = false;
            const int r = part.toInt(&ok);
            if (ok)
                rows.push_back(r);
        }
        controller_->moveRows(rows, dropDestination(event->position().toPoint()));
        event->setDropAction(Qt::MoveAction);
        event->accept();
        viewport()->update();
        return;
    }
    if (!DragAndDropView::acceptsDropsNow()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DragAndDropView::performDrop(event->mimeData());
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
