#include "app/ArrayController.h"

#include <algorithm>
#include <set>

#include <QFileInfo>

namespace velmora::app {

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCount_;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const FileRow& row = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case nameColumn: return QString::fromStdString(row.fileName);
        case durationColumn: return QString::fromStdString(row.durationHuman);
        case codecColumn: return QString::fromStdString(row.codec);
        case mediaTypeColumn: return QString::fromStdString(row.mediaType);
        case sizeColumn: return QString::fromStdString(row.fileSizeHuman);
        default: return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        if (index.column() == nameColumn)
            return QString::fromStdString(row.filePath);
        return data(index, Qt::DisplayRole);
    }
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == durationColumn || index.column() == sizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (role == Qt::DisplayRole) {
        switch (section) {
        case nameColumn: return tr("Name");
        case durationColumn: return tr("Duration");
        case codecColumn: return tr("Codecs");
        case mediaTypeColumn: return tr("Media Type");
        case sizeColumn: return tr("Size");
        default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole && (section == durationColumn || section == sizeColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

Qt::DropActions FileListModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

void FileListModel::insertRow(int index, FileRow row)
{
    index = std::clamp(index, 0, rowCount());
    beginInsertRows({}, index, index);
    rows_.insert(rows_.begin() + index, std::move(row));
    endInsertRows();
}

void FileListModel::removeRowAt(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    beginRemoveRows({}, index, index);
    rows_.erase(rows_.begin() + index);
    endRemoveRows();
}

ArrayController::ArrayController(QObject* parent)
    : QObject(parent), model_(new FileListModel(this)), selection_(new QItemSelectionModel(model_, this))
{
    connect(selection_, &QItemSelectionModel::selectionChanged, this, &ArrayController::selectionChanged);
}

std::vector<int> ArrayController::selectionIndexes() const
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

int ArrayController::selectionIndex() const
{
    const auto rows = selectionIndexes();
    return rows.empty() ? kNoSelection : rows.front();
}

std::vector<FileRow> ArrayController::selectedObjects() const
{
    std::vector<FileRow> result;
    for (int r : selectionIndexes())
        result.push_back(arrangedObjects()[static_cast<size_t>(r)]);
    return result;
}

void ArrayController::setSelectionIndexes(const std::vector<int>& rows)
{
    QItemSelection selection;
    for (int r : rows) {
        if (r >= 0 && r < count())
            selection.select(model_->index(r, 0), model_->index(r, model_->columnCount() - 1));
    }
    selection_->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!rows.empty() && rows.front() >= 0 && rows.front() < count())
        selection_->setCurrentIndex(model_->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

void ArrayController::selectOnly(int first, int last)
{
    std::vector<int> rows;
    for (int r = first; r <= last; ++r)
        rows.push_back(r);
    setSelectionIndexes(rows);
}

void ArrayController::addObject(FileRow row)
{
    insertObjectAtArrangedObjectIndex(std::move(row), count());
}

void ArrayController::insertObjectAtArrangedObjectIndex(FileRow row, int index)
{
    index = std::clamp(index, 0, count());
    model_->insertRow(index, std::move(row));
    selectOnly(index, index);
    emit contentChanged();
}

void ArrayController::removeObjectAtArrangedObjectIndex(int index)
{
    if (index < 0 || index >= count())
        return;
    model_->removeRowAt(index);
    if (selectionIndexes().empty() && count() > 0)
        selectOnly(std::min(index, count() - 1), std::min(index, count() - 1));
    emit contentChanged();
}

void ArrayController::remove()
{
    const auto rows = selectionIndexes();
    // From the bottom up, so the indexes still to remove stay valid.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        removeObjectAtArrangedObjectIndex(*it);
}

void ArrayController::moveRows(std::vector<int> rows, int destination)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int r) { return r < 0 || r >= count(); });
    if (rows.empty())
        return;
    destination = std::clamp(destination, 0, count());
    std::vector<FileRow> taken;
    for (int r : rows)
        taken.push_back(arrangedObjects()[static_cast<size_t>(r)]);
    const int before = static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](int r) { return r < destination; }));
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        model_->removeRowAt(*it);
    const int at = destination - before;
    for (size_t k = 0; k < taken.size(); ++k)
        model_->insertRow(at + static_cast<int>(k), std::move(taken[k]));
    selectOnly(at, at + static_cast<int>(taken.size()) - 1);
    emit contentChanged();
}

double ArrayController::totalDuration() const
{
    double total = 0.0;
    for (const FileRow& row : arrangedObjects())
        total += row.duration;
    return total;
}

}  // namespace velmora::app
