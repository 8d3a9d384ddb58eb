// The main window as a desktop user meets it: the keyboard's way through it,
// what it remembers, and the columns (each row's start in the joined file
// among them).
#include <QHeaderView>
#include <QLayout>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include "app/DragAndDropView.h"
#include "app/FileListModel.h"
#include "app/FileListView.h"
#include "app/ScreenFit.h"
#include "foundation/Paths.h"
#include "support/AppTestSupport.h"

using namespace apptest;

namespace {

class Window : public AppTest {};

TEST_F(Window, TabAndShiftTabLeaveTheList)
{
    fill({"A", "B", "C"});
    list().selectIndexes({1});
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    auto& w = window();
    QWidget* list = w.fileList();
    // From where focus is, the key, and where it goes: the buttons in their
    // row, Help, Details, Add to Queue and Join and back to the list; the status line is passed by.
    const struct { QWidget* from; Qt::Key key; Qt::KeyboardModifiers mods; QWidget* to; } steps[]{
        {list, Qt::Key_Tab, Qt::NoModifier, w.addButton()},
        {w.addButton(), Qt::Key_Tab, Qt::NoModifier, w.addFolderButton()},
        {w.addFolderButton(), Qt::Key_Tab, Qt::NoModifier, w.removeButton()},
        {w.removeButton(), Qt::Key_Tab, Qt::NoModifier, w.moveUpButton()},
        {w.moveUpButton(), Qt::Key_Tab, Qt::NoModifier, w.moveDownButton()},
        {w.moveDownButton(), Qt::Key_Tab, Qt::NoModifier, w.helpButton()},
        {w.helpButton(), Qt::Key_Tab, Qt::NoModifier, w.detailsButton()},
        {w.detailsButton(), Qt::Key_Tab, Qt::NoModifier, w.addToQueueButton()},
        {w.addToQueueButton(), Qt::Key_Tab, Qt::NoModifier, w.joinButton()},
        {w.joinButton(), Qt::Key_Tab, Qt::NoModifier, list},
        {list, Qt::Key_Backtab, Qt::ShiftModifier, w.joinButton()},
        {w.addButton(), Qt::Key_Backtab, Qt::ShiftModifier, list},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.from->objectName().toStdString() + " -> " + s.to->objectName().toStdString());
        s.from->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(spinUntil([&] { return QApplication::focusWidget() == s.from; }, 1000));
        QTest::keyClick(s.from, s.key, s.mods);
        EXPECT_TRUE(spinUntil([&] { return QApplication::focusWidget() == s.to; }, 1000))
            << "focus on " << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "-");
    }

    // Join is no default button: Enter in the list starts nothing.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    spinUntil([] { return false; }, 100);
    EXPECT_EQ(visibleChild<QFileDialog>(&w), nullptr);
    EXPECT_EQ(waitForAlert(0), nullptr);
}

TEST_F(Window, RemembersSizePlaceColumnsAndFolders)
{
    using velmora::app::FileListModel;
    QHeaderView* header = window().fileList()->horizontalHeader();
    // As small as the window may be (the test screen is small), a little taller.
    const QSize size = window().minimumSize().expandedTo(window().minimumSizeHint()) + QSize(0, 60);
    window().resize(size);
    header->resizeSection(FileListModel::codecColumn, 211);
    Names many;
    for (int i = 1; i <= 40; ++i)
        many.push_back("part" + std::to_string(i) + ".mp3");
    fill(many);  // rows enough for the scroll bar
    spinUntil([] { return false; }, 50);
    header->resizeSection(FileListModel::nameColumn, 290);
    // Launch after launch, with the same rows added again, the widths come
    // back exactly as they were left.
    for (int launch = 1; launch <= 3; ++launch) {
        window().close();  // as the user closes it
        newDelegate();
        spinUntil([] { return false; }, 50);
        fill(many);
        spinUntil([] { return false; }, 50);
        EXPECT_EQ(window().size(), size);
        header = window().fileList()->horizontalHeader();
        EXPECT_EQ(header->sectionSize(FileListModel::codecColumn), 211) << launch;
        EXPECT_EQ(header->sectionSize(FileListModel::nameColumn), 290) << launch;
    }
    list().clear();

    // The open dialog starts where the last files came from; the save dialog
    // where the last join went (else on the Desktop).
    const std::string added = testsupport::freshDir("added-from");
    const std::string saved = testsupport::freshDir("saved-to");
    trigger("addAction");
    QFileDialog* open = visibleChild<QFileDialog>(&window(), 2000);
    ASSERT_NE(open, nullptr);
    open->setDirectory(QString::fromStdString(added));
    testsupport::writeFile(added + "/x.wav", "x");
    open->selectFile(QString::fromStdString(added + "/x.wav"));
    static_cast<QDialog*>(open)->accept();
    ASSERT_TRUE(waitForSheetEnd(1));
    fill({"A"});
    trigger("joinAction");
    QFileDialog* save = visibleChild<QFileDialog>(&window(), 2000);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->directory().canonicalPath(), QDir(QDir::homePath() + "/Desktop").canonicalPath());
    save->selectFile(QString::fromStdString(saved + "/none.mp3"));
    static_cast<QDialog*>(save)->accept();
    ASSERT_TRUE(waitForSheetEnd(2));  // the join of a file that is not there fails
    if (QMessageBox* box = waitForAlert(2000))
        box->done(0);

    newDelegate();
    trigger("addAction");
    open = visibleChild<QFileDialog>(&window(), 2000);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->directory().canonicalPath().toStdString(), added);
    open->reject();
    fill({"A"});
    trigger("joinAction");
    save = visibleChild<QFileDialog>(&window(), 2000);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->directory().canonicalPath().toStdString(), saved);
    save->reject();
}

TEST_F(Window, TheNameColumnTakesTheWindowsWidth)
{
    using velmora::app::FileListModel;
    fill({"song.mp3"});
    // The user can resize the name; the window's width goes to it too.
    QHeaderView* header = window().fileList()->horizontalHeader();
    EXPECT_EQ(header->sectionResizeMode(FileListModel::nameColumn), QHeaderView::Interactive);
    header->resizeSection(FileListModel::nameColumn, 250);
    EXPECT_EQ(header->sectionSize(FileListModel::nameColumn), 250);
    window().resize(window().width() + 100, window().height());
    EXPECT_TRUE(spinUntil([&] { return header->sectionSize(FileListModel::nameColumn) == 350; }, 2000))
        << header->sectionSize(FileListModel::nameColumn);
}

TEST_F(Window, StartAndTitleFollowTheListOrder)
{
    using velmora::app::FileListModel;
    const struct { const char* name; double seconds; const char* title; } made[]{
        {"a.mp3", 61.4, "Opening"}, {"b.mp3", 3598.0, nullptr}, {"c.flac", 1.0, "Coda"}};
    std::vector<velmora::FileRow> rows;
    for (const auto& r : made) {
        velmora::FileRow one = row(r.name);
        one.duration = r.seconds;
        one.metadata.fileName = r.name;
        if (r.title)
            one.metadata.tags["title"] = r.title;
        rows.push_back(one);
    }
    fill(rows);
    const FileListModel& model = *list().model();
    auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.data(model.index(r, c), Qt::DisplayRole).toString();
        return texts;
    };
    // A file without a title tag is named after the file.
    EXPECT_EQ(column(FileListModel::titleColumn), (QStringList{"Opening", "b", "Coda"}));
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "1:01", "1:00:59"}));
    list().selectIndexes({2});
    trigger("moveUpAction");
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "1:01", "1:02"}));
    list().selectIndexes({0});
    trigger("removeAction");
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "0:01"}));
    trigger("undoAction");
    trigger("undoAction");
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "1:01", "1:00:59"}));
    EXPECT_EQ(column(FileListModel::nameColumn), (QStringList{"a.mp3", "b.mp3", "c.flac"}));
}

TEST_F(Window, RepeatedNamesShowTheirFolder)
{
    using velmora::app::FileListModel;
    std::vector<velmora::FileRow> rows;
    for (const char* path : {"/music/Disc 1/Track 1.mp3", "/music/Disc 2/Track 1.mp3", "/music/Disc 2/Intro.mp3"}) {
        velmora::FileRow one = row("x");
        one.filePath = path;
        one.fileName = velmora::lastPathComponent(path);
        rows.push_back(one);
    }
    fill(rows);
    const FileListModel& model = *list().model();
    auto names = [&] {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.index(r, FileListModel::nameColumn).data().toString();
        return texts;
    };
    EXPECT_EQ(names(), (QStringList{"Disc 1/Track 1.mp3", "Disc 2/Track 1.mp3", "Intro.mp3"}));
    list().selectIndexes({0});
    trigger("removeAction");
    EXPECT_EQ(names(), (QStringList{"Track 1.mp3", "Intro.mp3"}));
}

TEST_F(Window, WindowsFitTheScreenAndKeepTheirMinimum)
{
    // Frame, minimum size, available area, then where the window goes.
    const struct { QRect frame; QSize minimum; QRect available; QRect fitted; } cases[]{
        {{100, 100, 400, 300}, {200, 200}, {0, 0, 1280, 800}, {100, 100, 400, 300}},
        {{900, 600, 600, 400}, {200, 200}, {0, 0, 1280, 800}, {680, 400, 600, 400}},  // moved inside
        {{0, 0, 1000, 580}, {650, 300}, {0, 0, 640, 400}, {0, 0, 640, 400}},          // shrunk to the screen
        {{10, 10, 100, 100}, {300, 200}, {0, 30, 640, 370}, {10, 30, 300, 200}},      // grown to the minimum
    };
    for (const auto& c : cases)
        EXPECT_EQ(velmora::app::fittedGeometry(c.frame, c.minimum, c.available), c.fitted) << c.frame.x();

    // At its smallest the window's buttons read in full, and so does the
    // status line, on a row of its own if need be.
    fill({"A", "B", "C", "D"});
    window().resize(window().minimumSize());
    spinUntil([] { return false; }, 50);
    for (QPushButton* button : window().findChildren<QPushButton*>()) {
        if (button->isVisibleTo(&window()) && button->window() == &window()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        }
    }
    EXPECT_GE(window().minimumWidth(), window().layout()->totalMinimumSize().width());
    EXPECT_EQ(window().summary()->text(), QStringLiteral("4 files, 0:04 in total"));
    EXPECT_GE(window().summary()->width(), window().summary()->fontMetrics().horizontalAdvance(window().summary()->text()));
}

TEST_F(Window, OpenDialogShowsMediaFilesInAnyLetterCase)
{
    const std::string dir = testsupport::freshDir("dialog-filter");
    for (const std::string name : {"LOUD.MP3", "quiet.flac", "clip.Mp4", "notes.txt", "cover.jpg"})
        testsupport::writeFile(dir + "/" + name, "x");
    trigger("addAction");
    QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 2000);
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(dir));
    auto* view = dialog->findChild<QListView*>("listView");
    ASSERT_NE(view, nullptr);
    const auto shown = [&] {
        QStringList names;
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
            names << view->model()->index(r, 0, view->rootIndex()).data().toString();
        names.sort();
        return names;
    };
    EXPECT_TRUE(spinUntil([&] { return shown().size() == 3; }, 5000)) << shown().join(' ');
    EXPECT_EQ(shown(), (QStringList{"LOUD.MP3", "clip.Mp4", "quiet.flac"}));
    dialog->selectNameFilter(dialog->nameFilters().last());  // All files
    EXPECT_TRUE(spinUntil([&] { return shown().size() == 5; }, 5000)) << shown().join(' ');
    dialog->reject();
}

}  // namespace
