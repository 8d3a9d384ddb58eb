#pragma once
// The rows of the file list as a table for the view: name, title (what its
// chapter is called), where it starts in the joined file, duration (as a
// clock reads it), codecs (without cover art), media type, size, and its
// loudness once it has been measured.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "join/intake/FileRow.h"

namespace velmora::app {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        nameColumn,
        titleColumn,
        startColumn,
        durationColumn,
        codecColumn,
        mediaTypeColumn,
        sizeColumn,
        loudnessColumn,
        columnCount_
    };

    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // An edit of a Title cell is not applied here: it is handed on as
    // chapterTitleEdited, for an undoable step to apply with setChapterTitle.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;

    // How a column's cells and its header are aligned.
    static Qt::Alignment columnAlignment(int column);
    // A name for the column that stays when columns are added ("name", "start", ...).
    static QString columnKey(int column);

    const std::vector<FileRow>& rows() const { return rows_; }
    void insertRow(int index, FileRow row);
    void removeRowAt(int index);
    // The title the row's chapter carries; nothing: its title tag or file name again.
    void setChapterTitle(int index, std::optional<std::string> title);
    // The name the Name column shows: the file name, with its folder when
    // another row has the same name ("Disc 1/Track 1.mp3").
    QString displayName(int index) const;
    // The measured loudness of the file at `path` (integrated LUFS and true
    // peak), shown in the Loudness column of its rows.
    void setLoudness(const std::string& path, double lufs, double truePeak);
    bool hasLoudness(const std::string& path) const { return loudness_.count(path) > 0; }

signals:
    void chapterTitleEdited(int index, const QString& title);

public:
    // Puts the rows in a new order: row k becomes the one that was at
    // newOrder[k] (a permutation of every row index).
    void reorder(const std::vector<int>& newOrder);

private:
    // Every row's start follows from the rows before it: worked out again
    // after each change, and the Start column told.
    void updateStartTimes();

    std::vector<FileRow> rows_;
    std::vector<double> starts_;
    std::map<std::string, std::pair<double, double>> loudness_;  // by path: LUFS, true peak
};

}  // namespace velmora::app
