#pragma once
// The file list: an ordered array of rows with a selection, shown by a table
// view. The selection lives in a QItemSelectionModel shared with the view, so
// what the user selects and what the edit commands read are the same thing.
//
// Selection rules: a row that is added or inserted becomes the selection;
// after a removal the selected rows that remain stay selected, and when none
// remains the row now standing at the removed index (or the new last row) is
// selected.

#include <vector>

#include <QItemSelectionModel>
#include <QObject>

#include "app/FileListModel.h"
#include "join/FileRow.h"

namespace velmora::app {

class FileListController : public QObject {
    Q_OBJECT
public:
    static constexpr int kNoSelection = -1;

    explicit FileListController(QObject* parent = nullptr);

    FileListModel* model() const { return model_; }
    QItemSelectionModel* selectionModel() const { return selection_; }

    const std::vector<FileRow>& rows() const { return model_->rows(); }
    std::vector<int> selectedIndexes() const;  // ascending
    int firstSelectedIndex() const;            // or kNoSelection
    void selectIndexes(const std::vector<int>& indexes);
    int count() const { return static_cast<int>(model_->rows().size()); }

    void appendRow(FileRow row);
    void insertRow(int index, FileRow row);
    void removeRow(int index);
    void removeSelectedRows();
    // Moves the given rows, in their order, so they stand before the row that
    // was at `destination` (count() for the end); they become the selection.
    void moveRows(std::vector<int> indexes, int destination);

    double totalDuration() const;

signals:
    void contentChanged();
    void selectionChanged();

private:
    void selectOnly(int first, int last);

    FileListModel* model_;
    QItemSelectionModel* selection_;
};

}  // namespace velmora::app
