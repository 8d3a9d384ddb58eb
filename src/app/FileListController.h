#pragma once
// The file list: an ordered array of rows with a selection, shown by a table
// view. The selection lives in a QItemSelectionModel shared with the view, so
// what the user selects and what the edit commands read are the same thing.
//
// Selection rules: a row that is added or inserted becomes the selection;
// after a removal the selected rows that remain stay selected, and when none
// remains the row now standing at the removed index (or the new last row) is
// selected.
//
// The window edits the list through the undoable operations (add, remove,
// clear, move); the plain row operations below them are what those steps are
// made of.

#include <vector>

#include <QItemSelectionModel>
#include <QObject>

#include "app/FileListModel.h"
#include "join/intake/FileRow.h"

class QUndoStack;

namespace velmora::app {

class FileListController : public QObject {
    Q_OBJECT
public:
    static constexpr int kNoSelection = -1;

    explicit FileListController(QObject* parent = nullptr);

    FileListModel* model() const { return model_; }
    QItemSelectionModel* selectionModel() const { return selection_; }
    QUndoStack* undoStack() const { return undoStack_; }

    const std::vector<FileRow>& rows() const { return model_->rows(); }
    std::vector<int> selectedIndexes() const;  // ascending
    int firstSelectedIndex() const;            // or kNoSelection
    void selectIndexes(const std::vector<int>& indexes);
    int count() const { return static_cast<int>(model_->rows().size()); }
    double totalDuration() const;

    // Undoable edits.
    // Adds a row at `index` (clamped to the list); the rows of one `batch`
    // (an intake) are undone together.
    void addRow(int index, FileRow row, int batch);
    void removeSelected();
    void clear();
    // Every selected row one place up (or down); a selected row that cannot
    // move keeps the ones behind it in place. The selection stays on them.
    void moveSelectedUp();
    void moveSelectedDown();
    // Moves the given rows, in their order, so they stand before the row that
    // was at `destination` (count() for the end); they become the selection.
    void moveRowsTo(std::vector<int> indexes, int destination);
    // The whole list in natural order of the paths, or by disc and track
    // tags (name order between equal numbers). The selection follows its rows.
    void sortByName();
    void sortByTrackNumber();

    // Plain row operations, not undoable.
    void insertRow(int index, FileRow row);
    void removeRow(int index);
    // Row k becomes the row that was at order[k]; ignored unless `order`
    // names every row once.
    void reorder(const std::vector<int>& order);

signals:
    void contentChanged();
    void selectionChanged();

private:
    void selectOnly(int first, int last);
    void moveSelected(bool up, const QString& text);
    void sortBy(const std::vector<size_t>& sorted, const QString& text);
    void pushReorder(const std::vector<int>& order, const std::vector<int>& selectionAfter, const QString& text);

    FileListModel* model_;
    QItemSelectionModel* selection_;
    QUndoStack* undoStack_;
};

}  // namespace velmora::app
