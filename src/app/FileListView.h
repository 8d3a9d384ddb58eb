#pragma once
// The table of the file list. Rows are reordered by dragging them within the
// table; files dropped from outside go to the drop area's intake.

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

signals:
    // Files dropped on the list from outside.
    void filesDropped(const QList<QUrl>& urls);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isRowDrag(const QMimeData* mime) const;

    FileListController* controller_;
};

}  // namespace velmora::app
