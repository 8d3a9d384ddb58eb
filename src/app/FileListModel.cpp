#include "app/FileListModel.h"

#include <algorithm>

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

}  // namespace velmora::app
