// The job queue and the saved lists through the window, with the real tools:
// a join queued from the save dialog runs in the Jobs panel while the list
// stays for the next one; files picked together come in natural order; the queue file brings unfinished jobs back after a
// restart and a damaged one does no harm; a list saved as M3U8 opens again in
// its order, its missing entries named.
#include "support/AppTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>

#include "app/BooksDialog.h"
#include "app/JobsPanel.h"
#include "join/run/QueueFile.h"

using namespace apptest;

namespace {

class QueueAndLists : public AppTest {
protected:
    QString statusOf(int row)
    {
        QTableWidget* table = delegate->jobsPanel()->table();
        return row < table->rowCount() && table->item(row, 2) ? table->item(row, 2)->text() : QString();
    }
    std::string queueFile() { return velmora::app::JobsController::defaultQueueFilePath(); }
};

TEST_F(QueueAndLists, AQueuedJoinRunsAndUnfinishedJobsComeBackAfterARestart)
{
    const std::string dir = testsupport::freshDir("queue-window");
    ASSERT_TRUE(addAndWait({testsupport::sineWav(1.0), testsupport::sineFlac(1.0)}));
    window().addToQueueButton()->click();
    QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 5000);
    ASSERT_NE(dialog, nullptr);
    auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("queueBox"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    dialog->selectFile(QString::fromStdString(dir + "/queued.flac"));
    static_cast<QDialog*>(dialog)->accept();

    ASSERT_TRUE(spinUntil([&] { return statusOf(0) == "done"; }, 60000)) << statusOf(0).toStdString();
    EXPECT_TRUE(delegate->jobsPanel()->isVisible());
    EXPECT_EQ(delegate->jobsPanel()->table()->item(0, 0)->text(), "queued.flac");
    EXPECT_EQ(names().size(), 2u);  // the list stays for the next join
    EXPECT_NEAR(testsupport::mediaDuration(dir + "/queued.flac"), 2.0, 0.05);
    const auto kept = velmora::loadQueueFile(queueFile());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].status, velmora::JobStatus::done);

    // A restart after a crash in mid-join: the job waits again and runs from
    // its files; one whose file is gone fails with the reason.
    std::vector<velmora::QueueEntry> unfinished(2);
    unfinished[0].name = "again.wav";
    unfinished[0].outputPath = dir + "/again.wav";
    unfinished[0].paths = {testsupport::sineWav(1.0)};
    unfinished[0].status = velmora::JobStatus::running;
    unfinished[1] = unfinished[0];
    unfinished[1].name = "gone.wav";
    unfinished[1].outputPath = dir + "/gone.wav";
    unfinished[1].paths = {dir + "/missing.wav"};
    delegate.reset();
    ASSERT_FALSE(velmora::saveQueueFile(queueFile(), unfinished).has_value());
    newDelegate();
    EXPECT_TRUE(spinUntil([&] { return statusOf(0) == "done" && statusOf(1).startsWith("failed: cannot use"); },
                          60000))
        << statusOf(0).toStdString() << " / " << statusOf(1).toStdString();
    EXPECT_NEAR(testsupport::mediaDuration(dir + "/again.wav"), 1.0, 0.05);

    // A file cut short opens an empty queue.
    delegate.reset();
    const std::string whole = testsupport::readFile(queueFile());
    testsupport::writeFile(queueFile(), whole.substr(0, whole.size() / 3));
    newDelegate();
    EXPECT_EQ(delegate->jobsPanel()->table()->rowCount(), 0);
}

TEST_F(QueueAndLists, JoinEachFolderQueuesOneJobPerBook)
{
    const std::string root = testsupport::freshDir("each-folder"), out = testsupport::freshDir("each-folder-out");
    for (const char* folder : {"/Alpha/CD1", "/Alpha/CD2", "/Beta", "/Broken"})
        QDir().mkpath(QString::fromStdString(root + folder));
    for (const char* file : {"/Alpha/CD1/01.wav", "/Alpha/CD2/01.wav", "/Broken/01.wav"})
        QFile::copy(QString::fromStdString(testsupport::sineWav(1.0)), QString::fromStdString(root + file));
    QFile::copy(QString::fromStdString(testsupport::sineFlac(1.0)), QString::fromStdString(root + "/Beta/01.flac"));
    testsupport::writeFile(root + "/Broken/02.wav", "not audio");

    trigger("joinEachFolderAction");
    QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 5000);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(root));
    static_cast<QDialog*>(dialog)->accept();
    auto* books = visibleChild<velmora::app::BooksDialog>(&window(), 20000);
    ASSERT_NE(books, nullptr);
    QStringList rows;
    for (int r = 0; r < books->table()->rowCount(); ++r)
        rows << books->table()->item(r, 0)->text() + " " + books->table()->item(r, 1)->text() + " " +
                    books->table()->item(r, 2)->text();
    EXPECT_EQ(rows, (QStringList{"Alpha 2 0:02", "Beta 1 0:01",
                                 "Broken 2 not queued: cannot use 02.wav: damaged"}));
    books->findChild<QLineEdit*>(QStringLiteral("bookFolder"))->setText(QString::fromStdString(out));
    auto* format = books->findChild<QComboBox*>(QStringLiteral("bookFormat"));
    format->setCurrentIndex(format->findData(QStringLiteral("flac")));
    books->accept();
    EXPECT_TRUE(spinUntil([&] { return statusOf(0) == "done" && statusOf(1) == "done"; }, 60000))
        << statusOf(0).toStdString() << " / " << statusOf(1).toStdString();
    EXPECT_EQ(delegate->jobsPanel()->table()->rowCount(), 2);
    EXPECT_NEAR(testsupport::mediaDuration(out + "/Alpha.flac"), 2.0, 0.05);
    EXPECT_NEAR(testsupport::mediaDuration(out + "/Beta.flac"), 1.0, 0.05);
}

TEST_F(QueueAndLists, ASavedListOpensAgainInItsOrder)
{
    const std::string dir = testsupport::freshDir("lists-window");
    const std::string first = dir + "/Teil 2 – Ende.wav", second = dir + "/Teil 10.flac";
    QFile::copy(QString::fromStdString(testsupport::sineWav(1.0)), QString::fromStdString(first));
    QFile::copy(QString::fromStdString(testsupport::sineFlac(1.0)), QString::fromStdString(second));
    // Picked together in the Add dialog, they come in natural order.
    trigger("addAction");
    QFileDialog* add = visibleChild<QFileDialog>(&window(), 5000);
    ASSERT_NE(add, nullptr);
    add->setDirectory(QString::fromStdString(dir));
    add->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("\"Teil 10.flac\" \"Teil 2 – Ende.wav\"");
    const int added = sheetEnds->count;
    static_cast<QDialog*>(add)->accept();
    ASSERT_TRUE(waitForSheetEnd(added + 1));
    EXPECT_EQ(names(), (Names{"Teil 2 – Ende.wav", "Teil 10.flac"}));
    trigger("saveListAction");
    QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 5000);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(dir + "/Hörbuch"));
    static_cast<QDialog*>(dialog)->accept();
    EXPECT_EQ(testsupport::readFile(dir + "/Hörbuch.m3u8"),
              "#EXTM3U\n#EXTINF:1,Teil 2 – Ende\nTeil 2 – Ende.wav\n#EXTINF:1,Teil 10\nTeil 10.flac\n");
    ASSERT_TRUE(spinUntil([&] { return !visibleChild<QFileDialog>(&window(), 0); }, 2000));

    // Opened again, with one file gone: the other comes in, the gone one is named.
    QFile::remove(QString::fromStdString(second));
    trigger("clearAction");
    const int before = sheetEnds->count;
    delegate->openList(QString::fromStdString(dir + "/Hörbuch.m3u8"));
    ASSERT_TRUE(waitForSheetEnd(before + 1));
    EXPECT_EQ(names(), (Names{"Teil 2 – Ende.wav"}));
    QMessageBox* note = skippedFilesNote();
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->informativeText().startsWith("Teil 10.flac:")) << note->informativeText().toStdString();
    // Open Recent offers it.
    QMenu* recent = window().findChild<QMenu*>(QStringLiteral("recentMenu"));
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_TRUE(recent->actions()[0]->text().startsWith("Hörbuch.m3u8")) << recent->actions()[0]->text().toStdString();
}
}  // namespace
