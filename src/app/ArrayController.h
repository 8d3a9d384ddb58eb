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

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QObject>

#include "join/FileRow.h"

namespace velmora::app {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { nameColumn, durationColumn, codecColumn, mediaTypeColumn, sizeColumn, columnCount_ };

    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;

    const std::vector<FileRow>& rows() const { return rows_; }
    void insertRow(int index, FileRow row);
    void removeRowAt(int index);

private:
    std::vector<FileRow> rows_;
};

class ArrayController : public QObject {
    Q_OBJECT
public:
    static constexpr int kNoSelection = -1;

    explicit ArrayController(QObject* parent = nullptr);

    FileListModel* model() const { return model_; }
    QItemSelectionModel* selectionModel() const { return selection_; }

    const std::vector<FileRow>& arrangedObjects() const { return model_->rows(); }
    std::vector<FileRow> selectedObjects() const;
    std::vector<int> selectionIndexes() const;  // ascending
    int selectionIndex() const;                 // first selected row, or kNoSelection
    void setSelectionIndexes(const std::vector<int>& rows);
    int count() const { return static_cast<int>(model_->rows().size()); }

    void addObject(FileRow row);
    void remove();  // every selected row
    void removeObjectAtArrangedObjectIndex(int index);
    void insertObjectAtArrangedObjectIndex(FileRow row, int index);
    // Moves the given rows, in their order, so they stand before the row that
    // was at `destination` (count() for the end); they become the selection.
    void moveRows(std::vector<int> rows, int destination);

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
