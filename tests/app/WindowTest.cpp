// The main window as a desktop user meets it: the keyboard's way through it,
// names for assistive tools, its size and what it remembers, and the columns
// (each row's start in the joined file among them).
#include <QAccessible>
#include <QHeaderView>
#include <QListView>
#include <QTest>
#include <QUndoStack>

#include "app/ClockText.h"
#include "app/DragAndDropView.h"
#include "app/FileListModel.h"
#include "app/FileListView.h"
#include "support/AppTestSupport.h"

using namespace apptest;

namespace {

class Window : public AppTest {};

TEST_F(Window, TabAndShiftTabLeaveTheList)
{
    fill({"A", "B", "C"});
    list().selectIndexes({1});
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    auto& w = *delegate->window;
    QWidget* list = w.fileList();
    // From where focus is, the key, and where it goes: the buttons in their
    // row, Help, Details and Join and back to the list; the status line is passed by.
    const struct { QWidget* from; Qt::Key key; Qt::KeyboardModifiers mods; QWidget* to; } steps[]{
        {list, Qt::Key_Tab, Qt::NoModifier, w.addButton()},
        {w.addButton(), Qt::Key_Tab, Qt::NoModifier, w.removeButton()},
        {w.removeButton(), Qt::Key_Tab, Qt::NoModifier, w.moveUpButton()},
        {w.moveUpButton(), Qt::Key_Tab, Qt::NoModifier, w.moveDownButton()},
        {w.moveDownButton(), Qt::Key_Tab, Qt::NoModifier, w.helpButton()},
        {w.helpButton(), Qt::Key_Tab, Qt::NoModifier, w.detailsButton()},
        {w.detailsButton(), Qt::Key_Tab, Qt::NoModifier, w.joinButton()},
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
    EXPECT_EQ(list->property("tabKeyNavigation").toBool(), false);
    EXPECT_EQ(w.summary()->focusPolicy(), Qt::NoFocus);

    // Join is no default button: Enter in the list starts nothing.
    EXPECT_FALSE(w.joinButton()->isDefault() || w.joinButton()->autoDefault());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    spinUntil([] { return false; }, 100);
    EXPECT_EQ(visibleChild<QFileDialog>(&w), nullptr);
    EXPECT_EQ(waitForAlert(0), nullptr);
}

TEST_F(Window, AccessibleNames)
{
    auto& w = *delegate->window;
    const struct { QWidget* widget; QString name; } named[]{
        {w.fileList(), "File list"}, {w.dropView(), "Drop area"}, {w.summary(), "Status"}};
    for (const auto& n : named) {
        EXPECT_EQ(n.widget->accessibleName(), n.name);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(n.widget)->text(QAccessible::Name), n.name);
    }
}

TEST_F(Window, FirstSizeFitsTheScreen)
{
    const struct { QSize screen; QSize window; } cases[]{
        {{1920, 1080}, {1000, 580}}, {{1024, 600}, {819, 480}}, {{800, 480}, {640, 384}}};
    for (const auto& c : cases)
        EXPECT_EQ(velmora::app::MainWindow::firstWindowSize(c.screen), c.window) << c.screen.width();
    const QSize available = delegate->window->screen()->availableGeometry().size();
    EXPECT_LE(delegate->window->width(), available.width() * 0.8 + 1);
    EXPECT_LE(delegate->window->height(), available.height() * 0.8 + 1);
}

TEST_F(Window, RemembersSizePlaceColumnsAndFolders)
{
    auto& w = *delegate->window;
    QHeaderView* header = w.fileList()->horizontalHeader();
    w.resize(700, 420);
    header->resizeSection(velmora::app::FileListModel::codecColumn, 211);
    w.close();  // as the user closes it

    newDelegate();
    EXPECT_EQ(delegate->window->size(), QSize(700, 420));
    EXPECT_EQ(delegate->window->fileList()->horizontalHeader()->sectionSize(velmora::app::FileListModel::codecColumn),
              211);

    // The open dialog starts where the last files came from; the save dialog
    // where the last join went (else on the Desktop).
    const std::string added = testsupport::freshDir("added-from");
    const std::string saved = testsupport::freshDir("saved-to");
    delegate->addBTNClicked();
    QFileDialog* open = visibleChild<QFileDialog>(delegate->window, 2000);
    ASSERT_NE(open, nullptr);
    open->setDirectory(QString::fromStdString(added));
    testsupport::writeFile(added + "/x.wav", "x");
    open->selectFile(QString::fromStdString(added + "/x.wav"));
    static_cast<QDialog*>(open)->accept();
    ASSERT_TRUE(delegate->waitForBackgroundWork(10000));
    fill({"A"});
    delegate->joinBTNClicked();
    QFileDialog* save = visibleChild<QFileDialog>(delegate->window, 2000);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->directory().canonicalPath(), QDir(QDir::homePath() + "/Desktop").canonicalPath());
    save->selectFile(QString::fromStdString(saved + "/none.mp3"));
    static_cast<QDialog*>(save)->accept();
    delegate->cancelBTNClicked();
    ASSERT_TRUE(delegate->waitForBackgroundWork(20000));
    if (QMessageBox* box = waitForAlert(2000))
        box->done(0);

    newDelegate();
    delegate->addBTNClicked();
    open = visibleChild<QFileDialog>(delegate->window, 2000);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->directory().canonicalPath().toStdString(), added);
    open->reject();
    fill({"A"});
    delegate->joinBTNClicked();
    save = visibleChild<QFileDialog>(delegate->window, 2000);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->directory().canonicalPath().toStdString(), saved);
    save->reject();
}

TEST_F(Window, ColumnsAlignAndTheNameColumnResizes)
{
    using velmora::app::FileListModel;
    velmora::FileRow cover = row("song.mp3");
    cover.codec = "mp3, mjpeg";
    cover.codecHuman = "mp3";
    cover.duration = 245.4;
    cover.durationHuman = "00:04:05.400";
    list().appendRow(cover);
    FileListModel& model = *list().model();
    // Each header sits where its column's cells do.
    for (int c = 0; c < model.columnCount(); ++c) {
        const auto cell = model.data(model.index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>();
        const auto head = model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(cell & Qt::AlignHorizontal_Mask, head & Qt::AlignHorizontal_Mask) << c;
    }
    EXPECT_EQ(model.data(model.index(0, FileListModel::durationColumn), Qt::DisplayRole).toString(), "4:05");
    EXPECT_EQ(model.data(model.index(0, FileListModel::durationColumn), Qt::ToolTipRole).toString(), "00:04:05.400");
    EXPECT_EQ(model.data(model.index(0, FileListModel::codecColumn), Qt::DisplayRole).toString(), "mp3");
    EXPECT_EQ(model.data(model.index(0, FileListModel::codecColumn), Qt::ToolTipRole).toString(), "mp3, mjpeg");

    // Durations as a clock reads them, with tenths only for short files that have them.
    const struct { double seconds; const char* text; } durations[]{
        {2.5, "0:02.5"}, {3.04, "0:03"},       {59.94, "0:59.9"}, {59.97, "1:00"},
        {3599.6, "1:00:00"}, {36000.0, "10:00:00"}, {-1.0, "0:00"}, {NAN, "0:00"}};
    for (const auto& d : durations)
        EXPECT_EQ(velmora::app::durationClockText(d.seconds), QString::fromLatin1(d.text)) << d.seconds;

    // The user can resize the name; the window's width goes to it too.
    QHeaderView* header = delegate->window->fileList()->horizontalHeader();
    EXPECT_EQ(header->sectionResizeMode(FileListModel::nameColumn), QHeaderView::Interactive);
    header->resizeSection(FileListModel::nameColumn, 250);
    EXPECT_EQ(header->sectionSize(FileListModel::nameColumn), 250);
    delegate->window->resize(delegate->window->width() + 100, delegate->window->height());
    EXPECT_TRUE(spinUntil([&] { return header->sectionSize(FileListModel::nameColumn) == 350; }, 2000))
        << header->sectionSize(FileListModel::nameColumn);
}

TEST_F(Window, StartAndTitleFollowTheListOrder)
{
    using velmora::app::FileListModel;
    const struct { const char* name; double seconds; const char* title; } rows[]{
        {"a.mp3", 61.4, "Opening"}, {"b.mp3", 3598.0, nullptr}, {"c.flac", 1.0, "Coda"}};
    for (const auto& r : rows) {
        velmora::FileRow made = row(r.name);
        made.duration = r.seconds;
        made.metadata.fileName = r.name;
        if (r.title)
            made.metadata.tags["title"] = r.title;
        list().appendRow(made);
    }
    const FileListModel& model = *list().model();
    auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.data(model.index(r, c), Qt::DisplayRole).toString();
        return texts;
    };
    EXPECT_EQ(model.headerData(FileListModel::startColumn, Qt::Horizontal, Qt::DisplayRole).toString(), "Start");
    EXPECT_EQ(model.headerData(FileListModel::titleColumn, Qt::Horizontal, Qt::DisplayRole).toString(), "Title");
    // A file without a title tag is named after the file.
    EXPECT_EQ(column(FileListModel::titleColumn), (QStringList{"Opening", "b", "Coda"}));
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "1:01", "1:00:59"}));
    list().selectIndexes({2});
    delegate->moveUpBTNClicked();
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "1:01", "1:02"}));
    list().selectIndexes({0});
    delegate->removeBTNClicked();
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "0:01"}));
    list().undoStack()->undo();
    list().undoStack()->undo();
    EXPECT_EQ(column(FileListModel::startColumn), (QStringList{"0:00", "1:01", "1:00:59"}));
    EXPECT_EQ(column(FileListModel::nameColumn), (QStringList{"a.mp3", "b.mp3", "c.flac"}));
}

}  // namespace

namespace {

TEST_F(Window, OpenDialogShowsMediaFilesInAnyLetterCase)
{
    const std::string dir = testsupport::freshDir("dialog-filter");
    for (const std::string name : {"LOUD.MP3", "quiet.flac", "clip.Mp4", "notes.txt", "cover.jpg"})
        testsupport::writeFile(dir + "/" + name, "x");
    delegate->addBTNClicked();
    QFileDialog* dialog = visibleChild<QFileDialog>(delegate->window, 2000);
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
