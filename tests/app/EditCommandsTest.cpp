#include "AppTestSupport.h"

#include <QPushButton>
#include <QTableView>

#include "app/ArrayController.h"
#include "app/FileListView.h"
#include "app/NotificationCenter.h"

#include <QMimeData>

using namespace apptest;
using velmora::app::ArrayController;

namespace {

class EditCommands : public AppTest {
protected:
    void fill(const std::vector<std::string>& rowNames)
    {
        for (const auto& n : rowNames)
            list().addObject(row(n));
    }
    ArrayController& list() { return *delegate->mainArrayController; }
    std::vector<int> selection() { return list().selectionIndexes(); }
};

TEST_F(EditCommands, AddedAndInsertedRowsBecomeTheSelection)
{
    fill({"A", "B"});
    EXPECT_EQ(selection(), std::vector<int>{1});
    list().insertObjectAtArrangedObjectIndex(row("C"), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(selection(), std::vector<int>{0});
    // The view shows the controller's selection.
    EXPECT_EQ(delegate->ui.fileList->selectionModel(), list().selectionModel());
    EXPECT_TRUE(delegate->ui.fileList->selectionModel()->isRowSelected(0, {}));
}

TEST_F(EditCommands, RemovalKeepsOrMovesTheSelection)
{
    fill({"A", "B", "C", "D"});
    // Remaining selected rows stay selected.
    list().setSelectionIndexes({1, 3});
    list().removeObjectAtArrangedObjectIndex(1);
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(selection(), std::vector<int>{2});
    // None left: the row now at the removed index.
    list().setSelectionIndexes({1});
    list().removeObjectAtArrangedObjectIndex(1);
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "D"}));
    EXPECT_EQ(selection(), std::vector<int>{1});
    // The removed index was the last: the new last row.
    list().removeObjectAtArrangedObjectIndex(1);
    EXPECT_EQ(selection(), std::vector<int>{0});
    list().removeObjectAtArrangedObjectIndex(0);
    EXPECT_EQ(list().selectionIndex(), ArrayController::kNoSelection);
}

TEST_F(EditCommands, RemoveTakesEverySelectedRow)
{
    fill({"A", "B", "C"});
    list().setSelectionIndexes({0, 2});
    delegate->removeBTNClicked();
    EXPECT_EQ(names(), std::vector<std::string>{"B"});
    EXPECT_EQ(selection(), std::vector<int>{0});

    list().setSelectionIndexes({});
    delegate->removeBTNClicked();
    EXPECT_EQ(names(), std::vector<std::string>{"B"});
}

TEST_F(EditCommands, MoveWithOneRowSelected)
{
    fill({"A", "B", "C"});
    list().setSelectionIndexes({1});
    delegate->moveUpBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(selection(), std::vector<int>{0});

    // Down instead, from A, B, C.
    list().setSelectionIndexes({0});
    delegate->moveDownBTNClicked();
    ASSERT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
    list().setSelectionIndexes({1});
    delegate->moveDownBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(selection(), std::vector<int>{2});
}

TEST_F(EditCommands, MoveAtTheEndsLeavesTheListAsItIs)
{
    fill({"A", "B", "C"});
    list().setSelectionIndexes({0});
    delegate->moveUpBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(selection(), std::vector<int>{0});

    list().setSelectionIndexes({2});
    delegate->moveDownBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(selection(), std::vector<int>{2});

    // The last row moves up like any other.
    delegate->moveUpBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(selection(), std::vector<int>{1});
}

TEST_F(EditCommands, MoveOnOneRowOrWithoutSelectionDoesNothing)
{
    fill({"A"});
    delegate->moveUpBTNClicked();
    delegate->moveDownBTNClicked();
    EXPECT_EQ(names(), std::vector<std::string>{"A"});
    EXPECT_EQ(selection(), std::vector<int>{0});

    fill({"B"});
    list().setSelectionIndexes({});
    delegate->moveUpBTNClicked();
    delegate->moveDownBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(EditCommands, MoveWithSeveralRowsSelectedTakesTheFirst)
{
    // Up: B leaves, D stays selected (s = 2), B goes in at s - 1.
    fill({"A", "B", "C", "D"});
    list().setSelectionIndexes({1, 3});
    delegate->moveUpBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(selection(), std::vector<int>{1});

    // Up with B and C: s is C's new index 1, B goes in at 0.
    list().setSelectionIndexes({1, 2});
    delegate->moveUpBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "A", "C", "D"}));
    EXPECT_EQ(selection(), std::vector<int>{0});

    // Down with B and D: B goes in after D.
    list().setSelectionIndexes({0, 3});
    delegate->moveDownBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "C", "D", "B"}));
    EXPECT_EQ(selection(), std::vector<int>{3});

    // Up with the first row among the selected ones: nothing moves.
    list().setSelectionIndexes({0, 2});
    delegate->moveUpBTNClicked();
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "C", "D", "B"}));
}

TEST_F(EditCommands, DraggingRowsReordersThem)
{
    fill({"A", "B", "C", "D"});
    list().moveRows({0, 2}, 4);
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "D", "A", "C"}));
    EXPECT_EQ(selection(), (std::vector<int>{2, 3}));
    list().moveRows({3}, 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"C", "B", "D", "A"}));
    EXPECT_EQ(selection(), std::vector<int>{0});
}

TEST_F(EditCommands, DroppingRowsWithinTheList)
{
    fill({"A", "B", "C", "D"});
    delegate->window->show();
    auto* view = delegate->ui.fileList;
    const QModelIndex c = view->model()->index(2, 0);
    const QPoint belowC = view->visualRect(c).center() + QPoint(0, view->visualRect(c).height() / 4);
    const QPoint aboveC = view->visualRect(c).center() - QPoint(0, view->visualRect(c).height() / 4);

    list().setSelectionIndexes({0});
    std::unique_ptr<QMimeData> rows(view->selectedRowsMimeData());
    EXPECT_EQ(view->takeDrop(rows.get(), belowC), Qt::MoveAction);
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "C", "A", "D"}));
    EXPECT_EQ(selection(), std::vector<int>{2});

    list().setSelectionIndexes({2, 3});
    rows.reset(view->selectedRowsMimeData());
    EXPECT_EQ(view->takeDrop(rows.get(), view->visualRect(view->model()->index(0, 0)).topLeft() + QPoint(2, 2)),
              Qt::MoveAction);
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "D", "B", "C"}));
    EXPECT_EQ(selection(), (std::vector<int>{0, 1}));

    // Rows dropped on empty space go to the end; above a row, before it.
    list().setSelectionIndexes({0});
    rows.reset(view->selectedRowsMimeData());
    view->takeDrop(rows.get(), QPoint(5, view->viewport()->height() - 5));
    EXPECT_EQ(names(), (std::vector<std::string>{"D", "B", "C", "A"}));
    list().setSelectionIndexes({3});
    rows.reset(view->selectedRowsMimeData());
    view->takeDrop(rows.get(), aboveC);
    EXPECT_EQ(names(), (std::vector<std::string>{"D", "B", "A", "C"}));

    // Files from outside, dropped on the list, go to the intake.
    int posted = 0;
    QObject observer;
    velmora::app::NotificationCenter::defaultCenter().addObserver(
        &observer, QStringLiteral("FilesAddedByDragAndDrop"), [&](const velmora::app::Notification&) { ++posted; });
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(testsupport::sineWav(1.0)))});
    EXPECT_EQ(view->takeDrop(&files, aboveC), Qt::CopyAction);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"D", "B", "A", "C"}));
}

TEST_F(EditCommands, ButtonsFollowTheListAndSelection)
{
    EXPECT_FALSE(delegate->ui.joinBTN->isEnabled());
    EXPECT_FALSE(delegate->ui.removeBTN->isEnabled());
    fill({"A", "B"});
    EXPECT_TRUE(delegate->ui.joinBTN->isEnabled());
    EXPECT_TRUE(delegate->ui.removeBTN->isEnabled());
    EXPECT_TRUE(delegate->ui.moveUpBTN->isEnabled());
    list().setSelectionIndexes({});
    EXPECT_FALSE(delegate->ui.removeBTN->isEnabled());
    EXPECT_FALSE(delegate->ui.moveDownBTN->isEnabled());
    EXPECT_EQ(delegate->ui.summary->text().toStdString(), "2 files, 00:00:02.000 in total");
}

}  // namespace

// Qt's own hook for delivering a key press to the shortcut map (what a real
// key press goes through first).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false,
                                               ushort count = 1);

namespace {

TEST_F(EditCommands, KeyboardShortcuts)
{
    fill({"A", "B", "C"});
    delegate->window->show();
    QApplication::setActiveWindow(delegate->window);
    delegate->ui.fileList->setFocus();
    ASSERT_TRUE(spinUntil([&] { return delegate->window->isActiveWindow(); }, 2000));
    auto key = [&](int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        return qt_sendShortcutOverrideEvent(delegate->ui.fileList, 0, k, mods);
    };
    list().setSelectionIndexes({2});
    EXPECT_TRUE(key(Qt::Key_Up, Qt::ControlModifier));
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_TRUE(key(Qt::Key_Down, Qt::ControlModifier));
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(key(Qt::Key_Delete));
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(key(Qt::Key_Backspace));
    EXPECT_EQ(names(), (std::vector<std::string>{"A"}));
    // Ctrl+O opens the dialog of Add.
    EXPECT_TRUE(key(Qt::Key_O, Qt::ControlModifier));
    QFileDialog* dialog = nullptr;
    EXPECT_TRUE(spinUntil([&] { return (dialog = visibleChild<QFileDialog>(delegate->window)) != nullptr; }, 2000));
    if (dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        dialog->reject();
    }
}

}  // namespace
