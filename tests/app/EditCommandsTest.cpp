// Editing the list: Remove, Move Up, Move Down, Clear List, row drags and the
// two sorts, by command, by keyboard and from the rows' menu; each undone and redone.
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUndoStack>

#include "app/FileListView.h"
#include "support/AppTestSupport.h"

using namespace apptest;

namespace {

using Rows = std::vector<int>;
enum class Op { Up, Down, Remove, Clear, RemoveRow1, DragBelowRow2, DragAboveRow2, DragToTheEnd };

struct EditCase { Names before; Rows selected; Op op; Names after; Rows selectedAfter; };

class EditCommands : public AppTest {
protected:
    Rows selection() { return list().selectedIndexes(); }
    QUndoStack& undo() { return *list().undoStack(); }
    void dragSelectedRows(QPoint at)
    {
        std::unique_ptr<QMimeData> rows(window().fileList()->selectedRowsMimeData());
        EXPECT_EQ(window().fileList()->takeDrop(rows.get(), at), Qt::MoveAction);
    }
};

TEST_F(EditCommands, CommandsMoveAndRemoveTheSelectedRowsAndUndo)
{
    const Names abc{"A", "B", "C"}, abcd{"A", "B", "C", "D"};
    const std::vector<EditCase> cases{
        // One row selected, at the ends and in the middle.
        {abc, {0}, Op::Up, abc, {0}},                     {abc, {1}, Op::Up, {"B", "A", "C"}, {0}},
        {abc, {1}, Op::Down, {"A", "C", "B"}, {2}},       {abc, {}, Op::Up, abc, {}},
        // Several rows: each moves one place and stays selected; a row at the
        // end it moves towards holds the ones behind it.
        {abcd, {1, 3}, Op::Up, {"B", "A", "D", "C"}, {0, 2}},
        {abcd, {1, 3}, Op::Down, {"A", "C", "B", "D"}, {2, 3}},
        {abcd, {0, 2}, Op::Up, {"A", "C", "B", "D"}, {0, 1}},
        {abcd, {0, 3}, Op::Down, {"B", "A", "C", "D"}, {1, 3}},
        // Remove takes every selected row; the selection follows what is left.
        {abc, {0, 2}, Op::Remove, {"B"}, {0}},            {abc, {1}, Op::Clear, {}, {}},
        {abcd, {1, 3}, Op::RemoveRow1, {"A", "C", "D"}, {2}}, {{"A", "B"}, {1}, Op::RemoveRow1, {"A"}, {0}},
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
        const QRect third = window().fileList()->visualRect(list().model()->index(2, 0));
        switch (c.op) {
        case Op::Up: trigger("moveUpAction"); break;
        case Op::Down: trigger("moveDownAction"); break;
        case Op::Remove: trigger("removeAction"); break;
        case Op::Clear: trigger("clearAction"); break;
        case Op::RemoveRow1: list().removeRow(1); break;
        case Op::DragBelowRow2: dragSelectedRows(third.center() + QPoint(0, third.height() / 4)); break;
        case Op::DragAboveRow2: dragSelectedRows(third.center() - QPoint(0, third.height() / 4)); break;
        case Op::DragToTheEnd: dragSelectedRows({5, window().fileList()->viewport()->height() - 5}); break;
        }
        EXPECT_EQ(names(), c.after);
        EXPECT_EQ(selection(), c.selectedAfter);
        if (c.op == Op::RemoveRow1)
            continue;  // a plain row operation, not an edit of the user's
        // An edit that changed the list is one step back; one that did not is none.
        EXPECT_EQ(undo().canUndo(), c.after != c.before);
        if (!undo().canUndo())
            continue;
        undo().undo();
        EXPECT_EQ(names(), c.before);
        if (c.op != Op::Clear) {
            EXPECT_EQ(selection(), c.selected);
        }
        undo().redo();
        EXPECT_EQ(names(), c.after);
        EXPECT_EQ(selection(), c.selectedAfter);
    }
}

TEST_F(EditCommands, KeyboardShortcuts)
{
    EXPECT_FALSE(window().joinButton()->isEnabled());
    fill({"A", "B", "C"});
    EXPECT_TRUE(window().joinButton()->isEnabled());
    EXPECT_EQ(window().summary()->text(), QStringLiteral("3 files, 0:03 in total"));
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    window().fileList()->setFocus();
    const struct { int key; Qt::KeyboardModifiers mods; Names after; Rows selected; } keys[]{
        {Qt::Key_Up, Qt::ControlModifier, {"A", "C", "B"}, {1}},
        {Qt::Key_Down, Qt::ControlModifier, {"A", "B", "C"}, {2}},
        {Qt::Key_A, Qt::ControlModifier, {"A", "B", "C"}, {0, 1, 2}},
        {Qt::Key_Delete, Qt::NoModifier, {}, {}},
        {Qt::Key_Z, Qt::ControlModifier, {"A", "B", "C"}, {0, 1, 2}},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, {}, {}},
        {Qt::Key_Z, Qt::ControlModifier, {"A", "B", "C"}, {0, 1, 2}},
        {Qt::Key_Down, Qt::NoModifier, {"A", "B", "C"}, {1}},
        {Qt::Key_Backspace, Qt::NoModifier, {"A", "C"}, {1}}};
    for (const auto& k : keys) {
        QTest::keyClick(window().fileList(), static_cast<Qt::Key>(k.key), k.mods);
        EXPECT_EQ(names(), k.after) << k.key;
        EXPECT_EQ(selection(), k.selected) << k.key;
    }
    // Ctrl+O opens the dialog of Add, which offers the media files first.
    QTest::keyClick(window().fileList(), Qt::Key_O, Qt::ControlModifier);
    QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 2000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    ASSERT_EQ(dialog->nameFilters().size(), 2);
    EXPECT_TRUE(dialog->nameFilters()[0].startsWith("Audio and video files (*.mp3 *.mpga *.m4a"));
    EXPECT_EQ(dialog->nameFilters()[1], QStringLiteral("All files (*)"));
    dialog->reject();
}

TEST_F(EditCommands, RowMenu)
{
    fill({"A", "B", "C"});
    list().selectIndexes({0});
    QMenu* menu = window().rowMenu();
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text().remove('&');
    EXPECT_EQ(texts, (QStringList{"Remove", "Move Up", "Move Down", "", "Show in Folder", "Play"}));

    // A right click on a row outside the selection selects it and opens the menu there.
    velmora::app::FileListView* view = window().fileList();
    const QPoint onB = view->visualRect(list().model()->index(1, 0)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, onB, view->viewport()->mapToGlobal(onB));
    QApplication::sendEvent(view->viewport(), &click);
    ASSERT_TRUE(spinUntil([&] { return menu->isVisible(); }, 2000));
    EXPECT_EQ(selection(), (Rows{1}));
    menu->actions()[2]->trigger();  // Move Down
    menu->close();
    EXPECT_EQ(names(), (Names{"A", "C", "B"}));
    // Shift+F10, as the shortcut list names it, opens the menu at the current row.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(spinUntil([&] { return menu->isVisible(); }, 2000));
    menu->close();
    // On the empty part of the list there is no row to act on.
    const QPoint below(5, view->viewport()->height() - 5);
    QContextMenuEvent empty(QContextMenuEvent::Mouse, below, view->viewport()->mapToGlobal(below));
    QApplication::sendEvent(view->viewport(), &empty);
    spinUntil([] { return false; }, 100);
    EXPECT_FALSE(menu->isVisible());
}

}  // namespace

namespace {

velmora::FileRow tagged(const std::string& name, std::optional<int> disc, std::optional<int> track)
{
    velmora::FileRow made = row(name);
    made.metadata.disc = disc;
    made.metadata.track = track;
    return made;
}

TEST_F(EditCommands, SortByNameAndByTrackNumberAreUndoable)
{
    QAction* byName = window().action("sortByNameAction");
    QAction* byTrack = window().action("sortByTrackNumberAction");
    fill({"part2"});
    EXPECT_FALSE(byName->isEnabled() || byTrack->isEnabled());  // nothing to sort in one row

    // Numbers by their value, folder by folder; names that differ in case or
    // spaces only keep their order.
    const std::vector<std::pair<Names, Names>> byNameCases{
        {{"part10", "part2", "part1"}, {"part1", "part2", "part10"}},
        {{"Part 10.m4a", "part 2.m4a", "Part 1.m4a"}, {"Part 1.m4a", "part 2.m4a", "Part 10.m4a"}},
        {{"Disc 2/Track 1", "Disc 1/Track 2", "Disc 10/Track 1"}, {"Disc 1/Track 2", "Disc 2/Track 1", "Disc 10/Track 1"}},
    };
    for (const auto& [before, after] : byNameCases) {
        SCOPED_TRACE(before.front());
        newDelegate();
        fill(before);
        list().selectIndexes({0});
        window().action("sortByNameAction")->trigger();
        EXPECT_EQ(names(), after);
        // The selected row is still the selection, where it went.
        ASSERT_EQ(selection().size(), 1u);
        EXPECT_EQ(names()[static_cast<size_t>(selection().front())], before.front());
        EXPECT_EQ(undo().undoText(), QStringLiteral("Sort by Name"));
        undo().undo();
        EXPECT_EQ(names(), before);
        EXPECT_EQ(selection(), (Rows{0}));
        undo().redo();
        EXPECT_EQ(names(), after);
    }

    // By disc (none counts as the first) and track; untagged rows last, and
    // the name decides between equal numbers.
    newDelegate();
    fill({tagged("x10", {}, {}), tagged("d2t1", 2, 1), tagged("y", {}, 1), tagged("x2", {}, {}), tagged("d1t2", 1, 2),
          tagged("b", 1, 1)});
    window().action("sortByTrackNumberAction")->trigger();
    EXPECT_EQ(names(), (Names{"b", "y", "d1t2", "d2t1", "x2", "x10"}));
    undo().undo();
    EXPECT_EQ(names(), (Names{"x10", "d2t1", "y", "x2", "d1t2", "b"}));
    // A list already in order is no step to undo.
    undo().redo();
    const int steps = undo().count();
    trigger("sortByTrackNumberAction");
    EXPECT_EQ(undo().count(), steps);
}

}  // namespace

TEST_F(EditCommands, ChapterTitlesAreEditedInTheListAndUndone)
{
    using velmora::app::FileListModel;
    std::vector<velmora::FileRow> rows{row("A.mp3"), row("B.mp3")};
    for (auto& r : rows)
        r.metadata.fileName = r.fileName;
    fill(rows);
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    velmora::app::FileListView* view = window().fileList();
    view->setFocus();
    list().selectIndexes({1});
    view->setCurrentIndex(list().model()->index(1, FileListModel::nameColumn));
    // F2 edits the Title cell of the current row, whichever cell is current.
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Second Part");
    QTest::keyClick(editor, Qt::Key_Return);  // the delegate commits on its next turn
    const auto title = [&](int r) { return list().model()->index(r, FileListModel::titleColumn).data().toString(); };
    EXPECT_TRUE(spinUntil([&] { return title(1) == QStringLiteral("Second Part"); }, 2000)) << title(1);
    EXPECT_EQ(list().rows()[1].metadata.chapterTitle, "Second Part");  // what the join gets
    trigger("undoAction");
    EXPECT_EQ(title(1), QStringLiteral("B"));
    EXPECT_FALSE(list().rows()[1].metadata.chapterTitle.has_value());
    trigger("redoAction");
    EXPECT_EQ(title(1), QStringLiteral("Second Part"));
    // An emptied title gives the row its own back; other columns are not edited.
    EXPECT_TRUE(list().model()->setData(list().model()->index(1, FileListModel::titleColumn), QString()));
    EXPECT_EQ(title(1), QStringLiteral("B"));
    EXPECT_FALSE(list().model()->flags(list().model()->index(0, FileListModel::nameColumn)) & Qt::ItemIsEditable);
}
