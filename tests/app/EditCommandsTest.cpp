#include "AppTestSupport.h"

#include <QMimeData>

#include "app/FileListView.h"

using namespace apptest;

// Qt's own hook for delivering a key press to the shortcut map (what a real
// key press goes through first).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false,
                                               ushort count = 1);

namespace {

using Rows = std::vector<int>;
enum class Op { Up, Down, Remove, RemoveRow1 };

struct EditCase { Names before; Rows selected; Op op; Names after; Rows selectedAfter; };

class EditCommands : public AppTest {
protected:
    Rows selection() { return list().selectionIndexes(); }
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
    };
    for (const EditCase& c : cases) {
        while (list().count() > 0)
            list().removeObjectAtArrangedObjectIndex(0);
        fill(c.before);
        list().setSelectionIndexes(c.selected);
        switch (c.op) {
        case Op::Up: delegate->moveUpBTNClicked(); break;
        case Op::Down: delegate->moveDownBTNClicked(); break;
        case Op::Remove: delegate->removeBTNClicked(); break;
        case Op::RemoveRow1: list().removeObjectAtArrangedObjectIndex(1); break;
        }
        const std::string label = ::testing::PrintToString(c.before) + " " + ::testing::PrintToString(c.selected) +
                                  " op " + std::to_string(int(c.op));
        EXPECT_EQ(names(), c.after) << label;
        EXPECT_EQ(selection(), c.selectedAfter) << label;
    }
}

TEST_F(EditCommands, ButtonsFollowTheListAndSelection)
{
    EXPECT_FALSE(delegate->ui.joinBTN->isEnabled());
    fill({"A", "B"});
    EXPECT_TRUE(delegate->ui.joinBTN->isEnabled());
    EXPECT_TRUE(delegate->ui.fileList->selectionModel()->isRowSelected(1, {}));  // the row just added
    list().setSelectionIndexes({});
    EXPECT_FALSE(delegate->ui.removeBTN->isEnabled());
    EXPECT_FALSE(delegate->ui.moveDownBTN->isEnabled());
    EXPECT_EQ(delegate->ui.summary->text().toStdString(), "2 files, 00:00:02.000 in total");
}

TEST_F(EditCommands, DroppingRowsWithinTheList)
{
    fill({"A", "B", "C", "D"});
    delegate->window->show();
    auto* view = delegate->ui.fileList;
    const QRect third = view->visualRect(view->model()->index(2, 0));
    auto drop = [&](Rows rows, QPoint at) {
        list().setSelectionIndexes(rows);
        std::unique_ptr<QMimeData> data(view->selectedRowsMimeData());
        return view->takeDrop(data.get(), at);
    };
    EXPECT_EQ(drop({0, 1}, third.center() + QPoint(0, third.height() / 4)), Qt::MoveAction);  // below C
    EXPECT_EQ(names(), (Names{"C", "A", "B", "D"}));
    EXPECT_EQ(selection(), (Rows{1, 2}));
    drop({3}, third.center() - QPoint(0, third.height() / 4));  // above B
    EXPECT_EQ(names(), (Names{"C", "A", "D", "B"}));
    drop({0}, QPoint(5, view->viewport()->height() - 5));  // empty space: the end
    EXPECT_EQ(names(), (Names{"A", "D", "B", "C"}));
}

TEST_F(EditCommands, KeyboardShortcuts)
{
    fill({"A", "B", "C"});
    delegate->window->show();
    QApplication::setActiveWindow(delegate->window);
    delegate->ui.fileList->setFocus();
    ASSERT_TRUE(spinUntil([&] { return delegate->window->isActiveWindow(); }, 2000));
    const struct { int key; Qt::KeyboardModifiers mods; Names after; } keys[]{
        {Qt::Key_Up, Qt::ControlModifier, {"A", "C", "B"}}, {Qt::Key_Down, Qt::ControlModifier, {"A", "B", "C"}},
        {Qt::Key_Delete, Qt::NoModifier, {"A", "B"}},       {Qt::Key_Backspace, Qt::NoModifier, {"A"}}};
    for (const auto& k : keys) {
        EXPECT_TRUE(qt_sendShortcutOverrideEvent(delegate->ui.fileList, 0, k.key, k.mods)) << k.key;
        EXPECT_EQ(names(), k.after) << k.key;
    }
    // Ctrl+O opens the dialog of Add.
    EXPECT_TRUE(qt_sendShortcutOverrideEvent(delegate->ui.fileList, 0, Qt::Key_O, Qt::ControlModifier));
    QFileDialog* dialog = visibleChild<QFileDialog>(delegate->window, 2000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    dialog->reject();
}

}  // namespace
