#include "app/FileListView.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>

#include "app/DragAndDropView.h"
#include "app/FileListController.h"

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
    // The view's own indicator marks one cell; the line drawn here spans the row.
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    // Tab moves to the next control of the window, not to the next cell.
    setTabKeyNavigation(false);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setCornerButtonEnabled(false);
    // Only Title cells are editable: a double-click or F2 (see keyPressEvent) renames the chapter.
    setEditTriggers(QAbstractItemView::DoubleClicked);
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
    showDropState(-1, false);
}

bool FileListView::isRowDrag(const QMimeData* mime) const
{
    // Rows dragged out of this very list (and nowhere else).
    return mime && mime->hasFormat(kRowsMimeType) && mime->data(kRowsSourceMimeType) == sourceTag(this);
}

void FileListView::showDropState(int row, bool highlighted)
{
    if (row == indicatorRow_ && highlighted == highlighted_)
        return;
    indicatorRow_ = row;
    highlighted_ = highlighted;
    viewport()->update();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    const bool rows = isRowDrag(event->mimeData());
    if (!rows && !DragAndDropView::acceptsDropsNow()) {
        event->ignore();
        return;
    }
    setState(QAbstractItemView::DraggingState);
    event->setDropAction(rows ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    showDropState(dropDestination(event->position().toPoint()), !rows);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (isRowDrag(event->mimeData())) {
        // Let the view scroll near the edges, but keep the move ours.
        QTableView::dragMoveEvent(event);
        event->setDropAction(Qt::MoveAction);
        event->accept();
        showDropState(dropDestination(pos), false);
        return;
    }
    if (DragAndDropView::acceptAsCopy(event))
        showDropState(dropDestination(pos), true);
    else
        showDropState(-1, false);
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTableView::dragLeaveEvent(event);
    showDropState(-1, false);
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
    showDropState(-1, false);
    if (isRowDrag(mime)) {
        std::vector<int> rows;
        for (const QByteArray& part : mime->data(kRowsMimeType).split(',')) {
            bool ok = false;
            const int r = part.toInt(&ok);
            if (ok)
                rows.push_back(r);
        }
        controller_->moveRowsTo(rows, dropDestination(pos));
        return Qt::MoveAction;
    }
    if (!DragAndDropView::acceptsDropsNow())
        return Qt::IgnoreAction;
    emit filesDropped(DragAndDropView::droppedFileUrls(mime), dropDestination(pos));
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

void FileListView::keyPressEvent(QKeyEvent* event)
{
    // Shift+F10 is the menu key's stand-in; Qt only maps the Menu key itself.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        contextMenuEvent(&menu);
        return;
    }
    // F2 renames the current row's chapter, whichever cell is current.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && currentIndex().isValid() &&
        state() != QAbstractItemView::EditingState) {
        const QModelIndex title = model()->index(currentIndex().row(), FileListModel::titleColumn);
        setCurrentIndex(title);
        edit(title);
        return;
    }
    QTableView::keyPressEvent(event);
}

void FileListView::contextMenuEvent(QContextMenuEvent* event)
{
    // From the keyboard (the Menu key, Shift+F10) the menu opens at the current row.
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex index = keyboard ? currentIndex() : indexAt(event->pos());
    if (!index.isValid()) {
        event->ignore();
        return;
    }
    // The menu acts on the selection; a click outside it selects that row.
    const auto selected = controller_->selectedIndexes();
    if (std::find(selected.begin(), selected.end(), index.row()) == selected.end())
        controller_->selectIndexes({index.row()});
    const QPoint at = keyboard ? viewport()->mapToGlobal(visualRect(index).center()) : event->globalPos();
    emit contextMenuRequestedAt(at);
    event->accept();
}

bool FileListView::viewportEvent(QEvent* event)
{
    // The viewport, not the view: a scroll bar or a wider row-number column
    // coming or going changes the room for the columns too.
    if (event->type() == QEvent::Resize)
        fitNameColumn(*static_cast<QResizeEvent*>(event));
    return QTableView::viewportEvent(event);
}

int FileListView::nameColumnWidthWhenEmpty() const
{
    const int name = horizontalHeader()->sectionSize(FileListModel::nameColumn);
    if (roomTakenWhenEmpty_ < 0)
        return name;
    // What the row numbers and the scroll bar take now beyond that, the Name column gave.
    return name + (width() - viewport()->width()) - roomTakenWhenEmpty_;
}

void FileListView::fitNameColumn(const QResizeEvent& event)
{
    QHeaderView* header = horizontalHeader();
    const int name = FileListModel::nameColumn;
    const int smallest = header->minimumSectionSize() * 3;
    if (event.oldSize().width() <= 0) {
        if (model() && model()->rowCount() == 0)
            roomTakenWhenEmpty_ = width() - event.size().width();
        if (!fitNameColumn_)
            return;
        fitNameColumn_ = false;
        int others = 0;
        for (int c = 0; c < header->count(); ++c)
            others += c == name ? 0 : header->sectionSize(c);
        header->resizeSection(name, std::max(smallest, event.size().width() - others));
        return;
    }
    const int delta = event.size().width() - event.oldSize().width();
    if (delta != 0)
        header->resizeSection(name, std::max(smallest, header->sectionSize(name) + delta));
}

void FileListView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    if (model() && model()->rowCount() == 0) {
        painter.save();
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * 1.25);
        painter.setFont(font);
        painter.drawText(viewport()->rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap,
                         tr("Drop audio files or folders here, or press Add to choose them."));
        painter.restore();
    }
    const QColor accent = palette().color(QPalette::Highlight);
    if (highlighted_) {
        painter.setPen(QPen(accent, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(viewport()->rect().adjusted(1, 1, -2, -2));
    }
    if (indicatorRow_ >= 0) {
        // The line between the rows the drop would go between.
        const int rows = model() ? model()->rowCount() : 0;
        int y = 2;
        if (rows > 0 && indicatorRow_ < rows)
            y = rowViewportPosition(indicatorRow_);
        else if (rows > 0)
            y = rowViewportPosition(rows - 1) + rowHeight(rows - 1) - 1;
        // A light edge on both sides keeps the line visible next to a
        // selected row, which has the same colour.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Base), 6));
        painter.drawLine(QPoint(6, y), QPoint(viewport()->width(), y));
        painter.setPen(QPen(accent, 2));
        painter.drawLine(QPoint(6, y), QPoint(viewport()->width(), y));
        painter.setPen(QPen(palette().color(QPalette::Base), 2));
        painter.setBrush(accent);
        painter.drawEllipse(QPoint(6, y), 5, 5);
    }
}

}  // namespace velmora::app
