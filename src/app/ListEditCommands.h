#pragma once
// The list's edits as undoable steps: rows added or removed at given places,
// and rows put in a new order. Each step keeps what it needs to go back, and
// leaves the selection on the rows it touched.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QUndoCommand>

#include "join/intake/FileRow.h"

namespace velmora::app {

class FileListController;

// Rows entering (an add) or leaving (a remove or a clear) the list, each with
// the index it has while in the list, ascending.
class RowsCommand : public QUndoCommand {
public:
    enum class Kind { add, remove };
    using Entries = std::vector<std::pair<int, FileRow>>;

    // `batch` > 0: later adds of the same batch join this step (one intake,
    // one undo). Removes never join.
    RowsCommand(FileListController& list, Kind kind, Entries entries, const QString& text, int batch = 0);

    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    void insertAll();
    void removeAll();

    FileListController& list_;
    Kind kind_;
    Entries entries_;
    int batch_;
};

// Rows put in a new order: row k becomes the one that was at order[k].
class ReorderCommand : public QUndoCommand {
public:
    ReorderCommand(FileListController& list, std::vector<int> order, std::vector<int> selectionBefore,
                   std::vector<int> selectionAfter, const QString& text);

    void redo() override;
    void undo() override;

private:
    FileListController& list_;
    std::vector<int> order_;
    std::vector<int> inverse_;
    std::vector<int> selectionBefore_;
    std::vector<int> selectionAfter_;
};

// A row's chapter title typed in the list; an empty one gives the row its
// own title (tag or file name) back.
class ChapterTitleCommand : public QUndoCommand {
public:
    ChapterTitleCommand(FileListController& list, int row, std::optional<std::string> before,
                        std::optional<std::string> after, const QString& text);

    void redo() override;
    void undo() override;

private:
    FileListController& list_;
    int row_;
    std::optional<std::string> before_;
    std::optional<std::string> after_;
};

}  // namespace velmora::app
