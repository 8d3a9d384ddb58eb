#include "app/FileListController.h"

#include <algorithm>
#include <numeric>
#include <set>

#include <QUndoStack>

#include "app/ListEditCommands.h"
#include "join/intake/RowOrder.h"

namespace velmora::app {
namespace {

constexpr int kUndoLimit = 200;

}  // namespace

FileListController::FileListController(QObject* parent)
    : QObject(parent),
      model_(new FileListModel(this)),
      selection_(new QItemSelectionModel(model_, this)),
      undoStack_(new QUndoStack(this))
{
    undoStack_->setUndoLimit(kUndoLimit);
    connect(selection_, &QItemSelectionModel::selectionChanged, this, &FileListController::selectionChanged);
    connect(model_, &FileListModel::chapterTitleEdited, this, [this](int row, const QString& title) {
        std::optional<std::string> after;
        if (!title.trimmed().isEmpty())
            after = title.toStdString();
        undoStack_->push(new ChapterTitleCommand(*this, row, rows()[static_cast<size_t>(row)].metadata.chapterTitle,
                                                 std::move(after), tr("Rename Chapter")));
        emit contentChanged();
    });
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

double FileListController::totalDuration() const
{
    double total = 0.0;
    for (const FileRow& row : rows())
        total += row.duration;
    return total;
}

// Undoable edits.

void FileListController::addRow(int index, FileRow row, int batch)
{
    index = std::clamp(index, 0, count());
    RowsCommand::Entries entries;
    entries.emplace_back(index, std::move(row));
    undoStack_->push(new RowsCommand(*this, RowsCommand::Kind::add, std::move(entries), tr("Add Files"), batch));
}

void FileListController::removeSelected()
{
    RowsCommand::Entries entries;
    for (int r : selectedIndexes())
        entries.emplace_back(r, rows()[static_cast<size_t>(r)]);
    if (!entries.empty())
        undoStack_->push(new RowsCommand(*this, RowsCommand::Kind::remove, std::move(entries), tr("Remove")));
}

void FileListController::clear()
{
    RowsCommand::Entries entries;
    for (int r = 0; r < count(); ++r)
        entries.emplace_back(r, rows()[static_cast<size_t>(r)]);
    if (!entries.empty())
        undoStack_->push(new RowsCommand(*this, RowsCommand::Kind::remove, std::move(entries), tr("Clear List")));
}

void FileListController::pushReorder(const std::vector<int>& order, const std::vector<int>& selectionAfter,
                                     const QString& text)
{
    std::vector<int> unchanged(order.size());
    std::iota(unchanged.begin(), unchanged.end(), 0);
    if (order == unchanged)
        return;  // nothing moves: no step to undo
    undoStack_->push(new ReorderCommand(*this, order, selectedIndexes(), selectionAfter, text));
}

void FileListController::moveSelected(bool up, const QString& text)
{
    std::vector<int> order(static_cast<size_t>(count()));
    std::iota(order.begin(), order.end(), 0);
    std::vector<char> selected(order.size(), false);
    for (int r : selectedIndexes())
        selected[static_cast<size_t>(r)] = true;
    // A selected row trades places with the unselected row next to it on the
    // way; one that has a selected row (or the end) there stays. Walking from
    // the end it moves towards lets a block of selected rows move as one.
    const size_t n = order.size();
    for (size_t step = 1; step < n; ++step) {
        const size_t i = up ? step : n - step;  // rows i - 1 and i may trade places
        if (up ? (selected[i] && !selected[i - 1]) : (selected[i - 1] && !selected[i])) {
            std::swap(order[i], order[i - 1]);
            std::swap(selected[i], selected[i - 1]);
        }
    }
    std::vector<int> after;
    for (size_t i = 0; i < n; ++i) {
        if (selected[i])
            after.push_back(static_cast<int>(i));
    }
    pushReorder(order, after, text);
}

void FileListController::moveSelectedUp()
{
    moveSelected(true, tr("Move Up"));
}

void FileListController::moveSelectedDown()
{
    moveSelected(false, tr("Move Down"));
}

void FileListController::moveRowsTo(std::vector<int> indexes, int destination)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    std::erase_if(indexes, [this](int r) { return r < 0 || r >= count(); });
    if (indexes.empty())
        return;
    destination = std::clamp(destination, 0, count());
    // The rows that stay, with the moved ones placed before `destination`.
    std::vector<int> order;
    std::vector<int> after;
    const std::set<int> moving(indexes.begin(), indexes.end());
    for (int r = 0; r <= count(); ++r) {
        if (r == destination) {
            for (int m : indexes) {
                after.push_back(static_cast<int>(order.size()));
                order.push_back(m);
            }
        }
        if (r < count() && !moving.count(r))
            order.push_back(r);
    }
    pushReorder(order, after, tr("Move"));
    selectIndexes(after);
}

void FileListController::sortBy(const std::vector<size_t>& sorted, const QString& text)
{
    const std::vector<int> order(sorted.begin(), sorted.end());
    std::vector<int> newIndexOf(order.size());
    for (size_t k = 0; k < order.size(); ++k)
        newIndexOf[static_cast<size_t>(order[k])] = static_cast<int>(k);
    std::vector<int> after;
    for (int r : selectedIndexes())
        after.push_back(newIndexOf[static_cast<size_t>(r)]);
    std::sort(after.begin(), after.end());
    pushReorder(order, after, text);
}

void FileListController::sortByName()
{
    sortBy(nameOrder(rows()), tr("Sort by Name"));
}

void FileListController::sortByTrackNumber()
{
    sortBy(trackNumberOrder(rows()), tr("Sort by Track Number"));
}

// Plain row operations.

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

void FileListController::reorder(const std::vector<int>& order)
{
    if (order.size() != static_cast<size_t>(count()))
        return;
    std::vector<bool> seen(order.size(), false);
    for (int r : order) {
        if (r < 0 || r >= count() || seen[static_cast<size_t>(r)])
            return;
        seen[static_cast<size_t>(r)] = true;
    }
    model_->reorder(order);
    emit contentChanged();
}

}  // namespace velmora::app
