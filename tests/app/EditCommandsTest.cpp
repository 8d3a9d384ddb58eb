#include "AppTestSupport.h"

#include <QPushButton>
#include <QTableView>

#include "app/ArrayController.h"
#include "app/FileListView.h"

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
