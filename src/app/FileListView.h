#pragma once
// The table of the file list. Rows are reordered by dragging them within the
// table; files dropped from outside go to the drop area's intake.

#include <QTableView>

namespace velmora::app {

class ArrayController;

class FileListView : public QTableView {
    Q_OBJECT
public:
    explicit FileListView(ArrayController* controller, QWidget* parent = nullptr);

    // The row index the dragged rows would be placed before, for a drop at `pos`.
    int dropDestination(const QPoint& pos) const;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isRowDrag(const QDropEvent* event) const;

    ArrayController* controller_;
};

}  // namespace velmora::app
