#include "app/ListEditCommands.h"

#include "app/FileListController.h"

namespace velmora::app {
namespace {

constexpr int kAddId = 1;

}  // namespace

RowsCommand::RowsCommand(FileListController& list, Kind kind, Entries entries, const QString& text, int batch)
    : QUndoCommand(text), list_(list), kind_(kind), entries_(std::move(entries)), batch_(batch)
{
}

void RowsCommand::insertAll()
{
    std::vector<int> inserted;
    for (const auto& [index, row] : entries_) {
        list_.insertRow(index, row);
        inserted.push_back(index);
    }
    list_.selectIndexes(inserted);
}

void RowsCommand::removeAll()
{
    // From the bottom up, so the indexes still to remove stay valid.
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        list_.removeRow(it->first);
}

void RowsCommand::redo()
{
    kind_ == Kind::add ? insertAll() : removeAll();
}

void RowsCommand::undo()
{
    kind_ == Kind::add ? removeAll() : insertAll();
}

int RowsCommand::id() const
{
    return kind_ == Kind::add && batch_ > 0 ? kAddId : -1;
}

bool RowsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const RowsCommand*>(other);
    if (!next || next->kind_ != Kind::add || next->batch_ != batch_)
        return false;
    // The rows of one intake come in ascending places, so each keeps its index.
    for (const auto& entry : next->entries_) {
        if (!entries_.empty() && entry.first <= entries_.back().first)
            return false;
    }
    entries_.insert(entries_.end(), next->entries_.begin(), next->entries_.end());
    setText(next->text());
    return true;
}

ReorderCommand::ReorderCommand(FileListController& list, std::vector<int> order, std::vector<int> selectionBefore,
                               std::vector<int> selectionAfter, const QString& text)
    : QUndoCommand(text),
      list_(list),
      order_(std::move(order)),
      inverse_(order_.size()),
      selectionBefore_(std::move(selectionBefore)),
      selectionAfter_(std::move(selectionAfter))
{
    for (size_t k = 0; k < order_.size(); ++k)
        inverse_[static_cast<size_t>(order_[k])] = static_cast<int>(k);
}

void ReorderCommand::redo()
{
    list_.reorder(order_);
    list_.selectIndexes(selectionAfter_);
}

void ReorderCommand::undo()
{
    list_.reorder(inverse_);
    list_.selectIndexes(selectionBefore_);
}

ChapterTitleCommand::ChapterTitleCommand(FileListController& list, int row, std::optional<std::string> before,
                                         std::optional<std::string> after, const QString& text)
    : QUndoCommand(text), list_(list), row_(row), before_(std::move(before)), after_(std::move(after))
{
}

void ChapterTitleCommand::redo()
{
    list_.model()->setChapterTitle(row_, after_);
    list_.selectIndexes({row_});
}

void ChapterTitleCommand::undo()
{
    list_.model()->setChapterTitle(row_, before_);
    list_.selectIndexes({row_});
}

}  // namespace velmora::app
