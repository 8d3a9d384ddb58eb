#pragma once
// The table of the file list. Rows are reordered by dragging them within the
// table; files and folders dropped from outside go to the intake, to be
// inserted where they were dropped. While something is dragged over the
// list, a line shows where it would go, and a drop from outside lights the
// list up. Tab and Shift+Tab leave the list for the window's other controls.

#include <QList>
#include <QTableView>
#include <QUrl>

class QMimeData;

namespace velmora::app {

class FileListController;

class FileListView : public QTableView {
    Q_OBJECT
public:
    explicit FileListView(FileListController* controller, QWidget* parent = nullptr);

    // The drag data of the selected rows, as a drag out of this list carries it.
    QMimeData* selectedRowsMimeData() const;
    // The row index the dragged rows would be placed before, for a drop at `pos`.
    int dropDestination(const QPoint& pos) const;
    // A drop at `pos`: rows of this list are moved there, files from outside
    // go to the intake. Returns what was done (IgnoreAction: refused).
    Qt::DropAction takeDrop(const QMimeData* mime, const QPoint& pos);

    // While a drag hovers: the row the drop line stands before (-1: none),
    // and whether a drop from outside lights the list up.
    int dropIndicatorRow() const { return indicatorRow_; }
    bool isDropHighlighted() const { return highlighted_; }

    // The Name column can be resized by hand; it also takes up whatever the
    // rows' area gains or loses in width. On the first showing it fills the width
    // the other columns leave, unless told not to (widths restored).
    void setFitNameColumnOnFirstShow(bool fit) { fitNameColumn_ = fit; }
    // The Name column's width as it would be with the list empty: the row
    // numbers and the scroll bar take their width from it as rows come, and
    // the list starts empty, so this is the width to keep.
    int nameColumnWidthWhenEmpty() const;

signals:
    // Files (and folders) dropped on the list from outside, to be inserted before `row`.
    void filesDropped(const QList<QUrl>& urls, int row);
    // A context menu asked for over the rows, at a global position.
    void contextMenuRequestedAt(const QPoint& globalPos);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    bool isRowDrag(const QMimeData* mime) const;
    void showDropState(int row, bool highlighted);
    void fitNameColumn(const QResizeEvent& event);

    FileListController* controller_;
    int indicatorRow_ = -1;
    bool highlighted_ = false;
    bool fitNameColumn_ = true;
    int roomTakenWhenEmpty_ = -1;  // the frame, row numbers and scroll bar around an empty list's rows
};

}  // namespace velmora::app
