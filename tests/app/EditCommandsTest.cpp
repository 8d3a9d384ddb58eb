// Editing the list: Remove, Move Up, Move Down and row drags, by command
// and by keyboard.
#include <QMimeData>
#include <QTest>

#include "app/FileListView.h"
#include "support/AppTestSupport.h"

using namespace apptest;

namespace {

using Rows = std::vector<int>;
enum class Op { Up, Down, Remove, RemoveRow1, DragBelowRow2, DragAboveRow2, DragToTheEnd };

struct EditCase { Names before; Rows selected; Op op; Names after; Rows selectedAfter; };

class EditCommands : public AppTest {
protected:
    Rows selection() { return list().selectedIndexes(); }
    void dragSelectedRows(QPoint at)
    {
        std::unique_ptr<QMimeData> rows(delegate->window->fileList()->selectedRowsMimeData());
        EXPECT_EQ(delegate->window->fileList()->takeDrop(rows.get(), at), Qt::MoveAction);
    }
};

TEST_F(EditCommands, CommandsMoveAndRemoveTheSelectedRows)
{
    const Names abc{"A", "B", "C"}, abcd{"A", "B", "C", "D"};
    const std::vector<EditCase> cases{
        // One row selected, at the ends and in the middle.
        {abc, {0}, Op::Up, abc, {0}},                     {abc, {2}, Op::Down, abc, {2}},
        {abc, {1}, Op::Up, {"B", "A", "C"}, {0}},         {abc, {1}, Op::Down, {"A", "C", "B"}, {2}},
        {abc, {2}, Op::Up, {"A", "C", "B"}, {1}},         {{"A"}, {0}, Op::Down, {"A"}, {0}},
        {abc, {}, Op::Up, abc, {}},                       {abc, {}, Op::Down, abc, {}},
        // Several rows selected: the first one moves, around the rest.
        {abcd, {1, 3}, Op::Up, abcd, {1}},                {abcd, {1, 2}, Op::Up, {"B", "A", "C", "D"}, {0}},
        {abcd, {1, 3}, Op::Down, {"A", "C", "D", "B"}, {3}}, {abcd, {0, 2}, Op::Up, abcd, {0, 2}},
        // Remove takes every selected row; the selection follows what is left.
        {abc, {0, 2}, Op::Remove, {"B"}, {0}},            {abc, {}, Op::Remove, abc, {}},
        {abcd, {1, 3}, Op::RemoveRow1, {"A", "C", "D"}, {2}}, {abc, {1}, Op::RemoveRow1, {"A", "C"}, {1}},
        {{"A", "B"}, {1}, Op::RemoveRow1, {"A"}, {0}},
        // Rows dragged within the list.
        {abcd, {0, 1}, Op::DragBelowRow2, {"C", "A", "B", "D"}, {1, 2}},
        {abcd, {3}, Op::DragAboveRow2, {"A", "B", "D", "C"}, {2}},
        {abcd, {0}, Op::DragToTheEnd, {"B", "C", "D", "A"}, {3}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const EditCase& c = cases[i];
        newDelegate();
        fill(c.before);
        list().selectIndexes(c.selected);
        const QRect third = delegate->window->fileList()->visualRect(list().model()->index(2, 0));
        switch (c.op) {
        case Op::Up: delegate->moveUpBTNClicked(); break;
        case Op::Down: delegate->moveDownBTNClicked(); break;
        case Op::Remove: delegate->removeBTNClicked(); break;
        case Op::RemoveRow1: list().removeRow(1); break;
        case Op::DragBelowRow2: dragSelectedRows(third.center() + QPoint(0, third.height() / 4)); break;
        case Op::DragAboveRow2: dragSelectedRows(third.center() - QPoint(0, third.height() / 4)); break;
        case Op::DragToTheEnd: dragSelectedRows({5, delegate->window->fileList()->viewport()->height() - 5}); break;
        }
        EXPECT_EQ(names(), c.after);
        EXPECT_EQ(selection(), c.selectedAfter);
    }
}

TEST_F(EditCommands, KeyboardShortcuts)
{
    EXPECT_FALSE(delegate->window->joinButton()->isEnabled());
    fill({"A", "B", "C"});
    EXPECT_TRUE(delegate->window->joinButton()->isEnabled());
    EXPECT_EQ(delegate->window->summary()->text().toStdString(), "3 files, 00:00:03.000 in total");
    QApplication::setActiveWindow(delegate->window);
    delegate->window->fileList()->setFocus();
    ASSERT_TRUE(spinUntil([&] { return delegate->window->isActiveWindow(); }, 2000));
    const struct { int key; Qt::KeyboardModifiers mods; Names after; } keys[]{
        {Qt::Key_Up, Qt::ControlModifier, {"A", "C", "B"}}, {Qt::Key_Down, Qt::ControlModifier, {"A", "B", "C"}},
        {Qt::Key_Delete, Qt::NoModifier, {"A", "B"}},       {Qt::Key_Backspace, Qt::NoModifier, {"A"}}};
    for (const auto& k : keys) {
        QTest::keyClick(delegate->window->fileList(), static_cast<Qt::Key>(k.key), k.mods);
        EXPECT_EQ(names(), k.after) << k.key;
    }
    // Ctrl+O opens the dialog of Add.
    QTest::keyClick(delegate->window->fileList(), Qt::Key_O, Qt::ControlModifier);
    QFileDialog* dialog = visibleChild<QFileDialog>(delegate->window, 2000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    dialog->reject();
}

}  // namespace
