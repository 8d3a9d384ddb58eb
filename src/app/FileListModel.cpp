#include "app/FileListModel.h"

#include <algorithm>

#include <QGuiApplication>
#include <QPalette>

#include "foundation/ClockText.h"
#include "foundation/Paths.h"
#include "join/metadata/OutputChapters.h"
#include "join/plan/PartEdit.h"

namespace velmora::app {

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

Qt::Alignment FileListModel::columnAlignment(int column)
{
    // Numbers line up on the right, texts on the left; a header sits where
    // its column's cells do.
    if (column == startColumn || column == durationColumn || column == sizeColumn || column == loudnessColumn)
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString FileListModel::columnKey(int column)
{
    switch (column) {
    case nameColumn: return QStringLiteral("name");
    case titleColumn: return QStringLiteral("title");
    case startColumn: return QStringLiteral("start");
    case durationColumn: return QStringLiteral("duration");
    case codecColumn: return QStringLiteral("codecs");
    case mediaTypeColumn: return QStringLiteral("mediaType");
    case sizeColumn: return QStringLiteral("size");
    case loudnessColumn: return QStringLiteral("loudness");
    default: return {};
    }
}

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
        case nameColumn: return displayName(index.row());
        case titleColumn: return QString::fromStdString(rowTitle(row.metadata));
        case startColumn: return QString::fromStdString(clockText(starts_[static_cast<size_t>(index.row())]));
        case durationColumn: return QString::fromStdString(durationClockText(row.duration));
        case codecColumn: return QString::fromStdString(row.codecHuman);
        case mediaTypeColumn: return QString::fromStdString(mediaKindText(row.kind));
        case sizeColumn: return QString::fromStdString(row.fileSizeHuman);
        case loudnessColumn: {
            const auto measured = loudness_.find(row.filePath);
            return measured == loudness_.end() ? QString() : QString::fromStdString(lufsText(measured->second.first));
        }
        default: return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        switch (index.column()) {
        case nameColumn: return QString::fromStdString(row.filePath);
        case titleColumn:
            if (!row.metadata.tag("title") && !row.metadata.chapterTitle)
                return tr("No title tag: the chapter takes the file's name");
            return data(index, Qt::DisplayRole);
        case startColumn: return tr("Where this file starts in the joined file, and its chapter mark");
        case loudnessColumn: {
            const auto measured = loudness_.find(row.filePath);
            if (measured == loudness_.end())
                return tr("Measured when Preferences > Sound evens out the loudness");
            return tr("Integrated loudness (EBU R128); true peak %1 dBTP")
                .arg(measured->second.second, 0, 'f', 1);
        }
        case durationColumn: return QString::fromStdString(row.durationHuman);
        case codecColumn: return QString::fromStdString(row.codec);  // every track, cover art too
        default: return data(index, Qt::DisplayRole);
        }
    }
    if (role == Qt::EditRole && index.column() == titleColumn)
        return QString::fromStdString(rowTitle(row.metadata));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columnAlignment(index.column()));
    // A title made from the file's name is quieter than one the file carries.
    if (role == Qt::ForegroundRole && index.column() == titleColumn && !row.metadata.tag("title") &&
        !row.metadata.chapterTitle)
        return QGuiApplication::palette().brush(QPalette::PlaceholderText);
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
        case titleColumn: return tr("Title");
        case startColumn: return tr("Start");
        case durationColumn: return tr("Duration");
        case codecColumn: return tr("Codecs");
        case mediaTypeColumn: return tr("Media Type");
        case sizeColumn: return tr("Size");
        case loudnessColumn: return tr("Loudness");
        default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columnAlignment(section));
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    return index.column() == titleColumn ? flags | Qt::ItemIsEditable : flags;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != titleColumn || index.row() >= rowCount())
        return false;
    const QString title = value.toString();
    if (title == data(index, Qt::EditRole).toString())
        return false;
    emit chapterTitleEdited(index.row(), title);
    return true;
}

void FileListModel::setLoudness(const std::string& path, double lufs, double truePeak)
{
    loudness_[path] = {lufs, truePeak};
    for (int i = 0; i < rowCount(); ++i) {
        if (rows_[static_cast<size_t>(i)].filePath == path)
            emit dataChanged(index(i, loudnessColumn), index(i, loudnessColumn), {Qt::DisplayRole, Qt::ToolTipRole});
    }
}

void FileListModel::setChapterTitle(int index, std::optional<std::string> title)
{
    if (index < 0 || index >= rowCount())
        return;
    rows_[static_cast<size_t>(index)].metadata.chapterTitle = std::move(title);
    emit dataChanged(this->index(index, titleColumn), this->index(index, titleColumn));
}

QString FileListModel::displayName(int index) const
{
    const FileRow& row = rows_[static_cast<size_t>(index)];
    const QString name = QString::fromStdString(row.fileName);
    const bool repeated = std::any_of(rows_.begin(), rows_.end(), [&](const FileRow& other) {
        return &other != &row && other.fileName == row.fileName;
    });
    if (!repeated)
        return name;
    const std::string folder = lastPathComponent(parentDirectory(row.filePath));
    return folder.empty() ? name : toQString(folder) + QLatin1Char('/') + name;
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
    updateStartTimes();
}

void FileListModel::reorder(const std::vector<int>& newOrder)
{
    if (newOrder.size() != rows_.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newIndexOf(rows_.size());
    std::vector<FileRow> reordered;
    reordered.reserve(rows_.size());
    for (size_t k = 0; k < newOrder.size(); ++k) {
        newIndexOf[static_cast<size_t>(newOrder[k])] = static_cast<int>(k);
        reordered.push_back(std::move(rows_[static_cast<size_t>(newOrder[k])]));
    }
    rows_ = std::move(reordered);
    // The selection and the current row follow their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after << this->index(newIndexOf[static_cast<size_t>(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    updateStartTimes();
}

void FileListModel::removeRowAt(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    beginRemoveRows({}, index, index);
    rows_.erase(rows_.begin() + index);
    endRemoveRows();
    updateStartTimes();
}

void FileListModel::updateStartTimes()
{
    std::vector<double> durations;
    durations.reserve(rows_.size());
    for (const FileRow& row : rows_)
        durations.push_back(playedLength(row));
    starts_ = rowStartTimes(durations);
    starts_.resize(rows_.size(), 0.0);
    // A row's shown name depends on the others' names too.
    if (!rows_.empty()) {
        emit dataChanged(index(0, startColumn), index(rowCount() - 1, startColumn), {Qt::DisplayRole});
        emit dataChanged(index(0, nameColumn), index(rowCount() - 1, nameColumn), {Qt::DisplayRole});
    }
}

}  // namespace velmora::app
