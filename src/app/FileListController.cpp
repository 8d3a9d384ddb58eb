#include "app/FileListController.h"

#include <algorithm>
#include <set>


namespace velmora::app {

FileListController::FileListController(QObject* parent)
    : QObject(parent), model_(new FileListModel(this)), selection_(new QItemSelectionModel(model_, this))
{
    connect(selection_, &QItemSelectionModel::selectionChanged, this, &FileListController::selectionChanged);
}

std::vector<int> FileListController::selectedIndexes() const
{
    std::set<int> rows;
    for (const QItemSelectionRange& range : selection_->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            if (r >= 0 && r < count())
                rows.insert(r);
        }
    }
    return {rows.begin(), rows.end()};
}

int FileListController::firstSelectedIndex() const
{
    const auto rows = selectedIndexes();
    return rows.empty() ? kNoSelection : rows.front();
}

void FileListController::selectIndexes(const std::vector<int>& indexes)
{
    QItemSelection selection;
    for (int r : indexes) {
        if (r >= 0 && r < count())
            selection.select(model_->index(r, 0), model_->index(r, model_->columnCount() - 1));
    }
    selection_->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!indexes.empty() && indexes.front() >= 0 && indexes.front() < count())
        selection_->setCurrentIndex(model_->index(indexes.front(), 0), QItemSelectionModel::NoUpdate);
}

void FileListController::selectOnly(int first, int last)
{
    std::vector<int> indexes;
    for (int r = first; r <= last; ++r)
        indexes.push_back(r);
    selectIndexes(indexes);
}

void FileListController::appendRow(FileRow row)
{
    insertRow(count(), std::move(row));
}

void FileListController::insertRow(int index, FileRow row)
{
    index = std::clamp(index, 0, count());
    model_->insertRow(index, std::move(row));
    selectOnly(index, index);
    emit contentChanged();
}

void FileListController::removeRow(int index)
{
    if (index < 0 || index >= count())
        return;
    model_->removeRowAt(index);
    if (selectedIndexes().empty() && count() > 0)
        selectOnly(std::min(index, count() - 1), std::min(index, count() - 1));
    emit contentChanged();
}

void FileListController::removeSelectedRows()
{
    const auto rows = selectedIndexes();
    // From the bottom up, so the indexes still to remove stay valid.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        removeRow(*it);
}

void FileListController::moveRows(std::vector<int> indexes, int destination)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    std::erase_if(indexes, [this](int r) { return r < 0 || r >= count(); });
    if (indexes.empty())
        return;
    destination = std::clamp(destination, 0, count());
    std::vector<FileRow> taken;
    for (int r : indexes)
        taken.push_back(rows()[static_cast<size_t>(r)]);
    const int before =
        static_cast<int>(std::count_if(indexes.begin(), indexes.end(), [&](int r) { return r < destination; }));
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
        model_->removeRowAt(*it);
    const int at = destination - before;
    for (size_t k = 0; k < taken.size(); ++k)
        model_->insertRow(at + static_cast<int>(k), std::move(taken[k]));
    selectOnly(at, at + static_cast<int>(taken.size()) - 1);
    emit contentChanged();
}

double FileListController::totalDuration() const
{
    double total = 0.0;
    for (const FileRow& row : rows())
        total += row.duration;
    return total;
}

}  // namespace velmora::app
